#include "viewer/TraceListing.h"

#include "segy/Trace.h"

#include <cstdio>

std::string FormatSampleLine(int32_t sampleNumber, float value) {
    char line[512];
    const int n =
        std::snprintf(line, sizeof line, "%d : %0.8f", sampleNumber, static_cast<double>(value));
    return std::string(line, n > 0 ? static_cast<size_t>(n) : 0);
}

std::vector<std::string> ListTraceSamples(const ViewerState& state, int32_t index,
                                          segy::UserMessages& messages) {
    std::vector<std::string> lines;
    if (index < 0 || state.NumSamples <= 0)
        return lines;
    const int32_t traceLength = segy::TraceLength(state.NumSamples, state.BytesPerSample);
    std::vector<unsigned char> buffer(static_cast<size_t>(traceLength), 0);
    std::vector<float> samples(static_cast<size_t>(state.NumSamples), 0.0f);
    segy::ReadTrace(state.TraceFile(), index, traceLength, buffer.data(), messages);
    segy::DecodeTraceSamples(buffer.data(), traceLength, state.Decoding(), samples.data());
    lines.reserve(samples.size());
    for (int32_t i = 0; i < state.NumSamples; ++i)
        lines.push_back(FormatSampleLine(i, samples[static_cast<size_t>(i)]));
    return lines;
}
