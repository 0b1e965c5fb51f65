#include "logic/InspectPlots.h"

#include "logic/SectionPainter.h"
#include "segy/DecimalText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Room around the plots for their labels, in pixels.
constexpr int kLeftMargin = 80;
constexpr int kRightMargin = 10;
constexpr int kTopMargin = 20;
constexpr int kBottomMargin = 20;
constexpr int kMapMargin = 24;
// The length of the inline and crossline arrows' heads.
constexpr int kArrowHead = 6;

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string Traces(int64_t trace) {
    return trace >= 0 ? std::to_string(trace + 1) : std::string();
}

std::string AxisText(const char* name, const segy::KeyAxis& axis) {
    return std::string(name) + " bytes " + std::to_string(axis.firstByte) + "-" +
           std::to_string(axis.firstByte + 3) + ": " + std::to_string(axis.first) + " to " +
           std::to_string(axis.last) + " by " + std::to_string(axis.step) + ", " +
           std::to_string(axis.count) + " lines";
}

struct PlotBox {
    int left, top, width, height;
};

PlotBox EnvelopeBox(int width, int height) {
    return {kLeftMargin, kTopMargin, std::max(1, width - kLeftMargin - kRightMargin),
            std::max(1, height - kTopMargin - kBottomMargin)};
}

// A vertical line over pixels top..bottom, both drawn.
void VerticalLine(Canvas& canvas, int x, int top, int bottom) {
    canvas.MoveTo(x, std::min(top, bottom));
    canvas.LineTo(x, std::max(top, bottom) + 1);
}

void Line(Canvas& canvas, double x0, double y0, double x1, double y1) {
    canvas.MoveTo(static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0)));
    canvas.LineTo(static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)));
}

void Arrow(Canvas& canvas, double x0, double y0, double x1, double y1, const std::string& label) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    if (length < 2 * kArrowHead)
        return;
    Line(canvas, x0, y0, x1, y1);
    const double ux = (x1 - x0) / length, uy = (y1 - y0) / length;
    for (int side : {-1, 1})
        Line(canvas, x1, y1, x1 - kArrowHead * (ux - side * uy * 0.5),
             y1 - kArrowHead * (uy + side * ux * 0.5));
    canvas.TextOut(static_cast<int>(x1 + 3 * ux), static_cast<int>(y1 + 3 * uy), label);
}

} // namespace

std::vector<InspectFieldRow> InspectFieldRows(const segy::HeaderInspection& inspection) {
    std::vector<InspectFieldRow> rows;
    const auto& words = segy::InspectedWords();
    for (int w = 0; w < static_cast<int>(words.size()); ++w) {
        const segy::InspectedWord& word = words[w];
        if (!word.field)
            continue;
        InspectFieldRow row;
        row.word = w;
        row.cells[0] = std::string(word.field->name);
        row.cells[1] = std::to_string(word.firstByte) + "-" +
                       std::to_string(word.firstByte + word.Width() - 1);
        if (inspection.Finished() && inspection.TracesSeen() > 0) {
            const segy::WordCharacter& c = inspection.Character(w);
            row.cells[2] = std::to_string(inspection.Min(w));
            row.cells[3] = std::to_string(inspection.Max(w));
            if (c.scaled) {
                row.cells[4] = Number(c.scaledMin);
                row.cells[5] = Number(c.scaledMax);
            }
            row.minTrace = inspection.MinTrace(w);
            row.maxTrace = inspection.MaxTrace(w);
            row.cells[6] = Traces(row.minTrace);
            row.cells[7] = Traces(row.maxTrace);
            row.cells[8] = segy::DescribeCharacter(c, inspection.Min(w), inspection.Max(w));
            if (c.scalarChanges)
                row.cells[8] += "; its scalar changes between traces";
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> GeometrySummary(const segy::HeaderInspection& inspection) {
    if (!inspection.Finished())
        return {kNoInspectionText};
    const segy::SurveyGeometry& g = inspection.Geometry();
    std::vector<std::string> lines;
    lines.push_back("Geometry: " + g.kind + ". " + g.why);
    if (g.kind == "3D") {
        lines.push_back(AxisText("Inline", g.inlineKey));
        lines.push_back(AxisText("Crossline", g.crosslineKey));
        lines.push_back("Grid of " + std::to_string(g.gridTraces) + " positions, " +
                        std::to_string(g.missingTraces) + " without a trace");
        if (g.hasCorners) {
            std::string corners =
                std::string("Corners (") +
                segy::CoordinatePairName(static_cast<segy::CoordinatePair>(g.cornerPair)) +
                " X, Y):";
            for (const auto& corner : g.corners)
                corners += " (" + Number(std::round(corner[0] * 100) / 100) + ", " +
                           Number(std::round(corner[1] * 100) / 100) + ")";
            lines.push_back(corners);
        }
    } else if (g.kind == "2D") {
        lines.push_back(AxisText("Line", g.lineKey));
    } else if (g.kind == "prestack") {
        lines.push_back("Gathers: bytes " + std::to_string(g.lineKey.firstByte) + "-" +
                        std::to_string(g.lineKey.firstByte + 3) + ", " +
                        std::to_string(g.lineKey.count) + " gathers from " +
                        std::to_string(g.lineKey.first) + " to " + std::to_string(g.lineKey.last));
    }
    for (int p = 0; p < segy::kCoordinatePairs; ++p) {
        const segy::AreaExtent& e = g.extents[p];
        if (!e.known || (e.minX == 0 && e.maxX == 0 && e.minY == 0 && e.maxY == 0))
            continue;
        lines.push_back(
            std::string(segy::CoordinatePairName(static_cast<segy::CoordinatePair>(p))) + " X " +
            Number(e.minX) + " to " + Number(e.maxX) + ", Y " + Number(e.minY) + " to " +
            Number(e.maxY) + (e.scalarChanges ? " (the scalar changes between traces)" : ""));
    }
    return lines;
}

void DrawFieldEnvelope(Canvas& canvas, const segy::HeaderInspection& inspection, int word) {
    canvas.SetFont(kPlotFontFamily, kPlotFontPixels, true);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPenStyle(PenStyle::Solid);
    const int64_t traces = inspection.TracesSeen();
    if (!inspection.Finished() || traces <= 0 || word < 0 ||
        word >= static_cast<int>(segy::InspectedWords().size()))
        return;
    const PlotBox box = EnvelopeBox(canvas.Width(), canvas.Height());
    const segy::InspectedWord& w = segy::InspectedWords()[word];
    const std::string name = w.field ? std::string(w.field->name) : "Word";
    canvas.TextOut(box.left, 2,
                   name + ", bytes " + std::to_string(w.firstByte) + "-" +
                       std::to_string(w.firstByte + w.Width() - 1));

    const double low = inspection.Min(word), high = inspection.Max(word);
    const auto y = [&](double v) {
        if (high == low)
            return box.top + box.height / 2;
        return box.top + box.height - 1 -
               static_cast<int>(std::lround((v - low) / (high - low) * (box.height - 1)));
    };
    // The frame and its labels.
    const CanvasPoint frame[] = {{box.left - 1, box.top - 1},
                                 {box.left + box.width, box.top - 1},
                                 {box.left + box.width, box.top + box.height},
                                 {box.left - 1, box.top + box.height},
                                 {box.left - 1, box.top - 1}};
    canvas.Polyline(frame, 5);
    const int textHeight = canvas.TextHeight("0");
    const std::string top = std::to_string(inspection.Max(word));
    const std::string bottom = std::to_string(inspection.Min(word));
    canvas.TextOut(std::max(0, box.left - 4 - canvas.TextWidth(top)), y(high) - textHeight / 2,
                   top);
    if (high != low)
        canvas.TextOut(std::max(0, box.left - 4 - canvas.TextWidth(bottom)),
                       y(low) - textHeight / 2, bottom);
    canvas.TextOut(box.left, box.top + box.height + 2, "1");
    const std::string last = std::to_string(traces);
    canvas.TextOut(box.left + box.width - canvas.TextWidth(last), box.top + box.height + 2, last);

    // Each envelope column over the pixels its traces cover; columns that
    // share a pixel are drawn over each other, which is their union. Each
    // column's bar reaches to the one before it, so that a field that moves
    // shows as a line, not as dots.
    bool any = false;
    int32_t previousMin = 0, previousMax = 0;
    for (int c = 0; c < inspection.Columns(); ++c) {
        int32_t columnMin, columnMax;
        if (!inspection.ColumnRange(c, word, columnMin, columnMax))
            continue;
        const int32_t min = any ? std::min(columnMin, previousMax) : columnMin;
        const int32_t max = any ? std::max(columnMax, previousMin) : columnMax;
        previousMin = columnMin;
        previousMax = columnMax;
        any = true;
        const int64_t first = std::min(inspection.ColumnFirstTrace(c), traces - 1);
        const int64_t end = c + 1 < inspection.Columns()
                                ? std::min(inspection.ColumnFirstTrace(c + 1), traces)
                                : traces;
        const int x0 = static_cast<int>(first * box.width / traces);
        const int x1 = std::max(x0, static_cast<int>(end * box.width / traces) - 1);
        for (int x = x0; x <= x1 && x < box.width; ++x)
            VerticalLine(canvas, box.left + x, y(min), y(max));
    }
}

int64_t EnvelopeTraceAt(int width, const segy::HeaderInspection& inspection, int x) {
    const int64_t traces = inspection.TracesSeen();
    const PlotBox box = EnvelopeBox(width, 1);
    if (!inspection.Finished() || traces <= 0 || x < box.left || x >= box.left + box.width)
        return -1;
    return std::min(traces - 1, (x - box.left) * traces / box.width);
}

void DrawCoordinateMap(Canvas& canvas, const segy::HeaderInspection& inspection,
                       segy::CoordinatePair pair) {
    canvas.SetFont(kPlotFontFamily, kPlotFontPixels, true);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPenStyle(PenStyle::Solid);
    if (!inspection.Finished() || inspection.Samples() == 0)
        return;
    const segy::SurveyGeometry& g = inspection.Geometry();
    const segy::AreaExtent& e = g.extents[static_cast<int>(pair)];
    const std::string title = std::string(segy::CoordinatePairName(pair)) + " X/Y";
    if (!e.known || (e.minX == e.maxX && e.minY == e.maxY)) {
        canvas.TextOut(kMapMargin, 2,
                       title + ": " +
                           (e.known ? "every trace at " + Number(e.minX) + ", " + Number(e.minY)
                                    : std::string("not known")));
        return;
    }
    canvas.TextOut(kMapMargin, 2,
                   title + ", " + std::to_string(inspection.Samples()) + " traces sampled");
    // One scale for both directions, so that the map is not distorted.
    const int width = std::max(1, canvas.Width() - 2 * kMapMargin);
    const int height = std::max(1, canvas.Height() - 2 * kMapMargin);
    const double spanX = std::max(e.maxX - e.minX, 1e-9);
    const double spanY = std::max(e.maxY - e.minY, 1e-9);
    const double scale = std::min(width / spanX, height / spanY);
    const double left = kMapMargin + (width - spanX * scale) / 2;
    const double bottom = kMapMargin + height - (height - spanY * scale) / 2;
    const auto px = [&](double x) { return left + (x - e.minX) * scale; };
    const auto py = [&](double y) { return bottom - (y - e.minY) * scale; };
    for (int64_t i = 0; i < inspection.Samples(); ++i) {
        double x, y;
        inspection.SampleCoordinates(i, pair, x, y);
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        const int ix = static_cast<int>(std::lround(px(x)));
        const int iy = static_cast<int>(std::lround(py(y)));
        canvas.MoveTo(ix, iy);
        canvas.LineTo(ix + 1, iy);
    }
    if (g.kind != "3D" || !g.hasCorners || g.cornerPair != static_cast<int>(pair))
        return;
    CanvasPoint corners[4];
    for (int k = 0; k < 4; ++k)
        corners[k] = {static_cast<int32_t>(std::lround(px(g.corners[k][0]))),
                      static_cast<int32_t>(std::lround(py(g.corners[k][1])))};
    const int32_t count = 4;
    canvas.PolyPolygon(corners, &count, 1);
    // Crosslines run from corner 0 to corner 1, inlines from 0 to 3.
    Arrow(canvas, corners[0].x, corners[0].y, corners[1].x, corners[1].y, "XL");
    Arrow(canvas, corners[0].x, corners[0].y, corners[3].x, corners[3].y, "IL");
}
