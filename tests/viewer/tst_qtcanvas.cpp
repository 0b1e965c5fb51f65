// The Qt canvas leaves out what cannot show (wiggle segments beyond the
// paint box, the inner points of vertical runs, lobes below the box); the
// picture must stay the one Qt draws from the plain calls.
#include "tests/support/RecordingCanvas.h"
#include "viewer/QtCanvas.h"
#include "logic/TraceRenderer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainterPath>
#include <QtTest>

#include <cmath>
#include <memory>
#include <vector>

using segytest::CallKind;
using segytest::CanvasCall;
using segytest::RecordingCanvas;

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 90;

QImage Blank() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The recorded wiggles and fills, each straight to QPainter.
QImage PlainReplay(const RecordingCanvas& recorded) {
    QImage image = Blank();
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::black);
    for (const CanvasCall& call : recorded.calls) {
        QPolygon points;
        for (const CanvasPoint& p : call.points)
            points << QPoint(p.x, p.y);
        if (call.kind == CallKind::Polyline) {
            painter.drawPolyline(points);
        } else if (call.kind == CallKind::PolyPolygon && !call.counts.empty()) {
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill);
            int start = 0;
            for (int32_t count : call.counts) {
                path.addPolygon(QPolygonF(points.mid(start, count)));
                start += count;
            }
            painter.drawPath(path);
        }
    }
    return image;
}

// One poly-polygon filled and outlined as a single path, the reference for
// the canvas's own way of drawing it.
QImage PlainPolyPolygon(const std::vector<CanvasPoint>& points, const std::vector<int32_t>& counts,
                        Qt::FillRule rule) {
    QImage image = Blank();
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::black);
    QPainterPath path;
    path.setFillRule(rule);
    int start = 0;
    for (int32_t count : counts) {
        QPolygonF polygon;
        for (int k = start; k < start + count; ++k)
            polygon << QPointF(points[static_cast<size_t>(k)].x, points[static_cast<size_t>(k)].y);
        path.addPolygon(polygon);
        start += count;
    }
    painter.drawPath(path);
    return image;
}

using Polygons = std::vector<std::vector<CanvasPoint>>;

} // namespace

Q_DECLARE_METATYPE(Polygons)

class QtCanvasTest : public QObject {
    Q_OBJECT

private slots:
    void shortcutsDrawTheSamePixels_data() {
        QTest::addColumn<double>("pixelsPerSample");
        QTest::addColumn<int>("firstSample");
        QTest::addColumn<double>("gain");
        QTest::newRow("dense, running below") << 0.3 << 0 << 2.5;
        QTest::newRow("sparse") << 3.0 << 0 << 1.0;
        QTest::newRow("scrolled, mirrored") << 0.7 << 40 << -2.0;
        QTest::newRow("above the top") << -0.5 << 0 << 2.5;
    }
    void shortcutsDrawTheSamePixels() {
        QFETCH(double, pixelsPerSample);
        QFETCH(int, firstSample);
        QFETCH(double, gain);
        auto state = std::make_unique<ViewerState>();
        state->NumSamples = 400;
        state->PlotGain = gain;
        // Quiet stretches (vertical runs) between bursts of both signs.
        std::vector<float> samples(400);
        for (int i = 0; i < 400; ++i)
            samples[static_cast<size_t>(i)] =
                (i / 25) % 2 ? 0.0f : static_cast<float>(40.0 * std::sin(i * 0.4));

        RecordingCanvas recorded(kWidth, kHeight);
        QImage drawn = Blank();
        {
            QPainter painter(&drawn);
            QtCanvas canvas(painter, kWidth, kHeight);
            for (int32_t x : {20, 60, 100}) {
                DrawTrace(*state, recorded, x, 30, samples.data(), pixelsPerSample, 8.0,
                          firstSample);
                DrawTrace(*state, canvas, x, 30, samples.data(), pixelsPerSample, 8.0, firstSample);
            }
        }
        QCOMPARE(drawn, PlainReplay(recorded));
    }

    // Polygons on rows of their own are drawn one by one; where rows are
    // shared the fill rule must still apply across all of them.
    void polygonsKeepTheFillRuleAcrossThemAll_data() {
        QTest::addColumn<Polygons>("polygons");
        QTest::addColumn<bool>("alternate");
        const Polygons overlapping = {{{10, 10}, {60, 10}, {60, 50}, {10, 50}, {10, 10}},
                                      {{30, 30}, {90, 30}, {90, 80}, {30, 80}, {30, 30}}};
        // Lobes as a trace makes them: end to end down the plot, the second
        // beginning on the row where the first ends, one reaching below.
        const Polygons endToEnd = {{{40, 5}, {47, 12}, {52, 20}, {40, 20}, {40, 5}},
                                   {{40, 20}, {44, 30}, {41, 33}, {40, 33}, {40, 20}},
                                   {{40, 40}, {70, 70}, {49, 200}, {40, 200}, {40, 40}}};
        Polygons upward(endToEnd.rbegin(), endToEnd.rend());
        // The second lobe starts one row above the end of the first.
        const Polygons sharingARow = {{{20, 10}, {30, 20}, {26, 40}, {20, 40}, {20, 10}},
                                      {{20, 39}, {35, 50}, {20, 60}, {20, 39}}};
        QTest::newRow("overlapping, alternate") << overlapping << true;
        QTest::newRow("overlapping, winding") << overlapping << false;
        QTest::newRow("end to end") << endToEnd << true;
        QTest::newRow("end to end, upward") << upward << true;
        QTest::newRow("sharing a row") << sharingARow << true;
    }
    void polygonsKeepTheFillRuleAcrossThemAll() {
        QFETCH(Polygons, polygons);
        QFETCH(bool, alternate);
        std::vector<CanvasPoint> points;
        std::vector<int32_t> counts;
        for (const auto& polygon : polygons) {
            points.insert(points.end(), polygon.begin(), polygon.end());
            counts.push_back(static_cast<int32_t>(polygon.size()));
        }
        QImage drawn = Blank();
        {
            QPainter painter(&drawn);
            QtCanvas canvas(painter, kWidth, kHeight);
            canvas.SetPolyFillMode(alternate ? PolyFillMode::Alternate : PolyFillMode::Winding);
            canvas.PolyPolygon(points.data(), counts.data(), static_cast<int>(counts.size()));
        }
        QCOMPARE(drawn,
                 PlainPolyPolygon(points, counts, alternate ? Qt::OddEvenFill : Qt::WindingFill));
    }

    void linesLeaveOutTheirEndPoint() {
        QImage image = Blank();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter, kWidth, kHeight);
            canvas.MoveTo(10, 30);
            canvas.LineTo(10, 27);
            canvas.MoveTo(20, 50);
            canvas.LineTo(kWidth, 50);
        }
        QCOMPARE(image.pixel(10, 30), QColor(Qt::black).rgb());
        QCOMPARE(image.pixel(10, 28), QColor(Qt::black).rgb());
        QCOMPARE(image.pixel(10, 27), QColor(Qt::white).rgb());
        QCOMPARE(image.pixel(kWidth - 1, 50), QColor(Qt::black).rgb());
        QCOMPARE(image.pixel(19, 50), QColor(Qt::white).rgb());
    }

    void textHangsBelowItsTopLeftCorner() {
        QImage image = Blank();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter, kWidth, kHeight);
            canvas.SetFont("Arial", 13, true);
            canvas.SetBrushStyle(BrushStyle::Clear);
            QVERIFY(canvas.TextWidth("1000") > canvas.TextWidth("1"));
            QVERIFY(canvas.TextHeight("0") >= 13);
            canvas.TextOut(30, 40, "88");
        }
        int top = kHeight;
        int left = kWidth;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    top = std::min(top, y);
                    left = std::min(left, x);
                }
        QVERIFY2(top >= 40 && top < 40 + 13, "text not below its corner");
        QVERIFY2(left >= 30 && left < 30 + 5, "text not right of its corner");
    }

    void extendedCrossingsTruncateTowardZero() {
        QCOMPARE(TruncToPixel(3.0L - 1e-18L), 2);
        QCOMPARE(TruncToPixel(-3.0L + 1e-18L), -2);
        QCOMPARE(TruncToPixel(1.5L), 1);
        QCOMPARE(TruncToPixel(-1.5L), -1);
        QCOMPARE(TruncToPixel(4.0L), 4);
        QCOMPARE(TruncToPixel(1e30L), kMaxCoordinate);
        QCOMPARE(TruncToPixel(std::nanl("")), 0);
    }
};

QTEST_MAIN(QtCanvasTest)
#include "tst_qtcanvas.moc"
