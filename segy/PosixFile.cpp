#include "segy/PosixFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace segy {

namespace {
bool IsSameEntry(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
} // namespace

bool IsSameLocalFile(const std::string& first, const std::string& second) {
    struct stat a {};
    return ::stat(first.c_str(), &a) == 0 && IsSameEntry(a, second);
}

bool IsSameLocalFile(int fd, const std::string& path) {
    struct stat a {};
    return ::fstat(fd, &a) == 0 && IsSameEntry(a, path);
}

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

namespace {

LocationOpener& InstalledOpener() {
    static LocationOpener opener;
    return opener;
}

std::string& LocationError() {
    thread_local std::string error;
    return error;
}

} // namespace

static LocationWaitHook& InstalledWaitHook() {
    static LocationWaitHook hook;
    return hook;
}

void SetLocationWaitHook(LocationWaitHook hook) {
    InstalledWaitHook() = std::move(hook);
}

bool WaitingOnLocation(const std::string& location, double waited) {
    return !InstalledWaitHook() || InstalledWaitHook()(location, waited);
}

void SetLocationOpener(LocationOpener opener) {
    InstalledOpener() = std::move(opener);
}

bool IsLocation(const std::string& path) {
    // A scheme is the same in any letter case (HTTP:// as http://).
    for (const std::string_view scheme : {"http://", "https://", "s3://"})
        if (path.size() >= scheme.size() &&
            std::equal(scheme.begin(), scheme.end(), path.begin(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
    return false;
}

size_t LocationNameStart(const std::string& location) {
    const size_t query = location.find('?');
    const size_t slash = location.rfind('/', query == std::string::npos ? query : query - 1);
    return slash == std::string::npos ? 0 : slash + 1;
}

namespace {

// Query parameters that carry a credential: the signature, key and session
// token of a presigned object-store address (SigV4, the older SigV2 and
// their look-alikes), and the usual names of tokens and keys.
bool IsCredentialParameter(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const std::string_view part : {"signature", "credential", "token", "secret", "password"})
        if (name.find(part) != std::string::npos)
            return true;
    for (const std::string_view whole : {"sig", "key", "apikey", "api_key", "awsaccesskeyid"})
        if (name == whole)
            return true;
    return false;
}

// The query of an address with the values of its credential parameters
// replaced by kHiddenValue; the other parameters as they stand.
constexpr std::string_view kHiddenValue = "***";

std::string QueryWithoutCredentials(const std::string& query) {
    std::string shown;
    size_t from = 0;
    while (from <= query.size()) {
        const size_t end = std::min(query.find('&', from), query.size());
        const std::string parameter = query.substr(from, end - from);
        const size_t equals = parameter.find('=');
        if (equals != std::string::npos && IsCredentialParameter(parameter.substr(0, equals)))
            shown += parameter.substr(0, equals + 1) + std::string(kHiddenValue);
        else
            shown += parameter;
        if (end < query.size())
            shown += '&';
        from = end + 1;
    }
    return shown;
}

} // namespace

std::string LocationWithoutCredentials(const std::string& location) {
    const size_t scheme = location.find("://");
    if (scheme == std::string::npos)
        return location;
    const size_t hostStart = scheme + 3;
    // The host part ends at the path, or at the query or fragment of an
    // address without a path.
    const size_t pathStart = std::min(location.find_first_of("/?#", hostStart), location.size());
    const size_t at = location.rfind('@', pathStart);
    std::string shown = at == std::string::npos || at < hostStart
                            ? location
                            : location.substr(0, hostStart) + location.substr(at + 1);
    // A presigned address carries its credentials in the query.
    const size_t question = shown.find('?');
    if (question == std::string::npos)
        return shown;
    const size_t fragment = std::min(shown.find('#', question), shown.size());
    return shown.substr(0, question + 1) +
           QueryWithoutCredentials(shown.substr(question + 1, fragment - question - 1)) +
           shown.substr(fragment);
}

const std::string& LastLocationError() {
    return LocationError();
}

namespace {
std::string& ReadFailure() {
    thread_local std::string failure;
    return failure;
}
} // namespace

const std::string& LocationReadFailure() {
    return ReadFailure();
}

void ClearLocationReadFailure() {
    ReadFailure().clear();
}

bool ReadOnlyFile::Open(const std::string& path) {
    Close();
    if (IsLocation(path)) {
        std::string& reason = LocationError();
        reason.clear();
        if (InstalledOpener())
            source_ = InstalledOpener()(path, reason);
        else
            reason = "This program reads local files only.";
        if (!source_)
            errno = ENOENT;
        return source_ != nullptr;
    }
    fd_ = OpenRegularFile(path);
    return fd_ >= 0;
}

void ReadOnlyFile::Close() {
    source_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

int64_t ReadOnlyFile::ReadAt(void* buffer, int64_t count, int64_t offset) const {
    if (source_) {
        if (count <= 0 || offset < 0)
            return 0;
        const int64_t got = source_->ReadAt(buffer, count, offset);
        if (got < count && ReadFailure().empty())
            ReadFailure() = source_->Failure();
        return got;
    }
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

int64_t ReadOnlyFile::CopyPieces(unsigned char* out, int64_t offset, int64_t stride,
                                 int64_t pieceBytes, int64_t count) const {
    if (count <= 0 || pieceBytes <= 0 || offset < 0 || stride < 0)
        return 0;
    if (source_) {
        const int64_t copied = source_->CopyPieces(out, offset, stride, pieceBytes, count);
        if (copied < count && ReadFailure().empty())
            ReadFailure() = source_->Failure();
        return copied;
    }
    return CopyPiecesOneByOne(*this, out, offset, stride, pieceBytes, count);
}

int64_t ReadOnlyFile::Size() const {
    if (source_)
        return source_->Size();
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

void ReadOnlyFile::AdviseSequential() const {
    if (fd_ >= 0)
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

int64_t ReadOnlyFile::PiecesAloneFrom() const {
    return source_ ? source_->PiecesAloneFrom() : 0;
}

void ReadOnlyFile::AdviseWillNeedPieces(int64_t offset, int64_t count, int64_t firstPiece,
                                        int64_t stride, int64_t pieceBytes) const {
    if (source_ && offset >= 0 && count > 0 && firstPiece >= 0 && pieceBytes > 0 &&
        stride > pieceBytes)
        source_->AdviseWillNeedPieces(offset, count, firstPiece, stride, pieceBytes);
    else
        AdviseWillNeed(offset, count);
}

void ReadOnlyFile::AdviseWillNeed(int64_t offset, int64_t count) const {
    if (source_ && offset >= 0 && count > 0)
        source_->AdviseWillNeed(offset, count);
    if (fd_ >= 0 && offset >= 0 && count > 0)
        ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(count),
                        POSIX_FADV_WILLNEED);
}

namespace {

// Where a bus error inside CopyPieces returns to; null outside a copy. The
// fault is raised on the thread that reads the map, so each thread has its own.
thread_local sigjmp_buf* tCopyLanding = nullptr;

void OnBusError(int, siginfo_t*, void*) {
    if (sigjmp_buf* landing = tCopyLanding) {
        tCopyLanding = nullptr;
        siglongjmp(*landing, 1);
    }
    // A fault outside a copy is a real error: with the default action back
    // in place, the faulting instruction runs again and ends the program.
    ::signal(SIGBUS, SIG_DFL);
}

} // namespace

// The bus error handler, in place while a map exists; the one before it is
// put back when the map goes, so maps nest (a scan started inside a scan).
struct BusErrorHandler {
    struct sigaction previous {};
};

MappedFile::MappedFile() = default;

MappedFile::~MappedFile() {
    Unmap();
}

bool MappedFile::Map(const ReadOnlyFile& file) {
    Unmap();
    // Only a local file can be mapped; a location is read piece by piece.
    if (file.fd_ < 0)
        return false;
    const int64_t length = file.Size();
    if (length <= 0)
        return false;
    void* data = ::mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_SHARED, file.fd_, 0);
    if (data == MAP_FAILED)
        return false;
    auto handler = std::make_unique<BusErrorHandler>();
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    // SA_NODEFER leaves SIGBUS unblocked after the jump out of the handler,
    // so the copy need not save and restore the signal mask each time.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    if (::sigaction(SIGBUS, &action, &handler->previous) != 0) {
        ::munmap(data, static_cast<size_t>(length));
        return false;
    }
    data_ = static_cast<unsigned char*>(data);
    length_ = length;
    handler_ = std::move(handler);
    return true;
}

void MappedFile::Unmap() {
    if (!data_)
        return;
    ::munmap(data_, static_cast<size_t>(length_));
    ::sigaction(SIGBUS, &handler_->previous, nullptr);
    handler_.reset();
    data_ = nullptr;
    length_ = 0;
}

int64_t MappedFile::CopyPieces(unsigned char* out, int64_t offset, int64_t stride,
                               int64_t pieceBytes, int64_t count) const {
    if (!data_ || offset < 0 || stride < pieceBytes || pieceBytes <= 0)
        return 0;
    if (offset + pieceBytes > length_)
        return 0;
    count = std::min(count, (length_ - offset - pieceBytes) / stride + 1);
    // Written only between the landing point and the jump back to it.
    volatile int64_t done = 0;
    sigjmp_buf landing;
    if (sigsetjmp(landing, 0) == 0) {
        tCopyLanding = &landing;
        for (int64_t i = 0; i < count; ++i) {
            std::memcpy(out + i * pieceBytes, data_ + offset + i * stride,
                        static_cast<size_t>(pieceBytes));
            // The piece is whole before it is counted, as the handler sees it.
            std::atomic_signal_fence(std::memory_order_seq_cst);
            done = i + 1;
        }
    }
    tCopyLanding = nullptr;
    return done;
}

void MappedFile::Release(int64_t offset, int64_t count) const {
    const int64_t page = PageSize();
    const int64_t from = (std::max<int64_t>(offset, 0) + page - 1) / page * page;
    const int64_t to = std::min(offset + count, length_) / page * page;
    if (data_ && from < to)
        ::madvise(data_ + from, static_cast<size_t>(to - from), MADV_DONTNEED);
}

bool MappedFile::ResidentPages(int64_t offset, int64_t pages, unsigned char* resident) const {
    const int64_t page = PageSize();
    if (!data_ || offset < 0 || offset % page != 0 || pages <= 0 || offset >= length_)
        return false;
    const int64_t bytes = std::min(pages * page, length_ - offset);
    return ::mincore(data_ + offset, static_cast<size_t>(bytes), resident) == 0;
}

int64_t MappedFile::PageSize() {
    static const int64_t size = ::sysconf(_SC_PAGESIZE);
    return size;
}

} // namespace segy
