// Synthetic seismic sections for demo data, pictures and benchmarks.
#pragma once

#include <vector>

namespace segytest {

// A stacked section: dipping reflectors cut by a normal fault, convolved
// with a Ricker wavelet. Sample values are of the order of 1.
std::vector<double> StackedSectionTrace(int trace, int traceCount, int numSamples,
                                        double intervalMs);

// A shot gather: hyperbolic reflections and a direct arrival.
std::vector<double> ShotGatherTrace(int trace, int traceCount, int numSamples, double intervalMs);

} // namespace segytest
