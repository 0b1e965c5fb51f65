#include "segy/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace segy {

int OpenRegularFile(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    const auto refuse = [](const struct stat& st) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
        return -1;
    };
    // Only regular files hold SEG-Y data. Looking before opening keeps a
    // device from being opened at all; the non-blocking open and the second
    // look catch an entry replaced in between.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    if (!S_ISREG(st.st_mode))
        return refuse(st);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(st);
    }
    // Reads of a regular file never block anyway; clear the flag so the
    // descriptor behaves like any other.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

bool ReadOnlyFile::Open(const std::string& path) {
    Close();
    fd_ = OpenRegularFile(path);
    return fd_ >= 0;
}

void ReadOnlyFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

int64_t ReadOnlyFile::ReadAt(void* buffer, int64_t count, int64_t offset) const {
    if (fd_ < 0 || count <= 0 || offset < 0)
        return 0;
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, out + done, static_cast<size_t>(count - done),
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

int64_t ReadOnlyFile::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

void ReadOnlyFile::AdviseSequential() const {
    if (fd_ >= 0)
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

} // namespace segy
