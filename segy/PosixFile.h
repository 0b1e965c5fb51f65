// Read-only file access on POSIX: open by path, positioned 64-bit reads, the
// size, and a close that always happens. Nothing stays open beyond the
// object, so no file handle outlives one user action.
#pragma once

#include <cstdint>
#include <string>

namespace segy {

// Opens `path` for reading only when it is a regular file, and never waits
// doing so: a named pipe, a socket or a device is refused before it is
// opened (opening a pipe would block until another program writes to it).
// Returns the descriptor, or -1 with errno set: EISDIR for a folder,
// kNotRegularFile for any other entry that is not a regular file.
int OpenRegularFile(const std::string& path);

// The errno value OpenRegularFile gives an entry that is neither a regular
// file nor a folder; no system call sets it.
inline constexpr int kNotRegularFile = -2;
inline const char* const kNotRegularFileReason = "It is not a regular file.";

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens an existing regular file for reading; false at once for
    // anything that is not one (missing, a folder, a pipe or device, no
    // permission).
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
