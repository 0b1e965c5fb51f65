// Files that are not on a local disk: a location such as an http(s):// or
// s3:// address is read through a ByteSource that a layer outside the file
// core provides. The core reads every file through ReadOnlyFile, which
// hands such locations to it; local paths never reach it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace segy {

// Copies `count` pieces of `pieceBytes`, the first at `offset` and each
// `stride` bytes after the one before, with a ReadAt of `reader` for each,
// to `out` one after the other; how many arrived whole.
template <typename Reader>
int64_t CopyPiecesOneByOne(const Reader& reader, unsigned char* out, int64_t offset, int64_t stride,
                           int64_t pieceBytes, int64_t count) {
    int64_t copied = 0;
    while (copied < count && reader.ReadAt(out + copied * pieceBytes, pieceBytes,
                                           offset + copied * stride) == pieceBytes)
        ++copied;
    return copied;
}

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The size in bytes, as it was when the location was opened.
    virtual int64_t Size() const = 0;
    // As ReadOnlyFile::ReadAt: up to `count` bytes from `offset`; fewer at
    // the end, and fewer (with Failure() set) when the source fails.
    virtual int64_t ReadAt(void* buffer, int64_t count, int64_t offset) const = 0;
    // Copies `count` pieces of `pieceBytes`, the first at `offset` and each
    // `stride` bytes after the one before, to `out` one after the other, and
    // returns how many arrived whole. A source overrides it where one call
    // costs less than a read for each piece.
    virtual int64_t CopyPieces(unsigned char* out, int64_t offset, int64_t stride,
                               int64_t pieceBytes, int64_t count) const {
        return CopyPiecesOneByOne(*this, out, offset, stride, pieceBytes, count);
    }
    // A hint that these bytes will be read soon.
    virtual void AdviseWillNeed(int64_t, int64_t) const {}
    // A hint that of these bytes only pieces of `pieceBytes`, the first at
    // `firstPiece` and each `stride` bytes after the one before, will be
    // read soon, front to back: the header scan's way of reading. A source
    // that must carry every byte may keep only the pieces.
    virtual void AdviseWillNeedPieces(int64_t offset, int64_t count, int64_t /*firstPiece*/,
                                      int64_t /*stride*/, int64_t /*pieceBytes*/) const {
        AdviseWillNeed(offset, count);
    }
    // How far apart (bytes) small pieces must lie for asking for the pieces
    // alone to cost less than reading everything between them; 0 when it
    // never does. It may change once the source learns what its server takes.
    virtual int64_t PiecesAloneFrom() const { return 0; }
    // Why the last read came up short, if it failed, naming the location;
    // empty otherwise.
    virtual std::string Failure() const { return {}; }
};

// Opens a location; null with `reason` set when it cannot be read.
using LocationOpener =
    std::function<std::shared_ptr<ByteSource>(const std::string& location, std::string& reason)>;

// Installs the opener of locations; a program that installs none reads
// local files only.
void SetLocationOpener(LocationOpener opener);

// Whether `path` names a location (http://, https:// or s3://) rather than
// a local file.
bool IsLocation(const std::string& path);

// Where the file name of a location begins: after the last '/' of its
// path, the separators of its query (whose values may hold them) left out.
size_t LocationNameStart(const std::string& location);

// The location as messages name it: without a user name or password, and
// with the values of credential query parameters (a presigned address's
// signature, key and token) hidden.
std::string LocationWithoutCredentials(const std::string& location);

// Called about ten times a second while a read of a location waits on the
// network, with the seconds waited so far, and once with -1 when a wait it
// was called for ends; false gives the read up. A window shows its progress
// dialog here; without a hook reads wait for the network's own time limits.
using LocationWaitHook = std::function<bool(const std::string& location, double waited)>;
void SetLocationWaitHook(LocationWaitHook hook);
bool WaitingOnLocation(const std::string& location, double waited);

// Why the last open of a location on this thread failed.
const std::string& LastLocationError();

// The first read of a location on this thread that failed since the last
// clear: a read that comes up short reads as the end of the file to the
// core, so a program asks here whether it was one.
const std::string& LocationReadFailure();
void ClearLocationReadFailure();

} // namespace segy
