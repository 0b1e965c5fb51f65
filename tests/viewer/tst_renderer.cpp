// The variable-area renderer call by call on a recording canvas.
#include "tests/support/RecordingCanvas.h"
#include "logic/TraceRenderer.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using segytest::CallKind;
using segytest::CanvasCall;
using segytest::RecordingCanvas;
using Points = std::vector<CanvasPoint>;

char* toString(const CanvasPoint& point) {
    return qstrdup(
        QByteArray("(" + QByteArray::number(point.x) + ", " + QByteArray::number(point.y) + ")"));
}

char* toString(const Points& points) {
    QByteArray text = "[";
    for (const CanvasPoint& point : points) {
        text += "(" + QByteArray::number(point.x) + ", " + QByteArray::number(point.y) + ")";
        if (&point != &points.back())
            text += ", ";
    }
    return qstrdup(text + "]");
}

namespace {

struct Drawn {
    std::vector<CanvasCall> calls;
    std::vector<CallKind> kinds;
    Points wiggle;   // every Polyline point, shared points once
    Points polygons; // the PolyPolygon points
    std::vector<int32_t> counts;
};

struct Layout {
    int32_t traceX = 100;
    int32_t topY = 30;
    double pixelsPerSample = 4.0;
    double traceSpacing = 10.0;
    double plotGain = 2.0;
    int32_t firstSample = 0;
};

Drawn Draw(const std::vector<float>& samples, const Layout& layout) {
    auto state = std::make_unique<ViewerState>();
    state->NumSamples = static_cast<int32_t>(samples.size());
    state->PlotGain = layout.plotGain;
    RecordingCanvas canvas;
    DrawTrace(*state, canvas, layout.traceX, layout.topY, samples.data(), layout.pixelsPerSample,
              layout.traceSpacing, layout.firstSample);
    Drawn drawn;
    drawn.calls = canvas.calls;
    drawn.kinds = canvas.Kinds();
    for (const CanvasCall& call : canvas.Of(CallKind::Polyline)) {
        auto from = call.points.begin();
        if (!drawn.wiggle.empty()) {
            // Consecutive pieces share their joining point.
            if (!(call.points.front() == drawn.wiggle.back()))
                qFatal("wiggle pieces do not join");
            ++from;
        }
        drawn.wiggle.insert(drawn.wiggle.end(), from, call.points.end());
    }
    for (const CanvasCall& call : canvas.Of(CallKind::PolyPolygon)) {
        drawn.polygons = call.points;
        drawn.counts = call.counts;
    }
    return drawn;
}

const std::vector<CallKind> kFilledTrace = {CallKind::SetBrushStyle, CallKind::SetPolyFillMode,
                                            CallKind::Polyline, CallKind::PolyPolygon};
const std::vector<CallKind> kZeroTrace = {CallKind::SetBrushStyle, CallKind::Polyline};

std::vector<float> Alternating(int count, float amplitude) {
    std::vector<float> samples(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        samples[static_cast<size_t>(k)] = k % 2 == 0 ? amplitude : -amplitude;
    return samples;
}

} // namespace

class RendererTest : public QObject {
    Q_OBJECT

private slots:
    void workedExampleTwoCrossings() {
        const Drawn drawn = Draw({-2, 6, 20, -12, 0}, Layout{});
        QCOMPARE(drawn.kinds, kFilledTrace);
        QCOMPARE(drawn.calls[0].brush, BrushStyle::Solid);
        QCOMPARE(drawn.calls[1].fillMode, PolyFillMode::Alternate);
        QCOMPARE(drawn.calls[2].points,
                 (Points{{100, 30}, {98, 30}, {106, 34}, {120, 38}, {88, 42}, {100, 46}}));
        QCOMPARE(drawn.counts, std::vector<int32_t>{5});
        QCOMPARE(drawn.polygons, (Points{{100, 31}, {106, 34}, {120, 38}, {100, 41}, {100, 31}}));
    }

    void lobeFromTheTopToAnExactZero() {
        const Drawn drawn = Draw({5, 0}, {50, 30, 2.0, 5.0, 1.0, 0});
        QCOMPARE(drawn.kinds, kFilledTrace);
        QCOMPARE(drawn.wiggle, (Points{{50, 30}, {55, 30}, {50, 32}}));
        QCOMPARE(drawn.counts, std::vector<int32_t>{4});
        QCOMPARE(drawn.polygons, (Points{{50, 28}, {55, 30}, {50, 32}, {50, 28}}));
    }

    void lobeOpenAtTheEndClosesOneStepBelow() {
        const Drawn drawn = Draw({-3, 5}, {50, 30, 4.0, 5.0, 1.0, 0});
        QCOMPARE(drawn.wiggle, (Points{{50, 30}, {47, 30}, {55, 34}}));
        QCOMPARE(drawn.counts, std::vector<int32_t>{4});
        QCOMPARE(drawn.polygons, (Points{{50, 32}, {55, 34}, {50, 38}, {50, 32}}));
    }

    void severalLobesOneFillCall() {
        // 3 and 1 are separate lobes; the 0 between them ends the first.
        const Drawn drawn = Draw({3, 0, -1, 1}, {0, 0, 1.0, 3.0, 1.0, 0});
        QCOMPARE(drawn.kinds, kFilledTrace);
        QCOMPARE(drawn.counts, (std::vector<int32_t>{4, 4}));
        QCOMPARE(drawn.polygons, (Points{{0, -1},
                                         {3, 0},
                                         {0, 1},
                                         {0, -1}, // rise, fall to 0
                                         {0, 3},
                                         {1, 3},
                                         {0, 4},
                                         {0, 3}})); // cross up, open end
    }

    void zeroTraces_data() {
        QTest::addColumn<std::vector<float>>("samples");
        QTest::addColumn<int>("firstSample");
        QTest::addColumn<int>("bottom");
        QTest::newRow("all zero") << std::vector<float>(10, 0.0f) << 0 << 70;
        QTest::newRow("all zero, scrolled") << std::vector<float>(10, 0.0f) << 7 << 70;
        QTest::newRow("signed zeros") << std::vector<float>{0.0f, -0.0f, 0.0f} << 0 << 42;
        QTest::newRow("no samples") << std::vector<float>{} << 0 << 30;
    }
    void zeroTraces() {
        QFETCH(std::vector<float>, samples);
        QFETCH(int, firstSample);
        QFETCH(int, bottom);
        Layout layout;
        layout.firstSample = firstSample;
        const Drawn drawn = Draw(samples, layout);
        QCOMPARE(drawn.kinds, kZeroTrace);
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {100, bottom}}));
    }

    void wiggleInPiecesOfAtMost501Points_data() {
        QTest::addColumn<int>("positions");
        QTest::addColumn<std::vector<int>>("pieceSizes");
        QTest::newRow("501 points") << 500 << std::vector<int>{501};
        QTest::newRow("1001 points") << 1000 << std::vector<int>{501, 501};
        QTest::newRow("1002 points") << 1001 << std::vector<int>{501, 501, 2};
        QTest::newRow("2 points") << 1 << std::vector<int>{2};
    }
    void wiggleInPiecesOfAtMost501Points() {
        QFETCH(int, positions);
        QFETCH(std::vector<int>, pieceSizes);
        auto state = std::make_unique<ViewerState>();
        const std::vector<float> samples = Alternating(positions, 7.0f);
        state->NumSamples = positions;
        RecordingCanvas canvas;
        DrawTrace(*state, canvas, 100, 30, samples.data(), 1.0, 10.0, 0);
        std::vector<int> sizes;
        int start = 0;
        for (const CanvasCall& call : canvas.Of(CallKind::Polyline)) {
            sizes.push_back(static_cast<int>(call.points.size()));
            QCOMPARE(call.points.front(), state->TracePoints[static_cast<size_t>(start)]);
            start += static_cast<int>(call.points.size()) - 1;
        }
        QCOMPARE(sizes, pieceSizes);
        QCOMPARE(start, positions);
    }

    void nothingVisibleBelowTheLastSample() {
        Layout layout;
        layout.firstSample = 5;
        const Drawn drawn = Draw({-2, 6, 20, -12, 0}, layout);
        QCOMPARE(drawn.kinds,
                 (std::vector<CallKind>{CallKind::SetBrushStyle, CallKind::SetPolyFillMode,
                                        CallKind::PolyPolygon}));
        QVERIFY(drawn.counts.empty());
    }

    void scrolledTraceKeepsItsScale() {
        // The maximum 20 lies above the window; the visible part keeps scale 1.
        Layout layout;
        layout.firstSample = 3;
        const Drawn drawn = Draw({-2, 6, 20, -12, 4}, layout);
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {88, 30}, {104, 34}}));
        QCOMPARE(drawn.polygons, (Points{{100, 33}, {104, 34}, {100, 38}, {100, 33}}));
    }

    void noPositiveOffsetFillsNothing() {
        const Drawn drawn = Draw({-4, -20, 0, -1}, Layout{});
        QCOMPARE(drawn.kinds, kFilledTrace);
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {96, 30}, {80, 34}, {100, 38}, {99, 42}}));
        QVERIFY(drawn.counts.empty());
    }

    void gainZeroDrawsAStraightWiggle() {
        Layout layout;
        layout.plotGain = 0.0;
        const Drawn drawn = Draw({-2, 6, 20}, layout);
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {100, 30}, {100, 34}, {100, 38}}));
        QVERIFY(drawn.counts.empty());
    }

    void negativeGainFillsTheNegativeLobes() {
        Layout layout;
        layout.plotGain = -2.0;
        const Drawn drawn = Draw({-2, 6, 20, -12, 0}, layout);
        QCOMPARE(drawn.wiggle,
                 (Points{{100, 30}, {102, 30}, {94, 34}, {80, 38}, {112, 42}, {100, 46}}));
        QCOMPARE(drawn.counts, (std::vector<int32_t>{4, 4}));
        // 4 / (-6 - 2) * -6 = 3; 4 / (12 + 20) * 12 = 1.5.
        QCOMPARE(drawn.polygons, (Points{{100, 26},
                                         {102, 30},
                                         {100, 31},
                                         {100, 26},
                                         {100, 41},
                                         {112, 42},
                                         {100, 46},
                                         {100, 41}}));
    }

    void brokenSamplesStayInsideThePlot() {
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        // The maximum comes from the ordinary samples only (10); samples that
        // are not finite are drawn on the zero line, huge finite ones held at
        // the largest offset.
        const Drawn drawn = Draw({10, nan, inf, -inf, 3e9f, -3e38f, 2147483648.0f, 10}, Layout{});
        QCOMPARE(drawn.kinds, kFilledTrace);
        const int32_t far = kMaxSampleOffset;
        QCOMPARE(drawn.wiggle, (Points{{100, 30},
                                       {120, 30},
                                       {100, 34},
                                       {100, 38},
                                       {100, 42},
                                       {100 + far, 46},
                                       {100 - far, 50},
                                       {100 + far, 54},
                                       {120, 58}}));
        for (const CanvasPoint& point : drawn.polygons)
            QVERIFY(std::abs(point.x) <= 100 + far && std::abs(point.y) <= 100);
    }

    void runsOfInfinitiesDrawAsSilence() {
        // A run of +inf once filled a band to the plot's right edge, and -inf
        // drew out through the time labels: both draw as the zero line.
        const float inf = std::numeric_limits<float>::infinity();
        const Drawn broken = Draw({10, inf, inf, inf, -5, -inf, -inf, 10}, Layout{});
        const Drawn silent = Draw({10, 0, 0, 0, -5, 0, 0, 10}, Layout{});
        QCOMPARE(broken.wiggle, silent.wiggle);
        QCOMPARE(broken.polygons, silent.polygons);
    }

    void onlyBrokenSamplesMakeAZeroTrace() {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const Drawn drawn = Draw({nan, std::numeric_limits<float>::infinity(), nan}, Layout{});
        QCOMPARE(drawn.kinds, kZeroTrace);
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {100, 42}}));
    }

    void fractionsScaleByTheLargestSample() {
        // Normalised data: the largest finite sample (0.5) is drawn 20 pixels
        // out, as 20 would be in the worked example; NaN stays on the line.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        Drawn drawn = Draw({-0.05f, 0.15f, 0.5f, -0.3f, nan}, Layout{});
        QCOMPARE(drawn.kinds, kFilledTrace);
        QCOMPARE(drawn.wiggle,
                 (Points{{100, 30}, {98, 30}, {106, 34}, {120, 38}, {88, 42}, {100, 46}}));
        QCOMPARE(drawn.counts, (std::vector<int32_t>{5}));
        // Tiny IEEE amplitudes and samples past 2^31 (no integer part either).
        drawn = Draw({std::ldexp(1.0f, -29), -std::ldexp(1.0f, -30)}, Layout{});
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {120, 30}, {90, 34}}));
        drawn = Draw({std::ldexp(1.0f, 32), -std::ldexp(1.0f, 31)}, Layout{});
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {120, 30}, {90, 34}}));
        // An integer maximum of 1 keeps its scale: 1.9 is drawn 1.9 maxima out.
        drawn = Draw({1.9f, 0.5f}, Layout{});
        QCOMPARE(drawn.wiggle, (Points{{100, 30}, {137, 30}, {110, 34}}));
    }

    void extremeGeometryStaysFinite() {
        Layout layout;
        layout.pixelsPerSample = 1e300;
        layout.traceSpacing = 1e300;
        layout.plotGain = 1e300;
        const Drawn drawn = Draw({-2, 6, 20, -12, 0}, layout);
        QCOMPARE(drawn.wiggle.size(), size_t{6});
        for (const CanvasPoint& point : drawn.wiggle)
            QVERIFY(std::abs(point.y) <= kMaxCoordinate);
        layout.pixelsPerSample = std::nan("");
        QCOMPARE(Draw({-2, 6}, layout).wiggle.size(), size_t{3});
    }

    void longTracesAreDrawnWhole() {
        // 25000 samples changing sign at every position: the most polygon
        // points a trace can need, far beyond the start capacity.
        const int count = 25000;
        auto state = std::make_unique<ViewerState>();
        state->NumSamples = count;
        state->PlotGain = 1.0;
        const std::vector<float> samples = Alternating(count, 5.0f);
        RecordingCanvas canvas;
        DrawTrace(*state, canvas, 0, 0, samples.data(), 2.0, 5.0, 0);
        Points wiggle;
        for (const CanvasCall& call : canvas.Of(CallKind::Polyline))
            wiggle.insert(wiggle.end(), call.points.begin() + (wiggle.empty() ? 0 : 1),
                          call.points.end());
        QCOMPARE(wiggle.size(), size_t{count + 1});
        QCOMPARE(wiggle.back(), (CanvasPoint{-5, 2 * (count - 1)}));
        const CanvasCall fill = canvas.Of(CallKind::PolyPolygon).front();
        QCOMPARE(fill.counts.size(), size_t{count / 2});
        for (int32_t vertices : fill.counts)
            QCOMPARE(vertices, 4);
        // The first lobe rises from one step above the top; later ones enter
        // between the samples, one pixel above their own sample.
        QCOMPARE(fill.points[0], (CanvasPoint{0, -2}));
        QCOMPARE(fill.points[4], (CanvasPoint{0, 3}));
        QCOMPARE(fill.points.back(), (CanvasPoint{0, 2 * (count - 2) - 1}));
    }

    void repeatedCallsDrawTheSame() {
        auto state = std::make_unique<ViewerState>();
        const std::vector<float> longer = Alternating(20, 9.0f);
        const std::vector<float> shorter = {-2, 6, 20, -12, 0};
        RecordingCanvas first;
        RecordingCanvas again;
        state->NumSamples = 20;
        DrawTrace(*state, first, 0, 0, longer.data(), 1.0, 5.0, 0);
        state->NumSamples = 5;
        state->PlotGain = 2.0;
        DrawTrace(*state, again, 100, 30, shorter.data(), 4.0, 10.0, 0);
        QCOMPARE(again.Of(CallKind::PolyPolygon).front().points,
                 (Points{{100, 31}, {106, 34}, {120, 38}, {100, 41}, {100, 31}}));
    }
};

QTEST_APPLESS_MAIN(RendererTest)
#include "tst_renderer.moc"
