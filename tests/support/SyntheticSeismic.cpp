#include "tests/support/SyntheticSeismic.h"

#include <cmath>

namespace segytest {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Ricker(double tMs, double peakHz) {
    const double a = kPi * peakHz * tMs / 1000.0;
    return (1.0 - 2.0 * a * a) * std::exp(-a * a);
}

void AddEvent(std::vector<double>& trace, double timeMs, double amplitude, double intervalMs,
              double peakHz) {
    for (size_t i = 0; i < trace.size(); ++i) {
        const double t = static_cast<double>(i) * intervalMs - timeMs;
        if (std::fabs(t) < 120.0)
            trace[i] += amplitude * Ricker(t, peakHz);
    }
}

} // namespace

std::vector<double> StackedSectionTrace(int trace, int traceCount, int numSamples,
                                        double intervalMs) {
    std::vector<double> samples(static_cast<size_t>(numSamples), 0.0);
    const double x = traceCount > 1 ? static_cast<double>(trace) / (traceCount - 1) : 0.0;
    const bool hangingWall = x > 0.55 + 0.1 * (1.0 - x);
    const double throwMs = hangingWall ? 60.0 : 0.0;
    const double recordMs = numSamples * intervalMs;
    for (int layer = 0; layer < 9; ++layer) {
        const double base = recordMs * (0.08 + 0.1 * layer);
        const double dip = (layer % 3 - 1) * 0.15 * recordMs * 0.3;
        const double curve = 25.0 * std::sin(2.0 * kPi * (x + 0.13 * layer));
        const double amplitude = (layer % 2 ? -1.0 : 1.0) * (0.6 + 0.1 * (layer % 4));
        AddEvent(samples, base + dip * x + curve + throwMs, amplitude, intervalMs, 30.0);
    }
    return samples;
}

std::vector<double> ShotGatherTrace(int trace, int traceCount, int numSamples, double intervalMs) {
    std::vector<double> samples(static_cast<size_t>(numSamples), 0.0);
    const double offset = 25.0 * (trace - traceCount / 2);
    AddEvent(samples, std::fabs(offset) / 1.8, 1.2, intervalMs, 20.0); // direct arrival
    const double velocities[] = {1600.0, 1900.0, 2300.0, 2800.0};
    const double zeroOffsetMs[] = {300.0, 650.0, 1000.0, 1400.0};
    for (int i = 0; i < 4; ++i) {
        const double t0 = zeroOffsetMs[i] / 1000.0;
        const double t = std::sqrt(t0 * t0 + (offset / velocities[i]) * (offset / velocities[i]));
        AddEvent(samples, t * 1000.0, (i % 2 ? -0.8 : 1.0), intervalMs, 25.0);
    }
    return samples;
}

} // namespace segytest
