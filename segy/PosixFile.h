// Read-only file access on POSIX: open by path, positioned 64-bit reads, the
// size, and a close that always happens. Nothing stays open beyond the
// object, so no file handle outlives one user action.
#pragma once

#include "segy/ByteSource.h"

#include <cstdint>
#include <memory>
#include <string>

namespace segy {

// Opens `path` for reading only when it is a regular file, and never waits
// doing so: a named pipe, a socket or a device is refused before it is
// opened (opening a pipe would block until another program writes to it).
// Returns the descriptor, or -1 with errno set: EISDIR for a folder,
// kNotRegularFile for any other entry that is not a regular file.
int OpenRegularFile(const std::string& path);

// Whether two names lead to one file on disk, however they are spelled
// (relative, "./", a symbolic or hard link): only the device and inode
// decide. False when either does not exist.
bool IsSameLocalFile(const std::string& first, const std::string& second);
// The same for a file already open as `fd`.
bool IsSameLocalFile(int fd, const std::string& path);

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
    // permission). A location (see IsLocation) is opened through the
    // installed opener; LastLocationError() says why one could not be.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0 || source_ != nullptr; }
    // A file on this machine, rather than a location read over the network.
    bool IsLocal() const { return fd_ >= 0; }
    void Close();

    // Reads up to `count` bytes from `offset`, retrying partial reads, and
    // returns the number delivered: fewer at the end of the file, 0 for an
    // offset at or past the end, and 0 for a negative offset or a failed read.
    int64_t ReadAt(void* buffer, int64_t count, int64_t offset) const;

    // Reads `count` pieces of `pieceBytes`, the first at `offset` and each
    // `stride` bytes after the one before, to `out` one after the other, and
    // returns how many arrived whole (as MappedFile::CopyPieces).
    int64_t CopyPieces(unsigned char* out, int64_t offset, int64_t stride, int64_t pieceBytes,
                       int64_t count) const;

    // The file's size in bytes, -1 if it cannot be determined.
    int64_t Size() const;

    // Hints that the file will be read front to back (optional to honour).
    void AdviseSequential() const;

    // Asks the system to start reading `count` bytes from `offset` into the
    // page cache and returns at once, so that the storage works while the
    // caller decodes what arrived earlier.
    void AdviseWillNeed(int64_t offset, int64_t count) const;
    // As AdviseWillNeed, saying that only the pieces of `pieceBytes` at
    // `firstPiece` and every `stride` bytes after will be read
    // (ByteSource::AdviseWillNeedPieces); a local file reads ahead whole.
    void AdviseWillNeedPieces(int64_t offset, int64_t count, int64_t firstPiece, int64_t stride,
                              int64_t pieceBytes) const;

    // For a location: how far apart small pieces must lie for asking for
    // them alone to pay (ByteSource::PiecesAloneFrom); 0 for a local file.
    int64_t PiecesAloneFrom() const;

private:
    friend class MappedFile;
    int fd_ = -1;
    std::shared_ptr<ByteSource> source_;
};

struct BusErrorHandler;

// A read-only memory map of a whole open file, for reading small pieces that
// lie far apart without one system call each. A file that shrinks while it is
// mapped makes reads past its new end fault (SIGBUS); CopyPieces catches that
// fault and reports it as a short read, so the map never ends the program.
class MappedFile {
public:
    MappedFile();
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps `file` as large as it is now; false when it is empty or cannot be
    // mapped (the caller then reads it with ReadAt).
    bool Map(const ReadOnlyFile& file);
    void Unmap();
    int64_t Length() const { return length_; }

    // Copies `count` pieces of `pieceBytes`, the first at `offset` and each
    // `stride` bytes after the one before, to `out` one after the other, and
    // returns how many arrived whole: fewer when a piece reaches past the
    // mapped length or the file was cut short under the map.
    int64_t CopyPieces(unsigned char* out, int64_t offset, int64_t stride, int64_t pieceBytes,
                       int64_t count) const;

    // Unmaps the pages wholly inside `count` bytes from `offset` until they
    // are read again, so that headers already read do not keep their pages
    // in the program's memory; the pages stay in the page cache.
    void Release(int64_t offset, int64_t count) const;

    // Whether each page of `pages` pages from page-aligned `offset` is in
    // the page cache; false when that cannot be told.
    bool ResidentPages(int64_t offset, int64_t pages, unsigned char* resident) const;

    static int64_t PageSize();

private:
    unsigned char* data_ = nullptr;
    int64_t length_ = 0;
    std::unique_ptr<BusErrorHandler> handler_;
};

} // namespace segy
