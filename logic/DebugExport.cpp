#include "logic/DebugExport.h"

#include "segy/PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A short read without a system error: the source shrank during the copy.
const char* const kSourceEndedEarly = "The file ended before the expected size.";
const char* const kDestinationIsSource = "It is the file being exported.";

// The name as the user can find it again: absolute, without "." or ".."
// steps; the current folder is the one the name was given in.
std::string FullPath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    std::string text = absolute.lexically_normal().string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

ExportResult Failure(const char* action, const std::string& path, const std::string& reason) {
    return {false, std::string("Cannot ") + action + " file \"" + FullPath(path) + "\". " + reason};
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now; false (errno set) when the close reports an error.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Reads exactly `length` bytes from `offset` of a local file; false on a
// failed or short read, with the reason.
bool ReadBlock(int fd, const DebugBlock& block, char* buffer, std::string& reason) {
    int64_t done = 0;
    while (done < block.length) {
        const ssize_t got = ::pread(fd, buffer + done, static_cast<size_t>(block.length - done),
                                    block.offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = SystemReason(errno);
            return false;
        }
        if (got == 0) {
            reason = kSourceEndedEarly;
            return false;
        }
        done += got;
    }
    return true;
}

// Writes the whole block; a write that stops part way is retried until
// the system refuses it and says why.
bool WriteBlock(int fd, const char* buffer, int64_t length, std::string& reason) {
    int64_t done = 0;
    while (done < length) {
        const ssize_t written = ::write(fd, buffer + done, static_cast<size_t>(length - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = SystemReason(written < 0 ? errno : EIO);
            return false;
        }
        done += written;
    }
    return true;
}

// The copy is written to a hidden file beside the destination, which
// replaces the destination only once every byte is there, so that a failure
// never leaves half a file; the file is removed unless it is kept.
class TemporaryBeside {
public:
    explicit TemporaryBeside(const std::string& destination) {
        const std::filesystem::path target(destination);
        const std::filesystem::path folder = target.parent_path();
        const std::string name = "." + target.filename().string() + ".XXXXXX";
        path_ = (folder.empty() ? std::filesystem::path(name) : folder / name).string();
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0)
            return;
        made_ = true;
        // The permissions a newly made file gets, or the replaced file's.
        struct stat existing {};
        mode_t mode = 0;
        if (::stat(destination.c_str(), &existing) == 0) {
            mode = existing.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd_, mode);
    }
    ~TemporaryBeside() {
        if (fd_ >= 0)
            ::close(fd_);
        if (made_ && !kept_)
            ::unlink(path_.c_str());
    }
    TemporaryBeside(const TemporaryBeside&) = delete;
    TemporaryBeside& operator=(const TemporaryBeside&) = delete;

    int Fd() const { return fd_; }
    // Closes the copy and puts it in the destination's place; false with
    // errno set.
    bool Commit(const std::string& destination) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return false;
        if (::rename(path_.c_str(), destination.c_str()) != 0)
            return false;
        kept_ = true;
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool made_ = false;
    bool kept_ = false;
};

} // namespace

DebugExportPlan PlanDebugExport(int64_t sourceSize) {
    const int64_t size = std::max<int64_t>(sourceSize, 0);
    const int64_t middle = size / 2;
    DebugExportPlan plan;
    plan.first = {0, std::min(kDebugBlockSize, size)};
    plan.middle = {middle, std::min(kDebugBlockSize, size - middle)};
    return plan;
}

namespace {

// The export of a location (an http(s):// or s3:// address) to a local file.
ExportResult ExportLocation(const std::string& location, const std::string& destinationPath,
                            std::vector<char>& buffer) {
    segy::ClearLocationReadFailure();
    segy::ReadOnlyFile source;
    if (!source.Open(location))
        return {false, segy::LastLocationError()};
    TemporaryBeside destination(destinationPath);
    if (destination.Fd() < 0)
        return Failure("create", destinationPath, SystemReason(errno));
    const DebugExportPlan plan = PlanDebugExport(source.Size());
    for (const DebugBlock& block : {plan.first, plan.middle}) {
        if (source.ReadAt(buffer.data(), block.length, block.offset) != block.length) {
            const std::string& failure = segy::LocationReadFailure();
            return {false, failure.empty()
                               ? "Cannot read \"" + segy::LocationWithoutCredentials(location) +
                                     "\". " + kSourceEndedEarly
                               : failure};
        }
        std::string reason;
        if (!WriteBlock(destination.Fd(), buffer.data(), block.length, reason))
            return Failure("write", destinationPath, reason);
    }
    if (!destination.Commit(destinationPath))
        return Failure("write", destinationPath, SystemReason(errno));
    return {true, std::string()};
}

} // namespace

ExportResult ExportDebugFile(const std::string& sourcePath, const std::string& destinationPath) {
    std::vector<char> buffer(static_cast<size_t>(kDebugBlockSize));
    if (segy::IsLocation(sourcePath))
        return ExportLocation(sourcePath, destinationPath, buffer);

    Descriptor source(segy::OpenRegularFile(sourcePath));
    if (source.Get() < 0)
        return Failure("open", sourcePath,
                       errno == segy::kNotRegularFile ? segy::kNotRegularFileReason
                                                      : SystemReason(errno));

    // Writing the debug file over its own source would replace the data the
    // user asked to excerpt.
    if (segy::IsSameLocalFile(source.Get(), destinationPath))
        return Failure("create", destinationPath, kDestinationIsSource);

    TemporaryBeside destination(destinationPath);
    if (destination.Fd() < 0)
        return Failure("create", destinationPath, SystemReason(errno));

    struct stat sourceStat {};
    if (::fstat(source.Get(), &sourceStat) != 0)
        return Failure("read", sourcePath, SystemReason(errno));
    const DebugExportPlan plan = PlanDebugExport(sourceStat.st_size);
    for (const DebugBlock& block : {plan.first, plan.middle}) {
        std::string reason;
        if (!ReadBlock(source.Get(), block, buffer.data(), reason))
            return Failure("read", sourcePath, reason);
        if (!WriteBlock(destination.Fd(), buffer.data(), block.length, reason))
            return Failure("write", destinationPath, reason);
    }
    if (!destination.Commit(destinationPath))
        return Failure("write", destinationPath, SystemReason(errno));
    return {true, std::string()};
}

void ReportDebugExport(const ExportResult& result, segy::UserMessages& messages) {
    if (result.ok) {
        messages.Beep();
        messages.ShowMessage(kDebugFileCompleteMessage);
    } else {
        messages.ShowMessage(result.message);
    }
}
