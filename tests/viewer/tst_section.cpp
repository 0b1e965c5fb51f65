// The Data page's paint and its scroll and zoom decisions, on a recording
// canvas over files written by the test writer.
#include "logic/OpenFlow.h"
#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "segy/Trace.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <QAbstractSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <bit>
#include <climits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace segytest;

namespace {

// The paint box's width at the window's start size; 561 pixels high leaves
// 531 for one window of time.
constexpr int kWidth = 584;
constexpr int kHeight = 561;
// Where the recording canvas's timing labels start: 20 - (3 x 7 + 5) is
// left of the canvas, so at its edge, never cut.
constexpr int kTimingLabelX = 0;
constexpr int kLowerLabelY = 27 - kRecordedTextHeight;

class RecordedMessages final : public segy::UserMessages {
public:
    std::vector<std::string> shown;
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    void Beep() override {}
};

class ThrowingMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string& text) override { throw std::runtime_error(text); }
    void Beep() override {}
};

struct SectionFile {
    int traces = 30;
    int16_t numSamples = 50;
    int16_t intervalUs = 2000;
};

// Traces whose 4-byte words 1 and 2 are 1-based and 1000-based numbers,
// 2-byte word 90 (bytes 179-180) the number times -1, and whose samples
// run through -3 .. 3.
std::string WriteSection(const QTemporaryDir& dir, const SectionFile& file) {
    FileSpec spec;
    spec.numSamples = file.numSamples;
    spec.sampleIntervalUs = file.intervalUs;
    SegyWriter writer(spec);
    for (int t = 0; t < file.traces; ++t) {
        TraceSpec trace;
        trace.words4 = {{1, t + 1}, {5, 1000 + t}};
        trace.words2 = {{179, static_cast<int16_t>(-(t + 1))}};
        for (int i = 0; i < file.numSamples; ++i)
            trace.samples.push_back(((i + t) % 7) - 3);
        writer.AddTrace(trace);
    }
    const std::string path = dir.filePath(QStringLiteral("section.sgy")).toStdString();
    if (!writer.WriteTo(path))
        qFatal("cannot write the test file");
    return path;
}

// A sparse file of three IEEE traces `samples` long at 1 ms, each numbered
// at bytes 1-4. Trace 2 runs through -3..3 over its first 1000 samples and
// holds a spike of 3000 at sample `samples` - 100.
std::string WriteLongTraces(const QTemporaryDir& dir, int32_t samples) {
    FileSpec spec;
    spec.encoding = SampleEncoding::IeeeFloat;
    spec.revisionMajor = 2;
    spec.sampleIntervalUs = 1000;
    SegyWriter writer(spec);
    if (samples <= 32767)
        writer.SetBinary16(segy::kBinSamplesPerTraceOffset, static_cast<int16_t>(samples));
    else
        writer.SetBinary32(segy::kBinExtSamplesPerTraceOffset, samples);
    const std::string path = dir.filePath(QStringLiteral("long.sgy")).toStdString();
    const int64_t traceBytes = 240 + 4 * int64_t{samples};
    auto bigEndian = [](uint32_t bits) {
        return std::vector<unsigned char>{
            static_cast<unsigned char>(bits >> 24), static_cast<unsigned char>(bits >> 16),
            static_cast<unsigned char>(bits >> 8), static_cast<unsigned char>(bits)};
    };
    auto floatBits = [](float v) { return std::bit_cast<uint32_t>(v); };
    bool ok = writer.WriteTo(path) && Resize(path, 3600 + 3 * traceBytes);
    for (int t = 0; t < 3; ++t)
        ok = ok && WriteAt(path, 3600 + t * traceBytes, bigEndian(static_cast<uint32_t>(t + 1)));
    std::vector<unsigned char> ramp;
    for (int i = 0; i < 1000; ++i)
        for (unsigned char b : bigEndian(floatBits(static_cast<float>(i % 7 - 3))))
            ramp.push_back(b);
    ok = ok && WriteAt(path, 3600 + traceBytes + 240, ramp) &&
         WriteAt(path, 3600 + traceBytes + 240 + 4 * int64_t{samples - 100},
                 bigEndian(floatBits(3000.0f)));
    if (!ok)
        qFatal("cannot write the test file");
    return path;
}

std::unique_ptr<ViewerState> Opened(const std::string& path) {
    auto state = std::make_unique<ViewerState>();
    RecordedMessages messages;
    if (!ReadHeaderIntoState(*state, path, messages).recognized)
        qFatal("test file not recognised");
    state->CurrentFile = path;
    state->FileLoaded = 1;
    return state;
}

// The bars as the open flow sets them.
SectionInputs BarsFor(const ViewerState& state, int hPosition = 0, int vPosition = 0) {
    SectionInputs in;
    in.width = kWidth;
    in.height = kHeight;
    in.hPosition = hPosition;
    in.hMaximum = state.NumTraces;
    in.vPosition = vPosition;
    in.vMaximum = RecordLengthMs(state.NumSamples, state.SampleInterval);
    in.gainText = "2.5";
    return in;
}

struct Paint {
    RecordingCanvas canvas{kWidth, kHeight};
    SectionOutputs out;
    RecordedMessages messages;
};

std::unique_ptr<Paint> PaintOnce(ViewerState& state, const SectionInputs& in) {
    auto paint = std::make_unique<Paint>();
    paint->out = PaintSection(state, paint->canvas, in, paint->messages);
    return paint;
}

// The x of every trace drawn: a trace begins where the brush turns solid
// and the renderer's calls follow; its wiggle starts on its zero line.
std::vector<int> TraceXs(const RecordingCanvas& canvas) {
    std::vector<int> xs;
    const auto& calls = canvas.calls;
    for (size_t k = 0; k + 1 < calls.size(); ++k) {
        if (calls[k].kind != CallKind::SetBrushStyle || calls[k].brush != BrushStyle::Solid)
            continue;
        size_t next = k + 1;
        if (calls[next].kind == CallKind::SetPolyFillMode)
            ++next;
        if (next < calls.size() && calls[next].kind == CallKind::Polyline)
            xs.push_back(calls[next].points.front().x);
    }
    return xs;
}

// The widest offset from its zero line of trace `index`'s wiggle within
// the plot: every polyline from where TraceXs finds the trace to where it
// finds the next, at rows above the plot's bottom.
int WidestSwing(const RecordingCanvas& canvas, size_t index) {
    const auto& calls = canvas.calls;
    std::vector<size_t> starts;
    for (size_t k = 0; k + 1 < calls.size(); ++k)
        if (calls[k].kind == CallKind::SetBrushStyle && calls[k].brush == BrushStyle::Solid &&
            (calls[k + 1].kind == CallKind::Polyline ||
             calls[k + 1].kind == CallKind::SetPolyFillMode))
            starts.push_back(k);
    if (index >= starts.size())
        return -1;
    starts.push_back(calls.size());
    int zeroLine = INT_MIN;
    int widest = 0;
    for (size_t k = starts[index]; k < starts[index + 1]; ++k) {
        if (calls[k].kind != CallKind::Polyline)
            continue;
        if (zeroLine == INT_MIN)
            zeroLine = calls[k].points.front().x;
        for (const CanvasPoint& point : calls[k].points)
            if (point.y < kHeight)
                widest = std::max(widest, std::abs(point.x - zeroLine));
    }
    return widest;
}

std::vector<std::string> TextsAt(const RecordingCanvas& canvas, bool (*where)(const CanvasCall&)) {
    std::vector<std::string> texts;
    for (const CanvasCall& call : canvas.Of(CallKind::TextOut))
        if (where(call))
            texts.push_back(call.text);
    return texts;
}

bool IsUpperLabel(const CanvasCall& call) {
    return call.y == 0;
}
bool IsLowerLabel(const CanvasCall& call) {
    return call.y == kLowerLabelY;
}
bool IsTimingLabel(const CanvasCall& call) {
    return call.x == kTimingLabelX;
}

std::vector<std::string> Seconds(int fromMs, int toMs) {
    std::vector<std::string> labels;
    for (int t = fromMs; t <= toMs; t += 100)
        labels.push_back(QString::number(t * 0.001, 'f', 1).toStdString());
    return labels;
}

} // namespace

class SectionTest : public QObject {
    Q_OBJECT

private slots:
    void fewerTracesThanTheWindowStartAtTheLeft() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {30, 600, 2000}));
        const auto paint = PaintOnce(*state, BarsFor(*state, 17));
        std::vector<int> expected;
        for (int i = 0; i < 30; ++i)
            expected.push_back(static_cast<int>(i * (564.0 / 100) + 20));
        QCOMPARE(TraceXs(paint->canvas), expected);
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel), (std::vector<std::string>{"1", "20"}));
        // The bar's maximum (30 traces) is below the window: no page size.
        QVERIFY(!paint->out.hPageSize.has_value());
        QCOMPARE(paint->out.vPageSize, std::optional<int>(1000));
        QVERIFY(paint->messages.shown.empty());
    }

    void windowLoweredToTheLastFullScreen() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {1000, 10, 2000}));
        const auto paint = PaintOnce(*state, BarsFor(*state, 950));
        // 100 traces 5.64 pixels apart span the plot up to its right edge.
        const std::vector<int> xs = TraceXs(paint->canvas);
        QCOMPARE(xs.size(), size_t{100});
        QCOMPARE(xs[1], 25);
        QCOMPARE(xs[50], 302);
        QCOMPARE(xs[99], 578);
        std::vector<std::string> labels{"901"};
        for (int n = 920; n <= 1000; n += 20)
            labels.push_back(std::to_string(n));
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel), labels);
        QCOMPARE(paint->out.hPageSize, std::optional<int>(100));
        // Label 901 centred on the first trace and its tick above the plot.
        const auto texts = paint->canvas.Of(CallKind::TextOut);
        const auto lower = std::find_if(texts.begin(), texts.end(), IsLowerLabel);
        QCOMPARE(lower->x, 20 - 3 * kRecordedCharWidth / 2);
        const auto moves = paint->canvas.Of(CallKind::MoveTo);
        const auto lines = paint->canvas.Of(CallKind::LineTo);
        QCOMPARE(moves.front().x, 20);
        QCOMPARE(moves.front().y, 30);
        QCOMPARE(lines.front().x, 20);
        QCOMPARE(lines.front().y, 27);
    }

    void labelsStayWholeAtBothEdges() {
        // A label cut at the plot's edge reads as another number ("1000000"
        // as "10000"): every label lies whole inside the plot, an edge label
        // moved inward, in both zooms, at the first and the last window.
        QTemporaryDir dir;
        for (const int traces : {100, 200, 1000000}) {
            const std::string path = WriteSection(dir, {1, 1, 2000});
            QVERIFY(segytest::Resize(path, 3600 + int64_t{traces} * 244));
            auto state = Opened(path);
            QCOMPARE(state->NumTraces, traces);
            state->UpperLabelRow = 1; // the 1-based trace number of the first trace
            for (const bool zoomedOut : {false, true}) {
                ZoomBtnClick(*state, zoomedOut);
                for (const int position : {0, traces}) {
                    const auto paint = PaintOnce(*state, BarsFor(*state, position));
                    int labels = 0;
                    for (const CanvasCall& call : paint->canvas.Of(CallKind::TextOut)) {
                        if (!IsLowerLabel(call) && !IsUpperLabel(call))
                            continue;
                        ++labels;
                        const int width = kRecordedCharWidth * static_cast<int>(call.text.size());
                        QVERIFY2(call.x >= 0 && call.x + width <= kWidth, call.text.c_str());
                    }
                    QVERIFY(labels > 0);
                    const auto last = TextsAt(paint->canvas, IsLowerLabel).back();
                    if (position == traces)
                        QCOMPARE(last, std::to_string(traces));
                }
            }
        }
    }

    void moreTracesThanABarHasPositions() {
        // 2^31 + 1012 traces of one one-byte sample (a sparse file): the
        // bar's int positions stand for the first traces scaled, 0 and the
        // bar's maximum for the first and the last window exactly.
        constexpr int64_t kTraces = (int64_t{1} << 31) + 1012; // a multiple of 20
        QTemporaryDir dir;
        FileSpec spec;
        spec.numSamples = 1;
        spec.encoding = SampleEncoding::Int8;
        const std::string path = dir.filePath(QStringLiteral("huge.sgy")).toStdString();
        QVERIFY(SegyWriter(spec).WriteTo(path));
        QVERIFY(segytest::Resize(path, 3600 + kTraces * 241));
        auto state = Opened(path);
        QCOMPARE(state->NumTraces, kTraces);
        QCOMPARE(TraceScrollMaximum(kTraces, 100), INT32_MAX);
        QCOMPARE(FirstVisibleTrace(0, kTraces, 100), int64_t{0});
        QCOMPARE(FirstVisibleTrace(INT32_MAX, kTraces, 100), kTraces - 100);
        QVERIFY(FirstVisibleTrace(INT32_MAX - 1, kTraces, 100) < kTraces - 100);
        // Files below 2^31 traces: the position is the first trace.
        QCOMPARE(TraceAtBarPosition(950, 1000, 100), int64_t{950});
        QCOMPARE(BarPositionForTrace(950, 1000, 100), 900);
        // Back from a trace: the last position that starts at or before it.
        QCOMPARE(BarPositionForTrace(kTraces - 1, kTraces, 100), INT32_MAX);
        for (const int64_t trace : {int64_t{0}, int64_t{123456789}, kTraces / 2}) {
            const int32_t position = BarPositionForTrace(trace, kTraces, 100);
            QVERIFY(TraceAtBarPosition(position, kTraces, 100) <= trace);
            QVERIFY(TraceAtBarPosition(position + 1, kTraces, 100) > trace);
        }
        SectionInputs in = BarsFor(*state, INT32_MAX);
        in.hMaximum = INT32_MAX;
        const auto paint = PaintOnce(*state, in);
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel).front(), std::to_string(kTraces - 99));
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel).back(), std::to_string(kTraces));
    }

    void headerWordLabels() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {45, 10, 2000}));
        state->UpperLabelRow = 1;
        state->LowerLabelRow = 2;
        auto paint = PaintOnce(*state, BarsFor(*state));
        QCOMPARE(TextsAt(paint->canvas, IsUpperLabel), (std::vector<std::string>{"1", "20", "40"}));
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel),
                 (std::vector<std::string>{"1000", "1019", "1039"}));

        // Row 90 is a 2-byte word; seen as 4-byte words it names nothing, so
        // the upper line is empty and the lower one shows trace numbers.
        state->UpperLabelRow = 90;
        state->LowerLabelRow = 90;
        state->FourByteMode = 0;
        paint = PaintOnce(*state, BarsFor(*state));
        QCOMPARE(TextsAt(paint->canvas, IsUpperLabel),
                 (std::vector<std::string>{"-1", "-20", "-40"}));
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel),
                 (std::vector<std::string>{"-1", "-20", "-40"}));
        state->FourByteMode = 1;
        paint = PaintOnce(*state, BarsFor(*state));
        QCOMPARE(TextsAt(paint->canvas, IsUpperLabel), (std::vector<std::string>{"", "", ""}));
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel), (std::vector<std::string>{"1", "20", "40"}));

        state->LabelIncrement = 0;
        paint = PaintOnce(*state, BarsFor(*state, 5));
        QCOMPARE(TextsAt(paint->canvas, IsLowerLabel), (std::vector<std::string>{"1"}));
    }

    void timingLinesFromTheStartTime() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {3, 1500, 2000}));
        auto paint = PaintOnce(*state, BarsFor(*state, 0, 1234));
        // 531 pixels of plot for 1000 ms: the line of 2.2 s is the last one
        // whose label still reaches into the 561-pixel paint box.
        QCOMPARE(TextsAt(paint->canvas, IsTimingLabel), Seconds(1200, 2200));
        const auto lines = paint->canvas.Of(CallKind::LineTo);
        QCOMPARE(lines.size(), size_t{1 + 11}); // one label tick, 11 timing lines
        QCOMPARE(lines[1].x, kWidth);
        QCOMPARE(lines[1].y, 30);
        QCOMPARE(lines[2].y, 30 + 53);
        QCOMPARE(lines[11].y, 30 + 531); // on the bottom edge; its label still shows
        // Samples from 600 (1200 ms) on, 1.062 pixels apart.
        const CanvasCall first = paint->canvas.Of(CallKind::Polyline).front();
        QCOMPARE(first.points.size(), size_t{501});
        QCOMPARE(first.points[2].y, 30 + static_cast<int>(1 * 1.062));
        QCOMPARE(first.points[11].y, 30 + static_cast<int>(10 * 1.062));

        // Zoomed out, every line down to the end of the record shows.
        ZoomBtnClick(*state, true);
        paint = PaintOnce(*state, BarsFor(*state, 0, 1234));
        QCOMPARE(TextsAt(paint->canvas, IsTimingLabel), Seconds(1200, 3000));
    }

    void startTimeBetweenSamples() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {2, 400, 3000}));
        const auto paint = PaintOnce(*state, BarsFor(*state, 0, 150));
        // Start 100 ms: sample 33 (99 ms) at the top, the line of 0.1 s too.
        const auto polylines = paint->canvas.Of(CallKind::Polyline);
        QCOMPARE(polylines.front().points.size(), size_t{400 - 33 + 1});
        const auto texts = paint->canvas.Of(CallKind::TextOut);
        const auto label = std::find_if(texts.begin(), texts.end(), IsTimingLabel);
        QCOMPARE(label->text, std::string("0.1"));
        QCOMPARE(label->y, 30 - kRecordedTextHeight / 2);
    }

    void pixelsPerSampleAndSpacing() {
        QCOMPARE(PixelsPerSample(561, 2.0, 1000), 531 * 2.0 / 1000);
        QCOMPARE(PixelsPerSample(561, 4.0, 2000), 531 * 4.0 / 2000);
        QCOMPARE(TraceSpacing(584, 100), 5.64);
        QCOMPARE(TraceSpacing(584, 200), 2.82);
        QCOMPARE(TraceSpacing(578, 100), 5.58);
        QCOMPARE(FirstVisibleTrace(950, 1000, 100), 900);
        QCOMPARE(FirstVisibleTrace(17, 30, 100), 0);
        QCOMPARE(WindowStartMs(1234, 3000), 1200);
        QCOMPARE(WindowStartMs(5000, 2999), 2900);
    }

    void zoomedOutWindow() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {250, 20, 4000}));
        const ZoomSettings out = ZoomBtnClick(*state, true);
        QCOMPARE(state->TracesPerScreen, 200);
        QCOMPARE(state->MsPerScreen, 2000);
        QCOMPARE(out.hLargeChange, 180);
        QCOMPARE(out.vLargeChange, 1800);
        const auto paint = PaintOnce(*state, BarsFor(*state));
        const std::vector<int> xs = TraceXs(paint->canvas);
        QCOMPARE(xs.size(), size_t{200});
        QCOMPARE(xs[1], 22);
        QCOMPARE(xs[199], 581); // trunc(199 x 2.82 + 20)
        QCOMPARE(paint->out.hPageSize, std::optional<int>(200));
        QVERIFY(!paint->out.vPageSize.has_value()); // 80 ms record

        const ZoomSettings in = ZoomBtnClick(*state, false);
        QCOMPARE(state->TracesPerScreen, 100);
        QCOMPARE(state->MsPerScreen, 1000);
        QCOMPARE(in.hLargeChange, 80);
        QCOMPARE(in.vLargeChange, 800);
    }

    void fileWithoutTracesShowsTimingLinesOnly() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {0, 100, 4000}));
        QCOMPARE(state->NumTraces, 0);
        const auto paint = PaintOnce(*state, BarsFor(*state));
        QVERIFY(paint->canvas.Of(CallKind::Polyline).empty());
        QVERIFY(paint->canvas.Of(CallKind::PolyPolygon).empty());
        QCOMPARE(TextsAt(paint->canvas, [](const CanvasCall&) { return true; }), Seconds(0, 400));
    }

    void repeatedPaintsDrawTheSame() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {60, 300, 2000}));
        const auto first = PaintOnce(*state, BarsFor(*state, 3, 100));
        const auto second = PaintOnce(*state, BarsFor(*state, 3, 100));
        QCOMPARE(first->canvas.Kinds(), second->canvas.Kinds());
        QCOMPARE(first->canvas.Of(CallKind::PolyPolygon).back().points,
                 second->canvas.Of(CallKind::PolyPolygon).back().points);
        for (const Paint* paint : {first.get(), second.get()}) {
            // Traces and ticks solid, timing lines dotted, in every paint.
            PenStyle pen = PenStyle::Dot;
            QCOMPARE(paint->canvas.calls.front().kind, CallKind::SetPenStyle);
            for (const CanvasCall& call : paint->canvas.calls) {
                if (call.kind == CallKind::SetPenStyle)
                    pen = call.pen;
                if (call.kind == CallKind::Polyline || call.kind == CallKind::PolyPolygon)
                    QCOMPARE(pen, PenStyle::Solid);
                if (call.kind == CallKind::LineTo)
                    QCOMPARE(pen, call.y == 27 ? PenStyle::Solid : PenStyle::Dot);
            }
        }
    }

    void paintsOnlyWhenLoadedAndNotPainting() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {5, 10, 2000}));
        state->RepaintOnChange = 1;
        state->Painting = 1;
        auto paint = PaintOnce(*state, BarsFor(*state));
        QVERIFY(paint->canvas.calls.empty());
        QVERIFY(!paint->out.painted);
        QCOMPARE(state->Painting, 1);
        QCOMPARE(state->RepaintOnChange, 1);

        state->Painting = 0;
        state->FileLoaded = 0;
        paint = PaintOnce(*state, BarsFor(*state));
        QVERIFY(paint->canvas.calls.empty());

        state->FileLoaded = 1;
        paint = PaintOnce(*state, BarsFor(*state));
        QVERIFY(paint->out.painted);
        QCOMPARE(state->Painting, 0);
        QCOMPARE(state->RepaintOnChange, 0);
    }

    void failedPaintLeavesNoGuardBehind() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {5, 10, 2000}));
        state->CurrentFile = dir.filePath(QStringLiteral("gone.sgy")).toStdString();
        RecordingCanvas canvas;
        ThrowingMessages throwing;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 PaintSection(*state, canvas, BarsFor(*state), throwing));
        QCOMPARE(state->Painting, 0);

        // Every trace of the window reports the missing file and is drawn flat.
        const auto paint = PaintOnce(*state, BarsFor(*state));
        QCOMPARE(paint->messages.shown, std::vector<std::string>(5, segy::kCannotOpenTraceMessage));
        QVERIFY(paint->canvas.Of(CallKind::SetPolyFillMode).empty());
        QCOMPARE(paint->canvas.Of(CallKind::Polyline).size(), size_t{5});
    }

    void gainFromTheEdit() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {1, 10, 2000}));
        SectionInputs in = BarsFor(*state);
        in.gainText = " 3.5 ";
        PaintOnce(*state, in);
        QCOMPARE(state->PlotGain, 3.5);
        // Not a number: the last gain stays and the paint goes on.
        for (const char* text : {"abc", "", "2,5", "nan", "inf", "1e999", "+-2", "++2"}) {
            in.gainText = text;
            QVERIFY(PaintOnce(*state, in)->out.painted);
            QCOMPARE(state->PlotGain, 3.5);
        }
        in.gainText = "-1e-1";
        PaintOnce(*state, in);
        QCOMPARE(state->PlotGain, -0.1);
        in.gainText = "+.5";
        PaintOnce(*state, in);
        QCOMPARE(state->PlotGain, 0.5);
    }

    void noTimeAxisWithoutASampleInterval() {
        QTemporaryDir dir;
        auto state = Opened(WriteSection(dir, {5, 10, 2000}));
        for (double interval : {0.0, -2.0}) {
            state->SampleInterval = interval;
            const auto paint = PaintOnce(*state, BarsFor(*state));
            QVERIFY(paint->out.painted);
            QVERIFY(paint->canvas.Of(CallKind::Polyline).empty());
            QVERIFY(paint->canvas.Of(CallKind::TextOut).empty());
        }
        // A huge interval still ends the walk at the bottom of the box.
        state->SampleInterval = 1e12;
        const auto paint = PaintOnce(*state, BarsFor(*state));
        QCOMPARE(TextsAt(paint->canvas, IsTimingLabel), Seconds(0, 1000));
    }

    void longTracesPaintTheirWindowScaledByItself() {
        // Up to 32767 samples a trace is scaled by all of it: the spike at
        // its end flattens the ramp on the first screen. Longer traces are
        // read and scaled over the window alone: the ramp's 3 reaches
        // trunc(3 x 5.64 x 2.5 / 3) = 14 pixels, as the spike does at the end.
        for (const int32_t samples : {32767, 100000, 1000000}) {
            QTemporaryDir dir;
            auto state = Opened(WriteLongTraces(dir, samples));
            QCOMPARE(state->NumSamples, samples);
            QCOMPARE(state->NumTraces, int64_t{3});
            const bool whole = samples <= 32767;
            const auto top = PaintOnce(*state, BarsFor(*state));
            QCOMPARE(state->Painted.firstSample, 0);
            QCOMPARE(state->Painted.samples, 1002); // 531 rows of 0.531 pixels, and 2
            QCOMPARE(WidestSwing(top->canvas, 1), whole ? 0 : 14);
            // The renderer's buffers never grew to the trace.
            QCOMPARE(state->TraceSamples.size(),
                     whole ? size_t{32767} : size_t{kRendererBufferCapacity});

            // The bar's last position, one screen before the record's end.
            const auto last = PaintOnce(*state, BarsFor(*state, 0, samples - 1000));
            if (!whole)
                QCOMPARE(state->Painted.firstSample + state->Painted.samples, samples);
            QCOMPARE(WidestSwing(last->canvas, 1), 14);
            QCOMPARE(WidestSwing(last->canvas, 2), 0);
            QVERIFY(last->messages.shown.empty());
        }
    }

    void scrollCodes() {
        auto state = std::make_unique<ViewerState>();
        state->NumTraces = 1000;
        state->NumSamples = 1500;
        state->SampleInterval = 2.0;

        // Dragging and the end of a scroll leave everything as it is.
        for (ScrollCode code : {ScrollCode::SB_THUMBTRACK, ScrollCode::SB_ENDSCROLL}) {
            const ScrollDecision d = HScrollBarScroll(*state, code, 990);
            QCOMPARE(d.position, 990);
            QVERIFY(!d.repaintNow);
            QCOMPARE(state->RepaintOnChange, 0);
        }
        QVERIFY(!VScrollBarChange(*state));

        ScrollDecision d = HScrollBarScroll(*state, ScrollCode::SB_THUMBPOSITION, 990);
        QCOMPARE(d.position, 900);
        QVERIFY(d.repaintNow);
        QCOMPARE(state->RepaintOnChange, 0);

        d = VScrollBarScroll(*state, ScrollCode::SB_LINEDOWN, 100);
        QCOMPARE(d.position, 100);
        QVERIFY(!d.repaintNow);
        QCOMPARE(state->RepaintOnChange, 1);
        QVERIFY(VScrollBarChange(*state));

        d = VScrollBarScroll(*state, ScrollCode::SB_PAGEDOWN, 2900);
        QCOMPARE(d.position, 2000); // 3000 ms record, 1000 ms window
        ZoomBtnClick(*state, true);
        d = VScrollBarScroll(*state, ScrollCode::SB_BOTTOM, 3000);
        QCOMPARE(d.position, 1000);
        state->NumSamples = 500; // a record shorter than the window
        d = VScrollBarScroll(*state, ScrollCode::SB_PAGEDOWN, 1800);
        QCOMPARE(std::max(d.position, 0), 0);
    }

    void sliderActionsAsScrollCodes() {
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderSingleStepAdd, false, 0),
                 std::optional(ScrollCode::SB_LINEDOWN));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderSingleStepSub, false, 0),
                 std::optional(ScrollCode::SB_LINEUP));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderPageStepAdd, false, 0),
                 std::optional(ScrollCode::SB_PAGEDOWN));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderPageStepSub, false, 0),
                 std::optional(ScrollCode::SB_PAGEUP));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderToMinimum, false, 0),
                 std::optional(ScrollCode::SB_TOP));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderToMaximum, false, 0),
                 std::optional(ScrollCode::SB_BOTTOM));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderMove, true, 5),
                 std::optional(ScrollCode::SB_THUMBTRACK));
        // A wheel step moves the value with the thumb up: a line scroll.
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderMove, false, 3),
                 std::optional(ScrollCode::SB_LINEDOWN));
        QCOMPARE(ScrollCodeForSliderAction(QAbstractSlider::SliderMove, false, -3),
                 std::optional(ScrollCode::SB_LINEUP));
        QVERIFY(!ScrollCodeForSliderAction(QAbstractSlider::SliderNoAction, false, 0).has_value());
    }
};

QTEST_APPLESS_MAIN(SectionTest)
#include "tst_section.moc"
