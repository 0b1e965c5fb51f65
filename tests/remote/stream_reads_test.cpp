// A file of short traces read over HTTP as the header scan reads it (a
// stream from which only the headers are kept), then as a listing or a
// paint reads it afterwards in the same process: every byte comes out as
// the local file has it, the headers that straddle the stream's blocks
// included, from a fast server and from one that holds each connection
// back (where the stream widens to several transfers).
#include "remote/RemoteFile.h"
#include "segy/ByteSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t kFirstHeader = 3600;
constexpr int64_t kTraceBytes = 1240; // a megabyte is not a whole number of them
constexpr int64_t kHeaderBytes = 240;

// The range server of these tests, serving one folder on 127.0.0.1 with
// the options given.
class RangeServer {
public:
    explicit RangeServer(const std::string& folder, std::vector<std::string> options = {}) {
        std::vector<char*> argv{const_cast<char*>("python3"),
                                const_cast<char*>(VANTREL_RANGE_SERVER),
                                const_cast<char*>(folder.c_str())};
        for (std::string& option : options)
            argv.push_back(option.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execvp("python3", argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        char line[32] = {};
        ssize_t got = 0;
        while (pid_ > 0 && got < static_cast<ssize_t>(sizeof line) - 1) {
            const ssize_t n = ::read(out[0], line + got, 1);
            if (n <= 0 || line[got] == '\n')
                break;
            got += n;
        }
        ::close(out[0]);
        port_ = std::atoi(line);
    }
    ~RangeServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    RangeServer(const RangeServer&) = delete;
    RangeServer& operator=(const RangeServer&) = delete;

    int Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// The Range of every request a server's --log holds, a line each.
std::vector<std::string> LoggedRanges(const std::string& log) {
    std::vector<std::string> lines;
    std::ifstream asked(log);
    for (std::string line; std::getline(asked, line);)
        lines.push_back(line);
    return lines;
}

// The single ranges (first and last byte) a server's --log holds.
std::vector<std::pair<long long, long long>> RangesAsked(const std::string& log) {
    std::vector<std::pair<long long, long long>> ranges;
    long long first = 0, last = 0;
    for (const std::string& line : LoggedRanges(log))
        if (std::sscanf(line.c_str(), "bytes=%lld-%lld", &first, &last) == 2)
            ranges.emplace_back(first, last);
    return ranges;
}

class StreamReads : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("vantrel-stream-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        // Streams of headers split in two as on a machine of four
        // processors, whatever this one has.
        remote::AssumeProcessors(4);
    }
    void TearDown() override {
        remote::AssumeProcessors(0);
        std::filesystem::remove_all(folder_);
    }

    // Writes short.sgy: a file header and `traces` traces, random bytes.
    void WriteFile(int64_t traces) {
        bytes_.resize(static_cast<size_t>(kFirstHeader + traces * kTraceBytes));
        uint32_t state = 12345;
        for (unsigned char& b : bytes_) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(state >> 24);
        }
        std::ofstream(folder_ / "short.sgy", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes_.data()),
                   static_cast<std::streamsize>(bytes_.size()));
    }

    std::vector<unsigned char> Local(int64_t offset, int64_t count) const {
        return {bytes_.begin() + offset, bytes_.begin() + offset + count};
    }

    // Reads short.sgy (or a copy named `name`) from the server as the header
    // scan does, then (with `afterward`) other bytes of it, and compares
    // everything with the file's own bytes.
    void ScanAndReadAfterward(const RangeServer& server, bool afterward = true,
                              const std::string& name = "short.sgy") {
        const auto file = OpenFrom(server, name);
        ASSERT_NE(file, nullptr);
        const int64_t size = file->Size();
        ASSERT_EQ(size, static_cast<int64_t>(bytes_.size()));
        const int64_t traces = (size - kFirstHeader) / kTraceBytes;

        // The scan: its pattern announced for the whole file, then the
        // headers copied in runs as the header reader copies them.
        file->AdviseWillNeedPieces(kFirstHeader, size - kFirstHeader, kFirstHeader, kTraceBytes,
                                   kHeaderBytes);
        std::vector<unsigned char> headers(static_cast<size_t>(traces * kHeaderBytes));
        for (int64_t k = 0; k < traces; k += 256) {
            const int64_t run = std::min<int64_t>(256, traces - k);
            ASSERT_EQ(file->CopyPieces(headers.data() + k * kHeaderBytes,
                                       kFirstHeader + k * kTraceBytes, kTraceBytes, kHeaderBytes,
                                       run),
                      run)
                << file->Failure();
        }
        for (int64_t k = 0; k < traces; ++k)
            ASSERT_EQ(std::vector<unsigned char>(headers.begin() + k * kHeaderBytes,
                                                 headers.begin() + (k + 1) * kHeaderBytes),
                      Local(kFirstHeader + k * kTraceBytes, kHeaderBytes))
                << "header of trace " << k;
        if (!afterward)
            return;

        // Afterwards, in the same process: samples, a header with the
        // samples after it, the header across the second block's start, a
        // few words of every header, and the file's end.
        const int64_t across = (2 * 1024 * 1024 - kFirstHeader) / kTraceBytes;
        struct Range {
            int64_t offset, count;
        };
        for (const Range r : {Range{kFirstHeader + traces / 2 * kTraceBytes + 500, 400},
                              Range{kFirstHeader + traces * 5 / 6 * kTraceBytes, 1000},
                              Range{kFirstHeader + across * kTraceBytes, kHeaderBytes},
                              Range{size - 3 * kTraceBytes, 3 * kTraceBytes}}) {
            std::vector<unsigned char> got(static_cast<size_t>(r.count));
            ASSERT_EQ(file->ReadAt(got.data(), r.count, r.offset), r.count) << file->Failure();
            EXPECT_EQ(got, Local(r.offset, r.count)) << "bytes at " << r.offset;
        }
        std::vector<unsigned char> words(static_cast<size_t>(traces * 8));
        ASSERT_EQ(file->CopyPieces(words.data(), kFirstHeader + 180, kTraceBytes, 8, traces),
                  traces);
        for (int64_t k = 0; k < traces; k += 97)
            EXPECT_EQ(std::vector<unsigned char>(words.begin() + k * 8, words.begin() + k * 8 + 8),
                      Local(kFirstHeader + k * kTraceBytes + 180, 8))
                << "words of trace " << k;
    }

    // short.sgy, or another file, opened from `server`; null when it
    // cannot be.
    static std::shared_ptr<segy::ByteSource> OpenFrom(const RangeServer& server,
                                                      const std::string& name = "short.sgy") {
        EXPECT_GT(server.Port(), 0);
        std::string reason;
        auto file = remote::OpenLocation(
            "http://127.0.0.1:" + std::to_string(server.Port()) + "/" + name, reason);
        EXPECT_NE(file, nullptr) << reason;
        return file;
    }

    // Reads 1000 bytes 5 MiB before the end, far from what was read before.
    void ExpectBytesNearTheEnd(const segy::ByteSource& file) const {
        const int64_t at = static_cast<int64_t>(bytes_.size()) - 5 * 1024 * 1024;
        std::vector<unsigned char> got(1000);
        ASSERT_EQ(file.ReadAt(got.data(), 1000, at), 1000) << file.Failure();
        EXPECT_EQ(got, Local(at, 1000));
    }

    // Reads the headers of traces `from` to `until` - 1 alone, all asked for
    // ahead first, as a scan of long traces does; whether each came and is
    // the file's own.
    bool ReadHeadersAlone(const segy::ByteSource& file, int64_t from, int64_t until) const {
        for (int64_t k = from; k < until; ++k)
            file.AdviseWillNeed(kFirstHeader + k * kTraceBytes, kHeaderBytes);
        std::vector<unsigned char> got(kHeaderBytes);
        for (int64_t k = from; k < until; ++k) {
            const int64_t at = kFirstHeader + k * kTraceBytes;
            if (file.ReadAt(got.data(), kHeaderBytes, at) != kHeaderBytes ||
                got != Local(at, kHeaderBytes))
                return false;
        }
        return true;
    }

    // Reads the first `upTo` headers into `headers` as the header reader
    // goes: a step asked for ahead, then a run copied.
    static bool ScanHeaders(segy::ByteSource& file, std::vector<unsigned char>& headers,
                            int64_t upTo) {
        for (int64_t k = 0; k < upTo; k += 256) {
            const int64_t at = kFirstHeader + k * kTraceBytes;
            file.AdviseWillNeedPieces(at, 4 * 1024 * 1024, kFirstHeader, kTraceBytes, kHeaderBytes);
            const int64_t run = std::min<int64_t>(256, upTo - k);
            if (file.CopyPieces(headers.data() + k * kHeaderBytes, at, kTraceBytes, kHeaderBytes,
                                run) != run)
                return false;
        }
        return true;
    }

    std::filesystem::path folder_;
    std::vector<unsigned char> bytes_;
};

TEST_F(StreamReads, HeadersKeptFromTheStreamAndEveryOtherByteReadAfterward) {
    WriteFile(3000); // about 3.5 of the remote source's blocks
    RangeServer server(folder_.string());
    ScanAndReadAfterward(server);
}

// A server that sends each connection's bytes at 16 MB/s: after half a
// second the stream widens; its one transfer ends at a block's end and the
// rest comes in chunks over several connections, out of order.
TEST_F(StreamReads, AStreamHeldBackWidensToSeveralTransfers) {
    WriteFile(26000); // 32 MB: about 8 MB at first, then two chunks side by side
    const std::string log = (folder_ / "ranges.log").string();
    RangeServer server(folder_.string(), {"--rate-mbps", "16", "--log", log});
    // A chunk of 16 blocks, which only a widened stream asks for.
    const auto chunks = [&log] {
        const auto ranges = RangesAsked(log);
        return std::count_if(ranges.begin(), ranges.end(), [](const auto& r) {
            return r.second + 1 - r.first == 16 * 1024 * 1024;
        });
    };
    ScanAndReadAfterward(server);
    const auto widened = chunks();
    EXPECT_GT(widened, 0) << "no chunk of 16 blocks was asked for";
    // The same where the opening began the stream.
    std::filesystem::copy_file(folder_ / "short.sgy", folder_ / "through.sgy");
    remote::ExpectReadThrough("http://127.0.0.1:" + std::to_string(server.Port()) + "/through.sgy");
    ScanAndReadAfterward(server, true, "through.sgy");
    EXPECT_GT(chunks(), widened) << "the stream the opening began did not widen";
}

// The scan from a server that answers a fourth connection at once with 503,
// as servers that limit each client's connections do: the transfers it
// refuses leave their chunks to the two it takes beside the first request's.
TEST_F(StreamReads, AWidenedStreamFitsAServerThatTakesFewConnections) {
    WriteFile(60000); // 74 MB: about 20 MB at first, then four chunks
    RangeServer server(folder_.string(), {"--rate-mbps", "40", "--max-connections", "3"});
    ScanAndReadAfterward(server, false);
}

// A scan given up halfway and begun again: the stream it left behind ends,
// and the new scan gets a stream of its own from the file's start.
// Meanwhile the headers come right from both halves of a stream in two.
TEST_F(StreamReads, AScanBegunAgainGetsAStreamOfItsOwn) {
    // 150 blocks: the stream left behind stops a window ahead of the scan.
    WriteFile(127000);
    const std::string log = (folder_ / "ranges.log").string();
    RangeServer server(folder_.string(), {"--log", log});
    const auto file = OpenFrom(server);
    ASSERT_NE(file, nullptr);
    const int64_t traces = 127000;
    std::vector<unsigned char> headers(static_cast<size_t>(traces * kHeaderBytes));
    ASSERT_TRUE(ScanHeaders(*file, headers, 60000)) << file->Failure();
    ASSERT_TRUE(ScanHeaders(*file, headers, traces)) << file->Failure();
    for (int64_t k = 0; k < traces; ++k)
        ASSERT_EQ(std::vector<unsigned char>(headers.begin() + k * kHeaderBytes,
                                             headers.begin() + (k + 1) * kHeaderBytes),
                  Local(kFirstHeader + k * kTraceBytes, kHeaderBytes))
            << "header of trace " << k;
    // Two streams (transfers of more than the 16 blocks a read fetches)
    // that start in the file's first blocks. The headers of the whole file
    // fit in what a stream keeps ahead, so the first also had a transfer
    // over the back half, to the file's end.
    const auto ranges = RangesAsked(log);
    const long long read = 16 * 1024 * 1024;
    EXPECT_EQ(std::count_if(
                  ranges.begin(), ranges.end(),
                  [read](const auto& r) { return r.first < read && r.second - r.first > read; }),
              2);
    const auto size = static_cast<long long>(bytes_.size());
    EXPECT_TRUE(std::any_of(ranges.begin(), ranges.end(), [size](const auto& r) {
        return r.second + 1 == size && r.first > size / 3 && r.first < size * 2 / 3;
    })) << "no transfer over the back half";
}

// A scan given up halfway leaves its stream waiting for a reader that does
// not come back: after a while the stream ends and its connection closes,
// so a server that serves two connections at a time serves a read
// elsewhere in the file.
TEST_F(StreamReads, AStreamItsReaderLeftEndsAndFreesItsConnection) {
    WriteFile(127000);
    RangeServer server(folder_.string(), {"--max-connections", "2"});
    const auto file = OpenFrom(server);
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> headers(static_cast<size_t>(127000 * kHeaderBytes));
    ASSERT_TRUE(ScanHeaders(*file, headers, 20000)) << file->Failure();
    std::this_thread::sleep_for(std::chrono::seconds(6));
    ExpectBytesNearTheEnd(*file);
}

// Span threads refused by a server of two connections give way; after a
// while they ask again (and are refused again), rather than leave every
// later request to the one thread the server serves.
TEST_F(StreamReads, ThreadsThatGaveWayAskAgainLater) {
    WriteFile(34000);
    const std::string log = (folder_ / "ranges.log").string();
    RangeServer server(folder_.string(), {"--max-connections", "2", "--log", log});
    const auto file = OpenFrom(server);
    ASSERT_NE(file, nullptr);
    // 16,000 headers asked for ahead, then read: 16 requests at once.
    ASSERT_TRUE(ReadHeadersAlone(*file, 1000, 17000)) << file->Failure();
    std::this_thread::sleep_for(std::chrono::seconds(11));
    const size_t before = RangesAsked(log).size();
    ASSERT_TRUE(ReadHeadersAlone(*file, 17000, 33000)) << file->Failure();
    // A request the server refused is asked again by another thread.
    std::vector<long long> firsts;
    for (const auto& range : RangesAsked(log))
        firsts.push_back(range.first);
    firsts.erase(firsts.begin(), firsts.begin() + static_cast<std::ptrdiff_t>(before));
    std::sort(firsts.begin(), firsts.end());
    EXPECT_NE(std::adjacent_find(firsts.begin(), firsts.end()), firsts.end())
        << "no request after the wait was refused and asked again";
}

// A server that serves two connections at a time: headers read alone (the
// span threads), then samples elsewhere (the block threads), which find
// the connections the span threads let go.
TEST_F(StreamReads, AServerOfTwoConnectionsServesHeadersThenSamples) {
    WriteFile(20000);
    RangeServer server(folder_.string(), {"--max-connections", "2"});
    const auto file = OpenFrom(server);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(ReadHeadersAlone(*file, 1000, 4000)) << file->Failure();
    ExpectBytesNearTheEnd(*file);
}

// A file to be read through: the opening asks for the whole file, and that
// one transfer carries the scan, keeping only the headers from the block
// after the scan said so, as far as the middle; the back half has a
// transfer of its own, where the processors allow. What is read afterward
// is right whether it lies in the blocks kept whole or in those kept as
// headers.
TEST_F(StreamReads, AFileToBeReadThroughIsAskedForOnce) {
    WriteFile(40000); // 50 MB
    const std::string log = (folder_ / "ranges.log").string();
    RangeServer server(folder_.string(), {"--log", log});
    remote::ExpectReadThrough("http://127.0.0.1:" + std::to_string(server.Port()) + "/short.sgy");
    ScanAndReadAfterward(server, false);
    const auto lines = LoggedRanges(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "bytes=0-");
    const auto back = RangesAsked(log);
    ASSERT_EQ(back.size(), 1u);
    const auto size = static_cast<long long>(bytes_.size());
    EXPECT_EQ(back[0].second, size - 1);
    EXPECT_TRUE(back[0].first > size / 3 && back[0].first < size * 2 / 3) << lines[1];
    ScanAndReadAfterward(server);

    // On two processors the one request carries the whole scan.
    remote::AssumeProcessors(2);
    std::filesystem::copy_file(folder_ / "short.sgy", folder_ / "two.sgy");
    std::filesystem::remove(log);
    remote::ExpectReadThrough("http://127.0.0.1:" + std::to_string(server.Port()) + "/two.sgy");
    ScanAndReadAfterward(server, false, "two.sgy");
    EXPECT_EQ(LoggedRanges(log), std::vector<std::string>{"bytes=0-"});
}

// From a server that serves one connection at a time, a stream in two:
// the back half's transfer is refused and left to the front one's, which
// takes it once done, whether the scan or the opening began the stream.
TEST_F(StreamReads, AStreamInTwoFitsAServerOfOneConnection) {
    WriteFile(40000);
    std::filesystem::copy_file(folder_ / "short.sgy", folder_ / "through.sgy");
    RangeServer server(folder_.string(), {"--max-connections", "1"});
    ScanAndReadAfterward(server, false);
    remote::ExpectReadThrough("http://127.0.0.1:" + std::to_string(server.Port()) + "/through.sgy");
    ScanAndReadAfterward(server, false, "through.sgy");
}

// A reader of the headers alone ends the stream the opening began, and
// reads them as ranges of their own.
TEST_F(StreamReads, AFileToBeReadThroughWhoseHeadersAreReadAloneEndsItsStream) {
    WriteFile(20000);
    const std::string log = (folder_ / "ranges.log").string();
    RangeServer server(folder_.string(), {"--log", log});
    remote::ExpectReadThrough("http://127.0.0.1:" + std::to_string(server.Port()) + "/short.sgy");
    const auto file = OpenFrom(server);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(ReadHeadersAlone(*file, 10000, 12000)) << file->Failure();
    ExpectBytesNearTheEnd(*file);
}

TEST_F(StreamReads, AFileReadBeforeLetsAnotherHaveTheServersOneConnection) {
    // The first file's fetching thread keeps its connection after a read;
    // the server, serving one connection at a time, refuses the second
    // file's opening until that thread lets its connection go.
    WriteFile(20000);
    std::filesystem::copy_file(folder_ / "short.sgy", folder_ / "other.sgy");
    RangeServer server(folder_.string(), {"--max-connections", "1"});
    const auto first = OpenFrom(server);
    ASSERT_NE(first, nullptr);
    ExpectBytesNearTheEnd(*first);
    const auto second = OpenFrom(server, "other.sgy");
    ASSERT_NE(second, nullptr);
    ExpectBytesNearTheEnd(*second);
    ExpectBytesNearTheEnd(*first);
}

} // namespace
