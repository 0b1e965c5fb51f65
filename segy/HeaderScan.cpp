#include "segy/HeaderScan.h"

#include "segy/ByteOrder.h"
#include "segy/DecimalText.h"
#include "segy/HeaderFold.h"
#include "segy/PosixFile.h"
#include "segy/TraceHeaderReader.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace segy {

namespace {

// Events are let through at least this often while a full scan runs; more
// often would only cost time, as no screen refreshes faster.
constexpr auto kEventInterval = std::chrono::milliseconds(5);

// One table of extremes and where they first occur, for NoteExtremes.
struct ExtremeTable {
    int32_t* values;
    int64_t* traces;
    int words;
    bool fourByte;
};

// After a batch has been folded in: every extreme of the parts in `parts`
// that the batch changed, or that no trace holds yet, gets the first trace
// of the batch that holds it. Returns the parts in which some extreme is
// still held by no trace. Extremes rarely change after the first batches
// and the fold says in which parts they did, so this costs little beside
// the fold, which stays free of branches.
uint32_t NoteExtremes(const ExtremeTable& table, const int32_t* before, uint32_t parts,
                      const unsigned char* first, int64_t count, int64_t stride,
                      int32_t littleEndian, int64_t firstTrace) {
    const int wordBytes = table.fourByte ? 4 : 2;
    const int partWords = kFoldPartBytes / wordBytes;
    uint32_t unheld = 0;
    for (; parts != 0; parts &= parts - 1) {
        const int part = std::countr_zero(parts);
        for (int i = part * partWords; i < (part + 1) * partWords; ++i) {
            if (table.values[i] == before[i] && table.traces[i] >= 0)
                continue;
            for (int64_t h = 0; h < count; ++h) {
                const unsigned char* word = first + h * stride + wordBytes * i;
                const int32_t value = table.fourByte
                                          ? static_cast<int32_t>(Load32(word, littleEndian))
                                          : static_cast<int16_t>(Load16(word, littleEndian));
                if (value == table.values[i]) {
                    table.traces[i] = firstTrace + h;
                    break;
                }
            }
            if (table.traces[i] < 0)
                unheld |= 1u << part;
        }
    }
    return unheld;
}

// Hands headers to an inspection that follows them on a thread of its own,
// so that learning their characters overlaps reading and folding them. The
// headers are copied into a few blocks that the thread takes in order; the
// reader waits only when every block is still in use. Where the machine has
// a single processor, or no thread can be started, the inspection follows
// the headers in place.
class InspectionPipe final : public HeaderRunBuffers {
public:
    explicit InspectionPipe(HeaderInspection* inspection) : inspection_(inspection) {
        if (!inspection_ || std::thread::hardware_concurrency() < 2)
            return;
        try {
            blocks_.resize(kBlocks);
            for (int b = 0; b < kBlocks; ++b) {
                // Left uninitialised: every header is written before it is read,
                // and clearing megabytes would come before the first one.
                blocks_[b].bytes.reset(
                    new unsigned char[static_cast<size_t>(kBlockHeaders) * kTraceHeaderSize]);
                free_.push_back(b);
            }
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            blocks_.clear();
        }
    }
    ~InspectionPipe() { Close(); }
    InspectionPipe(const InspectionPipe&) = delete;
    InspectionPipe& operator=(const InspectionPipe&) = delete;

    void Push(const unsigned char* first, int64_t count, int64_t stride, int64_t firstTrace) {
        if (!inspection_)
            return;
        if (!thread_.joinable()) {
            inspection_->Take(first, count, stride, firstTrace);
            return;
        }
        for (int64_t h = 0; h < count; ++h) {
            if (filling_ < 0)
                StartBlock(firstTrace + h);
            Block& block = blocks_[filling_];
            std::memcpy(block.bytes.get() + block.count * kTraceHeaderSize, first + h * stride,
                        kTraceHeaderSize);
            if (++block.count == kBlockHeaders)
                Submit();
        }
    }

    // Whether the headers go to a thread of their own; only then can the
    // reader copy its runs straight into the pipe's blocks.
    bool Threaded() const { return thread_.joinable(); }

    // The reader's runs land in the blocks. The reader asks for room for
    // a run only once the scan has folded the run before, so a block that
    // cannot take another run is complete and is handed over then; the
    // scan and the inspection then both only read it.
    unsigned char* RunBuffer() override {
        if (filling_ >= 0 && blocks_[filling_].count + kMappedRunHeaders > kBlockHeaders)
            Submit();
        if (filling_ < 0)
            StartBlock(runTrace_);
        return blocks_[filling_].bytes.get() + blocks_[filling_].count * kTraceHeaderSize;
    }
    void RunFilled(int64_t count) override {
        blocks_[filling_].count += count;
        runTrace_ += count;
    }

    // Hands over what is left of the first `folded` traces, the ones the
    // scan folded (a stopped scan may leave part of a run unfolded), and
    // waits until the inspection has taken it.
    void Close(int64_t folded = std::numeric_limits<int64_t>::max()) {
        if (!thread_.joinable())
            return;
        if (filling_ >= 0) {
            Block& block = blocks_[filling_];
            block.count = std::clamp<int64_t>(folded - block.firstTrace, 0, block.count);
            Submit();
        }
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

private:
    static constexpr int kBlocks = 4;
    // A block of headers takes the reader a few tenths of a millisecond
    // from a local file; after 20 ms without one, the reader is waiting on
    // something slower (the network, the window's events).
    static constexpr auto kQuickPoll = std::chrono::microseconds(200);
    static constexpr int kQuickPolls = 100;
    static constexpr auto kIdlePoll = std::chrono::milliseconds(10);
    static constexpr int64_t kBlockHeaders = 2048;
    static_assert(kBlockHeaders >= kMappedRunHeaders, "a block holds at least one run");
    struct Block {
        std::unique_ptr<unsigned char[]> bytes;
        int64_t firstTrace = 0;
        int64_t count = 0;
    };

    // Takes a free block to fill, waiting for the inspection to free one.
    void StartBlock(int64_t firstTrace) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !free_.empty(); });
        filling_ = free_.front();
        free_.pop_front();
        blocks_[filling_].firstTrace = firstTrace;
        blocks_[filling_].count = 0;
    }

    // Queues the filled block without waking the inspection's thread, which
    // looks for blocks on its own (Run).
    void Submit() {
        {
            std::lock_guard lock(mutex_);
            full_.push_back(filling_);
        }
        filling_ = -1;
    }

    // The inspection's thread. A thread woken by another is often moved onto
    // the waker's processor, and the reader and the inspection then take
    // turns on one processor while another stands idle (a full scan then
    // takes half as long again). So the reader does not wake this thread
    // for each block: the thread looks for blocks every so often, more
    // rarely while none come (a scan over a slow network), and is woken
    // only when the scan ends.
    void Run() {
        for (;;) {
            int b;
            {
                std::unique_lock lock(mutex_);
                for (int polls = 0; full_.empty() && !closed_; ++polls)
                    changed_.wait_for(lock, polls < kQuickPolls ? kQuickPoll : kIdlePoll);
                if (full_.empty())
                    return;
                b = full_.front();
                full_.pop_front();
            }
            inspection_->Take(blocks_[b].bytes.get(), blocks_[b].count, kTraceHeaderSize,
                              blocks_[b].firstTrace);
            {
                std::lock_guard lock(mutex_);
                free_.push_back(b);
            }
            changed_.notify_all();
        }
    }

    HeaderInspection* inspection_;
    std::vector<Block> blocks_;
    std::deque<int> free_, full_;
    int filling_ = -1;
    int64_t runTrace_ = 0; // the first trace of the next run from the reader
    bool closed_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};

// Folds a batch of headers, the first of them trace `firstTrace`, into the
// tables and notes where their extremes first occur; with a pipe, hands the
// headers on to the inspection too. `unheldParts` carries from batch to
// batch the parts with an extreme that no trace holds yet (at first, all).
void FoldHeadersNotingTraces(const unsigned char* first, int64_t count, int64_t stride,
                             int32_t littleEndian, int64_t firstTrace, HeaderScanTables& tables,
                             uint32_t& unheldParts, InspectionPipe* pipe = nullptr) {
    const ExtremeTable extremes[] = {
        {tables.Hdr4Min, tables.Hdr4MinTrace, kHeaderWords4, true},
        {tables.Hdr4Max, tables.Hdr4MaxTrace, kHeaderWords4, true},
        {tables.Hdr2Min, tables.Hdr2MinTrace, kHeaderWords2, false},
        {tables.Hdr2Max, tables.Hdr2MaxTrace, kHeaderWords2, false},
    };
    int32_t before[4][kHeaderWords2];
    for (int t = 0; t < 4; ++t)
        std::copy(extremes[t].values, extremes[t].values + extremes[t].words, before[t]);
    const uint32_t changed =
        FoldHeaders(first, count, stride, littleEndian,
                    {tables.Hdr4Min, tables.Hdr4Max, tables.Hdr2Min, tables.Hdr2Max});
    if (pipe)
        pipe->Push(first, count, stride, firstTrace);
    const uint32_t parts = changed | unheldParts;
    unheldParts = 0;
    for (int t = 0; t < 4; ++t)
        unheldParts |= NoteExtremes(extremes[t], before[t], parts, first, count, stride,
                                    littleEndian, firstTrace);
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
        return layout.NumTraces > 0 ? layout.NumTraces - 1 : -1;
    case kScanSelected: {
        const std::string text = context.selectedTraceText ? context.selectedTraceText() : "";
        const int32_t n = SelectedTraceNumber(text);
        return n >= 1 ? int64_t{n} - 1 : -1;
    }
    default:
        return -1;
    }
}

// Paces the event processing and the progress bar of a full scan. Headers
// enter the tables in batches that end at every progress step, so the
// tables are up to date whenever the rest of the program gets to run.
class FullScanPacer {
public:
    FullScanPacer(ScanProgress& progress, int64_t numTraces)
        : progress_(progress), numTraces_(numTraces), lastEvents_(Clock::now()) {}

    // How many headers the batch starting after k headers may hold.
    static int64_t BatchSize(int64_t k) {
        return kProgressEveryHeaders - k % kProgressEveryHeaders;
    }

    // Called before each batch (k headers read so far); false when the
    // events that ran asked the scan to stop.
    bool BeforeBatch() {
        const auto now = Clock::now();
        if (now - lastEvents_ >= kEventInterval) {
            lastEvents_ = now;
            progress_.ProcessPendingEvents();
        }
        return !progress_.StopRequested();
    }

    // Called after each batch entered the tables (k headers now); false when
    // the events the progress update let run asked the scan to stop.
    bool AfterBatch(int64_t k) {
        if (k % kProgressEveryHeaders != 0 || numTraces_ <= 0)
            return true;
        progress_.SetProgress(static_cast<int32_t>(k * 100 / numTraces_));
        return !progress_.StopRequested();
    }

private:
    using Clock = std::chrono::steady_clock;
    ScanProgress& progress_;
    int64_t numTraces_;
    Clock::time_point lastEvents_;
};

// Reads every header in order until a read comes up short. Batches end at
// every progress step and wherever the reader's runs end.
int64_t ScanAll(TraceHeaderReader& reader, int32_t littleEndian, HeaderScanTables& tables,
                FullScanPacer& pacer, InspectionPipe& pipe) {
    // Runs copied out of a map go to the inspection's blocks directly.
    InspectionPipe* copying = &pipe;
    if (pipe.Threaded() && reader.CopiesRuns()) {
        reader.CopyRunsTo(&pipe);
        copying = nullptr;
    }
    int64_t k = 0;
    uint32_t unheldParts = kAllFoldParts;
    for (;;) {
        if (!pacer.BeforeBatch())
            return k;
        const HeaderRun run = reader.Next(FullScanPacer::BatchSize(k));
        if (run.count == 0)
            return k;
        FoldHeadersNotingTraces(run.first, run.count, run.stride, littleEndian, k, tables,
                                unheldParts, copying);
        k += run.count;
        if (!pacer.AfterBatch(k))
            return k;
    }
}

} // namespace

void ResetScanTables(HeaderScanTables& tables) {
    std::fill(std::begin(tables.Hdr4Min), std::end(tables.Hdr4Min), kScanStartMin4);
    std::fill(std::begin(tables.Hdr4Max), std::end(tables.Hdr4Max), kScanStartMax4);
    std::fill(std::begin(tables.Hdr2Min), std::end(tables.Hdr2Min), kScanStartMin2);
    std::fill(std::begin(tables.Hdr2Max), std::end(tables.Hdr2Max), kScanStartMax2);
    for (int64_t* traces : {tables.Hdr4MinTrace, tables.Hdr4MaxTrace})
        std::fill(traces, traces + kHeaderWords4, -1);
    for (int64_t* traces : {tables.Hdr2MinTrace, tables.Hdr2MaxTrace})
        std::fill(traces, traces + kHeaderWords2, -1);
}

int32_t SelectedTraceNumber(const std::string& text) {
    int32_t number = 1;
    ParseDecimalInteger(text, number);
    return number;
}

int32_t ScanTraceHeaders(int32_t mode, const std::string& path, const ScanLayout& layout,
                         HeaderScanTables& tables, const ScanContext& context, int64_t* headersRead,
                         HeaderInspection* inspection) {
    const int32_t traceLength = StoredTraceLength(layout.NumSamples, layout.BytesPerSample,
                                                  layout.Framing.TraceHeaderExtensions);
    const int64_t firstTrace = layout.Framing.FirstTraceOffset;
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
        std::snprintf(caption, sizeof caption, kScanCaptionWithCount,
                      static_cast<long>(layout.NumTraces));
        progress.SetProgressText(caption);

        file.AdviseSequential();
        FullScanPacer pacer(progress, layout.NumTraces);
        TraceHeaderReader reader(file, traceLength, firstTrace, ChooseHeaderReading(traceLength));
        if (inspection)
            inspection->Start(layout.NumTraces, layout.LittleEndian);
        {
            InspectionPipe pipe(inspection);
            k = ScanAll(reader, layout.LittleEndian, tables, pacer, pipe);
            reader.CopyRunsTo(nullptr);
            pipe.Close(k);
        }
        if (inspection) {
            inspection->TakeExtremes(tables);
            inspection->Finish();
        }

        progress.HideProgress();
        progress.SetProgressText("");
        progress.SetProgress(0);
    } else {
        context.progress.ProcessPendingEvents();
        const int64_t index =
            context.progress.StopRequested() ? -1 : SingleTraceIndex(mode, layout, context);
        unsigned char header[kTraceHeaderSize];
        if (index >= 0 &&
            file.ReadAt(header, kTraceHeaderSize, TraceOffset(index, traceLength, firstTrace)) ==
                kTraceHeaderSize) {
            uint32_t unheldParts = kAllFoldParts;
            FoldHeadersNotingTraces(header, 1, kTraceHeaderSize, layout.LittleEndian, index, tables,
                                    unheldParts);
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
