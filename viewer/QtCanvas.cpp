#include "viewer/QtCanvas.h"

#include <QPolygon>

#include <algorithm>
#include <cstdlib>

namespace {

// A cosmetic pen: one pixel wide whatever the transformation, and the
// raster engine's fast path for thin lines.
QPen BlackPen(Qt::PenStyle style) {
    QPen pen(Qt::black);
    pen.setWidth(0);
    pen.setStyle(style);
    return pen;
}

bool Outside(const CanvasPoint& point, int height) {
    return point.y < 0 || point.y >= height;
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter, int width, int height)
    : painter_(painter), width_(width), height_(height), metrics_(painter.font()) {
    // Aliased drawing: the plot is made of one-pixel lines on whole pixels.
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setPen(BlackPen(Qt::SolidLine));
    painter_.setBrush(Qt::black);
    // Text never paints a background box; labels sit over the traces.
    painter_.setBackgroundMode(Qt::TransparentMode);
}

void QtCanvas::SetFont(const std::string& family, int pixelHeight, bool variablePitch) {
    QFont font(QString::fromStdString(family));
    font.setPixelSize(pixelHeight);
    font.setFixedPitch(!variablePitch);
    font.setStyleHint(variablePitch ? QFont::SansSerif : QFont::Monospace);
    painter_.setFont(font);
    metrics_ = QFontMetrics(painter_.font());
}

void QtCanvas::SetPenStyle(PenStyle style) {
    painter_.setPen(BlackPen(style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine));
}

void QtCanvas::SetBrushStyle(BrushStyle style) {
    painter_.setBrush(style == BrushStyle::Solid ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
}

int QtCanvas::TextWidth(const std::string& text) {
    return metrics_.horizontalAdvance(QString::fromStdString(text));
}

int QtCanvas::TextHeight(const std::string&) {
    return metrics_.height();
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
    if (text.empty())
        return;
    painter_.drawText(QPoint(x, y + metrics_.ascent()), QString::fromStdString(text));
}

// QPainter places text by its baseline and knows no other alignment mode, so
// the only alignment the plot uses (left and top) is what TextOut does.
void QtCanvas::SetTextAlign(int) {}

void QtCanvas::MoveTo(int x, int y) {
    current_ = QPoint(x, y);
}

void QtCanvas::LineTo(int x, int y) {
    const QPoint end(x, y);
    const QPoint delta = end - current_;
    const int steps = std::max(std::abs(delta.x()), std::abs(delta.y()));
    if (steps > 0) {
        // The end point is left out, as the plot's ticks and timing lines
        // expect: a line to (W, y) ends on the last column of the canvas.
        // In 64 bits: a line across a canvas wider than 46340 pixels has a
        // product beyond 32 bits.
        const auto back = [steps](int from, int d) {
            return static_cast<int>(from + int64_t{d} * (steps - 1) / steps);
        };
        const QPoint last(back(current_.x(), delta.x()), back(current_.y(), delta.y()));
        painter_.drawLine(current_, last);
    }
    current_ = end;
}

const QVector<QPoint>& QtCanvas::ToQPoints(const CanvasPoint* points, int count) {
    scratch_.resize(count);
    for (int k = 0; k < count; ++k)
        scratch_[k] = QPoint(points[k].x, points[k].y);
    return scratch_;
}

// A wiggle runs on far below the paint box and often straight down where
// the trace is quiet. Segments between two points above or two points
// below the canvas draw nothing, and a vertical run is the same pixels as
// one vertical segment, so both are left out before Qt strokes the line.
void QtCanvas::Polyline(const CanvasPoint* points, int count) {
    int first = 0;
    while (first + 1 < count && Outside(points[first], height_) &&
           Outside(points[first + 1], height_) &&
           (points[first].y < 0) == (points[first + 1].y < 0))
        ++first;
    int last = count - 1;
    while (last - 1 > first && Outside(points[last], height_) &&
           Outside(points[last - 1], height_) && (points[last].y < 0) == (points[last - 1].y < 0))
        --last;
    if (last - first < 1)
        return;
    scratch_.resize(last - first + 1);
    int used = 0;
    for (int k = first; k <= last; ++k) {
        const QPoint point(points[k].x, points[k].y);
        if (k < last && used >= 2 && scratch_[used - 1].x() == point.x() &&
            scratch_[used - 2].x() == point.x() &&
            (scratch_[used - 1].y() - scratch_[used - 2].y() >= 0) ==
                (point.y() - scratch_[used - 1].y() >= 0))
            scratch_[used - 1] = point;
        else
            scratch_[used++] = point;
    }
    painter_.drawPolyline(scratch_.constData(), used);
}

void QtCanvas::SetPolyFillMode(PolyFillMode mode) {
    fillRule_ = mode == PolyFillMode::Alternate ? Qt::OddEvenFill : Qt::WindingFill;
}

QtCanvas::RowSpan QtCanvas::RowsOf(const CanvasPoint* vertices, int count) {
    RowSpan rows{vertices[0].y, vertices[0].y};
    for (int v = 1; v < count; ++v) {
        rows.top = std::min(rows.top, vertices[v].y);
        rows.bottom = std::max(rows.bottom, vertices[v].y);
    }
    return rows;
}

// True when each span starts where the one before it ends or further on,
// all down the plot or all up it: no pixel row lies inside two of them.
bool QtCanvas::FollowOneAnother(const std::vector<RowSpan>& spans) {
    bool down = true;
    bool up = true;
    for (size_t k = 1; k < spans.size(); ++k) {
        down = down && spans[k].top >= spans[k - 1].bottom;
        up = up && spans[k].bottom <= spans[k - 1].top;
    }
    return down || up;
}

void QtCanvas::PolyPolygon(const CanvasPoint* points, const int32_t* counts, int polygonCount) {
    if (polygonCount <= 0)
        return;
    // A lobe wholly below the paint box shows nothing of its fill or its
    // outline.
    visible_.clear();
    spans_.clear();
    int start = 0;
    for (int k = 0; k < polygonCount; ++k) {
        const CanvasPoint* vertices = points + start;
        start += counts[k];
        if (counts[k] <= 0 || std::all_of(vertices, vertices + counts[k],
                                          [this](const CanvasPoint& p) { return p.y >= height_; }))
            continue;
        visible_.push_back({vertices, counts[k]});
        spans_.push_back(RowsOf(vertices, counts[k]));
    }
    if (visible_.empty())
        return;
    // Polygons on rows of their own cover the same pixels under either fill
    // rule whether filled one by one or as one shape, and one by one spares
    // building a path: the lobes of a trace follow one another down the plot.
    if (FollowOneAnother(spans_)) {
        for (const auto& [vertices, count] : visible_) {
            const QVector<QPoint>& polygon = ToQPoints(vertices, count);
            painter_.drawPolygon(polygon.constData(), count, fillRule_);
        }
        return;
    }
    // Otherwise one path for all polygons, so the fill rule applies across
    // them as it does for a single poly-polygon call.
    QPainterPath path;
    path.setFillRule(fillRule_);
    for (const auto& [vertices, count] : visible_) {
        path.moveTo(vertices[0].x, vertices[0].y);
        for (int v = 1; v < count; ++v)
            path.lineTo(vertices[v].x, vertices[v].y);
        path.closeSubpath();
    }
    painter_.drawPath(path);
}

void QtCanvas::DrawImage(int x, int y, int width, int height, const uint32_t* pixels) {
    if (width <= 0 || height <= 0)
        return;
    // The image wraps the caller's pixels; it is drawn before they go.
    const QImage image(reinterpret_cast<const uchar*>(pixels), width, height,
                       static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    painter_.drawImage(QPoint(x, y), image);
}
