// The floors of the header scan benchmark: the least reading a scan of the
// file could do, with no decoding at all.
//
//   read_floor headers FILE TRACE_LENGTH   one 240-byte pread per trace
//   read_floor blocks FILE                 the whole file in 4 MiB blocks
//
// Prints how many headers or bytes arrived and a byte sum, so the reads
// cannot be optimised away and a wrong file shows.
#include "segy/SegyFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr size_t kBlockBytes = 4 * 1024 * 1024;

int ReadHeaders(int fd, int64_t traceLength) {
    unsigned char header[segy::kTraceHeaderSize];
    int64_t headers = 0;
    unsigned sum = 0;
    for (;;) {
        const off_t at = segy::kFileHeaderSize + headers * traceLength;
        if (::pread(fd, header, sizeof header, at) != static_cast<ssize_t>(sizeof header))
            break;
        sum += header[0];
        ++headers;
    }
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
    const bool headers = argc == 4 && std::strcmp(argv[1], "headers") == 0;
    const bool blocks = argc == 3 && std::strcmp(argv[1], "blocks") == 0;
    if (!headers && !blocks) {
        std::fprintf(stderr, "usage: read_floor headers FILE TRACE_LENGTH | blocks FILE\n");
        return 2;
    }
    const int fd = ::open(argv[2], O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[2]);
        return 1;
    }
    const int result = headers ? ReadHeaders(fd, std::atoll(argv[3])) : ReadBlocks(fd);
    ::close(fd);
    return result;
}
