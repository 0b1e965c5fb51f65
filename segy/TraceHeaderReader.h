// Reads the trace headers of a file in order, for the full header scan, in
// the way that suits the file's trace length. The choice is made here and
// nowhere else (ChooseHeaderReading).
#pragma once

#include "segy/PosixFile.h"
#include "segy/SegyFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace segy {

enum class HeaderReading {
    // The whole file in large positioned reads; the headers are picked out
    // of the blocks. Short traces: a header page holds several headers, and
    // few large reads cost less than many small ones.
    kStream,
    // Only the header pages, through a memory map, with the pages a window
    // ahead requested from the storage as one contiguous range each time.
    // Medium traces: most pages hold a header, so the range is read whole.
    kMappedDense,
    // As kMappedDense, but only the pages that hold headers are requested.
    // Long traces: most of the file is samples and is never read.
    kMappedSparse,
};

// Trace lengths at or below this (bytes) are streamed. Measured on the
// benchmark files: 1240-byte traces scan as fast streamed as through the map,
// warm and cold, with less machinery; 6240-byte traces read through the map
// cost half of streaming them warm and the same cold.
constexpr int64_t kStreamTraceLengthLimit = 4096;
// Trace lengths at or above this (bytes) have only their header pages
// requested: from here most pages of the file hold no header, and asking
// for the header pages alone reads a fraction of the file.
constexpr int64_t kSparseTraceLengthFrom = 16 * 1024;

// How a full scan reads headers of traces `traceLength` bytes long.
HeaderReading ChooseHeaderReading(int32_t traceLength);

// Headers that arrived: `count` of them, `stride` bytes apart from `first`.
struct HeaderRun {
    const unsigned char* first = nullptr;
    int64_t count = 0;
    int64_t stride = 0;
};

// Where mapped reading copies its runs of headers, in place of a buffer of
// its own: the full scan hands the headers to its inspection this way
// without copying them a second time. A run of up to kMappedRunHeaders
// headers goes to RunBuffer(), which stays unchanged until the run is
// consumed; RunFilled says how many arrived.
class HeaderRunBuffers {
public:
    virtual unsigned char* RunBuffer() = 0;
    virtual void RunFilled(int64_t count) = 0;

protected:
    ~HeaderRunBuffers() = default;
};

// The headers one mapped read copies out at once; later calls are served
// from the copy. The file's size is checked once per copy, so this also
// sets how often that check runs.
constexpr int64_t kMappedRunHeaders = 256;

class TraceHeaderReader {
public:
    // Reads the headers of `file` (open for the reader's life) at
    // TraceOffset(k, traceLength, firstTrace) for k = 0, 1, 2, ... in
    // `reading`'s way.
    TraceHeaderReader(const ReadOnlyFile& file, int32_t traceLength, int64_t firstTrace,
                      HeaderReading reading);
    ~TraceHeaderReader();
    TraceHeaderReader(const TraceHeaderReader&) = delete;
    TraceHeaderReader& operator=(const TraceHeaderReader&) = delete;

    // The next 1 to `most` headers, valid until the next call; none once a
    // header read comes up short (end of the file, or a failed read), and
    // none from then on.
    HeaderRun Next(int64_t most);

    // Whether the headers are copied in runs (mapped reading), and where to:
    // `buffers` for the reader's life, or its own buffer for none.
    bool CopiesRuns() const { return !streamed_; }
    void CopyRunsTo(HeaderRunBuffers* buffers) { runBuffers_ = buffers; }

private:
    int64_t HeaderOffset(int64_t k) const;
    HeaderRun NextStreamed(int64_t most);
    HeaderRun NextMapped(int64_t most);
    // Copies the next run of mapped headers into `to`; their count.
    int64_t CopyMappedRun(unsigned char* to);
    // Requests the header pages up to a window ahead of the next header and
    // releases the mapped pages behind it.
    void PrefetchAhead();

    const ReadOnlyFile& file_;
    const int32_t traceLength_;
    const int64_t firstTrace_;
    const HeaderReading reading_;
    bool streamed_ = false;
    MappedFile map_;
    bool mapped_ = false;
    bool ended_ = false;
    int64_t next_ = 0;         // index of the next header to deliver
    int64_t prefetchedTo_ = 0; // file offset up to which pages were requested
    int64_t releasedTo_ = 0;   // file offset up to which mapped pages were released
    std::vector<unsigned char> buffer_;
    HeaderRunBuffers* runBuffers_ = nullptr;
    // The block or run at `run_` (in `buffer_` or given by `runBuffers_`)
    // holds headers [blockFirst_, blockEnd_).
    unsigned char* run_ = nullptr;
    int64_t blockFirst_ = 0;
    int64_t blockEnd_ = 0;
    bool lastBlock_ = false;
};

} // namespace segy
