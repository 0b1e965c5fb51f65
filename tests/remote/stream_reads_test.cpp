// A file of short traces read over HTTP as the header scan reads it (a
// stream from which only the headers are kept), then as a listing or a
// paint reads it afterwards in the same process: every byte comes out as
// the local file has it, the headers that straddle the stream's blocks
// included.
#include "remote/RemoteFile.h"
#include "segy/ByteSource.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t kFirstHeader = 3600;
constexpr int64_t kTraceBytes = 1240; // a megabyte is not a whole number of them
constexpr int64_t kHeaderBytes = 240;
constexpr int64_t kTraces = 3000; // about 3.5 blocks of the remote source

// The range server of these tests, serving one folder on 127.0.0.1.
class RangeServer {
public:
    explicit RangeServer(const std::string& folder) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execlp("python3", "python3", VANTREL_RANGE_SERVER, folder.c_str(),
                     static_cast<char*>(nullptr));
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

class StreamReads : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("vantrel-stream-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        bytes_.resize(static_cast<size_t>(kFirstHeader + kTraces * kTraceBytes));
        uint32_t state = 12345;
        for (unsigned char& b : bytes_) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<unsigned char>(state >> 24);
        }
        std::ofstream(folder_ / "short.sgy", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes_.data()),
                   static_cast<std::streamsize>(bytes_.size()));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::vector<unsigned char> Local(int64_t offset, int64_t count) const {
        return {bytes_.begin() + offset, bytes_.begin() + offset + count};
    }

    std::filesystem::path folder_;
    std::vector<unsigned char> bytes_;
};

TEST_F(StreamReads, HeadersKeptFromTheStreamAndEveryOtherByteReadAfterward) {
    RangeServer server(folder_.string());
    ASSERT_GT(server.Port(), 0);
    std::string reason;
    const auto file = remote::OpenLocation(
        "http://127.0.0.1:" + std::to_string(server.Port()) + "/short.sgy", reason);
    ASSERT_NE(file, nullptr) << reason;
    const int64_t size = file->Size();
    ASSERT_EQ(size, static_cast<int64_t>(bytes_.size()));

    // The scan: its pattern announced for the whole file, then the headers
    // copied in runs as the header reader copies them.
    file->AdviseWillNeedPieces(kFirstHeader, size - kFirstHeader, kFirstHeader, kTraceBytes,
                               kHeaderBytes);
    std::vector<unsigned char> headers(static_cast<size_t>(kTraces * kHeaderBytes));
    for (int64_t k = 0; k < kTraces; k += 256) {
        const int64_t run = std::min<int64_t>(256, kTraces - k);
        ASSERT_EQ(file->CopyPieces(headers.data() + k * kHeaderBytes,
                                   kFirstHeader + k * kTraceBytes, kTraceBytes, kHeaderBytes, run),
                  run)
            << file->Failure();
    }
    for (int64_t k = 0; k < kTraces; ++k)
        ASSERT_EQ(std::vector<unsigned char>(headers.begin() + k * kHeaderBytes,
                                             headers.begin() + (k + 1) * kHeaderBytes),
                  Local(kFirstHeader + k * kTraceBytes, kHeaderBytes))
            << "header of trace " << k;

    // Afterwards, in the same process: samples, a header with the samples
    // after it, the header across the second block's start, a few words of
    // every header, and the file's end.
    const int64_t across = (2 * 1024 * 1024 - kFirstHeader) / kTraceBytes;
    struct Range {
        int64_t offset, count;
    };
    for (const Range r : {Range{kFirstHeader + 1700 * kTraceBytes + 500, 400},
                          Range{kFirstHeader + 2500 * kTraceBytes, 1000},
                          Range{kFirstHeader + across * kTraceBytes, kHeaderBytes},
                          Range{size - 3 * kTraceBytes, 3 * kTraceBytes}}) {
        std::vector<unsigned char> got(static_cast<size_t>(r.count));
        ASSERT_EQ(file->ReadAt(got.data(), r.count, r.offset), r.count) << file->Failure();
        EXPECT_EQ(got, Local(r.offset, r.count)) << "bytes at " << r.offset;
    }
    std::vector<unsigned char> words(static_cast<size_t>(kTraces * 8));
    ASSERT_EQ(file->CopyPieces(words.data(), kFirstHeader + 180, kTraceBytes, 8, kTraces), kTraces);
    for (int64_t k = 0; k < kTraces; k += 97)
        EXPECT_EQ(std::vector<unsigned char>(words.begin() + k * 8, words.begin() + k * 8 + 8),
                  Local(kFirstHeader + k * kTraceBytes + 180, 8))
            << "words of trace " << k;
}

} // namespace
