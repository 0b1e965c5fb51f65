#include "segy/TraceHeaderReader.h"

#include <algorithm>

namespace segy {

namespace {

// Small enough that a block stays in the processor's cache between the
// kernel's copy and the header decoding, large enough that reads are few.
constexpr int64_t kStreamBlockBytes = 1024 * 1024;
// The storage is asked for the file this far ahead of the header in use, a
// step at a time: enough requests in flight to keep it busy while the
// headers before them are decoded, few enough calls that a file already in
// the page cache costs nothing noticeable.
constexpr int64_t kPrefetchAheadBytes = 32 * 1024 * 1024;
constexpr int64_t kPrefetchStepBytes = 4 * 1024 * 1024;
// Headers of a file read over the network asked for ahead of the one in
// use, where the headers are asked for alone: enough requests in flight to
// hide the round trips (the remote source keeps twice as many).
constexpr int64_t kRemoteHeadersAhead = 8192;
// Mapped pages behind the scan are released this much at a time: each
// release costs a call and a flush of the address translations on every
// processor that runs a thread of the viewer (the inspection's thread makes
// that two), which on a virtual machine costs more than the release itself.
// Dense reading maps every page it passes, so it holds up to 32 MiB of the
// file; sparse reading maps only header pages, at most one page in four for
// traces of 16 KiB and more, so it holds at most 32 MiB with its step.
constexpr int64_t kDenseReleaseStepBytes = 32 * 1024 * 1024;
constexpr int64_t kSparseReleaseStepBytes = 128 * 1024 * 1024;

} // namespace

HeaderReading ChooseHeaderReading(int32_t traceLength) {
    if (traceLength <= kStreamTraceLengthLimit)
        return HeaderReading::kStream;
    return traceLength < kSparseTraceLengthFrom ? HeaderReading::kMappedDense
                                                : HeaderReading::kMappedSparse;
}

TraceHeaderReader::TraceHeaderReader(const ReadOnlyFile& file, int32_t traceLength,
                                     int64_t firstTrace, HeaderReading reading)
    : file_(file), traceLength_(std::max<int32_t>(traceLength, kTraceHeaderSize)),
      firstTrace_(firstTrace), reading_(reading),
      // A trace length at or below the header size cannot occur with a
      // valid sample count; such a file is read header by header all the same.
      // A file read over the network arrives in the remote source's blocks
      // whatever is asked for, so its headers alone are copied out of them.
      streamed_(reading == HeaderReading::kStream && traceLength > kTraceHeaderSize &&
                file.IsLocal()) {
    if (streamed_) {
        const int64_t tracesPerBlock = std::max<int64_t>(1, kStreamBlockBytes / traceLength_);
        buffer_.resize(static_cast<size_t>(tracesPerBlock * traceLength_));
    } else {
        mapped_ = map_.Map(file_);
        buffer_.resize(static_cast<size_t>(kMappedRunHeaders * kTraceHeaderSize));
    }
}

TraceHeaderReader::~TraceHeaderReader() = default;

HeaderRun TraceHeaderReader::Next(int64_t most) {
    if (ended_ || most <= 0)
        return {};
    PrefetchAhead();
    const HeaderRun run = streamed_ ? NextStreamed(most) : NextMapped(most);
    if (run.count == 0)
        ended_ = true;
    next_ += run.count;
    return run;
}

int64_t TraceHeaderReader::HeaderOffset(int64_t k) const {
    return TraceOffset(k, traceLength_, firstTrace_);
}

HeaderRun TraceHeaderReader::NextStreamed(int64_t most) {
    if (next_ >= blockEnd_) {
        if (lastBlock_)
            return {};
        const auto blockBytes = static_cast<int64_t>(buffer_.size());
        const int64_t got = file_.ReadAt(buffer_.data(), blockBytes, HeaderOffset(next_));
        // A header counts only when all its bytes are there.
        const int64_t complete =
            got < kTraceHeaderSize ? 0 : (got - kTraceHeaderSize) / traceLength_ + 1;
        blockFirst_ = next_;
        blockEnd_ = next_ + complete;
        lastBlock_ = got < blockBytes;
        if (complete == 0)
            return {};
    }
    const int64_t count = std::min(most, blockEnd_ - next_);
    return {buffer_.data() + (next_ - blockFirst_) * traceLength_, count, traceLength_};
}

HeaderRun TraceHeaderReader::NextMapped(int64_t most) {
    if (next_ >= blockEnd_) {
        blockFirst_ = next_;
        run_ = runBuffers_ ? runBuffers_->RunBuffer() : buffer_.data();
        const int64_t copied = CopyMappedRun(run_);
        if (runBuffers_)
            runBuffers_->RunFilled(copied);
        blockEnd_ = next_ + copied;
        if (blockEnd_ == next_)
            return {};
    }
    const int64_t count = std::min(most, blockEnd_ - next_);
    return {run_ + (next_ - blockFirst_) * kTraceHeaderSize, count, kTraceHeaderSize};
}

int64_t TraceHeaderReader::CopyMappedRun(unsigned char* to) {
    const int64_t wanted = kMappedRunHeaders;
    int64_t count = 0;
    if (mapped_) {
        count = map_.CopyPieces(to, HeaderOffset(next_), traceLength_, kTraceHeaderSize, wanted);
        // A file cut short under the map reads as zeros up to the end of its
        // last page instead of faulting, so the size after the copy decides
        // which of the headers were there when they were read.
        const int64_t size = file_.Size();
        while (count > 0 && HeaderOffset(next_ + count - 1) + kTraceHeaderSize > size)
            --count;
        // Past the mapped length the file has grown or been cut: from here
        // on the file itself says where it ends.
        if (count < wanted)
            mapped_ = false;
    }
    if (count < wanted)
        count += file_.CopyPieces(to + count * kTraceHeaderSize, HeaderOffset(next_ + count),
                                  traceLength_, kTraceHeaderSize, wanted - count);
    return count;
}

void TraceHeaderReader::PrefetchAhead() {
    const int64_t page = MappedFile::PageSize();
    const int64_t at = HeaderOffset(next_);
    const int64_t releaseStep =
        reading_ == HeaderReading::kMappedSparse ? kSparseReleaseStepBytes : kDenseReleaseStepBytes;
    if (mapped_ && at - releasedTo_ >= releaseStep) {
        map_.Release(releasedTo_, at - releasedTo_);
        releasedTo_ = at / page * page;
    }
    // A file read over the network is asked for the headers' own ranges
    // only where the traces are so long that this costs less than the
    // samples between them (the source knows what its server takes);
    // otherwise it is asked for whole.
    const int64_t alone = file_.IsLocal() ? 0 : file_.PiecesAloneFrom();
    const bool headersOnly = alone > 0 && traceLength_ >= alone;
    const int64_t ahead = headersOnly
                              ? std::max(kPrefetchAheadBytes, kRemoteHeadersAhead * traceLength_)
                              : kPrefetchAheadBytes;
    while (prefetchedTo_ < at + ahead) {
        const int64_t from = std::max(prefetchedTo_, at / page * page);
        const int64_t to = from + kPrefetchStepBytes;
        prefetchedTo_ = to;
        if (!headersOnly && (streamed_ || !mapped_ || from >= map_.Length())) {
            // Only the headers of the step are used (a file read over the
            // network may then keep only those of what arrives).
            file_.AdviseWillNeedPieces(from, to - from, HeaderOffset(0), traceLength_,
                                       kTraceHeaderSize);
            continue;
        }
        // The first and the last header that start in the step.
        const int64_t firstOffset = HeaderOffset(0);
        const int64_t first =
            from <= firstOffset ? 0 : (from - firstOffset + traceLength_ - 1) / traceLength_;
        const int64_t last = to <= firstOffset ? -1 : (to - 1 - firstOffset) / traceLength_;
        if (last < first)
            continue;
        if (!headersOnly) {
            // A step whose last header page is cached was read a moment
            // ago, with the rest of the step, and is not asked for again:
            // asking page by page costs a file in the page cache more than
            // the map itself. A file cached only in part is then asked for
            // a little less.
            unsigned char resident = 0;
            if (map_.ResidentPages(HeaderOffset(last) / page * page, 1, &resident) &&
                (resident & 1))
                continue;
            if (reading_ != HeaderReading::kMappedSparse) {
                file_.AdviseWillNeed(from, to - from);
                continue;
            }
        }
        for (int64_t k = first; k <= last; ++k)
            file_.AdviseWillNeed(HeaderOffset(k), kTraceHeaderSize);
    }
}

} // namespace segy
