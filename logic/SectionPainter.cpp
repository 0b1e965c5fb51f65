#include "logic/SectionPainter.h"

#include "logic/OpenFlow.h"
#include "logic/TraceRenderer.h"
#include "segy/PosixFile.h"
#include "segy/Trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// Keeps Painting set for exactly the life of one paint, also when the paint
// ends by an exception, so a failed paint never blocks the next one.
class PaintingGuard {
public:
    explicit PaintingGuard(ViewerState& state) : state_(state) { state_.Painting = 1; }
    ~PaintingGuard() { state_.Painting = 0; }
    PaintingGuard(const PaintingGuard&) = delete;
    PaintingGuard& operator=(const PaintingGuard&) = delete;

private:
    ViewerState& state_;
};

// The label text of a header row; false when the row names no word of the
// form the grid shows now (a 2-byte row past 60 seen as 4-byte words).
bool HeaderLabel(const ViewerState& state, const unsigned char* header, int32_t row,
                 std::string& text) {
    int32_t value = 0;
    if (row == 0 ||
        !segy::HeaderWordAtRow(header, row, state.FourByteMode != 0, state.LittleEndian, value))
        return false;
    text = std::to_string(value);
    return true;
}

// Draws `text` centred on x, moved inward where it would reach past either
// edge of a plot `width` wide, and not at all where it is wider than the
// plot: a label cut at the edge reads as another number.
void DrawWholeLabel(Canvas& canvas, int32_t x, int y, int width, const std::string& text) {
    const int textWidth = canvas.TextWidth(text);
    if (textWidth > width)
        return;
    const int left = std::clamp(x - textWidth / 2, 0, width - textWidth);
    canvas.TextOut(left, y, text);
}

void DrawTraceLabels(const ViewerState& state, Canvas& canvas, const unsigned char* header,
                     int32_t x, int64_t traceNumber, int width) {
    std::string upper;
    HeaderLabel(state, header, state.UpperLabelRow, upper);
    std::string lower;
    if (!HeaderLabel(state, header, state.LowerLabelRow, lower))
        lower = std::to_string(traceNumber);

    const int tickBottom = kPlotTopMargin;
    const int tickTop = kPlotTopMargin - kLabelTickLength;
    canvas.SetBrushStyle(BrushStyle::Clear);
    DrawWholeLabel(canvas, x, 0, width, upper);
    canvas.MoveTo(x, tickBottom);
    canvas.LineTo(x, tickTop);
    DrawWholeLabel(canvas, x, tickTop - canvas.TextHeight(lower), width, lower);
    canvas.SetBrushStyle(BrushStyle::Solid);
}

// Dotted lines with their times in seconds at every 100 ms of the rest of
// the record, walked in 10 ms steps from the window's start time. The walk
// ends where a line would lie wholly below the canvas: a long record at a
// large interval would otherwise take billions of invisible steps.
void DrawTimingLines(const ViewerState& state, Canvas& canvas, int width, int height,
                     int32_t startMs, double pixelsPerSample) {
    canvas.SetBrushStyle(BrushStyle::Clear);
    const int hh = canvas.TextHeight("0");
    const int ww = canvas.TextWidth("0.0") + kTimingLabelGap;
    // "0.0" ends the gap left of the margin where the font leaves room for
    // it; a wider font would push its first digit off the canvas.
    const int labelLeft = std::max(kPlotLeftMargin - ww, 0);
    canvas.SetTextAlign(0);

    const double recordMs = state.NumSamples * state.SampleInterval;
    // The pixels of one 10 ms step.
    const double stepPixels = kTimingLineMs * pixelsPerSample / state.SampleInterval *
                              (static_cast<double>(kTimingStepMs) / kTimingLineMs);
    int64_t t = startMs;
    double td = static_cast<double>(t);
    double yo = 0.0;
    for (;;) {
        const int32_t y = kPlotTopMargin + TruncToPixel(yo);
        if (t % kTimingLineMs == 0) {
            char label[32];
            std::snprintf(label, sizeof label, "%01.1f", static_cast<double>(t) * 0.001);
            canvas.TextOut(labelLeft, y - hh / 2, label);
            canvas.SetPenStyle(PenStyle::Dot);
            canvas.MoveTo(kPlotLeftMargin, y);
            canvas.LineTo(width, y);
        }
        yo += stepPixels;
        td += kTimingStepMs;
        t = static_cast<int64_t>(td);
        const bool nextVisible =
            stepPixels > 0.0 && kPlotTopMargin + TruncToPixel(yo) - hh / 2 < height;
        if (!(static_cast<double>(t) <= recordMs) || !nextVisible)
            break;
    }
}

} // namespace

void DeferredMessages::ShowMessage(const std::string& text) {
    if (std::find(texts_.begin(), texts_.end(), text) == texts_.end())
        texts_.push_back(text);
}

void DeferredMessages::DeliverTo(segy::UserMessages& to) {
    const std::vector<std::string> texts = std::move(texts_);
    const bool beep = beep_;
    texts_.clear();
    beep_ = false;
    if (beep)
        to.Beep();
    for (const std::string& text : texts)
        to.ShowMessage(text);
}

double TraceSpacing(int width, int32_t tracesPerScreen) {
    if (tracesPerScreen <= 0)
        return 0.0;
    // The exact quotient, so the window's traces span the whole plot.
    return static_cast<double>(width - kPlotLeftMargin) / tracesPerScreen;
}

double PixelsPerSample(int height, double sampleInterval, int32_t msPerScreen) {
    if (msPerScreen <= 0)
        return 0.0;
    return (height - kPlotTopMargin) * sampleInterval / msPerScreen;
}

int64_t LastFirstTrace(int64_t numTraces, int32_t tracesPerScreen) {
    return std::max<int64_t>(numTraces - tracesPerScreen, 0);
}

int32_t TraceScrollMaximum(int64_t numTraces, int32_t tracesPerScreen) {
    return static_cast<int32_t>(
        std::min<int64_t>(LastFirstTrace(numTraces, tracesPerScreen), kInt32Max));
}

int64_t TraceAtBarPosition(int32_t position, int64_t numTraces, int32_t tracesPerScreen) {
    const int64_t last = LastFirstTrace(numTraces, tracesPerScreen);
    if (last <= kInt32Max || position <= 0)
        return position;
    // position x last / INT_MAX without a 64-bit overflow: last splits into
    // a quotient and a remainder of INT_MAX, each product fitting 63 bits.
    const int64_t quotient = last / kInt32Max;
    const int64_t remainder = last % kInt32Max;
    return position * quotient + int64_t{position} * remainder / kInt32Max;
}

int32_t BarPositionForTrace(int64_t trace, int64_t numTraces, int32_t tracesPerScreen) {
    const int64_t last = LastFirstTrace(numTraces, tracesPerScreen);
    const int64_t first = std::clamp<int64_t>(trace, 0, last);
    if (last <= kInt32Max)
        return static_cast<int32_t>(first);
    // The largest position that stands for a trace at or before `first`.
    const auto scaled = static_cast<int32_t>(static_cast<long double>(first) * kInt32Max / last);
    int32_t position = std::clamp(scaled, 0, kInt32Max);
    while (position > 0 && TraceAtBarPosition(position, numTraces, tracesPerScreen) > first)
        --position;
    while (position < kInt32Max &&
           TraceAtBarPosition(position + 1, numTraces, tracesPerScreen) <= first)
        ++position;
    return position;
}

int64_t FirstVisibleTrace(int32_t position, int64_t numTraces, int32_t tracesPerScreen) {
    return std::clamp<int64_t>(TraceAtBarPosition(position, numTraces, tracesPerScreen), 0,
                               LastFirstTrace(numTraces, tracesPerScreen));
}

int32_t WindowStartMs(int32_t position, int32_t recordLengthMs) {
    const int32_t start = std::min(position, recordLengthMs);
    return start / kTimingLineMs * kTimingLineMs;
}

namespace {

// The samples of a trace from `firstSample` that the plot's rows can show,
// with one beyond the last row.
int32_t WindowSampleCount(int32_t numSamples, int32_t firstSample, int height,
                          double pixelsPerSample) {
    const int32_t rest = std::max(numSamples - std::max(firstSample, 0), 0);
    if (!(pixelsPerSample > 0) || height <= kPlotTopMargin)
        return std::min(rest, 1);
    const double rows = (height - kPlotTopMargin) / pixelsPerSample + 2;
    return static_cast<int32_t>(std::min<double>(rest, std::ceil(rows)));
}

// The clip amplitudes of the painted traces: one for the screen, from
// every visible sample, or each trace's own.
std::vector<float> ClipAmplitudes(const ViewerState& state) {
    const PaintedSection& p = state.Painted;
    std::vector<float> scratch;
    std::vector<float> clips(static_cast<size_t>(p.traces));
    if (state.Display.normalisation == Normalisation::Global) {
        std::fill(clips.begin(), clips.end(),
                  AmplitudePercentile(p.values.data(), p.values.size(), state.Display.clipPercent,
                                      scratch));
        return clips;
    }
    for (int32_t t = 0; t < p.traces; ++t)
        clips[static_cast<size_t>(t)] =
            AmplitudePercentile(p.values.data() + static_cast<size_t>(t) * p.samples,
                                static_cast<size_t>(p.samples), state.Display.clipPercent, scratch);
    return clips;
}

std::string ClipText(float clip, const char* sign) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%.4g", sign, static_cast<double>(clip));
    return text;
}

// The displays other than variable area, drawn from the painted windows:
// colour cells, then lines, then the labels and the colour bar over them.
void DrawOtherDisplay(ViewerState& state, Canvas& canvas, int width, int64_t firstTrace) {
    const PaintedSection& p = state.Painted;
    const std::vector<float> clips = ClipAmplitudes(state);
    SectionWindow window;
    window.traces = p.traces;
    window.samples = p.samples;
    window.values = p.values.data();
    window.clips = clips;
    window.left = kPlotLeftMargin;
    window.top = kPlotTopMargin;
    window.traceSpacing = p.traceSpacing;
    window.pixelsPerSample = p.pixelsPerSample;
    const ColourRamp& ramp = RampOf(state.Display.colours);
    if (state.Display.Density())
        DrawDensity(canvas, window, ramp, state.PlotGain);
    canvas.SetPenStyle(PenStyle::Solid);
    if (state.Display.Lines())
        DrawWiggles(canvas, window, state.PlotGain);
    for (int32_t i = 0; i < p.traces; ++i) {
        const int64_t traceNumber = firstTrace + i + 1;
        if (i == 0 || (state.LabelIncrement != 0 && traceNumber % state.LabelIncrement == 0))
            DrawTraceLabels(
                state, canvas, p.headers.data() + static_cast<size_t>(i) * segy::kTraceHeaderSize,
                TruncToPixel(i * p.traceSpacing + kPlotLeftMargin, kInt32Max), traceNumber, width);
    }
    if (state.Display.Density()) {
        const bool global = state.Display.normalisation == Normalisation::Global;
        const float clip = clips.empty() ? 0.0f : clips.front();
        DrawColourBar(canvas, ramp, kPlotTopMargin, global ? ClipText(clip, "+") : "+clip",
                      global ? ClipText(clip, "-") : "-clip");
    }
}

// The longest trace read and scaled whole: a signed 16-bit count's reach,
// the longest trace a revision 0 or 1 file can describe. Variable area
// scales such a trace by its largest sample wherever the window lies. A
// longer trace (revision 2 counts reach 2^31) is read, decoded and scaled
// over the window on screen alone, so that a screen of million-sample
// traces costs what a screen of short ones does.
constexpr int32_t kWholeTraceSamples = 32767;

// Paints a screen of traces longer than kWholeTraceSamples from their
// painted windows, with one open of the file for the screen.
void PaintLongTraces(ViewerState& state, Canvas& canvas, int plotWidth, int64_t firstTrace,
                     segy::UserMessages& messages) {
    PaintedSection& p = state.Painted;
    const segy::TraceSource source = state.TraceFile();
    segy::SampleDecoding decoding = state.Decoding();
    const int32_t sampleWidth =
        std::max(segy::SampleWidth(decoding.DataType, decoding.BytesPerSample), 0);
    decoding.NumSamples = p.samples;
    segy::ReadOnlyFile file;
    const bool opened = file.Open(source.path);
    std::vector<unsigned char> buffer(segy::kTraceHeaderSize +
                                      static_cast<size_t>(p.samples) * sampleWidth);
    const bool area = state.Display.mode == DisplayMode::VariableArea;
    for (int32_t i = 0; i < p.traces; ++i) {
        int64_t bytes = 0;
        if (opened) {
            bytes = segy::ReadTraceWindow(file, source, firstTrace + i, p.firstSample, p.samples,
                                          sampleWidth, buffer.data());
        } else {
            messages.ShowMessage(segy::kCannotOpenTraceMessage);
            std::fill(buffer.begin(), buffer.end(), 0);
        }
        float* values = p.values.data() + static_cast<size_t>(i) * p.samples;
        segy::DecodeTraceSamples(buffer.data(), bytes, decoding, values);
        std::copy_n(buffer.data(), segy::kTraceHeaderSize,
                    p.headers.begin() + static_cast<std::ptrdiff_t>(i) * segy::kTraceHeaderSize);
        if (!area)
            continue;
        const int32_t x = TruncToPixel(i * p.traceSpacing + kPlotLeftMargin, kInt32Max);
        DrawTraceSamples(state, canvas, {x, kPlotTopMargin, p.pixelsPerSample, p.traceSpacing},
                         {values, p.samples, 0, p.samples});
        const int64_t traceNumber = firstTrace + i + 1;
        if (i == 0 || (state.LabelIncrement != 0 && traceNumber % state.LabelIncrement == 0))
            DrawTraceLabels(state, canvas, buffer.data(), x, traceNumber, plotWidth);
    }
    if (!area)
        DrawOtherDisplay(state, canvas, plotWidth, firstTrace);
}

} // namespace

SectionOutputs PaintSection(ViewerState& state, Canvas& canvas, const SectionInputs& in,
                            segy::UserMessages& messages) {
    SectionOutputs out;
    if (state.Painting || !state.FileLoaded)
        return out;
    PaintingGuard guard(state);
    state.RepaintOnChange = 0;
    canvas.SetPenStyle(PenStyle::Solid);

    const int32_t numSamples = std::max(state.NumSamples, 0);
    const int64_t traceBytes =
        static_cast<int64_t>(numSamples) * std::max(state.BytesPerSample, 0) +
        segy::kTraceHeaderSize;
    const int32_t traceLength = static_cast<int32_t>(std::min<int64_t>(traceBytes, kInt32Max));
    const int32_t recordLength = RecordLengthMs(state.NumSamples, state.SampleInterval);
    if (state.TracesPerScreen <= in.hMaximum)
        out.hPageSize = state.TracesPerScreen;
    const int64_t firstTrace =
        FirstVisibleTrace(in.hPosition, state.NumTraces, state.TracesPerScreen);

    // A gain edit that does not hold a number keeps the last gain drawn.
    ParseDecimalNumber(in.gainText, state.PlotGain);

    canvas.SetFont(kPlotFontFamily, kPlotFontPixels, true);
    if (state.MsPerScreen <= in.vMaximum)
        out.vPageSize = state.MsPerScreen;
    const int32_t startMs = WindowStartMs(in.vPosition, recordLength);
    const double traceSpacing = TraceSpacing(in.width, state.TracesPerScreen);
    const double pixelsPerSample =
        PixelsPerSample(in.height, state.SampleInterval, state.MsPerScreen);
    const auto traceCount = static_cast<int32_t>(
        std::clamp<int64_t>(state.NumTraces, 0, std::max(state.TracesPerScreen, 0)));
    out.painted = true;
    // Without a positive sample interval there is no time axis to draw on.
    if (!(state.SampleInterval > 0.0))
        return out;
    const int32_t firstSample = TruncToPixel(startMs / state.SampleInterval, kInt32Max);

    const segy::TraceSource source = state.TraceFile();
    const segy::SampleDecoding decoding = state.Decoding();
    // Each trace's visible window and header are kept for the readout and
    // for the displays that draw after every trace is read.
    PaintedSection& painted = state.Painted;
    const int32_t windowSamples =
        WindowSampleCount(numSamples, firstSample, in.height, pixelsPerSample);
    painted.valid = true;
    painted.firstTrace = firstTrace;
    painted.traces = traceCount;
    painted.firstSample = firstSample;
    painted.samples = windowSamples;
    painted.traceSpacing = traceSpacing;
    painted.pixelsPerSample = pixelsPerSample;
    painted.values.assign(static_cast<size_t>(traceCount) * windowSamples, 0.0f);
    painted.headers.assign(static_cast<size_t>(traceCount) * segy::kTraceHeaderSize, 0);
    const bool area = state.Display.mode == DisplayMode::VariableArea;
    if (numSamples > kWholeTraceSamples) {
        PaintLongTraces(state, canvas, in.width, firstTrace, messages);
        DrawTimingLines(state, canvas, in.width, in.height, startMs, pixelsPerSample);
        return out;
    }
    std::vector<unsigned char> trace(static_cast<size_t>(traceLength));
    std::vector<float> samples(static_cast<size_t>(numSamples));
    for (int32_t i = 0; i < traceCount; ++i) {
        if (segy::ReadTrace(source, firstTrace + i, traceLength, trace.data(), messages) == 0)
            std::memset(trace.data(), 0, trace.size());
        segy::DecodeTraceSamples(trace.data(), traceLength, decoding, samples.data());
        if (windowSamples > 0)
            std::copy_n(samples.data() + firstSample, windowSamples,
                        painted.values.begin() + static_cast<std::ptrdiff_t>(i) * windowSamples);
        std::copy_n(trace.data(), std::min<size_t>(trace.size(), segy::kTraceHeaderSize),
                    painted.headers.begin() +
                        static_cast<std::ptrdiff_t>(i) * segy::kTraceHeaderSize);
        if (!area)
            continue;
        const int32_t x = TruncToPixel(i * traceSpacing + kPlotLeftMargin, kInt32Max);
        DrawTrace(state, canvas, x, kPlotTopMargin, samples.data(), pixelsPerSample, traceSpacing,
                  firstSample);
        const int64_t traceNumber = firstTrace + i + 1;
        if (i == 0 || (state.LabelIncrement != 0 && traceNumber % state.LabelIncrement == 0))
            DrawTraceLabels(state, canvas, trace.data(), x, traceNumber, in.width);
    }
    if (!area)
        DrawOtherDisplay(state, canvas, in.width, firstTrace);
    DrawTimingLines(state, canvas, in.width, in.height, startMs, pixelsPerSample);
    return out;
}

namespace {

// A label row's words as the readout names them: "Bytes 189-192: 111".
void AddLabelLine(const ViewerState& state, const unsigned char* header, int32_t row,
                  std::vector<std::string>& lines) {
    int32_t value = 0;
    if (row == 0 ||
        !segy::HeaderWordAtRow(header, row, state.FourByteMode != 0, state.LittleEndian, value))
        return;
    const int width = state.FourByteMode ? 4 : 2;
    lines.push_back("Bytes " + std::to_string(width * (row - 1) + 1) + "-" +
                    std::to_string(width * row) + ": " + std::to_string(value));
}

} // namespace

std::vector<std::string> ReadoutLines(const ViewerState& state, int x, int y) {
    const PaintedSection& p = state.Painted;
    if (!p.valid || p.traces <= 0 || !(p.traceSpacing > 0) || !(p.pixelsPerSample > 0) ||
        y < kPlotTopMargin)
        return {};
    const double across = (x - kPlotLeftMargin) / p.traceSpacing;
    const double down = (y - kPlotTopMargin) / p.pixelsPerSample;
    if (!(across > -0.5 && across < p.traces - 0.5) || !(down < p.samples - 0.5))
        return {};
    const auto t = static_cast<int32_t>(std::lround(across));
    const auto k = static_cast<int32_t>(std::lround(down));
    const int64_t trace = p.firstTrace + t;
    std::vector<std::string> lines{"Trace " + std::to_string(trace + 1)};
    const unsigned char* header =
        p.headers.data() + static_cast<size_t>(t) * segy::kTraceHeaderSize;
    AddLabelLine(state, header, state.UpperLabelRow, lines);
    if (state.LowerLabelRow != state.UpperLabelRow)
        AddLabelLine(state, header, state.LowerLabelRow, lines);
    const int64_t sample = int64_t{p.firstSample} + k;
    char text[64];
    std::snprintf(text, sizeof text, "%.10g ms",
                  static_cast<double>(sample) * state.SampleInterval);
    lines.push_back(text);
    const float value = p.values[static_cast<size_t>(t) * p.samples + static_cast<size_t>(k)];
    // Integer formats print whole numbers; floating point ones as many
    // digits as a single-precision value holds.
    const bool integral = state.DataType == 1 || state.DataType == 4;
    std::snprintf(text, sizeof text, integral ? "Value %.0f" : "Value %.9g",
                  static_cast<double>(value));
    lines.push_back(text);
    return lines;
}
