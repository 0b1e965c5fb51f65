// What the header inspection costs: the full scan that also learns each
// field's character, the envelope and the geometry, against the same scan
// computing only the grid's tables, side by side in one run; and, when a
// command-line tool is given, `vantrel-cli headers` writing four fields of
// every trace as CSV, against the same plain scan.
//
//   inspect_bench FILE ROUNDS warm|cold [VANTREL_CLI]
//
// Warm: the file is read whole once, then every round runs each command.
// Cold: the file's pages are dropped from the cache before every command.
// The file must hold big-endian 4-byte samples, as the benchmark files do.
// The last line, "median plain S full S headers S", is what
// bench/inspect_bench.sh reads (headers is - without a tool).
#include "segy/FileHeader.h"
#include "segy/HeaderScan.h"
#include "segy/PosixFile.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSampleBytes = 4;
constexpr size_t kReadBlock = 4 << 20;
constexpr const char* kHeaderFields = "tracl,iline,xline,offset";

class SilentMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void Beep() override {}
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool Evict(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok;
}

void ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    std::vector<char> block(kReadBlock);
    while (::read(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

template <typename Run> double Seconds(Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One scan of every header; with an inspection, the full one.
int64_t Scan(const std::string& path, const segy::ScanLayout& layout,
             segy::HeaderInspection* inspection) {
    SilentMessages messages;
    segy::NoScanProgress progress;
    const segy::ScanContext context{messages, progress, {}};
    auto tables = std::make_unique<segy::HeaderScanTables>();
    int64_t read = 0;
    segy::ScanTraceHeaders(segy::kScanAll, path, layout, *tables, context, &read, inspection);
    return read;
}

// Runs the command-line tool's headers command with its output thrown away.
bool RunHeaders(const std::string& cli, const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(cli.c_str(), cli.c_str(), "headers", path.c_str(), "--fields", kHeaderFields,
                "--csv", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: inspect_bench FILE ROUNDS warm|cold [VANTREL_CLI]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int rounds = std::max(1, std::atoi(argv[2]));
    const bool cold = std::string(argv[3]) == "cold";
    const std::string cli = argc > 4 ? argv[4] : "";

    segy::SegyFileSummary summary;
    SilentMessages messages;
    if (!segy::ReadSegyFileHeader(path, summary, messages, false))
        return 1;
    std::error_code error;
    const int64_t size = static_cast<int64_t>(std::filesystem::file_size(path, error));
    const segy::ScanLayout layout{
        summary.NumSamples,
        kSampleBytes,
        segy::TraceCountForSize(size, segy::TraceLength(summary.NumSamples, kSampleBytes)),
        0,
        {}};
    std::printf("%s: %lld traces of %d samples, %s, %d rounds\n", path.c_str(),
                static_cast<long long>(layout.NumTraces), layout.NumSamples, cold ? "cold" : "warm",
                rounds);

    if (!cold) {
        Evict(path);
        ReadWhole(path);
    }
    const auto prepare = [&] {
        if (cold)
            Evict(path);
    };
    std::vector<double> plain, full, headers;
    auto inspection = std::make_unique<segy::HeaderInspection>();
    for (int r = 0; r < rounds; ++r) {
        // The two scans take turns going first, so that what one leaves
        // behind (the cache, the disk's position) favours neither.
        const auto runPlain = [&] {
            prepare();
            int64_t read = 0;
            plain.push_back(Seconds([&] { read = Scan(path, layout, nullptr); }));
            if (read != layout.NumTraces)
                std::printf("warning: the plain scan read %lld headers\n",
                            static_cast<long long>(read));
        };
        const auto runFull = [&] {
            prepare();
            full.push_back(Seconds([&] { Scan(path, layout, inspection.get()); }));
        };
        if (r % 2 == 0) {
            runPlain();
            runFull();
        } else {
            runFull();
            runPlain();
        }
        if (!cli.empty()) {
            prepare();
            bool ok = true;
            headers.push_back(Seconds([&] { ok = RunHeaders(cli, path); }));
            if (!ok)
                std::printf("warning: %s headers failed\n", cli.c_str());
        }
        std::printf(
            "round %d: plain %.4f s, full %.4f s%s\n", r + 1, plain.back(), full.back(),
            headers.empty() ? "" : (", headers " + std::to_string(headers.back()) + " s").c_str());
        std::fflush(stdout);
    }
    std::printf("geometry: %s; %s\n", inspection->Geometry().kind.c_str(),
                inspection->Geometry().why.c_str());
    if (headers.empty())
        std::printf("median plain %.4f full %.4f headers -\n", Median(plain), Median(full));
    else
        std::printf("median plain %.4f full %.4f headers %.4f\n", Median(plain), Median(full),
                    Median(headers));
    return 0;
}
