// The Data page's displays beside variable area: the clip's percentile, the
// colour maps, a density picture of written traces at known pixels, bad
// samples and tiny plots, and the readout under the cursor through the real
// window.
#include "logic/DisplayModes.h"
#include "logic/OpenFlow.h"
#include "logic/SectionPainter.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/viewer/TestWindow.h"

#include <QLabel>
#include <QMouseEvent>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace segytest;

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Four traces of 20 samples, 4 ms apart: trace t holds (t + 1) * 100 at
// every sample but the fifth, which holds -(t + 1) * 100; trace 2 holds a
// NaN and an infinity at samples 10 and 11; trace 3 is silent.
std::string WriteTraces(const ScratchDir& dir) {
    FileSpec spec;
    spec.numSamples = 20;
    spec.encoding = SampleEncoding::IeeeFloat;
    SegyWriter writer(spec);
    for (int t = 0; t < 4; ++t) {
        TraceSpec trace;
        trace.words4 = {{189, 500 + t}};
        for (int i = 0; i < 20; ++i)
            trace.samples.push_back(t == 3 ? 0.0 : (i == 4 ? -1 : 1) * (t + 1) * 100.0);
        if (t == 2) {
            trace.samples[10] = std::nan("");
            trace.samples[11] = kInfinity;
        }
        writer.AddTrace(trace);
    }
    const std::string path = dir.File("modes.sgy");
    if (!writer.WriteTo(path))
        qFatal("cannot write the test file");
    return path;
}

std::unique_ptr<ViewerState> Opened(const std::string& path) {
    auto state = std::make_unique<ViewerState>();
    RecordingMessages messages;
    if (!ReadHeaderIntoState(*state, path, messages).recognized)
        qFatal("test file not recognised");
    state->CurrentFile = path;
    state->FileLoaded = 1;
    state->TracesPerScreen = 4; // 140 pixels a trace on a 584-pixel plot
    state->MsPerScreen = 100;   // 21.24 pixels a sample on 561 - 30
    return state;
}

SectionInputs Inputs(int width = 584, int height = 561) {
    SectionInputs in;
    in.width = width;
    in.height = height;
    in.hMaximum = 0;
    in.vMaximum = 80;
    in.gainText = "2.5";
    return in;
}

uint32_t PixelAt(const CanvasCall& image, int x, int y) {
    return image.pixels.at(static_cast<size_t>(y - image.y) * image.width +
                           static_cast<size_t>(x - image.x));
}

} // namespace

class DisplayModesTest : public QObject {
    Q_OBJECT
private slots:
    void percentileIgnoresWhatIsNotFinite() {
        std::vector<float> values;
        for (int i = 1; i <= 100; ++i)
            values.push_back(i % 2 ? -i : i);
        values.push_back(std::nanf(""));
        values.push_back(-kInfinity);
        std::vector<float> scratch;
        QCOMPARE(AmplitudePercentile(values.data(), values.size(), 99, scratch), 99.0f);
        QCOMPARE(AmplitudePercentile(values.data(), values.size(), 100, scratch), 100.0f);
        QCOMPARE(AmplitudePercentile(values.data(), values.size(), 90, scratch), 90.0f);
        QCOMPARE(AmplitudePercentile(values.data(), 0, 99, scratch), 0.0f);
        const float same[] = {7, -7, 7};
        QCOMPARE(AmplitudePercentile(same, 3, 50, scratch), 7.0f);
    }

    void colourMapsEndsAndZero() {
        QCOMPARE(ColourStep(-1), 0);
        QCOMPARE(ColourStep(-5), 0);
        QCOMPARE(ColourStep(1), 255);
        QCOMPARE(ColourStep(0), 128);
        QCOMPARE(ColourStep(std::nanf("")), 128);
        QCOMPARE(ColourStep(kInfinity), 128);
        QCOMPARE(RampOf(ColourMap::Grey)[0], 0xFFFFFFFFu); // negative white
        QCOMPARE(RampOf(ColourMap::Grey)[255], 0xFF000000u);
        QCOMPARE(RampOf(ColourMap::Seismic)[128], 0xFFFFFFFFu); // white at zero
        QCOMPARE(RampOf(ColourMap::Seismic)[0], 0xFF0000BFu);
        QCOMPARE(RampOf(ColourMap::Seismic)[255], 0xFF800000u);
        QCOMPARE(RampOf(ColourMap::RedWhiteBlack)[0], 0xFFFF0000u);
        QCOMPARE(RampOf(ColourMap::RedWhiteBlack)[255], 0xFF000000u);
        QCOMPARE(RampOf(ColourMap::Viridis)[0], 0xFF440154u);
        QCOMPARE(RampOf(ColourMap::Viridis)[255], 0xFFFDE725u);
    }

    void densityColoursEachCell() {
        ScratchDir dir;
        auto state = Opened(WriteTraces(dir));
        state->Display.mode = DisplayMode::Density;
        state->Display.colours = ColourMap::RedWhiteBlack;
        state->Display.clipPercent = 100;
        state->Display.normalisation = Normalisation::PerTrace;
        RecordingCanvas canvas(584, 561);
        RecordingMessages messages;
        QVERIFY(PaintSection(*state, canvas, Inputs(), messages).painted);
        const auto images = canvas.Of(CallKind::DrawImage);
        // The cells, the colour bar and the white boxes under its two labels.
        QCOMPARE(images.size(), size_t{4});
        const CanvasCall& cells = images[0];
        const uint32_t black = RampOf(ColourMap::RedWhiteBlack)[255];
        const uint32_t red = RampOf(ColourMap::RedWhiteBlack)[0];
        const uint32_t zero = RampOf(ColourMap::RedWhiteBlack)[128];
        // Trace 1's zero line at x 160, sample 0 at y 30, sample 4 at 115.
        QCOMPARE(PixelAt(cells, 160, 31), black);
        QCOMPARE(PixelAt(cells, 160, 115), red);
        QCOMPARE(PixelAt(cells, 160 + 69, 31), black); // its cell reaches half the spacing
        // Trace 2's NaN and infinity are drawn as zero; trace 3 is silent.
        QCOMPARE(PixelAt(cells, 300, 242), zero);
        QCOMPARE(PixelAt(cells, 300, 264), zero);
        QCOMPARE(PixelAt(cells, 300, 221), black);
        QCOMPARE(PixelAt(cells, 440, 200), zero);
        // Labels and timing lines as in every display.
        QVERIFY(!canvas.Of(CallKind::TextOut).empty());

        // Global at 100%: trace 0's 100 is a third of trace 2's 300.
        state->Display.normalisation = Normalisation::Global;
        state->Display.colours = ColourMap::Grey;
        RecordingCanvas global(584, 561);
        PaintSection(*state, global, Inputs(), messages);
        const uint32_t third = RampOf(ColourMap::Grey)[ColourStep(1.0f / 3)];
        QCOMPARE(PixelAt(global.Of(CallKind::DrawImage)[0], 20, 31), third);
    }

    void tinyPlotsAndEveryModeDrawWithoutFault() {
        ScratchDir dir;
        auto state = Opened(WriteTraces(dir));
        RecordingMessages messages;
        for (const DisplayMode mode :
             {DisplayMode::Wiggle, DisplayMode::Density, DisplayMode::DensityWiggle})
            for (const auto& size : {std::pair{584, 561}, std::pair{3, 3}, std::pair{25, 40}}) {
                state->Display.mode = mode;
                RecordingCanvas canvas(size.first, size.second);
                PaintSection(*state, canvas, Inputs(size.first, size.second), messages);
            }
        // Wiggles: one line a trace, no fill.
        state->Display.mode = DisplayMode::Wiggle;
        RecordingCanvas canvas(584, 561);
        PaintSection(*state, canvas, Inputs(), messages);
        QCOMPARE(canvas.Of(CallKind::PolyPolygon).size(), size_t{0});
        QVERIFY(canvas.Of(CallKind::Polyline).size() >= 4);
    }

    void readoutTellsWhatIsUnderTheCursor() {
        ScratchDir dir;
        const std::string path = WriteTraces(dir);
        RecordingUserInterface ui;
        auto window = StartTestWindow(ui);
        BrowseTo(*window, ui, path);
        window->State.TracesPerScreen = 4;
        window->State.MsPerScreen = 100;
        window->State.UpperLabelRow = 48; // bytes 189-192
        window->ActivatePage(kDataPage);
        window->PB1->grab(); // a paint keeps what it drew
        const double spacing = window->State.Painted.traceSpacing;
        const double pixels = window->State.Painted.pixelsPerSample;
        QVERIFY(spacing > 0 && pixels > 0);
        const QPoint at(20 + static_cast<int>(spacing + 1), 30 + static_cast<int>(4 * pixels));
        QMouseEvent move(QEvent::MouseMove, at, window->PB1->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window->PB1, &move);
        QVERIFY(window->ReadoutLbl->isVisibleTo(window->PB1));
        QCOMPARE(window->ReadoutLbl->text(),
                 QStringLiteral("Trace 2\nBytes 189-192: 501\n16 ms\nValue -200"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(window->PB1, &leave);
        QVERIFY(!window->ReadoutLbl->isVisibleTo(window->PB1));
        // Above the plot there is nothing to tell.
        QCOMPARE(ReadoutLines(window->State, at.x(), 10).size(), size_t{0});
    }
};

QTEST_MAIN(DisplayModesTest)
#include "tst_display_modes.moc"
