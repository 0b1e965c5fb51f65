#include "remote/RemoteFile.h"

#include "remote/ByteRanges.h"
#include "remote/CurlLibrary.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace remote {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Appends a byte as an address escapes it: %XX.
void AppendEscaped(std::string& out, unsigned char c) {
    static const char* const kHex = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// A key's characters as an address path carries them.
std::string EncodePath(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/')
            out += ch;
        else
            AppendEscaped(out, c);
    }
    return out;
}

// The location with its scheme in small letters, as it is compared.
std::string WithLowerScheme(std::string location) {
    const size_t end = location.find("://");
    for (size_t i = 0; end != std::string::npos && i < end; ++i)
        location[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(location[i])));
    return location;
}

// An address as typed or pasted, with the characters an address cannot
// hold as they are (spaces, quotes, letters beyond ASCII) percent-encoded,
// as a browser sends them; what is already encoded (a % and two hex
// digits) stays as it is.
std::string EncodeAddress(const std::string& address) {
    const auto encoded = [&address](size_t i) {
        return i + 2 < address.size() &&
               std::isxdigit(static_cast<unsigned char>(address[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(address[i + 2]));
    };
    std::string out;
    for (size_t i = 0; i < address.size(); ++i) {
        const char ch = address[i];
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", ch) || (ch == '%' && !encoded(i)))
            AppendEscaped(out, c);
        else
            out += ch;
    }
    return out;
}

// One transfer's answer, and what its request needs while it runs.
struct Response {
    long status = 0;
    std::string body;
    std::string contentRange, contentType;
    std::string error; // empty unless the transfer itself failed
    std::string range, sigv4, credentials;
    curl_slist* headers = nullptr;
    const std::atomic<bool>* cancel = nullptr; // set: the transfer ends
    // The most bytes the body may hold: a server that sends more than was
    // asked for (a whole file for a range) is cut off there. A body cut off
    // so, or by its taker as not the one asked for, is judged by its status.
    size_t most = SIZE_MAX;
    bool overflowed = false;
};

// libcurl's progress callback: a transfer ends once its reader gave up.
int TransferGoesOn(void* response, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const std::atomic<bool>* cancel = static_cast<Response*>(response)->cancel;
    return cancel && cancel->load() ? 1 : 0;
}

size_t AppendBody(char* data, size_t size, size_t count, void* response) {
    auto* r = static_cast<Response*>(response);
    if (r->body.size() + size * count > r->most) {
        r->overflowed = true;
        return 0;
    }
    r->body.append(data, size * count);
    return size * count;
}

size_t NoteHeader(char* data, size_t size, size_t count, void* response) {
    const std::string line(data, size * count);
    auto* r = static_cast<Response*>(response);
    for (auto [name, value] : {std::pair{"content-range:", &r->contentRange},
                               std::pair{"content-type:", &r->contentType}}) {
        const size_t length = std::strlen(name);
        if (line.size() <= length)
            continue;
        std::string start = line.substr(0, length);
        std::transform(start.begin(), start.end(), start.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (start == name) {
            *value = line.substr(length);
            value->erase(0, value->find_first_not_of(" \t"));
            value->erase(value->find_last_not_of(" \t\r\n") + 1);
        }
    }
    return size * count;
}

// The total size a Content-Range gives ("bytes 0-0/1234" or "bytes */1234");
// -1 when it gives none.
int64_t TotalOf(const std::string& contentRange) {
    const size_t slash = contentRange.rfind('/');
    if (slash == std::string::npos || contentRange.rfind("bytes", 0) != 0)
        return -1;
    char* end = nullptr;
    const long long total = std::strtoll(contentRange.c_str() + slash + 1, &end, 10);
    return end && *end == '\0' && total >= 0 ? total : -1;
}

std::string StatusReason(long status) {
    switch (status) {
    case 401:
    case 403:
        return "The server refused access (HTTP " + std::to_string(status) + ").";
    case 404:
        return "There is no such file on the server (HTTP 404).";
    case 200:
        return "The server sends only whole files, not the byte ranges Vantrel reads.";
    default:
        return "The server answered HTTP " + std::to_string(status) + ".";
    }
}

// Why a transfer failed, as a message says it.
std::string TransferFailure(const CurlLibrary& curl, CURLcode code) {
    if (code == CURLE_PEER_FAILED_VERIFICATION)
        return std::string("The server's certificate could not be verified (") +
               curl.easy_strerror(code) + ").";
    if (code == CURLE_TOO_MANY_REDIRECTS)
        return "The server redirected the request more than " + std::to_string(kMostRedirections) +
               " times.";
    return std::string("The server could not be read: ") + curl.easy_strerror(code) + ".";
}

// Sets `handle` up for a GET of `range` ("A-B" or "A-") of the target, its
// headers noted in `r`, with S3's signature where the target has keys.
// The header list lives in `r` until the transfer ends.
void Prepare(const CurlLibrary& curl, CURL* handle, const RemoteTarget& target,
             const std::string& range, Response& r) {
    curl.easy_reset(handle);
    r.range = range;
    curl.easy_setopt(handle, CURLOPT_URL, target.url.c_str());
    curl.easy_setopt(handle, CURLOPT_RANGE, r.range.c_str());
    curl.easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
    curl.easy_setopt(handle, CURLOPT_WRITEDATA, &r);
    curl.easy_setopt(handle, CURLOPT_HEADERFUNCTION, NoteHeader);
    curl.easy_setopt(handle, CURLOPT_HEADERDATA, &r);
    curl.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl.easy_setopt(handle, CURLOPT_FOLLOWLOCATION, target.s3 ? 0L : 1L);
    curl.easy_setopt(handle, CURLOPT_MAXREDIRS, kMostRedirections);
    curl.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl.easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl.easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl.easy_setopt(handle, CURLOPT_USERAGENT, "vantrel");
    if (r.cancel) {
        curl.easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl.easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, TransferGoesOn);
        curl.easy_setopt(handle, CURLOPT_XFERINFODATA, &r);
    }
    if (target.s3 && !target.keyId.empty()) {
        // Signature version 4, which libcurl computes for every request;
        // the credentials go to this store's address and nowhere else.
        r.sigv4 = "aws:amz:" + target.region + ":s3";
        curl.easy_setopt(handle, CURLOPT_AWS_SIGV4, r.sigv4.c_str());
        r.credentials = target.keyId + ":" + target.secret;
        curl.easy_setopt(handle, CURLOPT_USERPWD, r.credentials.c_str());
        if (!target.sessionToken.empty())
            r.headers = curl.slist_append(r.headers,
                                          ("x-amz-security-token: " + target.sessionToken).c_str());
        // The signed payload hash: a GET has no body.
        r.headers = curl.slist_append(
            r.headers, "x-amz-content-sha256: "
                       "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        curl.easy_setopt(handle, CURLOPT_HTTPHEADER, r.headers);
    }
}

// A server too busy for the request (503, as an object store's "slow
// down") or asking for fewer requests (429), or one that failed in passing
// (500, an object store's "internal error, try again"; 502 and 504, a
// gateway that did not hear from the server behind it), is asked again
// after a wait, doubled each time: 0.1, 0.2, 0.4, 0.8 and 1.6 s.
constexpr int kBusyRetries = 5;
constexpr auto kBusyFirstWait = std::chrono::milliseconds(100);
constexpr auto kBusyWaitSlice = std::chrono::milliseconds(20);

// Waits `wait`, or less once `cancel` is set.
void WaitUnlessCancelled(std::chrono::milliseconds wait, const std::atomic<bool>* cancel) {
    for (auto waited = std::chrono::milliseconds(0); waited < wait; waited += kBusyWaitSlice) {
        if (cancel && cancel->load())
            return;
        std::this_thread::sleep_for(kBusyWaitSlice);
    }
}

// Lets `handle` go of the request headers of `r` once its transfer ended.
void ReleaseHeaders(const CurlLibrary& curl, CURL* handle, Response& r) {
    curl.easy_setopt(handle, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    if (r.headers)
        curl.slist_free_all(r.headers);
    r.headers = nullptr;
}

// Whether the server answered that it is too busy for the request.
bool Busy(const Response& r) {
    return r.error.empty() && (r.status == 503 || r.status == 429);
}

// Set once a server answered busy. A server that holds each client to a
// few connections counts those of every file the program keeps open, so
// from then on every file lets the connections of its idle threads go.
std::atomic<bool> serverWasBusy{false};

// Whether the server's answer is one that asking again may change.
bool WorthAskingAgain(const Response& r) {
    return Busy(r) || (r.error.empty() && (r.status == 500 || r.status == 502 || r.status == 504));
}

// One transfer of the target on `handle`: the bytes `range` names ("A-B",
// or several as "A-B,C-D"), a body of at most `most` bytes; asked again
// while the server is busy, unless `giveWay` says the caller leaves the
// request to others then. `prepared`, when given, sets the transfer up
// further (another taker of the body).
Response FetchRanges(const CurlLibrary& curl, CURL* handle, const RemoteTarget& target,
                     const std::string& range, size_t most,
                     const std::atomic<bool>* cancel = nullptr,
                     const std::function<bool()>& giveWay = {},
                     const std::function<void(Response&)>& prepared = {}) {
    for (int attempt = 0;; ++attempt) {
        Response r;
        r.cancel = cancel;
        r.most = most;
        r.body.reserve(most);
        Prepare(curl, handle, target, range, r);
        if (prepared)
            prepared(r);
        const CURLcode code = curl.easy_perform(handle);
        // A body cut off for its length is judged by its status like any other.
        if (code != CURLE_OK && !r.overflowed)
            r.error = TransferFailure(curl, code);
        else
            curl.easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &r.status);
        ReleaseHeaders(curl, handle, r);
        if (Busy(r))
            serverWasBusy.store(true, std::memory_order_relaxed);
        if (!WorthAskingAgain(r) || attempt == kBusyRetries || (cancel && cancel->load()) ||
            (Busy(r) && giveWay && giveWay()))
            return r;
        WaitUnlessCancelled(kBusyFirstWait * (1 << attempt), cancel);
    }
}

// One transfer: bytes [first, last] of the target on `handle`.
Response Fetch(const CurlLibrary& curl, CURL* handle, const RemoteTarget& target, int64_t first,
               int64_t last, const std::atomic<bool>* cancel = nullptr,
               const std::function<bool()>& giveWay = {}) {
    return FetchRanges(curl, handle, target, std::to_string(first) + "-" + std::to_string(last),
                       static_cast<size_t>(last - first + 1), cancel, giveWay);
}

// Small pieces, for the headers of long traces: a page around each.
constexpr int64_t kPageBytes = 4096;
constexpr int kCachedPages = 8192; // 32 MiB
// Transfers kept in flight at once for what the reader asks for ahead,
// each of up to this many consecutive blocks: a round trip costs as much
// as megabytes on a fast link, so few large requests beat many small ones.
constexpr int kFetchThreads = 8;
constexpr int64_t kRunBlocks = 16;
// A reader that asks for a large range ahead is read this much further
// ahead still, so that enough requests are in flight to hide the round trip.
constexpr int64_t kExtraAheadBytes = 32 * kBlockBytes;
// What a stream takes from the connection at a time.
constexpr long kStreamBufferBytes = 64 * 1024;
// A stream (a reader going through the file front to back) starts as one
// transfer to the end of the file: one round trip, and on a fast link one
// connection carries all the reader takes. A connection slower than this
// after its first half second of sending, though, is one the server or the
// path holds back (an object store serves each at about 100 MB/s): the
// stream then widens to this many transfers side by side, each on its own
// connection taking the next chunk of this many blocks in turn. A chunk is
// large enough that its round trip costs little beside its bytes.
constexpr double kWidenBelowBytesPerSecond = 400e6;
constexpr auto kWidenAfter = std::chrono::milliseconds(500);
constexpr int kStreamTransfers = 8;
constexpr int64_t kStreamChunkBlocks = 16;
// A stream that keeps only pieces, where all it keeps from its start to the
// end of the file fits in this many bytes, starts as two transfers side by
// side where processors are free for them (below), one over each half: on a
// fast link one connection is carried by one processor at each end (the
// server's process, the decryption of TLS), and a second connection over the
// back half takes another. The back half is asked for once the front half's
// answer came, so that a server that serves one connection of a client gives
// it to the front half (the back half, refused, is left to it). Its pieces
// wait for the reader, within this bound. A stream shorter than two chunks
// stays one transfer.
constexpr int64_t kKeptAheadBytes = int64_t{kCachedBlocks} * kBlockBytes;
constexpr int64_t kSplitStreamFromBlocks = 2 * kStreamChunkBlocks;
// The second transfer pays only where a processor is free for it: each
// transfer keeps one busy, the reader another, and a server on this machine
// (a loopback) more. On two processors the stream in two halves took 13%
// longer than one transfer (the scan of 6240-byte traces from the test
// server, median of 31 rounds), so a stream splits only from four on.
constexpr unsigned kSplitStreamFromProcessors = 4;
std::atomic<unsigned> processorsForStreams{0}; // 0: this machine's

bool ProcessorsForTwoTransfers() {
    const unsigned assumed = processorsForStreams.load();
    return (assumed ? assumed : std::thread::hardware_concurrency()) >= kSplitStreamFromProcessors;
}

// How far the opening's stream runs ahead before its reader says what it
// takes: a reader of the headers alone ends it, having paid for this much.
constexpr int64_t kOpeningWindowBlocks = 4;
// How often a waiting read tells the wait hook.
constexpr auto kWaitTick = std::chrono::milliseconds(100);
// How long a read waits for a block the stream is about to deliver before
// fetching it itself.
constexpr auto kStreamPatience = std::chrono::seconds(2);
// A stream whose reader took nothing for this long was given up (a scan
// cancelled): it ends, and its connections close. A reader that comes back
// gets a stream of its own.
constexpr auto kStreamIdleLimit = std::chrono::seconds(5);
// How long a fetching thread that gave way to a server of few connections
// waits before it asks again, and how long one waits for work before it
// lets its connection go to others there.
constexpr auto kParkedFor = std::chrono::seconds(10);
constexpr auto kIdleBeforeLettingGo = std::chrono::milliseconds(200);
// Pieces most recently read that eviction keeps whatever else is there.
constexpr size_t kRecentlyReadKept = 4;
// Buffers of evicted blocks kept for the stream's next blocks.
constexpr size_t kSpareBlocks = 4;

// Exact small ranges (spans), for the headers of traces read alone. A server
// that takes several ranges in one request (most web servers; S3 does not)
// is asked for up to 1000 at once (a header of about 24 KB), and for 200,
// which common web servers take, once it refuses that many: more are
// answered with the whole file, or refused as too long a header.
constexpr size_t kMostRangesPerRequest = 1000;
constexpr size_t kCommonRangesPerRequest = 200;
// Spans kept, fetched ahead or most recently read.
constexpr size_t kCachedSpans = 16384;
// Threads fetching spans, each with its own connection: as many as it takes
// for the spans asked for ahead to be in flight at once, in requests of the
// most ranges (16) or of the common number (32). More only open connections
// (a process each on some servers, a TLS handshake each on any) that wait
// for the reader: with a 20 ms round trip a scan of 40,000 headers took
// 0.32 s with 16 threads, 0.37 s with 32.
constexpr int kSpanThreads = 16;
constexpr int kSpanThreadsForCommonRanges = 32;
// What a part of a multipart answer adds to its bytes, at most.
constexpr size_t kPartOverheadBytes = 512;
// How far apart pieces must lie for asking for them alone to pay. One range
// a request: a request costs a round trip (tens of milliseconds to a store
// nearby) shared by the requests in flight, while the bytes between two
// pieces cost their length over the connection; at a megabyte the piece's
// request wins on any link slower than a local disk.
constexpr int64_t kOneRangePiecesFrom = 1024 * 1024;
// Many ranges a request: hundreds of pieces share a round trip, so what a
// piece costs is the work of cutting it out and filing it at both ends,
// 4 to 5 microseconds with the test server (counted here as 8, since a wrong
// choice of pieces costs more than reading the whole file), against the
// bytes between two pieces at the connection's speed: on a link of 100 MB/s
// pieces pay from 800 bytes apart, on a loopback of 2 GB/s from 16 KB. Until
// the speed is known, pieces 16 KiB apart are taken alone, as on the fastest
// link; the first stream that runs long enough tells the speed, over 64 MiB
// after its first 16 MiB. Never below a page.
constexpr double kManyRangesPieceMicros = 8;
constexpr int64_t kManyRangesPiecesFrom = 4096;
constexpr int64_t kManyRangesPiecesUntilKnown = 16 * 1024;
constexpr int64_t kSpeedRampBytes = 16 * 1024 * 1024;
constexpr int64_t kSpeedSampleBytes = 64 * 1024 * 1024;

class RemoteFile final : public segy::ByteSource {
public:
    RemoteFile(const CurlLibrary& curl, RemoteTarget target)
        : curl_(curl), target_(std::move(target)), manyRanges_(!target_.s3) {}
    ~RemoteFile() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wanted_.notify_all();
        spanWanted_.notify_all();
        consumed_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
        for (std::thread& worker : spanWorkers_)
            worker.join();
        for (std::thread& transfer : streamers_)
            transfer.join();
    }

    // Learns the size from the first block's range, and keeps the block:
    // every reader of the file starts with its file header. A file to be
    // read through from its start is asked for whole instead, and the
    // answer goes on as the stream once the first block came.
    bool Open(std::string& reason, bool readThrough) {
        if (readThrough)
            return OpenAsStream(reason);
        CURL* const handle = curl_.easy_init();
        if (!handle) {
            reason = "libcurl could not be started.";
            return false;
        }
        Response r = Fetch(curl_, handle, target_, 0, kBlockBytes - 1, &cancelled_);
        // Reads go through the fetching threads' connections: this one,
        // held idle, would only keep a server that serves few connections
        // from serving theirs.
        curl_.easy_cleanup(handle);
        reason = OpeningFailure(r, static_cast<int64_t>(r.body.size()));
        if (!reason.empty() || size_ == 0)
            return reason.empty();
        Piece& first = blocks_[0];
        first.length = static_cast<int64_t>(r.body.size());
        first.bytes.assign(r.body.begin(), r.body.end());
        first.state = Piece::kReady;
        first.used = ++tick_;
        return true;
    }

    // Why the opening answer `r`, of which the first `firstBytes` bytes
    // came, does not open the file; empty when it does, with the size set.
    std::string OpeningFailure(const Response& r, int64_t firstBytes) const {
        if (cancelled_)
            return "Opening it was cancelled.";
        if (!r.error.empty())
            return r.error;
        if (r.status == 416 && TotalOf(r.contentRange) == 0) {
            size_ = 0; // an empty file has no byte 0
            return {};
        }
        if (r.status != 206)
            return StatusReason(r.status);
        size_ = TotalOf(r.contentRange);
        if (size_ < 0)
            return "The server did not say the file's size.";
        if (firstBytes != std::min(size_, kBlockBytes))
            return "The server sent fewer bytes than asked for.";
        return {};
    }

    // Open for a file read through from its start: one transfer to the end
    // of the file, which the open waits on until its first block came (or
    // it failed); then it goes on as the stream, keeping every byte until a
    // reader tells the pieces it takes.
    bool OpenAsStream(std::string& reason) {
        std::unique_lock lock(mutex_);
        BeginStream(0, kOpeningWindowBlocks);
        filtering_ = false;
        sampling_ = true; // by the opening's transfer
        frontAnswered_ = true;
        streamTransfers_ = 1;
        opening_ = true;
        openingStream_ = true;
        streamers_.emplace_back([this] { OpeningStream(); });
        // A failed opening's transfer is waited for to its end.
        arrived_.wait(lock, [this] { return !opening_ && (openFailure_.empty() || !streaming_); });
        // A server may answer a range of the whole file with the whole file
        // (200), and yet serve ranges: it is asked for the first block.
        if (openedWhole_) {
            lock.unlock();
            return Open(reason, false);
        }
        reason = openFailure_;
        return reason.empty();
    }

    int64_t Size() const override { return size_; }

    // Ends the transfers under way (an open that is given up).
    void Cancel() const { cancelled_ = true; }

    int64_t ReadAt(void* buffer, int64_t count, int64_t offset) const override {
        // Made before the lock, so that it tells the hook the wait is over
        // once the lock is released: the hook may run the window's events.
        Waiting waiting(*this);
        std::unique_lock lock(mutex_);
        failure_.clear();
        cancelled_ = false;
        return ReadLocked(lock, waiting, static_cast<unsigned char*>(buffer), count, offset);
    }

    // The pieces under one hold of the lock: the full scan copies the
    // headers of a run of traces out of the blocks this way.
    int64_t CopyPieces(unsigned char* out, int64_t offset, int64_t stride, int64_t pieceBytes,
                       int64_t count) const override {
        Waiting waiting(*this);
        std::unique_lock lock(mutex_);
        failure_.clear();
        cancelled_ = false;
        int64_t copied = 0;
        while (copied < count) {
            unsigned char* to = out + copied * pieceBytes;
            const int64_t at = offset + copied * stride;
            if (const int64_t run = CopyKeptRun(to, at, stride, pieceBytes, count - copied)) {
                copied += run;
                continue;
            }
            if (ReadLocked(lock, waiting, to, pieceBytes, at) != pieceBytes)
                break;
            ++copied;
        }
        return copied;
    }

    // Queues the blocks (for a large range), or the span or pages (for a
    // small one), of a range for the fetching threads, up to what the cache
    // holds; a large range the stream does not cover starts one.
    void AdviseWillNeed(int64_t offset, int64_t count) const override {
        std::lock_guard lock(mutex_);
        AdviseLocked(offset, count);
    }

    // As AdviseWillNeed, for a reader that takes only the pieces of a
    // pattern from a large range: a stream started for it keeps only those
    // bytes of what arrives, which spares copying the rest.
    void AdviseWillNeedPieces(int64_t offset, int64_t count, int64_t firstPiece, int64_t stride,
                              int64_t pieceBytes) const override {
        std::lock_guard lock(mutex_);
        const PiecePattern pattern{firstPiece, stride, pieceBytes};
        if (!stopping_ && offset < size_ && count >= kBlockBytes / 2) {
            // The stream running for these pieces delivers them, or has;
            // but a reader far behind it has started over (a scan given up
            // and begun again), and gets a stream of its own once this one
            // has ended: meanwhile its reads fetch what they need.
            if (streaming_ && filtering_ && pattern == kept_) {
                if (offset / kBlockBytes + kCachedBlocks < streamFloor_ && !streamBroken_)
                    EndStream();
                return;
            }
            // The stream the opening began keeps only these pieces from its
            // next block on.
            if (streaming_ && openingStream_ && !streamBroken_) {
                piecesToKeep_ = pattern;
                return;
            }
            if (!streaming_) {
                if (const int64_t block = FirstMissingBlock(offset, count, pattern); block >= 0)
                    StartStream(block, pattern);
                return;
            }
        }
        AdviseLocked(offset, count);
    }

    int64_t PiecesAloneFrom() const override {
        return manyRanges_ ? manyRangesPiecesFrom_.load() : kOneRangePiecesFrom;
    }

    std::string Failure() const override {
        std::lock_guard lock(mutex_);
        return failure_.empty() ? failure_ : "Cannot read \"" + target_.shown + "\". " + failure_;
    }

private:
    class Waiting;

    // Pieces a reader takes from every trace: `bytes` bytes at `first` and
    // every `stride` bytes after. A stride of 0 is no pattern.
    struct PiecePattern {
        int64_t first = 0;
        int64_t stride = 0;
        int64_t bytes = 0;
        bool operator==(const PiecePattern&) const = default;
        bool Holds(int64_t at) const {
            return stride > 0 && at >= first && (at - first) % stride < bytes;
        }
        // Where the piece holding `at` ends.
        int64_t PieceEnd(int64_t at) const { return at - (at - first) % stride + bytes; }
        // How many bytes of the pieces lie before `at`.
        int64_t BytesBefore(int64_t at) const {
            if (stride <= 0 || at <= first)
                return 0;
            return (at - first) / stride * bytes + std::min((at - first) % stride, bytes);
        }
    };

    // The first block of [offset, offset + count) that is neither there whole
    // nor kept for `pattern`; -1 when every one is.
    int64_t FirstMissingBlock(int64_t offset, int64_t count, const PiecePattern& pattern) const {
        for (int64_t b = offset / kBlockBytes; b * kBlockBytes < std::min(size_, offset + count);
             ++b)
            if (!Find(blocks_, b) && !(pattern == kept_ && Find(keptBlocks_, b)))
                return b;
        return -1;
    }

    // How many blocks the file has.
    int64_t BlockCount() const { return (size_ + kBlockBytes - 1) / kBlockBytes; }

    // AdviseWillNeed with the lock held.
    void AdviseLocked(int64_t offset, int64_t count) const {
        if (stopping_ || offset >= size_)
            return;
        const bool large = count >= kBlockBytes / 2;
        // A reader that asks for large ranges one after the other reads the
        // file front to back: one transfer to its end carries it at the
        // connection's full speed, with one round trip.
        if (large && !filtering_ && InStreamWindow(offset))
            return;
        if (large && !streaming_) {
            if (const int64_t block = FirstMissingBlock(offset, count, {}); block >= 0) {
                StartStream(block, {});
                return;
            }
        }
        // A reader of the opening's stream that asks for small pieces
        // instead reads the headers alone: the stream would only carry what
        // it does not read.
        if (!large && openingStream_ && !Find(blocks_, offset / kBlockBytes))
            EndStream();
        if (!large && manyRanges_) {
            const Piece* block = Find(blocks_, offset / kBlockBytes);
            if (!SpanAt(offset) && spansAhead_ < kCachedSpans &&
                !(block && offset + count <= block->from + block->length))
                AddSpan(offset, count);
            return;
        }
        const int64_t end = std::min(size_, offset + count + (large ? kExtraAheadBytes : 0));
        auto& pieces = large ? blocks_ : pages_;
        const int64_t unit = large ? kBlockBytes : kPageBytes;
        const size_t limit = large ? kCachedBlocks : kCachedPages;
        size_t ahead = Ahead(pieces);
        for (int64_t i = offset / unit; i * unit < end && ahead < limit; ++i) {
            if (pieces.count(i) || (!large && Find(blocks_, i * unit / kBlockBytes)))
                continue;
            ++ahead;
            AddPending(pieces, i, unit);
            queue_.emplace_back(large, i);
        }
        StartWorkers();
        wanted_.notify_all();
    }

    // ReadAt with the lock held.
    int64_t ReadLocked(std::unique_lock<std::mutex>& lock, Waiting& waiting, unsigned char* out,
                       int64_t count, int64_t offset) const {
        if (offset >= size_ || count <= 0)
            return 0;
        count = std::min(count, size_ - offset);
        int64_t done = 0;
        while (done < count) {
            const int64_t at = offset + done;
            // A span or a page asked for ahead, else the block around it.
            Pieces* pieces = &pages_;
            int64_t index = at / kPageBytes;
            if (const Piece* span = SpanAt(at)) {
                pieces = &spans_;
                index = span->from;
            } else if (!pieces->count(index)) {
                pieces = &blocks_;
                index = at / kBlockBytes;
                // A block the stream kept only the pieces of serves a read
                // that starts in one of them.
                if (!pieces->count(index) && kept_.Holds(at) && keptBlocks_.count(index))
                    pieces = &keptBlocks_;
            }
            if (!pieces->count(index)) {
                // The stream is waited for a while; a reader that went its
                // own way meanwhile asks for the block itself.
                if (StreamCovers(at) && waiting.For(lock, kStreamPatience, [this, at] {
                        const int64_t block = at / kBlockBytes;
                        return !StreamCovers(at) || blocks_.count(block) ||
                               (filtering_ && keptBlocks_.count(block));
                    }))
                    continue;
                if (waiting.Cancelled())
                    return done;
                QueueFirst(at / kBlockBytes, (offset + count - 1) / kBlockBytes);
                continue;
            }
            if (pieces == &spans_ && !spanQueue_.empty() &&
                Find(*pieces, index)->state == Piece::kPending)
                spanWanted_.notify_one();
            // The piece is looked up again after the wait: others may have
            // come and gone meanwhile.
            if (!waiting.For(lock, std::chrono::hours(24), [pieces, index] {
                    const Piece* p = Find(*pieces, index);
                    return !p || p->state != Piece::kPending;
                }))
                return done;
            Piece* piece = Find(*pieces, index);
            if (!piece)
                continue;
            if (piece->state == Piece::kFailed) {
                failure_ = piece->error;
                Erase(*pieces, index);
                return done;
            }
            piece->used = ++tick_;
            if (!piece->read) {
                piece->read = true;
                if (pieces == &spans_)
                    --spansAhead_;
            }
            StreamReaderAt(*pieces, index);
            int64_t within = at - piece->from;
            int64_t take =
                std::min<int64_t>(count - done, static_cast<int64_t>(piece->bytes.size()) - within);
            if (pieces == &keptBlocks_) {
                // Up to the end of the piece, or of the block, as kept.
                within = kept_.BytesBefore(at) - kept_.BytesBefore(piece->from);
                take = std::min({count - done, kept_.PieceEnd(at) - at,
                                 piece->from + piece->length - at,
                                 static_cast<int64_t>(piece->bytes.size()) - within});
            }
            if (take <= 0)
                return done;
            std::memcpy(out + done, piece->bytes.data() + within, static_cast<size_t>(take));
            done += take;
        }
        return done;
    }

    struct Piece {
        enum State { kPending, kReady, kFailed };
        int64_t from = 0;
        int64_t length = 0;
        State state = kPending;
        std::vector<unsigned char> bytes;
        std::string error;
        uint64_t used = 0;
        bool read = false; // by ReadAt, not only fetched ahead
    };
    using Pieces = std::map<int64_t, Piece>;

    static Piece* Find(Pieces& pieces, int64_t index) {
        const auto found = pieces.find(index);
        return found == pieces.end() ? nullptr : &found->second;
    }

    // Checks a transfer's answer for bytes [from, from + length).
    std::string Check(const Response& r, int64_t length) const {
        if (!r.error.empty())
            return r.error;
        if (r.status != 206)
            return StatusReason(r.status);
        if (TotalOf(r.contentRange) != size_)
            return "The file changed on the server while it was being read.";
        if (static_cast<int64_t>(r.body.size()) != length)
            return "The server sent fewer bytes than asked for.";
        return {};
    }

    // Enters piece `index` of `unit` bytes as on its way.
    void AddPending(Pieces& pieces, int64_t index, int64_t unit) const {
        Piece& piece = pieces[index];
        piece.from = index * unit;
        piece.length = std::min(unit, size_ - piece.from);
    }

    // The span holding byte `at`, or null.
    const Piece* SpanAt(int64_t at) const {
        auto after = spans_.upper_bound(at);
        if (after == spans_.begin())
            return nullptr;
        --after;
        return at < after->second.from + after->second.length ? &after->second : nullptr;
    }

    // Enters the span of `count` bytes from `offset` (up to the next span)
    // as on its way, and queues it.
    void AddSpan(int64_t offset, int64_t count) const {
        const auto next = spans_.lower_bound(offset);
        if (next != spans_.end())
            count = std::min(count, next->first - offset);
        Piece& piece = spans_[offset];
        piece.from = offset;
        piece.length = std::min(count, size_ - offset);
        ++spansAhead_;
        spanQueue_.push_back(offset);
        StartSpanWorkers();
        // A thread is woken for a whole request's worth; a reader that
        // waits on a span wakes one for what is queued (ReadLocked).
        if (spanQueue_.size() % rangesPerRequest_ == 0)
            spanWanted_.notify_one();
    }

    // Removes a piece, counting a span not read yet out of those ahead.
    void Erase(Pieces& pieces, int64_t index) const {
        const Piece* piece = Find(pieces, index);
        if (&pieces == &spans_ && piece && !piece->read)
            --spansAhead_;
        pieces.erase(index);
    }

    // The server answers several ranges with something else: from now on
    // the reader is told to read everything, and the spans still to come
    // are dropped; a read of one falls back on the blocks.
    void StopManyRanges() const {
        manyRanges_ = false;
        for (auto at = spans_.begin(); at != spans_.end();) {
            const auto next = std::next(at);
            if (at->second.state == Piece::kPending)
                Erase(spans_, at->first);
            at = next;
        }
        spanQueue_.clear();
    }

    // Queues the missing blocks from `first` to `last` (stopping at one
    // already there, and at the cache's size) ahead of everything asked
    // for in advance, as one range.
    void QueueFirst(int64_t first, int64_t last) const {
        int64_t end = first;
        while (end < last && end - first + 1 < kRunBlocks && !blocks_.count(end + 1))
            ++end;
        for (int64_t b = end; b >= first; --b) {
            AddPending(blocks_, b, kBlockBytes);
            queue_.emplace_front(true, b);
        }
        StartWorkers();
        wanted_.notify_all();
    }

    // A read's waits on the network: every tenth of a second the wait hook
    // hears how long, and may give the read up; it hears the end of a
    // wait it heard of.
    class Waiting {
    public:
        explicit Waiting(const RemoteFile& file) : file_(file) {}
        ~Waiting() {
            if (told_)
                segy::WaitingOnLocation(file_.target_.shown, -1);
        }
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

        bool Cancelled() const { return cancelled_; }

        // Waits up to `limit` for `ready`; false when it did not come (or
        // the read was given up, with the failure set).
        template <typename Limit, typename Ready>
        bool For(std::unique_lock<std::mutex>& lock, Limit limit, Ready ready) {
            // Most reads find their bytes there: the clock is not asked.
            if (ready())
                return true;
            const auto until = std::chrono::steady_clock::now() + limit;
            while (!ready()) {
                if (cancelled_ || std::chrono::steady_clock::now() >= until)
                    return false;
                if (file_.arrived_.wait_for(lock, kWaitTick, ready))
                    return true;
                waited_ += std::chrono::duration<double>(kWaitTick).count();
                lock.unlock();
                told_ = true;
                const bool goOn = segy::WaitingOnLocation(file_.target_.shown, waited_);
                lock.lock();
                if (!goOn) {
                    cancelled_ = true;
                    file_.cancelled_ = true;
                    file_.failure_ = "Reading it was cancelled.";
                    return false;
                }
            }
            return true;
        }

    private:
        const RemoteFile& file_;
        double waited_ = 0;
        bool told_ = false;
        bool cancelled_ = false;
    };

    // Pieces fetched ahead and not read yet, or still on their way.
    static size_t Ahead(const Pieces& pieces) {
        size_t ahead = 0;
        for (const auto& entry : pieces)
            ahead += entry.second.state == Piece::kPending || !entry.second.read;
        return ahead;
    }

    // Keeps every piece fetched ahead and not read yet (AdviseWillNeed asks
    // for no more than the cache holds), and the most recently read of the
    // others up to the cache's size.
    void Evict() const {
        for (auto [pieces, limit] :
             {std::pair{&blocks_, size_t{kCachedBlocks}},
              std::pair{&keptBlocks_, size_t{kCachedBlocks}},
              std::pair{&pages_, size_t{kCachedPages}}, std::pair{&spans_, kCachedSpans}}) {
            if (pieces->size() <= limit)
                continue;
            std::vector<std::pair<uint64_t, int64_t>> read;
            for (const auto& [index, piece] : *pieces)
                if (piece.state == Piece::kReady && piece.read)
                    read.emplace_back(piece.used, index);
            std::sort(read.begin(), read.end());
            // A quarter more than needed, so that eviction is not run on
            // every arrival; the most recently read are kept all the same,
            // as a reader is in the middle of them when a stream has more
            // on their way than the limit.
            size_t excess = pieces->size() - limit + limit / 4;
            for (size_t k = 0; k + kRecentlyReadKept < read.size() && excess > 0; ++k, --excess) {
                auto gone = pieces->find(read[k].second);
                if ((pieces == &blocks_ || pieces == &keptBlocks_) && spare_.size() < kSpareBlocks)
                    spare_.push_back(std::move(gone->second.bytes));
                pieces->erase(gone);
            }
        }
    }

    // Whether `offset` lies within what the running stream may fetch ahead
    // of its reader: from the reader's block on, as far as the window.
    bool InStreamWindow(int64_t offset) const {
        const int64_t block = offset / kBlockBytes;
        return streaming_ && !streamBroken_ && block >= streamFloor_ &&
               block < streamFloor_ + streamWindow_;
    }

    // The stream's reader read from block `index` of what the stream fills:
    // the window moves on with it.
    void StreamReaderAt(const Pieces& pieces, int64_t index) const {
        if (streaming_ && index > streamFloor_ &&
            &pieces == (filtering_ ? &keptBlocks_ : &blocks_)) {
            streamFloor_ = index;
            consumed_.notify_all();
        }
    }

    // Whether the running stream will deliver byte `offset` soon: within its
    // window, and one it keeps.
    bool StreamCovers(int64_t offset) const {
        return InStreamWindow(offset) && (!filtering_ || kept_.Holds(offset));
    }

    // Starts a stream from `block` to the end of the file that keeps only
    // the pieces of `pattern` (every byte for no pattern).
    void StartStream(int64_t block, const PiecePattern& pattern) const {
        // The last stream's transfers have all ended (streaming_ is false).
        for (std::thread& transfer : streamers_)
            transfer.join();
        streamers_.clear();
        filtering_ = pattern.stride > 0;
        if (filtering_ && !(pattern == kept_)) {
            keptBlocks_.clear();
            kept_ = pattern;
        }
        BeginStream(block, kCachedBlocks);
        sampling_ = false;
        frontAnswered_ = false;
        if (const int64_t middle = SplitStream(block); middle >= 0)
            unsent_ = {{block, middle - 1}, {middle, BlockCount() - 1}};
        else
            unsent_ = {{block, BlockCount() - 1}};
        streamTransfers_ = static_cast<int>(unsent_.size());
        for (size_t k = 0; k < unsent_.size(); ++k)
            streamers_.emplace_back([this] { StreamChunks(); });
    }

    // Where a stream of the kept pieces from block `from` to the file's end
    // splits in two halves (see kKeptAheadBytes), its window then holding
    // the back half; -1 when it stays one transfer.
    int64_t SplitStream(int64_t from) const {
        const int64_t blocks = BlockCount() - from;
        if (!filtering_ || blocks < kSplitStreamFromBlocks || !ProcessorsForTwoTransfers() ||
            kept_.BytesBefore(size_) - kept_.BytesBefore(from * kBlockBytes) > kKeptAheadBytes)
            return -1;
        streamWindow_ = std::max(streamWindow_, BlockCount() - streamFloor_);
        return from + blocks / 2;
    }

    // Marks a stream running, not widened, with its reader at block `floor`
    // and `window` blocks it may fetch ahead; no block is taken yet.
    void BeginStream(int64_t floor, int64_t window) const {
        streaming_ = true;
        streamBroken_ = false;
        widened_ = false;
        streamFloor_ = floor;
        streamWindow_ = window;
        unsent_.clear();
    }

    // Hands blocks `first` to `last`, which a transfer took and will not
    // deliver, back to the stream's other transfers, in their place in the
    // file's order.
    void GiveBack(int64_t first, int64_t last) const {
        if (first > last)
            return;
        auto at = unsent_.begin();
        while (at != unsent_.end() && at->first < first)
            ++at;
        unsent_.insert(at, {first, last});
    }

    // Widens the stream to several transfers, at the block boundary before
    // block `next` of the transfer that timed the connection, which took the
    // blocks to `last` (it goes on in chunks). A transfer over the back half
    // hands the rest of its blocks back at its next block boundary.
    void WidenStream(int64_t next, int64_t last) const {
        widened_ = true;
        openingStream_ = false; // its chunks carry every byte
        GiveBack(next, last);
        // Chunks arrive out of order: the window holds all those in flight,
        // and about as many bytes kept as the cache's blocks hold.
        streamWindow_ = std::max(
            {streamWindow_, int64_t{kCachedBlocks}, kStreamTransfers * kStreamChunkBlocks});
        if (filtering_)
            streamWindow_ =
                std::max(streamWindow_, std::min(kCachedBlocks * kept_.stride / kept_.bytes,
                                                 4 * int64_t{kCachedBlocks}));
        const int more = kStreamTransfers - streamTransfers_;
        for (int k = 0; k < more; ++k)
            streamers_.emplace_back([this] { StreamChunks(); });
        streamTransfers_ += std::max(more, 0);
    }

    // Copies up to `count` pieces of `pieceBytes`, the first at `at` and
    // each `stride` bytes after, from a block the stream kept the pieces of,
    // with one copy: those that lie whole in the block, when the pieces
    // asked for are those kept. How many it copied; 0 when it cannot.
    int64_t CopyKeptRun(unsigned char* out, int64_t at, int64_t stride, int64_t pieceBytes,
                        int64_t count) const {
        if (stride != kept_.stride || pieceBytes != kept_.bytes || !kept_.Holds(at) ||
            (at - kept_.first) % stride != 0)
            return 0;
        const int64_t index = at / kBlockBytes;
        Piece* block = Find(keptBlocks_, index);
        if (!block || block->state != Piece::kReady || blocks_.count(index))
            return 0;
        const int64_t end = block->from + block->length;
        if (at + pieceBytes > end)
            return 0;
        const int64_t run = std::min(count, (end - at - pieceBytes) / stride + 1);
        const int64_t within = kept_.BytesBefore(at) - kept_.BytesBefore(block->from);
        if (within + run * pieceBytes > static_cast<int64_t>(block->bytes.size()))
            return 0;
        std::memcpy(out, block->bytes.data() + within, static_cast<size_t>(run * pieceBytes));
        block->used = ++tick_;
        block->read = true;
        StreamReaderAt(keptBlocks_, index);
        return run;
    }

    struct StreamState {
        const RemoteFile* file = nullptr;
        CURL* handle = nullptr;
        Response* response = nullptr;
        int64_t position = 0; // of the next byte to arrive
        bool checked = false;
        std::vector<unsigned char> block;
        // The last block the transfer took; whether it took a half or the
        // whole of a stream not widened yet (`part`), and whether it is the
        // front one that times the connection (`alone`): when its bytes
        // began to arrive, and how long it waited for its reader since.
        int64_t lastBlock = 0;
        bool part = false;
        bool alone = false;
        bool opening = false; // the opening request, its size not known yet
        int64_t asked = 0;    // where the bytes its request asked for end
        std::chrono::steady_clock::time_point began;
        std::chrono::steady_clock::duration waited{};
        int64_t received = 0;
        bool reshaped = false; // it ended for the stream to widen or split
    };

    // The most bytes the stream keeps of one block.
    size_t StreamBlockBytes() const {
        return static_cast<size_t>(filtering_ ? (kBlockBytes / kept_.stride + 2) * kept_.bytes
                                              : kBlockBytes);
    }

    // Appends the bytes of the kept pieces among `count` bytes that begin
    // at `position` in the file.
    void KeepPieces(std::vector<unsigned char>& block, const unsigned char* data, int64_t position,
                    int64_t count) const {
        const int64_t end = position + count;
        int64_t at = std::max(position, kept_.first);
        while (at < end) {
            const int64_t within = (at - kept_.first) % kept_.stride;
            if (within >= kept_.bytes) {
                at += kept_.stride - within;
                continue;
            }
            const int64_t take = std::min(kept_.bytes - within, end - at);
            block.insert(block.end(), data + (at - position), data + (at - position) + take);
            at += take;
        }
    }

    static size_t TakeStreamed(char* data, size_t size, size_t count, void* state) {
        return static_cast<StreamState*>(state)->file->Streamed(
            *static_cast<StreamState*>(state), reinterpret_cast<unsigned char*>(data),
            size * count);
    }

    // Files the streamed bytes into blocks, waiting while a block lies
    // beyond the window ahead of the reader; 0 (which ends the transfer)
    // once the file object stops or the stream broke.
    size_t Streamed(StreamState& state, const unsigned char* data, size_t size) const {
        // Only a part of this very file is taken: a server that sends the
        // whole file, or another size, ends the stream here.
        if (!state.checked) {
            long status = 0;
            curl_.easy_getinfo(state.handle, CURLINFO_RESPONSE_CODE, &status);
            if (state.opening && (status != 206 || TotalOf(state.response->contentRange) < 0)) {
                state.response->overflowed = true; // judged by the opening
                return 0;
            }
            if (state.opening) {
                std::lock_guard lock(mutex_);
                size_ = TotalOf(state.response->contentRange);
                state.lastBlock = BlockCount() - 1;
                state.asked = size_;
            } else if (status != 206 || TotalOf(state.response->contentRange) != size_) {
                return 0;
            }
            state.checked = true;
            if (state.alone) {
                std::lock_guard lock(mutex_);
                frontAnswered_ = true;
                consumed_.notify_all();
            }
        }
        NoteStreamSpeed(size);
        if (state.alone) {
            if (state.received == 0)
                state.began = std::chrono::steady_clock::now();
            state.received += static_cast<int64_t>(size);
        }
        // The pattern kept changes only while the stream is one transfer (the
        // opening's, at a block boundary, under the lock), so it is read
        // unlocked; the lock is taken to hand a whole block over.
        size_t used = 0;
        while (used < size) {
            const int64_t index = state.position / kBlockBytes;
            const int64_t blockEnd = std::min(size_, (index + 1) * kBlockBytes);
            const auto take = static_cast<size_t>(
                std::min(static_cast<int64_t>(size - used), blockEnd - state.position));
            if (filtering_)
                KeepPieces(state.block, data + used, state.position, static_cast<int64_t>(take));
            else
                state.block.insert(state.block.end(), data + used, data + used + take);
            used += take;
            state.position += static_cast<int64_t>(take);
            if (state.position < blockEnd)
                continue;
            std::unique_lock lock(mutex_);
            const auto before = std::chrono::steady_clock::now();
            bool waited = false;
            if (!consumed_.wait_for(lock, kStreamIdleLimit, [this, index, &waited] {
                    const bool room = index < streamFloor_ + streamWindow_;
                    waited = waited || !room;
                    return stopping_ || streamBroken_ || room;
                }))
                EndStream();
            if (stopping_ || streamBroken_)
                return 0;
            if (state.alone)
                state.waited += std::chrono::steady_clock::now() - before;
            // A stream that waited for its reader did not run at the link's
            // speed: its timing starts again.
            if (waited && !speedKnown_)
                sampleFrom_ = -1;
            Piece& piece = (filtering_ ? keptBlocks_ : blocks_)[index];
            if (piece.state != Piece::kReady) {
                piece.from = index * kBlockBytes;
                piece.length = blockEnd - piece.from;
                piece.bytes.swap(state.block);
                piece.state = Piece::kReady;
                piece.used = ++tick_;
            }
            // The next block goes into the buffer of one evicted: a new
            // buffer costs its pages' faults and clearing.
            if (!spare_.empty()) {
                state.block.swap(spare_.back());
                spare_.pop_back();
            }
            state.block.clear();
            state.block.reserve(StreamBlockBytes());
            if (state.opening && index == 0)
                opening_ = false; // the open has its first block
            if (state.opening && piecesToKeep_.stride > 0)
                KeepPiecesFromHere(state, index);
            arrived_.notify_all();
            Evict();
            if (index == state.lastBlock && state.position < state.asked) {
                state.reshaped = true; // the rest is another transfer's
                return 0;
            }
            if (state.alone && index < state.lastBlock && SlowConnection(state)) {
                state.reshaped = true;
                WidenStream(index + 1, state.lastBlock);
                return 0;
            }
            if (state.part && !state.alone && widened_ && index < state.lastBlock) {
                state.reshaped = true;
                GiveBack(index + 1, state.lastBlock);
                return 0;
            }
        }
        return size;
    }

    // The stream the opening began keeps only the pieces a reader asked for
    // from the block after `index` on; the rest of the file is split in two
    // transfers where a stream of those pieces would be.
    void KeepPiecesFromHere(StreamState& state, int64_t index) const {
        filtering_ = true;
        if (!(piecesToKeep_ == kept_)) {
            keptBlocks_.clear();
            kept_ = piecesToKeep_;
        }
        piecesToKeep_ = {};
        openingStream_ = false;
        streamWindow_ = std::max(streamWindow_, int64_t{kCachedBlocks});
        const int64_t middle = SplitStream(index + 1);
        if (middle < 0)
            return;
        state.lastBlock = middle - 1;
        GiveBack(middle, BlockCount() - 1);
        ++streamTransfers_;
        streamers_.emplace_back([this] { StreamChunks(); });
    }

    // The transfer the opening asks for (see OpenAsStream), then what the
    // stream leaves to it as to any of its transfers.
    void OpeningStream() const {
        CURL* handle = curl_.easy_init();
        StreamState state;
        state.file = this;
        state.handle = handle;
        state.part = true;
        state.alone = true;
        state.opening = true;
        state.lastBlock = INT64_MAX;
        state.block.reserve(kBlockBytes);
        Response r;
        if (handle)
            // The stall limit stays: the open waits on this transfer's first
            // bytes, and its reader keeps up with it.
            r = FetchRanges(curl_, handle, target_, "0-", 0, &cancelled_, {}, [&](Response& asked) {
                state.response = &asked;
                DeliverToStream(handle, state);
            });
        else
            r.error = "libcurl could not be started.";
        std::unique_lock lock(mutex_);
        openingStream_ = false;
        const bool opened = !opening_;
        if (!opened) {
            opening_ = false;
            // The first block did not come whole (it would have opened the
            // file): why, or an empty file.
            openFailure_ = OpeningFailure(r, state.position);
            openedWhole_ = r.error.empty() && r.status == 200 && !cancelled_;
            arrived_.notify_all();
        }
        const bool cameShort = opened && !(state.position == size_ || state.reshaped);
        if (cameShort)
            LeaveUndelivered(state.position, state.lastBlock);
        lock.unlock();
        // A transfer that came short ends, as any of the stream's does.
        if (cameShort) {
            curl_.easy_cleanup(handle);
            handle = nullptr;
        }
        RunStreamTransfers(handle);
    }

    // A transfer of the stream came short, its bytes ending at `reached`
    // of the blocks it took up to `last`. A server that takes fewer
    // connections than the stream opens refuses some: what such a transfer
    // did not deliver is left to the others, and it ends. Whatever the last
    // one cannot deliver is fetched in ranges.
    void LeaveUndelivered(int64_t reached, int64_t last) const {
        if (streamTransfers_ > 1 && !stopping_)
            GiveBack(reached / kBlockBytes, last);
        else
            streamBroken_ = true;
    }

    // Whether the stream's one transfer, sending for long enough, carries
    // less than a fast link would (its waits for the reader left out).
    bool SlowConnection(StreamState& state) const {
        const auto sending = std::chrono::steady_clock::now() - state.began - state.waited;
        if (sending < kWidenAfter)
            return false;
        state.alone = false; // decided once
        const double seconds = std::chrono::duration<double>(sending).count();
        return static_cast<double>(state.received) / seconds < kWidenBelowBytesPerSecond;
    }

    // Learns the connection's speed from the first stream, timed from its
    // first delivery, and from it how far apart pieces must lie to be asked
    // for alone.
    void NoteStreamSpeed(size_t delivered) const {
        // Once known, nothing more is learned: the lock is left alone.
        if (speedKnown_.load(std::memory_order_relaxed))
            return;
        std::lock_guard lock(mutex_);
        if (speedKnown_)
            return;
        streamedBytes_ += static_cast<int64_t>(delivered);
        if (streamedBytes_ < kSpeedRampBytes)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (sampleFrom_ < 0) {
            streamStart_ = now;
            sampleFrom_ = streamedBytes_;
            return;
        }
        if (streamedBytes_ - sampleFrom_ < kSpeedSampleBytes)
            return;
        const double micros = std::chrono::duration<double, std::micro>(now - streamStart_).count();
        const double bytesPerMicro =
            static_cast<double>(streamedBytes_ - sampleFrom_) / std::max(micros, 1.0);
        manyRangesPiecesFrom_ =
            std::clamp(static_cast<int64_t>(bytesPerMicro * kManyRangesPieceMicros),
                       kManyRangesPiecesFrom, kOneRangePiecesFrom);
        speedKnown_ = true;
    }

    // Ends the running stream before its end (its reader gone, or started
    // over far behind it): its transfers stop, and reads from then on fetch
    // what they need, as when a stream broke.
    void EndStream() const {
        streamBroken_ = true;
        consumed_.notify_all();
        arrived_.notify_all();
    }

    // One of the stream's transfers: the chunks not taken yet, one after
    // the other on its own connection, each once the reader is near enough
    // to take it; the stream ends with the last of them.
    void StreamChunks() const { RunStreamTransfers(curl_.easy_init()); }

    // StreamChunks on `handle`, which it cleans up.
    void RunStreamTransfers(CURL* handle) const {
        std::unique_lock lock(mutex_);
        while (handle && !stopping_ && !streamBroken_ && !unsent_.empty()) {
            // A stream not widened takes its halves whole, the front one
            // first; a widened one its blocks a chunk at a time.
            auto& [first, last] = unsent_.front();
            const bool part = !widened_;
            const bool alone = part && !sampling_;
            sampling_ = sampling_ || alone;
            const int64_t taken = first;
            const int64_t until = part ? last : std::min(first + kStreamChunkBlocks - 1, last);
            if (until == last)
                unsent_.pop_front();
            else
                first = until + 1;
            // Blocks a transfer handed back that the reader has passed (it
            // fetched them itself meanwhile) are not asked for again.
            if (until < streamFloor_)
                continue;
            if (!consumed_.wait_for(lock, kStreamIdleLimit, [this, taken, alone] {
                    return stopping_ || streamBroken_ ||
                           (taken < streamFloor_ + streamWindow_ && (alone || frontAnswered_));
                }))
                EndStream();
            if (stopping_ || streamBroken_)
                break;
            lock.unlock();
            int64_t reached = 0;
            const bool whole = StreamChunk(handle, taken, until, part, alone, reached);
            lock.lock();
            if (alone && !frontAnswered_) {
                frontAnswered_ = true; // no answer came, or one without bytes
                consumed_.notify_all();
            }
            if (whole)
                continue;
            LeaveUndelivered(reached, until);
            break;
        }
        if (--streamTransfers_ == 0)
            streaming_ = false;
        arrived_.notify_all();
        consumed_.notify_all();
        lock.unlock();
        if (handle)
            curl_.easy_cleanup(handle);
    }

    // Has the transfer on `handle` deliver its bytes to Streamed for `state`.
    void DeliverToStream(CURL* handle, StreamState& state) const {
        curl_.easy_setopt(handle, CURLOPT_WRITEFUNCTION, TakeStreamed);
        curl_.easy_setopt(handle, CURLOPT_WRITEDATA, &state);
        // Fewer, larger deliveries: a stream carries whole files.
        curl_.easy_setopt(handle, CURLOPT_BUFFERSIZE, kStreamBufferBytes);
    }

    // Blocks `first` to `last` in one transfer on `handle`, a half or the
    // whole of a stream not widened when `part`, the one that times the
    // connection when `alone`; whether all came (or it ended for the stream
    // to widen or split). `reached` is where the bytes it delivered end.
    bool StreamChunk(CURL* handle, int64_t first, int64_t last, bool part, bool alone,
                     int64_t& reached) const {
        Response r;
        StreamState state;
        state.file = this;
        state.handle = handle;
        state.response = &r;
        state.position = first * kBlockBytes;
        state.lastBlock = last;
        state.part = part;
        state.alone = alone;
        state.block.reserve(StreamBlockBytes());
        const int64_t end = std::min(size_, (last + 1) * kBlockBytes);
        state.asked = end;
        Prepare(curl_, handle, target_,
                std::to_string(state.position) + "-" + std::to_string(end - 1), r);
        DeliverToStream(handle, state);
        // The transfer waits while the reader is behind; a stall is a
        // server that sends nothing although it may.
        curl_.easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 0L);
        curl_.easy_perform(handle);
        ReleaseHeaders(curl_, handle, r);
        reached = state.position;
        return state.position == end || state.reshaped;
    }

    // For a fetching thread of a pool with `live` threads working: a server
    // that answers busy while others of the pool still work is one that
    // limits the connections a client may open (or asks for fewer requests),
    // so the thread leaves its request to them and parks (Park). The last
    // one waits and asks again.
    std::function<bool()> GiveWay(int& live, bool& gaveWay) const {
        return [this, &live, &gaveWay] {
            std::lock_guard lock(mutex_);
            if (live <= 1 || stopping_)
                return false;
            --live;
            gaveWay = true;
            return true;
        };
    }

    // Closes the connection of a thread's `handle` by putting a new handle
    // in its place, outside the lock; null when no new one can be had.
    void RenewHandle(std::unique_lock<std::mutex>& lock, CURL*& handle) const {
        CURL* const old = handle;
        lock.unlock();
        curl_.easy_cleanup(old);
        CURL* const fresh = curl_.easy_init();
        lock.lock();
        handle = fresh;
    }

    // A thread that gave way closes its connection and waits a while before
    // it joins its pool's `live` threads again: a server that was busy may
    // have room again, and one that holds each client to a few connections
    // refuses it once more.
    void Park(std::unique_lock<std::mutex>& lock, CURL*& handle, std::condition_variable& woken,
              int& live) const {
        RenewHandle(lock, handle);
        if (!woken.wait_for(lock, kParkedFor, [this] { return stopping_; }) && handle)
            ++live;
    }

    // Waits until `ready`. Once a server answered busy (serverWasBusy, which
    // a thread that gives way has seen too), a thread that holds a
    // connection (`connected`) and waited a while lets it go: held idle,
    // it would keep out the threads of another kind that have work (the
    // span threads after a scan, the block threads after a paint), or of
    // another file. `handle` is null when no new one can be had.
    template <typename Ready>
    void WaitForWork(std::unique_lock<std::mutex>& lock, std::condition_variable& woken,
                     CURL*& handle, bool& connected, Ready ready) const {
        while (connected && !woken.wait_for(lock, kIdleBeforeLettingGo, ready))
            if (serverWasBusy.load(std::memory_order_relaxed)) {
                RenewHandle(lock, handle);
                connected = false;
            }
        woken.wait(lock, ready);
    }

    void StartWorkers() const {
        if (!workers_.empty())
            return;
        liveWorkers_ = kFetchThreads;
        for (int k = 0; k < kFetchThreads; ++k)
            workers_.emplace_back([this] { Work(); });
    }

    // Starts the span threads the number of ranges a request takes calls
    // for, once each: threads that gave way to a server of few connections
    // are not started again.
    void StartSpanWorkers() const {
        const size_t wanted =
            rangesPerRequest_ < kMostRangesPerRequest ? kSpanThreadsForCommonRanges : kSpanThreads;
        while (spanWorkers_.size() < wanted) {
            ++liveSpanWorkers_;
            spanWorkers_.emplace_back([this] { WorkSpans(); });
        }
    }

    // A thread fetching spans: its own connection, the queued spans in
    // requests of several ranges where the server takes them.
    void WorkSpans() const {
        CURL* handle = curl_.easy_init();
        bool connected = false;
        std::unique_lock lock(mutex_);
        while (handle) {
            WaitForWork(lock, spanWanted_, handle, connected,
                        [this] { return stopping_ || !spanQueue_.empty(); });
            if (stopping_ || !handle)
                break;
            std::vector<int64_t> batch;
            std::vector<std::pair<int64_t, int64_t>> ranges;
            size_t bytes = 0;
            const size_t most = manyRanges_ ? rangesPerRequest_ : 1;
            while (batch.size() < most && !spanQueue_.empty()) {
                const int64_t from = spanQueue_.front();
                spanQueue_.pop_front();
                const Piece* span = Find(spans_, from);
                if (!span || span->state != Piece::kPending)
                    continue;
                batch.push_back(from);
                ranges.emplace_back(from, from + span->length - 1);
                bytes += static_cast<size_t>(span->length);
            }
            if (batch.empty())
                continue;
            lock.unlock();
            bool gaveWay = false;
            const Response r = FetchRanges(curl_, handle, target_, RangeList(ranges),
                                           bytes + (batch.size() + 1) * kPartOverheadBytes,
                                           &cancelled_, GiveWay(liveSpanWorkers_, gaveWay));
            lock.lock();
            connected = true;
            if (gaveWay) {
                for (auto at = batch.rbegin(); at != batch.rend(); ++at)
                    spanQueue_.push_front(*at);
                spanWanted_.notify_all();
                Park(lock, handle, spanWanted_, liveSpanWorkers_);
                connected = false;
                continue;
            }
            SpansArrived(r, batch);
        }
        if (handle)
            curl_.easy_cleanup(handle);
    }

    // Files the answer to a request for the spans of `batch`.
    void SpansArrived(const Response& r, std::vector<int64_t>& batch) const {
        const bool several = batch.size() > 1;
        // More ranges than common servers take were asked for.
        const bool many = batch.size() > kCommonRangesPerRequest;
        std::vector<RangePart> parts;
        std::string error;
        // A server that does not take several ranges answers with the whole
        // file, one range, an error about the request, or parts it cannot
        // send whole: the data is then read as for any server. One that
        // does not take as many (or drops the connection over it) is asked
        // for fewer, the refused spans again.
        bool refused = false;
        if (cancelled_)
            error = "Reading it was cancelled.";
        else if (many && (!r.error.empty() || r.status != 206)) {
            rangesPerRequest_ = kCommonRangesPerRequest;
            StartSpanWorkers();
            for (auto at = batch.rbegin(); at != batch.rend(); ++at)
                spanQueue_.push_front(*at);
            spanWanted_.notify_all();
            return;
        } else if (!r.error.empty())
            error = r.error;
        else if (several && (r.status == 200 || r.status == 400 || r.status == 413 ||
                             r.status == 416 || r.status == 431))
            refused = true;
        else if (r.status != 206)
            error = StatusReason(r.status);
        else if (!SplitByteRanges(r.body, r.contentType, r.contentRange, parts))
            refused = several;
        if (parts.empty() && !refused && error.empty())
            error = "The server sent fewer bytes than asked for.";
        for (const RangePart& part : parts)
            if (part.total != size_)
                error = "The file changed on the server while it was being read.";
        std::sort(batch.begin(), batch.end());
        std::sort(parts.begin(), parts.end(),
                  [](const RangePart& a, const RangePart& b) { return a.first < b.first; });
        size_t p = 0;
        for (const int64_t from : batch) {
            Piece* span = Find(spans_, from);
            if (!span || span->state != Piece::kPending || refused)
                continue;
            if (!error.empty()) {
                span->state = Piece::kFailed;
                span->error = error;
                continue;
            }
            const int64_t last = from + span->length - 1;
            while (p < parts.size() && parts[p].last < from)
                ++p;
            if (p == parts.size() || parts[p].first > from || parts[p].last < last) {
                refused = several; // the server sent fewer ranges than asked for
                if (!several) {
                    span->state = Piece::kFailed;
                    span->error = "The server sent fewer bytes than asked for.";
                }
                continue;
            }
            const size_t at = parts[p].at + static_cast<size_t>(from - parts[p].first);
            span->bytes.assign(r.body.begin() + static_cast<std::ptrdiff_t>(at),
                               r.body.begin() + static_cast<std::ptrdiff_t>(at) + span->length);
            span->state = Piece::kReady;
            span->used = ++tick_;
        }
        if (refused)
            StopManyRanges();
        arrived_.notify_all();
        Evict();
    }

    // A fetching thread: its own connection, one queued piece at a time.
    void Work() const {
        CURL* handle = curl_.easy_init();
        bool connected = false;
        std::unique_lock lock(mutex_);
        while (handle) {
            WaitForWork(lock, wanted_, handle, connected,
                        [this] { return stopping_ || !queue_.empty(); });
            if (stopping_ || !handle)
                break;
            const auto [large, index] = queue_.front();
            queue_.pop_front();
            Pieces& pieces = large ? blocks_ : pages_;
            const Piece* piece = Find(pieces, index);
            if (!piece || piece->state != Piece::kPending)
                continue;
            // Consecutive blocks queued behind this one go in the same range.
            int64_t last = index;
            while (large && last - index + 1 < kRunBlocks && !queue_.empty() &&
                   queue_.front() == std::pair{true, last + 1}) {
                queue_.pop_front();
                ++last;
            }
            const int64_t from = piece->from;
            const Piece* lastPiece = Find(pieces, last);
            const int64_t to = lastPiece->from + lastPiece->length - 1;
            lock.unlock();
            bool gaveWay = false;
            const Response r = Fetch(curl_, handle, target_, from, to, &cancelled_,
                                     GiveWay(liveWorkers_, gaveWay));
            lock.lock();
            connected = true;
            if (gaveWay) {
                for (int64_t i = last; i >= index; --i)
                    queue_.emplace_front(large, i);
                wanted_.notify_all();
                Park(lock, handle, wanted_, liveWorkers_);
                connected = false;
                continue;
            }
            const std::string error =
                cancelled_ ? std::string("Reading it was cancelled.") : Check(r, to - from + 1);
            for (int64_t i = index; i <= last; ++i) {
                Piece* arrived = Find(pieces, i);
                if (!arrived)
                    continue;
                if (error.empty()) {
                    const auto at = static_cast<size_t>(arrived->from - from);
                    arrived->bytes.assign(r.body.begin() + static_cast<std::ptrdiff_t>(at),
                                          r.body.begin() +
                                              static_cast<std::ptrdiff_t>(at + arrived->length));
                    arrived->state = Piece::kReady;
                    arrived->used = ++tick_;
                } else {
                    arrived->state = Piece::kFailed;
                    arrived->error = error;
                }
            }
            arrived_.notify_all();
            Evict();
        }
        if (handle)
            curl_.easy_cleanup(handle);
    }

    const CurlLibrary& curl_;
    const RemoteTarget target_;
    // Set by the opening request, before any reader reads.
    mutable int64_t size_ = -1;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_, wanted_, spanWanted_, consumed_;
    // The stream: its transfers and how many still run, whether one broke,
    // whether one times the connection, the block its reader is at, how far
    // ahead of it blocks may be fetched, and the blocks no transfer has
    // taken, in the file's order.
    mutable std::vector<std::thread> streamers_;
    mutable int streamTransfers_ = 0;
    mutable bool streaming_ = false;
    mutable bool streamBroken_ = false;
    mutable bool widened_ = false;
    mutable bool sampling_ = false;
    mutable bool frontAnswered_ = false; // the transfer that times it
    // The open that asked for the whole file waits while `opening_`; why it
    // failed. The stream it began keeps every byte while `openingStream_`,
    // until it takes the pieces a reader asked for (`piecesToKeep_`).
    mutable bool opening_ = false;
    mutable std::string openFailure_;
    mutable bool openedWhole_ = false; // answered with the whole file (200)
    mutable bool openingStream_ = false;
    mutable PiecePattern piecesToKeep_;
    mutable int64_t streamFloor_ = 0;
    mutable int64_t streamWindow_ = kCachedBlocks;
    mutable std::deque<std::pair<int64_t, int64_t>> unsent_;
    mutable Pieces blocks_, pages_;
    // Blocks of which the stream kept only the pieces of `kept_`, each those
    // of its bytes one after the other; whether the running stream does so.
    mutable Pieces keptBlocks_;
    mutable PiecePattern kept_;
    mutable bool filtering_ = false;
    mutable std::vector<std::vector<unsigned char>> spare_; // buffers of evicted blocks
    mutable std::deque<std::pair<bool, int64_t>> queue_;
    mutable std::vector<std::thread> workers_;
    mutable int liveWorkers_ = 0; // those that have not given way
    // Spans by their first byte, those queued, and how many are on their
    // way or fetched and not read yet.
    mutable Pieces spans_;
    mutable std::deque<int64_t> spanQueue_;
    mutable size_t spansAhead_ = 0;
    mutable std::vector<std::thread> spanWorkers_;
    mutable int liveSpanWorkers_ = 0;
    // Whether the server may take several ranges in one request, and how
    // many it is asked for.
    mutable std::atomic<bool> manyRanges_;
    mutable size_t rangesPerRequest_ = kMostRangesPerRequest;
    mutable std::atomic<int64_t> manyRangesPiecesFrom_{kManyRangesPiecesUntilKnown};
    // The first stream's bytes, and when it had delivered `sampleFrom_` of
    // them, until its speed is known; whether it is (read without the lock
    // on every delivery).
    mutable int64_t streamedBytes_ = 0;
    mutable std::atomic<bool> speedKnown_{false};
    mutable int64_t sampleFrom_ = -1;
    mutable std::chrono::steady_clock::time_point streamStart_;
    mutable uint64_t tick_ = 0;
    mutable bool stopping_ = false;
    // Set when a reader gives a read up: transfers under way end.
    mutable std::atomic<bool> cancelled_{false};
    mutable std::string failure_;
};

} // namespace

std::string ShownLocation(const std::string& location) {
    return segy::LocationWithoutCredentials(location);
}

bool ResolveLocation(const std::string& given, RemoteTarget& target, std::string& reason) {
    target = RemoteTarget();
    target.shown = ShownLocation(given);
    const std::string location = WithLowerScheme(given);
    if (location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0) {
        target.url = EncodeAddress(location);
        return true;
    }
    const std::string path = location.substr(5); // after "s3://"
    const size_t slash = path.find('/');
    if (location.rfind("s3://", 0) != 0 || slash == 0 || slash == std::string::npos ||
        slash + 1 >= path.size()) {
        reason = "An S3 location is s3://BUCKET/KEY.";
        return false;
    }
    const std::string bucket = path.substr(0, slash);
    const std::string key = path.substr(slash + 1);
    target.s3 = true;
    target.region = Environment("AWS_REGION");
    if (target.region.empty())
        target.region = Environment("AWS_DEFAULT_REGION");
    if (target.region.empty())
        target.region = "us-east-1";
    std::string endpoint = Environment("AWS_ENDPOINT_URL");
    if (!endpoint.empty()) {
        // S3-compatible stores are addressed by path: ENDPOINT/BUCKET/KEY.
        while (!endpoint.empty() && endpoint.back() == '/')
            endpoint.pop_back();
        target.url = endpoint + "/" + EncodePath(bucket) + "/" + EncodePath(key);
    } else if (bucket.find('.') != std::string::npos) {
        target.url = "https://s3." + target.region + ".amazonaws.com/" + EncodePath(bucket) + "/" +
                     EncodePath(key);
    } else {
        target.url =
            "https://" + bucket + ".s3." + target.region + ".amazonaws.com/" + EncodePath(key);
    }
    target.keyId = Environment("AWS_ACCESS_KEY_ID");
    target.secret = Environment("AWS_SECRET_ACCESS_KEY");
    target.sessionToken = Environment("AWS_SESSION_TOKEN");
    if (target.keyId.empty() || target.secret.empty())
        target.keyId.clear(); // anonymous, as for a public bucket
    return true;
}

namespace {

// Runs `work` on a thread of its own while the caller tells the wait hook
// every tenth of a second, calling `giveUp` once the hook gives the wait
// up; whether it did. Nothing is held meanwhile, as the hook may run the
// window's events.
bool RunBeside(const std::string& shown, const std::function<void()>& work,
               const std::function<void()>& giveUp) {
    std::mutex done;
    std::condition_variable finished;
    bool over = false;
    bool given = false;
    std::thread worker([&] {
        work();
        std::lock_guard lock(done);
        over = true;
        finished.notify_all();
    });
    {
        std::unique_lock lock(done);
        double waited = 0;
        bool told = false;
        while (!finished.wait_for(lock, kWaitTick, [&] { return over; })) {
            waited += std::chrono::duration<double>(kWaitTick).count();
            lock.unlock();
            told = true;
            if (!segy::WaitingOnLocation(shown, waited) && !given) {
                given = true;
                giveUp();
            }
            lock.lock();
        }
        lock.unlock();
        if (told)
            segy::WaitingOnLocation(shown, -1);
    }
    worker.join();
    return given;
}

} // namespace

namespace {

std::mutex readThroughMutex;
std::set<std::string> toReadThrough; // locations to be read through when opened

} // namespace

void AssumeProcessors(unsigned count) {
    processorsForStreams = count;
}

void ExpectReadThrough(const std::string& location) {
    if (!segy::IsLocation(location))
        return;
    std::lock_guard lock(readThroughMutex);
    toReadThrough.insert(location);
}

std::shared_ptr<segy::ByteSource> OpenLocation(const std::string& location, std::string& reason) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<RemoteFile>> kept;
    {
        std::lock_guard lock(mutex);
        if (const auto found = kept.find(location); found != kept.end())
            return found->second;
    }
    bool readThrough = false;
    {
        std::lock_guard lock(readThroughMutex);
        readThrough = toReadThrough.erase(location) > 0;
    }
    RemoteTarget target;
    std::string why;
    const CurlLibrary* curl = ResolveLocation(location, target, why) ? LoadCurl(why) : nullptr;
    auto file = curl ? std::make_shared<RemoteFile>(*curl, target) : nullptr;
    // The first request runs beside the caller, which tells the wait hook
    // while it waits, so that a window can offer to give it up.
    // A user who gave the open up is taken at their word, even when the
    // answer came in the meantime.
    bool probed = false;
    if (file && RunBeside(
                    ShownLocation(location), [&] { probed = file->Open(why, readThrough); },
                    [&] { file->Cancel(); })) {
        probed = false;
        why = "Opening it was cancelled.";
    }
    if (!probed) {
        reason = "Cannot read \"" + ShownLocation(location) + "\". " + why;
        return nullptr;
    }
    // Locations stay open for the program's life; a handful is all a
    // session visits.
    constexpr size_t kKeptLocations = 8;
    std::lock_guard lock(mutex);
    if (const auto found = kept.find(location); found != kept.end())
        return found->second;
    if (kept.size() >= kKeptLocations)
        kept.erase(kept.begin());
    kept[location] = file;
    return file;
}

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The text of every <tag>...</tag> in an S3 answer, entities decoded.
std::vector<std::string> XmlValues(const std::string& xml, const std::string& tag) {
    std::vector<std::string> values;
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at)) {
        at += open.size();
        const size_t end = xml.find(close, at);
        if (end == std::string::npos)
            break;
        std::string value = xml.substr(at, end - at);
        for (const auto& [entity, text] :
             {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&quot;", "\""},
              std::pair{"&apos;", "'"}, std::pair{"&amp;", "&"}})
            for (size_t e = value.find(entity); e != std::string::npos;
                 e = value.find(entity, e + 1))
                value.replace(e, std::strlen(entity), text);
        values.push_back(value);
        at = end + close.size();
    }
    return values;
}

// A query parameter's value, every byte but the unreserved ones escaped.
std::string EncodeQuery(const std::string& text) {
    std::string out = EncodePath(text);
    for (size_t at = out.find('/'); at != std::string::npos; at = out.find('/', at))
        out.replace(at, 1, "%2F");
    return out;
}

} // namespace

namespace {

// The objects beside an s3:// location (see ListBesideLocation); ends early
// once `cancel` is set.
bool ListObjects(const std::string& location, std::vector<std::string>& names, std::string& reason,
                 const std::atomic<bool>& cancel) {
    const size_t slash = location.rfind('/');
    const std::string name = slash == std::string::npos ? location : location.substr(slash + 1);
    RemoteTarget target;
    if (!ResolveLocation(location, target, reason))
        return false;
    const CurlLibrary* curl = LoadCurl(reason);
    if (!curl)
        return false;
    const std::string path = location.substr(5);
    const std::string bucket = path.substr(0, path.find('/'));
    const std::string key = path.substr(bucket.size() + 1);
    const std::string prefix = key.substr(0, key.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : Lower(name.substr(dot));
    // The bucket's address: the object's address without its key.
    const std::string objectPath = EncodePath(key);
    const std::string base = target.url.substr(0, target.url.size() - objectPath.size());
    CURL* handle = curl->easy_init();
    if (!handle) {
        reason = "libcurl could not be started.";
        return false;
    }
    std::string token;
    bool ok = true;
    do {
        target.url = base + "?list-type=2&delimiter=%2F&prefix=" + EncodeQuery(prefix) +
                     (token.empty() ? "" : "&continuation-token=" + EncodeQuery(token));
        Response r;
        r.cancel = &cancel;
        Prepare(*curl, handle, target, "", r);
        curl->easy_setopt(handle, CURLOPT_RANGE, static_cast<const char*>(nullptr));
        const CURLcode code = curl->easy_perform(handle);
        ReleaseHeaders(*curl, handle, r);
        if (cancel) {
            reason = "Listing it was cancelled.";
            ok = false;
            break;
        }
        if (code != CURLE_OK) {
            reason = code == CURLE_PEER_FAILED_VERIFICATION
                         ? TransferFailure(*curl, code)
                         : std::string("The store could not be read: ") +
                               curl->easy_strerror(code) + ".";
            ok = false;
            break;
        }
        curl->easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &r.status);
        if (r.status != 200) {
            reason = StatusReason(r.status);
            ok = false;
            break;
        }
        for (const std::string& listed : XmlValues(r.body, "Key")) {
            const std::string entry = listed.substr(std::min(prefix.size(), listed.size()));
            if (listed.rfind(prefix, 0) == 0 && !entry.empty() &&
                entry.find('/') == std::string::npos &&
                (extension.empty() ||
                 (entry.size() > extension.size() &&
                  Lower(entry.substr(entry.size() - extension.size())) == extension)))
                names.push_back(entry);
        }
        const std::vector<std::string> truncated = XmlValues(r.body, "IsTruncated");
        const std::vector<std::string> next = XmlValues(r.body, "NextContinuationToken");
        token =
            !truncated.empty() && truncated.front() == "true" && !next.empty() ? next.front() : "";
    } while (!token.empty());
    curl->easy_cleanup(handle);
    std::sort(names.begin(), names.end());
    return ok;
}

} // namespace

bool ListBesideLocation(const std::string& given, std::vector<std::string>& names,
                        std::string& reason) {
    names.clear();
    const std::string location = WithLowerScheme(given);
    if (location.rfind("s3://", 0) != 0) {
        names.push_back(location.substr(segy::LocationNameStart(location)));
        return true;
    }
    std::atomic<bool> cancel{false};
    bool listed = false;
    if (RunBeside(
            ShownLocation(location), [&] { listed = ListObjects(location, names, reason, cancel); },
            [&] { cancel = true; })) {
        names.clear();
        reason = "Listing it was cancelled.";
        return false;
    }
    return listed;
}

void EnableLocations() {
    segy::SetLocationOpener(OpenLocation);
}

} // namespace remote
