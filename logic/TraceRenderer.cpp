#include "logic/TraceRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A wiggle is drawn in pieces of at most this many segments, so no single
// polyline call takes more than 501 points.
constexpr int kSegmentsPerPolyline = 500;

// 2^31: the first magnitude whose integer part no longer fits in 32 bits.
constexpr float kTruncationLimit = 2147483648.0f;

// The integer part of a sample's magnitude. Samples with no 32-bit integer
// part (NaN, infinities, 2^31 and beyond) count as silence, so one broken
// value cannot flatten the rest of the trace.
int32_t IntegerMagnitude(float sample) {
    if (!std::isfinite(sample) || std::fabs(sample) >= kTruncationLimit)
        return 0;
    return std::abs(static_cast<int32_t>(sample));
}

// The largest finite magnitude of a trace: the scale of normalised data,
// whose samples all lie between -1 and 1 and so have no integer part.
float LargestFiniteMagnitude(const float* samples, int32_t count) {
    float largest = 0.0f;
    for (int32_t k = 0; k < count; ++k)
        if (std::isfinite(samples[k]))
            largest = std::max(largest, std::fabs(samples[k]));
    return largest;
}

// The amplitude scale in single precision as the plot has always kept it
// for a trace with an integer maximum; a product beyond the float range is
// held at the largest float. A fractional maximum keeps the scale in double
// precision, where even the smallest sample's reciprocal fits.
double AmplitudeScale(double traceSpacing, double plotGain, float maximum, bool integral) {
    const double scale = traceSpacing * plotGain / maximum;
    if (std::isnan(scale))
        return 0.0;
    if (!integral)
        return scale;
    constexpr double kFloatMax = 3.40282346638528859812e+38;
    return static_cast<float>(std::clamp(scale, -kFloatMax, kFloatMax));
}

int32_t ClampToCoordinate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

template <typename T> void EnsureSize(std::vector<T>& buffer, size_t size) {
    if (buffer.size() < size)
        buffer.resize(size);
}

// Polygon list of one trace, built in the state's buffers. Plain pointers
// into them: through the vectors every store would make the compiler load
// their data pointers again for each sample.
struct Lobes {
    CanvasPoint* points;
    int32_t* counts;
    int used = 0;
    int polygons = 0;
    int start = 0;

    void Add(int32_t x, int32_t y) { points[used++] = {x, y}; }
    // Repeats the polygon's first vertex and records its vertex count.
    void Close() {
        points[used] = points[start];
        ++used;
        counts[polygons++] = used - start;
        start = used;
    }
};

// The y at which the wiggle crosses the zero line between the previous
// offset p and the current h, interpolated back from the sample's y.
int32_t CrossingY(int32_t y, double pixelsPerSample, int32_t h, int32_t p) {
    const long double back =
        static_cast<long double>(pixelsPerSample) / static_cast<long double>(h - p) * h;
    return ClampToCoordinate(static_cast<int64_t>(y) - std::abs(TruncToPixel(back)));
}

void DrawWiggle(Canvas& canvas, const CanvasPoint* points, int count) {
    const int segments = count - 1;
    const int fullPieces = segments / kSegmentsPerPolyline;
    const int rest = segments % kSegmentsPerPolyline;
    for (int c = 0; c < fullPieces; ++c)
        canvas.Polyline(points + kSegmentsPerPolyline * c, kSegmentsPerPolyline + 1);
    if (rest > 0)
        canvas.Polyline(points + kSegmentsPerPolyline * fullPieces, rest + 1);
}

bool HeldAtLimit(long double value, int32_t limit, int32_t& pixel) {
    if (std::isnan(value))
        pixel = 0;
    else if (value >= limit)
        pixel = limit;
    else if (value <= -limit)
        pixel = -limit;
    else
        return false;
    return true;
}

} // namespace

// Converting an extended value to an integer directly switches the x87
// rounding mode, which costs more than the rest of a crossing; rounding to
// double and correcting by one gives the same truncation.
int32_t TruncToPixel(long double value, int32_t limit) {
    int32_t pixel = 0;
    if (HeldAtLimit(value, limit, pixel))
        return pixel;
    pixel = static_cast<int32_t>(static_cast<double>(value));
    if (value >= 0 && static_cast<long double>(pixel) > value)
        --pixel;
    else if (value < 0 && static_cast<long double>(pixel) < value)
        ++pixel;
    return pixel;
}

void DrawTrace(ViewerState& state, Canvas& canvas, int32_t traceX, int32_t topY,
               const float* samples, double pixelsPerSample, double traceSpacing,
               int32_t firstSample) {
    const int32_t numSamples = std::max(state.NumSamples, 0);
    const int32_t first = std::max(firstSample, 0);
    DrawTraceSamples(state, canvas, {traceX, topY, pixelsPerSample, traceSpacing},
                     {samples, numSamples, first, std::max(numSamples - first, 0)});
}

void DrawTraceSamples(ViewerState& state, Canvas& canvas, const TracePlacement& place,
                      const TraceStretch& trace) {
    canvas.SetBrushStyle(BrushStyle::Solid);

    const int32_t traceX = place.traceX;
    const int32_t topY = place.topY;
    const double pixelsPerSample = place.pixelsPerSample;
    const float* samples = trace.samples;
    const int32_t numSamples = std::max(trace.scaled, 0);
    const int32_t first = std::max(trace.first, 0);
    const int32_t positions = std::max(std::min(trace.drawn, numSamples - first), 0);
    // The worst trace changes sign at every position: two polygon points per
    // position plus the closing of a lobe left open at the end.
    EnsureSize(state.TraceSamples, static_cast<size_t>(numSamples));
    EnsureSize(state.TracePoints, static_cast<size_t>(positions) + 2);
    EnsureSize(state.PolyPoints, 2 * static_cast<size_t>(positions) + 2);
    EnsureSize(state.PolyCounts, static_cast<size_t>(positions) + 1);

    int32_t maximum = 0;
    for (int32_t k = 0; k < numSamples; ++k) {
        state.TraceSamples[static_cast<size_t>(k)] = samples[k];
        maximum = std::max(maximum, IntegerMagnitude(samples[k]));
    }

    // A trace of fractions only is scaled by its largest sample instead, so
    // normalised data draws like any other; silence stays a straight line.
    const float fractionalMaximum =
        maximum == 0 ? LargestFiniteMagnitude(state.TraceSamples.data(), numSamples) : 0.0f;
    std::vector<CanvasPoint>& wiggle = state.TracePoints;
    wiggle[0] = {traceX, topY};
    if (maximum == 0 && fractionalMaximum == 0.0f) {
        wiggle[1] = {traceX, TruncToPixel(topY + numSamples * pixelsPerSample)};
        DrawWiggle(canvas, wiggle.data(), 2);
        return;
    }

    canvas.SetPolyFillMode(PolyFillMode::Alternate);
    const double scale =
        maximum != 0
            ? AmplitudeScale(place.traceSpacing, state.PlotGain, static_cast<float>(maximum), true)
            : AmplitudeScale(place.traceSpacing, state.PlotGain, fractionalMaximum, false);

    Lobes lobes{state.PolyPoints.data(), state.PolyCounts.data()};
    const float* traceSamples = state.TraceSamples.data() + first;
    CanvasPoint* wigglePoints = wiggle.data();
    int used = 1;
    int32_t p = 0;
    for (int32_t i = 0; i < positions; ++i) {
        // The product of two floats is exact in double precision, so it
        // equals the extended-precision product the offsets are defined by.
        // A sample that is not finite has no offset: it is drawn on the
        // zero line, so one broken value cannot black out the plot.
        const double v = traceSamples[i];
        const int32_t h = std::isfinite(v) ? TruncToPixel(v * scale, kMaxSampleOffset) : 0;
        const int32_t y = TruncToPixel(topY + i * pixelsPerSample);
        const int32_t x = ClampToCoordinate(static_cast<int64_t>(traceX) + h);
        wigglePoints[used++] = {x, y};

        if (h > 0) {
            if (p < 0)
                lobes.Add(traceX, CrossingY(y, pixelsPerSample, h, p));
            else if (p == 0)
                lobes.Add(traceX, TruncToPixel(y - pixelsPerSample));
            lobes.Add(x, y);
        } else if (p > 0) {
            lobes.Add(traceX, h == 0 ? y : CrossingY(y, pixelsPerSample, h, p));
            lobes.Close();
        }
        p = h;
    }
    if (p > 0) {
        lobes.Add(traceX, TruncToPixel(topY + positions * pixelsPerSample));
        lobes.Close();
    }

    DrawWiggle(canvas, wiggle.data(), used);
    canvas.PolyPolygon(state.PolyPoints.data(), state.PolyCounts.data(), lobes.polygons);
}
