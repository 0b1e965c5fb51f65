// A canvas that remembers every drawing call with its arguments, for tests
// that check what the plot draws call by call. Text metrics are fixed:
// 7 pixels per character and 13 pixels high.
#pragma once

#include "logic/Canvas.h"

#include <string>
#include <vector>

namespace segytest {

enum class CallKind {
    SetFont,
    SetPenStyle,
    SetBrushStyle,
    TextOut,
    SetTextAlign,
    MoveTo,
    LineTo,
    Polyline,
    SetPolyFillMode,
    PolyPolygon,
    DrawImage,
};

struct CanvasCall {
    CallKind kind{};
    int x = 0; // position of TextOut, MoveTo, LineTo
    int y = 0;
    int number = 0; // font pixel height, text alignment flags
    bool variablePitch = false;
    std::string text; // font family or text
    PenStyle pen = PenStyle::Solid;
    BrushStyle brush = BrushStyle::Solid;
    PolyFillMode fillMode = PolyFillMode::Alternate;
    std::vector<CanvasPoint> points;
    std::vector<int32_t> counts;
    int width = 0; // DrawImage
    int height = 0;
    std::vector<uint32_t> pixels;
};

constexpr int kRecordedCharWidth = 7;
constexpr int kRecordedTextHeight = 13;

class RecordingCanvas final : public Canvas {
public:
    RecordingCanvas(int width = 594, int height = 561) : width_(width), height_(height) {}

    std::vector<CanvasCall> calls;

    std::vector<CanvasCall> Of(CallKind kind) const {
        std::vector<CanvasCall> found;
        for (const CanvasCall& call : calls)
            if (call.kind == kind)
                found.push_back(call);
        return found;
    }
    std::vector<CallKind> Kinds() const {
        std::vector<CallKind> kinds;
        for (const CanvasCall& call : calls)
            kinds.push_back(call.kind);
        return kinds;
    }

    int Width() const override { return width_; }
    int Height() const override { return height_; }

    void SetFont(const std::string& family, int pixelHeight, bool variablePitch) override {
        CanvasCall call = Call(CallKind::SetFont);
        call.text = family;
        call.number = pixelHeight;
        call.variablePitch = variablePitch;
        calls.push_back(call);
    }
    void SetPenStyle(PenStyle style) override {
        CanvasCall call = Call(CallKind::SetPenStyle);
        call.pen = style;
        calls.push_back(call);
    }
    void SetBrushStyle(BrushStyle style) override {
        CanvasCall call = Call(CallKind::SetBrushStyle);
        call.brush = style;
        calls.push_back(call);
    }
    int TextWidth(const std::string& text) override {
        return kRecordedCharWidth * static_cast<int>(text.size());
    }
    int TextHeight(const std::string&) override { return kRecordedTextHeight; }
    void TextOut(int x, int y, const std::string& text) override {
        CanvasCall call = Call(CallKind::TextOut, x, y);
        call.text = text;
        calls.push_back(call);
    }
    void SetTextAlign(int flags) override {
        CanvasCall call = Call(CallKind::SetTextAlign);
        call.number = flags;
        calls.push_back(call);
    }
    void MoveTo(int x, int y) override { calls.push_back(Call(CallKind::MoveTo, x, y)); }
    void LineTo(int x, int y) override { calls.push_back(Call(CallKind::LineTo, x, y)); }
    void Polyline(const CanvasPoint* points, int count) override {
        CanvasCall call = Call(CallKind::Polyline);
        call.points.assign(points, points + count);
        calls.push_back(call);
    }
    void SetPolyFillMode(PolyFillMode mode) override {
        CanvasCall call = Call(CallKind::SetPolyFillMode);
        call.fillMode = mode;
        calls.push_back(call);
    }
    void DrawImage(int x, int y, int width, int height, const uint32_t* pixels) override {
        CanvasCall call = Call(CallKind::DrawImage);
        call.x = x;
        call.y = y;
        call.width = width;
        call.height = height;
        call.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
        calls.push_back(std::move(call));
    }
    void PolyPolygon(const CanvasPoint* points, const int32_t* counts, int polygonCount) override {
        CanvasCall call = Call(CallKind::PolyPolygon);
        int total = 0;
        for (int k = 0; k < polygonCount; ++k)
            total += counts[k];
        call.counts.assign(counts, counts + polygonCount);
        call.points.assign(points, points + total);
        calls.push_back(call);
    }

private:
    static CanvasCall Call(CallKind kind, int x = 0, int y = 0) {
        CanvasCall call;
        call.kind = kind;
        call.x = x;
        call.y = y;
        return call;
    }

    int width_;
    int height_;
};

} // namespace segytest
