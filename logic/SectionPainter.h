// The picture of the Data page: the visible traces of the open file side by
// side, their labels above the plot and the timing lines across it. Plain
// drawing code on a Canvas, so the paint box, the command-line renderer and
// the tests draw the very same picture.
#pragma once

#include "logic/Canvas.h"
#include "logic/ViewerState.h"
#include "segy/UserMessages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Plot layout in pixels.
// The Data page's plot at the window's start size: what `render` draws by
// default. The window's form gives the plot exactly this size; its test
// checks that the two agree.
constexpr int kStartPlotWidth = 584;
constexpr int kStartPlotHeight = 565;

constexpr int kPlotLeftMargin = 20;
constexpr int kPlotTopMargin = 30;
constexpr int kLabelTickLength = 3;
// Timing lines every 100 ms; the running time steps by 10 ms.
constexpr int kTimingLineMs = 100;
constexpr int kTimingStepMs = 10;
// Gap between a timing label and the plot's left margin.
constexpr int kTimingLabelGap = 5;

inline const char* const kPlotFontFamily = "Arial";
constexpr int kPlotFontPixels = 13;

// What the widgets supply to one paint.
struct SectionInputs {
    int width = 0; // PB1
    int height = 0;
    int hPosition = 0; // HScrollBar
    int hMaximum = 0;
    int vPosition = 0; // VScrollBar
    int vMaximum = 0;
    std::string gainText; // GainED
};

// What one paint sets on the widgets: the page sizes of the two bars, each
// only when it does not exceed the bar's maximum.
struct SectionOutputs {
    bool painted = false;
    std::optional<int> hPageSize;
    std::optional<int> vPageSize;
};

// What a paint has to tell the user, kept until its painter has ended: a
// message box shown inside a paint would run an event loop with the painter
// still active. Each text is kept once, in the order first said.
class DeferredMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string& text) override;
    void Beep() override { beep_ = true; }
    bool Empty() const { return texts_.empty() && !beep_; }
    // Passes everything kept on to `to`, forgetting it first, so that what
    // is said meanwhile is kept for the next delivery.
    void DeliverTo(segy::UserMessages& to);

private:
    std::vector<std::string> texts_;
    bool beep_ = false;
};

// One paint of PB1. Does nothing while another paint runs (Painting) or
// before a file is loaded. Traces that cannot be read are drawn flat.
SectionOutputs PaintSection(ViewerState& state, Canvas& canvas, const SectionInputs& in,
                            segy::UserMessages& messages);

// What lies under the point (x, y) of the last paint, a line each: the
// trace (counted from 1), the chosen label words' values, the time in ms
// and the sample's value. Empty where no trace or sample lies, and before a
// paint of the open file. Reads nothing: the last paint kept what it drew.
std::vector<std::string> ReadoutLines(const ViewerState& state, int x, int y);

// The window's geometry for a paint box of width × height.
double TraceSpacing(int width, int32_t tracesPerScreen);
double PixelsPerSample(int height, double sampleInterval, int32_t msPerScreen);
// The first trace of the last whole window: the highest first trace.
int64_t LastFirstTrace(int64_t numTraces, int32_t tracesPerScreen);
// The horizontal bar's maximum: the last first trace, held at the largest
// int where a file has more first traces than the bar has positions.
int32_t TraceScrollMaximum(int64_t numTraces, int32_t tracesPerScreen);
// The trace a bar position stands for: the position itself wherever the
// bar's range holds every first trace (every file below 2^31 traces), else
// the position scaled so that 0 and the bar's maximum stand for the first
// and the last whole window exactly.
int64_t TraceAtBarPosition(int32_t position, int64_t numTraces, int32_t tracesPerScreen);
// The bar position whose window starts at `trace`, or as near before it as
// the bar's positions reach; the last whole window for a trace beyond it.
int32_t BarPositionForTrace(int64_t trace, int64_t numTraces, int32_t tracesPerScreen);
// The first trace of the window for a horizontal bar position.
int64_t FirstVisibleTrace(int32_t position, int64_t numTraces, int32_t tracesPerScreen);
// The window's start time for a vertical bar position: a multiple of 100 ms.
int32_t WindowStartMs(int32_t position, int32_t recordLengthMs);
