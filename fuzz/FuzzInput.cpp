#include "fuzz/FuzzInput.h"

#include <sys/mman.h>
#include <unistd.h>

FuzzFile::FuzzFile(const uint8_t* data, size_t size) {
    fd_ = ::memfd_create("vantrel-fuzz", MFD_CLOEXEC);
    if (fd_ < 0)
        return;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

FuzzFile::~FuzzFile() {
    if (fd_ >= 0)
        ::close(fd_);
}
