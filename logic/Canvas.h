// The drawing surface the plot paints on. The window implements it with
// QPainter, the tests with a recorder, the command-line tool with a QImage,
// so one piece of drawing code serves all three.
#pragma once

#include <cstdint>
#include <string>

struct CanvasPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const CanvasPoint&, const CanvasPoint&) = default;
};

enum class PenStyle { Solid, Dot };
enum class BrushStyle { Solid, Clear };
// Polygon fill rules; alternate is the even-odd rule.
enum class PolyFillMode : int { Alternate = 1, Winding = 2 };

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Font by family name and pixel height; variable or fixed pitch.
    virtual void SetFont(const std::string& family, int pixelHeight, bool variablePitch) = 0;
    // The pen is always black and one pixel wide; only its style changes.
    virtual void SetPenStyle(PenStyle style) = 0;
    // Solid brushes are black; a clear brush fills nothing and draws text on
    // a transparent background.
    virtual void SetBrushStyle(BrushStyle style) = 0;

    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    // Draws text with its top-left corner at (x, y).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // Text alignment flags; 0 is left and top, the only one the plot uses.
    virtual void SetTextAlign(int flags) = 0;

    virtual void MoveTo(int x, int y) = 0;
    // Draws from the current point to (x, y), the end point excluded.
    virtual void LineTo(int x, int y) = 0;

    virtual void Polyline(const CanvasPoint* points, int count) = 0;
    virtual void SetPolyFillMode(PolyFillMode mode) = 0;
    // Fills and outlines `polygonCount` polygons stored one after another;
    // counts[i] vertices belong to polygon i.
    virtual void PolyPolygon(const CanvasPoint* points, const int32_t* counts,
                             int polygonCount) = 0;
    // Copies `width` × `height` pixels, row by row, each 0xAARRGGBB and
    // opaque, with the top-left one at (x, y): the colour cells of the
    // density display and its colour bar.
    virtual void DrawImage(int x, int y, int width, int height, const uint32_t* pixels) = 0;
};
