// Read-only file access on POSIX: open by path, positioned 64-bit reads, the
// size, and a close that always happens. Nothing stays open beyond the
// object, so no file handle outlives one user action.
#pragma once

#include <cstdint>
#include <string>

namespace segy {

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens an existing regular file for reading; false for anything that
    // is not one (missing, a folder, no permission).
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // Reads up to `count` bytes from `offset`, retrying partial reads, and
    // returns the number delivered: fewer at the end of the file, 0 for an
    // offset at or past the end, and 0 for a negative offset or a failed read.
    int64_t ReadAt(void* buffer, int64_t count, int64_t offset) const;

    // The file's size in bytes, -1 if it cannot be determined.
    int64_t Size() const;

    // Hints that the file will be read front to back (optional to honour).
    void AdviseSequential() const;

private:
    int fd_ = -1;
};

} // namespace segy
