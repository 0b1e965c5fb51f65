// The plot's canvas on a QPainter: the paint box of the window, or a QImage
// for the command-line tool and the benchmark.
#pragma once

#include "logic/Canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QVector>

#include <optional>
#include <utility>
#include <vector>

class QtCanvas final : public Canvas {
public:
    // Draws on `painter`, whose device is `width` × `height` pixels. The
    // painter's pen becomes black and one pixel wide, its brush solid black.
    QtCanvas(QPainter& painter, int width, int height);

    int Width() const override { return width_; }
    int Height() const override { return height_; }

    void SetFont(const std::string& family, int pixelHeight, bool variablePitch) override;
    void SetPenStyle(PenStyle style) override;
    void SetBrushStyle(BrushStyle style) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void TextOut(int x, int y, const std::string& text) override;
    void SetTextAlign(int flags) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(const CanvasPoint* points, int count) override;
    void SetPolyFillMode(PolyFillMode mode) override;
    void PolyPolygon(const CanvasPoint* points, const int32_t* counts, int polygonCount) override;
    void DrawImage(int x, int y, int width, int height, const uint32_t* pixels) override;

private:
    // The rows a polygon spans, from its lowest to its highest y.
    struct RowSpan {
        int32_t top;
        int32_t bottom;
    };
    static RowSpan RowsOf(const CanvasPoint* vertices, int count);
    static bool FollowOneAnother(const std::vector<RowSpan>& spans);

    const QVector<QPoint>& ToQPoints(const CanvasPoint* points, int count);

    QPainter& painter_;
    int width_;
    int height_;
    QFontMetrics metrics_;
    QPoint current_;
    Qt::FillRule fillRule_ = Qt::OddEvenFill;
    QVector<QPoint> scratch_;
    // Polygons of one poly-polygon call that reach into the paint box, and
    // the rows each spans.
    std::vector<std::pair<const CanvasPoint*, int>> visible_;
    std::vector<RowSpan> spans_;
};
