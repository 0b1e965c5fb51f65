#include "segy/HeaderScan.h"

#include "segy/PosixFile.h"
#include "segy/Trace.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>

namespace segy {

namespace {

// Files with traces up to this length are streamed in large blocks (the
// samples come along, but one read replaces thousands of small ones);
// longer traces are read header by header.
constexpr int64_t kStreamTraceLengthLimit = 16 * 1024;
constexpr int64_t kStreamBlockBytes = 4 * 1024 * 1024;

// Events are let through at least this often while a full scan runs; more
// often would only cost time, as no screen refreshes faster.
constexpr auto kEventInterval = std::chrono::milliseconds(5);
constexpr int64_t kClockCheckEveryHeaders = 16;

void Accumulate(const unsigned char* header, int32_t littleEndian, HeaderScanTables& tables) {
    int32_t w4[kHeaderWords4];
    int16_t w2[kHeaderWords2];
    DecodeHeaderWords(header, std::span<int32_t, kHeaderWords4>(w4), littleEndian);
    DecodeHeaderWords(header, std::span<int16_t, kHeaderWords2>(w2), littleEndian);
    for (int i = 0; i < kHeaderWords4; ++i) {
        tables.Hdr4Min[i] = std::min(tables.Hdr4Min[i], w4[i]);
        tables.Hdr4Max[i] = std::max(tables.Hdr4Max[i], w4[i]);
    }
    for (int i = 0; i < kHeaderWords2; ++i) {
        tables.Hdr2Min[i] = std::min(tables.Hdr2Min[i], int32_t{w2[i]});
        tables.Hdr2Max[i] = std::max(tables.Hdr2Max[i], int32_t{w2[i]});
    }
}

// The index a single-trace mode reads, or -1 when it names no trace: a
// selected number below 1, or the last trace of a file without traces,
// would lie inside the file header or before the file.
int64_t SingleTraceIndex(int32_t mode, const ScanLayout& layout, const ScanContext& context) {
    switch (mode) {
    case kScanFirst:
        return 0;
    case kScanSecond:
        return 1;
    case kScanLast:
        return layout.NumTraces > 0 ? int64_t{layout.NumTraces} - 1 : -1;
    case kScanSelected: {
        const std::string text = context.selectedTraceText ? context.selectedTraceText() : "";
        const int32_t n = SelectedTraceNumber(text);
        return n >= 1 ? int64_t{n} - 1 : -1;
    }
    default:
        return -1;
    }
}

// Paces the event processing and the progress bar of a full scan.
class FullScanPacer {
public:
    FullScanPacer(ScanProgress& progress, int32_t numTraces)
        : progress_(progress), numTraces_(numTraces), lastEvents_(Clock::now()) {}

    // Called once before each header is read (k headers read so far).
    void BeforeHeader(int64_t k) {
        if (k % kClockCheckEveryHeaders != 0)
            return;
        const auto now = Clock::now();
        if (now - lastEvents_ >= kEventInterval) {
            lastEvents_ = now;
            progress_.ProcessPendingEvents();
        }
    }

    // Called once after each header entered the tables (k headers now).
    void AfterHeader(int64_t k) {
        if (k % kProgressEveryHeaders != 0 || numTraces_ <= 0)
            return;
        progress_.SetProgress(static_cast<int32_t>(k * 100 / numTraces_));
    }

private:
    using Clock = std::chrono::steady_clock;
    ScanProgress& progress_;
    int64_t numTraces_;
    Clock::time_point lastEvents_;
};

int64_t ScanAllStreaming(const ReadOnlyFile& file, int32_t traceLength, int32_t littleEndian,
                         HeaderScanTables& tables, FullScanPacer& pacer) {
    const int64_t tracesPerBlock = std::max<int64_t>(1, kStreamBlockBytes / traceLength);
    const int64_t blockBytes = tracesPerBlock * traceLength;
    auto block = std::make_unique<unsigned char[]>(static_cast<size_t>(blockBytes));
    int64_t k = 0;
    for (;;) {
        const int64_t got = file.ReadAt(block.get(), blockBytes, TraceOffset(k, traceLength));
        // A header counts only when all its 240 bytes are there.
        for (int64_t at = 0; at + kTraceHeaderSize <= got; at += traceLength) {
            pacer.BeforeHeader(k);
            Accumulate(block.get() + at, littleEndian, tables);
            ++k;
            pacer.AfterHeader(k);
        }
        if (got < blockBytes)
            return k;
    }
}

int64_t ScanAllHeaderByHeader(const ReadOnlyFile& file, int32_t traceLength, int32_t littleEndian,
                              HeaderScanTables& tables, FullScanPacer& pacer) {
    unsigned char header[kTraceHeaderSize];
    int64_t k = 0;
    for (;;) {
        pacer.BeforeHeader(k);
        if (file.ReadAt(header, kTraceHeaderSize, TraceOffset(k, traceLength)) < kTraceHeaderSize)
            return k;
        Accumulate(header, littleEndian, tables);
        ++k;
        pacer.AfterHeader(k);
    }
}

} // namespace

void ResetScanTables(HeaderScanTables& tables) {
    std::fill(std::begin(tables.Hdr4Min), std::end(tables.Hdr4Min), kScanStartMin4);
    std::fill(std::begin(tables.Hdr4Max), std::end(tables.Hdr4Max), kScanStartMax4);
    std::fill(std::begin(tables.Hdr2Min), std::end(tables.Hdr2Min), kScanStartMin2);
    std::fill(std::begin(tables.Hdr2Max), std::end(tables.Hdr2Max), kScanStartMax2);
}

int32_t SelectedTraceNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return 1;
    return value;
}

int32_t ScanTraceHeaders(int32_t mode, const std::string& path, const ScanLayout& layout,
                         HeaderScanTables& tables, const ScanContext& context,
                         int64_t* headersRead) {
    const int32_t traceLength = TraceLength(layout.NumSamples, layout.BytesPerSample);
    ResetScanTables(tables);
    if (headersRead)
        *headersRead = 0;

    ReadOnlyFile file;
    if (!file.Open(path)) {
        context.messages.ShowMessage(kCannotOpenScanMessage);
        return 0;
    }

    int64_t k = 0;
    if (mode == kScanAll) {
        ScanProgress& progress = context.progress;
        progress.ShowProgress();
        progress.SetProgress(0);
        progress.SetProgressText(kScanCaption);
        char caption[64];
        std::snprintf(caption, sizeof caption, kScanCaptionWithCount, long{layout.NumTraces});
        progress.SetProgressText(caption);

        file.AdviseSequential();
        FullScanPacer pacer(progress, layout.NumTraces);
        // A trace length at or below the header size cannot occur with a
        // valid sample count; it is read header by header all the same.
        if (traceLength > kTraceHeaderSize && traceLength <= kStreamTraceLengthLimit)
            k = ScanAllStreaming(file, traceLength, layout.LittleEndian, tables, pacer);
        else
            k = ScanAllHeaderByHeader(file, std::max(traceLength, kTraceHeaderSize),
                                      layout.LittleEndian, tables, pacer);

        progress.HideProgress();
        progress.SetProgressText("");
        progress.SetProgress(0);
    } else {
        context.progress.ProcessPendingEvents();
        const int64_t index = SingleTraceIndex(mode, layout, context);
        unsigned char header[kTraceHeaderSize];
        if (index >= 0 && file.ReadAt(header, kTraceHeaderSize, TraceOffset(index, traceLength)) ==
                              kTraceHeaderSize) {
            Accumulate(header, layout.LittleEndian, tables);
            k = 1;
        }
    }
    if (headersRead)
        *headersRead = k;
    return 1;
}

std::vector<std::vector<std::string>> HeaderGridText(const HeaderScanTables& tables,
                                                     bool fourByteMode) {
    const int width = fourByteMode ? 4 : 2;
    const int words = fourByteMode ? kHeaderWords4 : kHeaderWords2;
    const int32_t* minima = fourByteMode ? tables.Hdr4Min : tables.Hdr2Min;
    const int32_t* maxima = fourByteMode ? tables.Hdr4Max : tables.Hdr2Max;

    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<size_t>(words) + 1);
    rows.push_back({"Bytes", std::to_string(width) + " Byte min",
                    std::to_string(width) + " Byte max", "Select"});
    for (int i = 0; i < words; ++i) {
        char range[32];
        std::snprintf(range, sizeof range, "%d-%d", width * i + 1, width * i + width);
        rows.push_back({range, std::to_string(minima[i]), std::to_string(maxima[i])});
    }
    return rows;
}

} // namespace segy
