// One paint of the Data page zoomed out: 200 traces of 1500 IBM samples on
// an offscreen image of the paint box's start size, erased to the page's
// colour first as the window erases it. Prints the median time of a paint
// as a ratio to a floor measured in the same run: QPainter drawing the very
// polylines, polygons, lines and texts of that paint, without reading,
// decoding or the renderer. Also prints how the paint splits into reading,
// decoding, the renderer's own work and the drawing. Last, a screen of
// 1,000,000-sample traces against a screen of 1,000-sample traces.
#include "logic/OpenFlow.h"
#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "segy/Trace.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/SyntheticSeismic.h"
#include "tests/support/TestFiles.h"
#include "viewer/QtCanvas.h"
#include "viewer/TVantrel.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kTraces = 200;
constexpr int kSamples = 1500;
constexpr int kIntervalUs = 2000;
constexpr int kRepeats = 60;

// Accepts every drawing call and draws nothing.
class NullCanvas final : public Canvas {
public:
    explicit NullCanvas(QSize size) : size_(size) {}
    int Width() const override { return size_.width(); }
    int Height() const override { return size_.height(); }
    void SetFont(const std::string&, int, bool) override {}
    void SetPenStyle(PenStyle) override {}
    void SetBrushStyle(BrushStyle) override {}
    int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return 13; }
    void TextOut(int, int, const std::string&) override {}
    void SetTextAlign(int) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Polyline(const CanvasPoint*, int) override {}
    void SetPolyFillMode(PolyFillMode) override {}
    void PolyPolygon(const CanvasPoint*, const int32_t*, int) override {}
    void DrawImage(int, int, int, int, const uint32_t*) override {}

private:
    QSize size_;
};

bool WriteBenchFile(const std::string& path) {
    segytest::FileSpec spec;
    spec.numSamples = kSamples;
    spec.sampleIntervalUs = kIntervalUs;
    spec.encoding = segytest::SampleEncoding::IbmFloat;
    segytest::SegyWriter writer(spec);
    for (int t = 0; t < kTraces; ++t) {
        segytest::TraceSpec trace;
        trace.words4 = {{1, t + 1}, {5, t + 1}};
        // Amplitudes in the thousands, so every trace has lobes to fill.
        for (double v : segytest::StackedSectionTrace(t, kTraces, kSamples, kIntervalUs / 1000.0))
            trace.samples.push_back(v * 1000.0);
        writer.AddTrace(trace);
    }
    return writer.WriteTo(path);
}

// 200 IEEE traces of `samples` samples at 2 ms whose first 1000 samples
// hold the stacked section and the rest nothing (a hole in a sparse file).
bool WriteLongTraceFile(const std::string& path, int32_t samples) {
    constexpr int kWritten = 1000;
    segytest::FileSpec spec;
    spec.encoding = segytest::SampleEncoding::IeeeFloat;
    spec.revisionMajor = 2;
    spec.sampleIntervalUs = kIntervalUs;
    segytest::SegyWriter writer(spec);
    if (samples <= 32767)
        writer.SetBinary16(segy::kBinSamplesPerTraceOffset, static_cast<int16_t>(samples));
    else
        writer.SetBinary32(segy::kBinExtSamplesPerTraceOffset, samples);
    const int64_t traceBytes = segy::kTraceHeaderSize + 4 * int64_t{samples};
    std::remove(path.c_str());
    if (!writer.WriteTo(path) || !segytest::Resize(path, 3600 + kTraces * traceBytes))
        return false;
    for (int t = 0; t < kTraces; ++t) {
        std::vector<unsigned char> bytes(segy::kTraceHeaderSize + 4 * kWritten);
        for (int b = 0; b < 4; ++b)
            bytes[static_cast<size_t>(b)] = static_cast<unsigned char>((t + 1) >> (24 - 8 * b));
        size_t at = segy::kTraceHeaderSize;
        for (double v : segytest::StackedSectionTrace(t, kTraces, kWritten, kIntervalUs / 1000.0)) {
            const auto bits = std::bit_cast<uint32_t>(static_cast<float>(v * 1000.0));
            for (int b = 0; b < 4; ++b)
                bytes[at++] = static_cast<unsigned char>(bits >> (24 - 8 * b));
        }
        if (!segytest::WriteAt(path, 3600 + t * traceBytes, bytes))
            return false;
    }
    return true;
}

// The drawing calls of one paint as plain QPainter calls, converted to Qt's
// types beforehand so that replaying them measures QPainter alone.
class Replay {
public:
    explicit Replay(const std::vector<segytest::CanvasCall>& calls) {
        for (const segytest::CanvasCall& call : calls) {
            Step step{call.kind,
                      {},
                      {},
                      QString::fromStdString(call.text),
                      call.x,
                      call.y,
                      call.pen == PenStyle::Dot,
                      call.brush == BrushStyle::Solid};
            for (const CanvasPoint& point : call.points)
                step.points.push_back(QPoint(point.x, point.y));
            step.counts.assign(call.counts.begin(), call.counts.end());
            steps_.push_back(std::move(step));
        }
    }

    void DrawOn(QPainter& painter) const {
        QPen pen(Qt::black);
        pen.setWidth(0);
        QPoint current;
        for (const Step& step : steps_) {
            switch (step.kind) {
            case segytest::CallKind::SetPenStyle:
                pen.setStyle(step.dotted ? Qt::DotLine : Qt::SolidLine);
                painter.setPen(pen);
                break;
            case segytest::CallKind::SetBrushStyle:
                painter.setBrush(step.solid ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
                break;
            case segytest::CallKind::TextOut:
                painter.drawText(step.x, step.y, step.text);
                break;
            case segytest::CallKind::MoveTo:
                current = QPoint(step.x, step.y);
                break;
            case segytest::CallKind::LineTo:
                painter.drawLine(current, QPoint(step.x, step.y));
                current = QPoint(step.x, step.y);
                break;
            case segytest::CallKind::Polyline:
                painter.drawPolyline(step.points.data(), static_cast<int>(step.points.size()));
                break;
            case segytest::CallKind::PolyPolygon: {
                const QPoint* vertices = step.points.data();
                for (const int count : step.counts) {
                    painter.drawPolygon(vertices, count, Qt::OddEvenFill);
                    vertices += count;
                }
                break;
            }
            default:
                break;
            }
        }
    }

private:
    struct Step {
        segytest::CallKind kind;
        std::vector<QPoint> points;
        std::vector<int> counts;
        QString text;
        int x;
        int y;
        bool dotted;
        bool solid;
    };
    std::vector<Step> steps_;
};

double MedianMs(const std::function<void()>& work) {
    std::vector<double> times;
    work(); // warm the file cache and the font
    for (int k = 0; k < kRepeats; ++k) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const std::string path =
        QDir::temp().filePath(QStringLiteral("vantrel-paint-bench.sgy")).toStdString();
    if (!WriteBenchFile(path)) {
        std::fprintf(stderr, "paint_bench: cannot write %s\n", path.c_str());
        return 1;
    }
    auto state = std::make_unique<ViewerState>();
    segy::SilentMessages messages;
    if (!ReadHeaderIntoState(*state, path, messages).recognized) {
        std::fprintf(stderr, "paint_bench: %s not recognised\n", path.c_str());
        return 1;
    }
    state->CurrentFile = path;
    state->FileLoaded = 1;
    ZoomBtnClick(*state, true);

    SectionInputs in;
    const QSize plotSize(kStartPlotWidth, kStartPlotHeight);
    in.width = plotSize.width();
    in.height = plotSize.height();
    in.hMaximum = TraceScrollMaximum(state->NumTraces, state->TracesPerScreen);
    in.vMaximum = RecordLengthMs(state->NumSamples, state->SampleInterval);
    in.gainText = "2.5";

    QImage image(in.width, in.height, QImage::Format_RGB32);
    const QColor page = QApplication::palette().color(QPalette::Window);
    const double paintMs = MedianMs([&] {
        image.fill(page);
        QPainter painter(&image);
        QtCanvas canvas(painter, in.width, in.height);
        PaintSection(*state, canvas, in, messages);
    });
    image.save(QDir::temp().filePath(QStringLiteral("vantrel-paint-bench.png")));

    segytest::RecordingCanvas recorder(in.width, in.height);
    PaintSection(*state, recorder, in, messages);
    const Replay replay(recorder.calls);
    QImage floorImage(in.width, in.height, QImage::Format_RGB32);
    const double floorMs = MedianMs([&] {
        floorImage.fill(page);
        QPainter painter(&floorImage);
        painter.setPen(QPen(Qt::black, 0));
        replay.DrawOn(painter);
    });
    NullCanvas nullCanvas(plotSize);
    const double noDrawingMs = MedianMs([&] { PaintSection(*state, nullCanvas, in, messages); });

    const int32_t traceLength = segy::TraceLength(state->NumSamples, state->BytesPerSample);
    std::vector<unsigned char> trace(static_cast<size_t>(traceLength));
    std::vector<float> samples(static_cast<size_t>(state->NumSamples));
    const double readMs = MedianMs([&] {
        for (int t = 0; t < kTraces; ++t)
            segy::ReadTrace(state->TraceFile(), t, traceLength, trace.data(), messages);
    });
    const double readDecodeMs = MedianMs([&] {
        for (int t = 0; t < kTraces; ++t) {
            segy::ReadTrace(state->TraceFile(), t, traceLength, trace.data(), messages);
            segy::DecodeTraceSamples(trace.data(), traceLength, state->Decoding(), samples.data());
        }
    });

    const double decodeMs = readDecodeMs - readMs;
    const double rendererMs = noDrawingMs - readDecodeMs;
    const double drawingMs = paintMs - noDrawingMs;
    auto share = [&](double ms) { return 100.0 * ms / paintMs; };
    std::printf("paint of the Data page zoomed out: %d traces x %d IBM samples, %dx%d image\n",
                kTraces, kSamples, in.width, in.height);
    std::printf("median of %d paints:         %7.2f ms\n", kRepeats, paintMs);
    std::printf("floor, QPainter replay:      %7.2f ms\n", floorMs);
    std::printf("paint / floor:               %7.2f\n", paintMs / floorMs);
    std::printf("  reading (open/read/close): %7.2f ms  %5.1f %%\n", readMs, share(readMs));
    std::printf("  decoding IBM samples:      %7.2f ms  %5.1f %%\n", decodeMs, share(decodeMs));
    std::printf("  renderer (points, lobes):  %7.2f ms  %5.1f %%\n", rendererMs, share(rendererMs));
    std::printf("  drawing with QPainter:     %7.2f ms  %5.1f %%\n", drawingMs, share(drawingMs));

    // The other displays against variable area, paint for paint in this
    // run; each picture is saved beside the first.
    std::printf("other displays, median of %d paints, against variable area (target):\n", kRepeats);
    const double targets[] = {1.0, 1.0, 1.0, 1.5};
    for (int mode = 1; mode < 4; ++mode) {
        state->Display.mode = static_cast<DisplayMode>(mode);
        state->Display.colours = ColourMap::Seismic;
        const double modeMs = MedianMs([&] {
            image.fill(page);
            QPainter painter(&image);
            QtCanvas canvas(painter, in.width, in.height);
            PaintSection(*state, canvas, in, messages);
        });
        image.save(QDir::temp().filePath(QStringLiteral("vantrel-paint-bench-%1.png")
                                             .arg(QLatin1String(kDisplayModeNames[mode]))));
        std::printf("  %-22s %7.2f ms  %5.2f (at most %.1f)\n", kDisplayModeTexts[mode], modeMs,
                    modeMs / paintMs, targets[mode]);
    }
    state->Display = DisplaySettings();

    // A readout: the lines for a point and the box's text, from what the
    // last paint kept; nothing is read.
    PaintSection(*state, nullCanvas, in, messages);
    const double readoutMs = MedianMs([&] {
                                 for (int k = 0; k < 100; ++k)
                                     (void)ReadoutLines(*state, 100 + k, 200 + k);
                             }) /
                             100;
    std::printf("readout lines for a point:   %7.4f ms (the box's repaint is a label's)\n",
                readoutMs);

    // Long traces: a screen of each length zoomed out, at the top of the
    // record, painted alike. Only the long file's first samples hold data.
    std::printf("a screen of long traces against one of short traces, zoomed out (target):\n");
    double screenMs[2] = {};
    const int32_t lengths[2] = {1000, 1000000};
    for (int k = 0; k < 2; ++k) {
        const std::string longPath =
            QDir::temp()
                .filePath(QStringLiteral("vantrel-paint-bench-%1.sgy").arg(lengths[k]))
                .toStdString();
        auto screen = std::make_unique<ViewerState>();
        if (!WriteLongTraceFile(longPath, lengths[k]) ||
            !ReadHeaderIntoState(*screen, longPath, messages).recognized) {
            std::fprintf(stderr, "paint_bench: cannot write %s\n", longPath.c_str());
            return 1;
        }
        screen->CurrentFile = longPath;
        screen->FileLoaded = 1;
        ZoomBtnClick(*screen, true);
        SectionInputs screenIn = in;
        screenIn.vMaximum = RecordLengthMs(screen->NumSamples, screen->SampleInterval);
        screenMs[k] = MedianMs([&] {
            image.fill(page);
            QPainter painter(&image);
            QtCanvas canvas(painter, in.width, in.height);
            PaintSection(*screen, canvas, screenIn, messages);
        });
        std::remove(longPath.c_str());
        std::printf("  %7d samples per trace: %7.2f ms\n", lengths[k], screenMs[k]);
    }
    std::printf("  1,000,000 / 1,000:          %5.2f (at most 2.0)\n", screenMs[1] / screenMs[0]);
    return 0;
}
