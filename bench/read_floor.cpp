// The floors of the header scan benchmark: the least reading a scan of the
// file could do, with no decoding at all, and the eviction of a file from
// the page cache that makes a run cold.
//
//   read_floor headers FILE TRACE_LENGTH    one 240-byte pread per trace
//   read_floor prefetch FILE TRACE_LENGTH   the same, each header asked for
//                                           (POSIX_FADV_WILLNEED) 64 traces ahead
//   read_floor mmap FILE TRACE_LENGTH       the headers read through a memory map
//   read_floor blocks FILE                  the whole file in 4 MiB blocks
//   read_floor evict FILE                   drops the file's cached pages
//
// Prints how many headers or bytes arrived and a byte sum, so the reads
// cannot be optimised away and a wrong file shows.
#include "segy/SegyFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBlockBytes = 4 * 1024 * 1024;
constexpr int64_t kPrefetchTraces = 64;

int ReadHeaders(int fd, int64_t traceLength, bool prefetch) {
    unsigned char header[segy::kTraceHeaderSize];
    int64_t headers = 0;
    unsigned sum = 0;
    for (;;) {
        const off_t at = segy::kFileHeaderSize + headers * traceLength;
        if (prefetch)
            ::posix_fadvise(fd, at + kPrefetchTraces * traceLength, segy::kTraceHeaderSize,
                            POSIX_FADV_WILLNEED);
        if (::pread(fd, header, sizeof header, at) != static_cast<ssize_t>(sizeof header))
            break;
        sum += header[0];
        ++headers;
    }
    std::printf("headers %lld sum %u\n", static_cast<long long>(headers), sum);
    return 0;
}

int ReadMapped(int fd, int64_t traceLength) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size <= 0)
        return 1;
    const auto size = static_cast<int64_t>(st.st_size);
    void* map = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        return 1;
    const auto* bytes = static_cast<const unsigned char*>(map);
    int64_t headers = 0;
    unsigned sum = 0;
    for (int64_t at = segy::kFileHeaderSize; at + segy::kTraceHeaderSize <= size;
         at += traceLength, ++headers) {
        // Every 8th byte: the header's cache lines are all touched.
        for (int i = 0; i < segy::kTraceHeaderSize; i += 8)
            sum += bytes[at + i];
    }
    ::munmap(map, static_cast<size_t>(size));
    std::printf("headers %lld sum %u\n", static_cast<long long>(headers), sum);
    return 0;
}

int ReadBlocks(int fd) {
    auto block = std::make_unique<unsigned char[]>(kBlockBytes);
    int64_t total = 0;
    unsigned sum = 0;
    for (;;) {
        const ssize_t got = ::read(fd, block.get(), kBlockBytes);
        if (got <= 0)
            break;
        sum += block[0];
        total += got;
    }
    std::printf("bytes %lld sum %u\n", static_cast<long long>(total), sum);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[1] : "";
    const bool withLength = mode == "headers" || mode == "prefetch" || mode == "mmap";
    const bool fileOnly = mode == "blocks" || mode == "evict";
    if (!(withLength && argc == 4) && !(fileOnly && argc == 3)) {
        std::fprintf(stderr, "usage: read_floor headers|prefetch|mmap FILE TRACE_LENGTH | "
                             "blocks|evict FILE\n");
        return 2;
    }
    const int fd = ::open(argv[2], O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[2]);
        return 1;
    }
    const int64_t length = withLength ? std::atoll(argv[3]) : 0;
    int result = 0;
    if (mode == "evict")
        result = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0 ? 0 : 1;
    else if (mode == "blocks")
        result = ReadBlocks(fd);
    else if (mode == "mmap")
        result = ReadMapped(fd, length);
    else
        result = ReadHeaders(fd, length, mode == "prefetch");
    ::close(fd);
    return result;
}
