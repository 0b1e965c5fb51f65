// One seismic trace in variable area: a wiggle through the samples with
// every positive lobe filled black.
#pragma once

#include "logic/Canvas.h"
#include "logic/ViewerState.h"

#include <cstdint>

// Largest horizontal offset, in pixels, a sample is drawn at. Samples far
// beyond the trace's own maximum (a spike the maximum ignores, an infinity)
// are held at this distance, which lies far outside any window yet keeps
// every coordinate sum inside 32 bits.
constexpr int32_t kMaxSampleOffset = 1000000;
// Bound on every vertical coordinate the renderer computes.
constexpr int32_t kMaxCoordinate = 1000000000;

// Draws `state.NumSamples` samples from `samples` with the zero line at
// `traceX`; sample `firstSample` lies at `topY` and each further one
// `pixelsPerSample` lower. The trace is scaled so that its largest integer
// amplitude lies `state.PlotGain` trace spacings from the zero line; a
// trace with no integer amplitude, by its largest finite one. Uses
// the renderer buffers of `state`, growing them for a longer trace.
void DrawTrace(ViewerState& state, Canvas& canvas, int32_t traceX, int32_t topY,
               const float* samples, double pixelsPerSample, double traceSpacing,
               int32_t firstSample);

// Where a trace is drawn: its zero line, the row of its first drawn sample,
// and the plot's scales.
struct TracePlacement {
    int32_t traceX = 0;
    int32_t topY = 0;
    double pixelsPerSample = 0.0;
    double traceSpacing = 0.0;
};

// The samples a trace is drawn from: it is scaled by the largest of
// samples[0, scaled) and drawn from sample `first` for `drawn` samples (at
// most to `scaled`); a silent trace is a line `scaled` samples long.
struct TraceStretch {
    const float* samples = nullptr;
    int32_t scaled = 0;
    int32_t first = 0;
    int32_t drawn = 0;
};

// DrawTrace over any stretch of a trace: a whole trace drawn from a sample
// on, or the window of a long trace, scaled by that window alone.
void DrawTraceSamples(ViewerState& state, Canvas& canvas, const TracePlacement& place,
                      const TraceStretch& trace);

// Conversion toward zero to a coordinate within [-limit, limit]; NaN is 0.
// Inline: the renderer converts every sample's offset and y with it.
inline int32_t TruncToPixel(double value, int32_t limit = kMaxCoordinate) {
    if (!(value > -limit))
        return value != value ? 0 : -limit;
    if (value >= limit)
        return limit;
    return static_cast<int32_t>(value);
}
int32_t TruncToPixel(long double value, int32_t limit = kMaxCoordinate);
