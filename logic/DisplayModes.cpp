#include "logic/DisplayModes.h"

#include "logic/TraceRenderer.h"
#include "logic/ViewerState.h"

#include <algorithm>
#include <cmath>

namespace {

// The colour bar's width and its gap from the canvas's right edge, pixels.
constexpr int kBarWidth = 12;
constexpr int kBarGap = 2;
constexpr int kBarTextGap = 3;

struct Stop {
    double at; // 0 the most negative amplitude, 1 the most positive
    int r, g, b;
};

uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
           static_cast<uint32_t>(b);
}

// A ramp through colour stops, each step the straight mix of the two
// stops around it.
ColourRamp Through(std::initializer_list<Stop> stops) {
    ColourRamp ramp{};
    const std::vector<Stop> s(stops);
    for (int i = 0; i < kColourSteps; ++i) {
        // The middle step, where zero falls, is the middle of the map.
        constexpr int kMiddle = kColourSteps / 2;
        const double at = i <= kMiddle ? 0.5 * i / kMiddle
                                       : 0.5 + 0.5 * (i - kMiddle) / (kColourSteps - 1 - kMiddle);
        size_t k = 0;
        while (k + 2 < s.size() && at > s[k + 1].at)
            ++k;
        const double f = std::clamp((at - s[k].at) / (s[k + 1].at - s[k].at), 0.0, 1.0);
        const auto mix = [&](int a, int b) {
            return static_cast<int>(std::lround(a + (b - a) * f));
        };
        ramp[static_cast<size_t>(i)] =
            Rgb(mix(s[k].r, s[k + 1].r), mix(s[k].g, s[k + 1].g), mix(s[k].b, s[k + 1].b));
    }
    return ramp;
}

// Text ending at `right`, on a white box of its size, so that the cells
// and lines under it do not hide it.
void LabelOnWhite(Canvas& canvas, int right, int y, const std::string& text) {
    const int width = canvas.TextWidth(text);
    const int height = canvas.TextHeight(text);
    const int left = std::max(0, right - width);
    if (width > 0 && height > 0) {
        const std::vector<uint32_t> white(static_cast<size_t>(width) * height, 0xFFFFFFFFu);
        canvas.DrawImage(left, y, width, height, white.data());
    }
    canvas.TextOut(left, y, text);
}

} // namespace

const ColourRamp& RampOf(ColourMap map) {
    // Positive amplitudes are dark where the map has a dark end, as the
    // filled lobes of variable area are black.
    static const ColourRamp grey = Through({{0, 255, 255, 255}, {1, 0, 0, 0}});
    static const ColourRamp seismic = Through({{0, 0, 0, 191},
                                               {0.25, 0, 0, 255},
                                               {0.5, 255, 255, 255},
                                               {0.75, 255, 0, 0},
                                               {1, 128, 0, 0}});
    static const ColourRamp redWhiteBlack =
        Through({{0, 255, 0, 0}, {0.5, 255, 255, 255}, {1, 0, 0, 0}});
    // A perceptually even map readable with every colour vision: dark blue
    // violet through teal and green to yellow.
    static const ColourRamp viridis = Through({{0, 68, 1, 84},
                                               {0.25, 59, 82, 139},
                                               {0.5, 33, 145, 140},
                                               {0.75, 94, 201, 98},
                                               {1, 253, 231, 37}});
    switch (map) {
    case ColourMap::Seismic:
        return seismic;
    case ColourMap::RedWhiteBlack:
        return redWhiteBlack;
    case ColourMap::Viridis:
        return viridis;
    default:
        return grey;
    }
}

int ColourStep(float scaled) {
    if (!std::isfinite(scaled))
        return kColourSteps / 2;
    const float clamped = std::clamp(scaled, -1.0f, 1.0f);
    // -1 to step 0, 0 to the middle step, 1 to the last.
    return std::clamp(static_cast<int>(std::lround((clamped + 1.0f) * (kColourSteps - 1) / 2)), 0,
                      kColourSteps - 1);
}

float AmplitudePercentile(const float* samples, size_t count, double percent,
                          std::vector<float>& scratch) {
    scratch.clear();
    for (size_t i = 0; i < count; ++i)
        if (std::isfinite(samples[i]))
            scratch.push_back(std::fabs(samples[i]));
    if (scratch.empty())
        return 0.0f;
    const double share = std::clamp(percent, 0.0, 100.0) / 100.0;
    const auto rank = static_cast<size_t>(std::ceil(share * scratch.size()));
    const size_t k = std::clamp<size_t>(rank, 1, scratch.size()) - 1;
    std::nth_element(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(k),
                     scratch.end());
    return scratch[k];
}

double DensityGainFactor(double plotGain) {
    return std::isfinite(plotGain) ? plotGain / kDefaultPlotGain : 1.0;
}

void DrawDensity(Canvas& canvas, const SectionWindow& window, const ColourRamp& ramp,
                 double plotGain) {
    if (window.traces <= 0 || window.samples <= 0 || !(window.traceSpacing > 0) ||
        !(window.pixelsPerSample > 0))
        return;
    // Trace t fills the pixels whose nearest zero line is its own; sample k
    // the rows nearest its time.
    const int x0 = std::max(0, TruncToPixel(window.left - window.traceSpacing / 2));
    const int x1 = std::min(
        canvas.Width(), TruncToPixel(window.left + (window.traces - 0.5) * window.traceSpacing));
    const int y0 = std::max(0, window.top);
    const int y1 = std::min(canvas.Height(), TruncToPixel(window.top + (window.samples - 0.5) *
                                                                           window.pixelsPerSample));
    if (x1 <= x0 || y1 <= y0)
        return;
    const int width = x1 - x0, height = y1 - y0;
    std::vector<int32_t> traceOf(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        traceOf[static_cast<size_t>(x)] = std::clamp(
            static_cast<int32_t>(std::lround((x0 + x - window.left) / window.traceSpacing)), 0,
            window.traces - 1);
    const float factor = static_cast<float>(DensityGainFactor(plotGain));
    std::vector<float> scales(static_cast<size_t>(window.traces));
    for (int32_t t = 0; t < window.traces; ++t) {
        const float clip = window.clips[static_cast<size_t>(t)];
        scales[static_cast<size_t>(t)] = clip > 0 && std::isfinite(clip) ? factor / clip : 0.0f;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto k = std::clamp(
            static_cast<int32_t>(std::lround((y0 + y - window.top) / window.pixelsPerSample)), 0,
            window.samples - 1);
        uint32_t* row = pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int32_t t = traceOf[static_cast<size_t>(x)];
            const float v =
                window.values[static_cast<size_t>(t) * window.samples + static_cast<size_t>(k)];
            row[x] = ramp[static_cast<size_t>(ColourStep(v * scales[static_cast<size_t>(t)]))];
        }
    }
    canvas.DrawImage(x0, y0, width, height, pixels.data());
}

void DrawWiggles(Canvas& canvas, const SectionWindow& window, double plotGain) {
    if (window.samples <= 0)
        return;
    const double reach = window.traceSpacing * (std::isfinite(plotGain) ? plotGain : 0.0);
    std::vector<CanvasPoint> points(static_cast<size_t>(window.samples));
    for (int32_t t = 0; t < window.traces; ++t) {
        const float clip = window.clips[static_cast<size_t>(t)];
        const double scale = clip > 0 && std::isfinite(clip) ? reach / clip : 0.0;
        const double zero = window.left + t * window.traceSpacing;
        const float* v = window.values + static_cast<size_t>(t) * window.samples;
        for (int32_t k = 0; k < window.samples; ++k) {
            const double offset =
                std::isfinite(v[k]) ? std::clamp(v[k] * scale, -std::fabs(reach), std::fabs(reach))
                                    : 0.0;
            points[static_cast<size_t>(k)] = {
                TruncToPixel(zero + offset), TruncToPixel(window.top + k * window.pixelsPerSample)};
        }
        canvas.Polyline(points.data(), window.samples);
    }
}

void DrawColourBar(Canvas& canvas, const ColourRamp& ramp, int top, const std::string& high,
                   const std::string& low) {
    const int height = canvas.Height() - top;
    const int x = canvas.Width() - kBarWidth - kBarGap;
    if (height <= 0 || x <= 0)
        return;
    // The most positive colour at the top.
    std::vector<uint32_t> pixels(static_cast<size_t>(kBarWidth) * height);
    for (int y = 0; y < height; ++y) {
        const int step = height > 1 ? (kColourSteps - 1) - y * (kColourSteps - 1) / (height - 1)
                                    : kColourSteps / 2;
        std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * kBarWidth, kBarWidth,
                    ramp[static_cast<size_t>(step)]);
    }
    canvas.DrawImage(x, top, kBarWidth, height, pixels.data());
    canvas.SetBrushStyle(BrushStyle::Clear);
    LabelOnWhite(canvas, x - kBarTextGap, top, high);
    LabelOnWhite(canvas, x - kBarTextGap, canvas.Height() - canvas.TextHeight(low), low);
    canvas.SetBrushStyle(BrushStyle::Solid);
}
