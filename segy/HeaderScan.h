// The trace header scan: the smallest and largest value of every 4-byte and
// every 2-byte trace-header location over all traces or over one trace.
#pragma once

#include "segy/HeaderInspection.h"
#include "segy/HeaderScanTables.h"
#include "segy/SegyFormat.h"
#include "segy/UserMessages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace segy {

inline const char* const kCannotOpenScanMessage = "Cannot open input SEGY file!!";
inline const char* const kScanCaption = "Scan Headers";
// printf format of the caption naming the trace count.
inline const char* const kScanCaptionWithCount = "Scan Headers of %ld Traces";

// Scan start values. The maxima start one above the smallest value so that a
// header word at the very bottom of its range shows as minimum only.
constexpr int32_t kScanStartMin4 = 2147483647;
constexpr int32_t kScanStartMax4 = -2147483647;
constexpr int32_t kScanStartMin2 = 32767;
constexpr int32_t kScanStartMax2 = -32767;

// Progress is reported every this many headers.
constexpr int64_t kProgressEveryHeaders = 20;

enum ScanMode : int32_t {
    kScanAll = 0,
    kScanFirst = 1,
    kScanSecond = 2,
    kScanLast = 3,
    kScanSelected = 4,
};

// The layout a scan reads with, taken once when the scan starts.
struct ScanLayout {
    int32_t NumSamples = 0;
    int32_t BytesPerSample = 0;
    int64_t NumTraces = 0;
    int32_t LittleEndian = 0;
    TraceFraming Framing;
};

// What a running full scan tells the user and how it lets the rest of the
// program breathe. The window implements it with its progress dialog, the
// command-line tool with a bar on a terminal, the tests with a recorder.
class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    // Sets the bar (0 resets it); also processes pending events.
    virtual void SetProgress(int32_t percent) = 0;
    virtual void SetProgressText(const std::string& text) = 0;
    // Lets pending input and paint events run; the scan calls it often.
    virtual void ProcessPendingEvents() = 0;
    // Asked after events ran: true ends the scan where it stands, as when
    // the events started a newer scan or closed the window.
    virtual bool StopRequested() { return false; }
};

class NoScanProgress final : public ScanProgress {
public:
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgress(int32_t) override {}
    void SetProgressText(const std::string&) override {}
    void ProcessPendingEvents() override {}
};

struct ScanContext {
    UserMessages& messages;
    ScanProgress& progress;
    // The selected-trace text, read when a mode-4 scan reaches its header.
    std::function<std::string()> selectedTraceText;
};

// Sets every table to its scan start value.
void ResetScanTables(HeaderScanTables& tables);

// Trace number (1-based) that a selected-trace text names: the integer it
// holds (read as ParseDecimalInteger reads it), or 1 when it holds none.
int32_t SelectedTraceNumber(const std::string& text);

// Scans `path` in `mode` into `tables`. Returns 1 when the file was opened,
// however many headers it held, and 0 when it could not be opened (the user
// is told, the tables hold their start values). `headersRead`, when given,
// receives the number of headers that entered the tables. `inspection`,
// when given, learns the rest of what a scan of every header can tell in
// the same pass; other modes leave it as it was.
int32_t ScanTraceHeaders(int32_t mode, const std::string& path, const ScanLayout& layout,
                         HeaderScanTables& tables, const ScanContext& context,
                         int64_t* headersRead = nullptr, HeaderInspection* inspection = nullptr);

// The header grid as text: the title row (4 cells), then one row of 3 cells
// (byte range, minimum, maximum) per word of the chosen form.
std::vector<std::vector<std::string>> HeaderGridText(const HeaderScanTables& tables,
                                                     bool fourByteMode);

} // namespace segy
