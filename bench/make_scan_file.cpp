// Writes a large SEG-Y file for the header scan benchmark: big-endian IBM
// floating point, every trace header with changing numbers, offsets and
// coordinates so that the scan's minima and maxima move all the time.
// The file is streamed trace by trace; it is never held in memory.
//
//   make_scan_file PATH TRACES SAMPLES
#include "tests/support/SegyWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace segytest;

namespace {

constexpr int kSampleIntervalUs = 2000;
constexpr int kTracesPerLine = 500;
constexpr int kChannelsPerShot = 240;
// Distinct sample patterns: enough for the samples to look like data,
// few enough that encoding them does not dominate the writing.
constexpr int kSamplePatterns = 64;
constexpr size_t kWriteBufferBytes = 8 * 1024 * 1024;

// Trace header byte positions (1-based, SEG-Y rev 1).
constexpr int kPosTraceSeqLine = 1;
constexpr int kPosTraceSeqFile = 5;
constexpr int kPosFieldRecord = 9;
constexpr int kPosChannel = 13;
constexpr int kPosCdp = 21;
constexpr int kPosCdpTrace = 25;
constexpr int kPosTraceId = 29;
constexpr int kPosOffset = 37;
constexpr int kPosReceiverElevation = 41;
constexpr int kPosSourceElevation = 45;
constexpr int kPosElevationScalar = 69;
constexpr int kPosCoordinateScalar = 71;
constexpr int kPosSourceX = 73;
constexpr int kPosSourceY = 77;
constexpr int kPosGroupX = 81;
constexpr int kPosGroupY = 85;
constexpr int kPosCoordinateUnits = 89;
constexpr int kPosSamples = 115;
constexpr int kPosInterval = 117;
constexpr int kPosYear = 157;
constexpr int kPosDay = 159;
constexpr int kPosHour = 161;
constexpr int kPosMinute = 163;
constexpr int kPosSecond = 165;
constexpr int kPosCdpX = 181;
constexpr int kPosCdpY = 185;
constexpr int kPosInline = 189;
constexpr int kPosCrossline = 193;

std::vector<double> SamplePattern(int pattern, int numSamples) {
    std::vector<double> samples(static_cast<size_t>(numSamples));
    const double frequency = 0.02 + 0.001 * pattern;
    for (int i = 0; i < numSamples; ++i)
        samples[static_cast<size_t>(i)] =
            1000.0 * std::sin(frequency * i) * std::exp(-0.002 * i) + pattern;
    return samples;
}

TraceSpec TraceHeader(int64_t t, int numSamples) {
    const auto n = static_cast<int32_t>(t);
    const int32_t shot = n / kChannelsPerShot;
    const int32_t channel = n % kChannelsPerShot;
    const int32_t offset = 25 * (channel - kChannelsPerShot / 2);
    const int32_t sourceX = 400000 + 50 * shot;
    const int32_t sourceY = 6500000 + 37 * (shot % 1000);
    TraceSpec trace;
    trace.words4 = {{kPosTraceSeqLine, n % kTracesPerLine + 1},
                    {kPosTraceSeqFile, n + 1},
                    {kPosFieldRecord, 1000 + shot},
                    {kPosChannel, channel + 1},
                    {kPosCdp, 2 * shot + channel / 2 + 1},
                    {kPosCdpTrace, channel % 60 + 1},
                    {kPosOffset, offset},
                    {kPosReceiverElevation, 120 + (n * 7) % 311 - 150},
                    {kPosSourceElevation, 95 + (shot * 3) % 97},
                    {kPosSourceX, sourceX},
                    {kPosSourceY, sourceY},
                    {kPosGroupX, sourceX + offset},
                    {kPosGroupY, sourceY - channel},
                    {kPosCdpX, sourceX + offset / 2},
                    {kPosCdpY, sourceY - channel / 2},
                    {kPosInline, 1000 + n / kTracesPerLine},
                    {kPosCrossline, 2000 + n % kTracesPerLine}};
    trace.words2 = {{kPosTraceId, static_cast<int16_t>(n % 97 == 0 ? 2 : 1)},
                    {kPosElevationScalar, -100},
                    {kPosCoordinateScalar, -10},
                    {kPosCoordinateUnits, 1},
                    {kPosSamples, static_cast<int16_t>(numSamples)},
                    {kPosInterval, kSampleIntervalUs},
                    {kPosYear, 2024},
                    {kPosDay, static_cast<int16_t>(1 + shot % 365)},
                    {kPosHour, static_cast<int16_t>(shot / 60 % 24)},
                    {kPosMinute, static_cast<int16_t>(shot % 60)},
                    {kPosSecond, static_cast<int16_t>(channel % 60)}};
    return trace;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_scan_file PATH TRACES SAMPLES\n");
        return 2;
    }
    const std::string path = argv[1];
    const int64_t traces = std::atoll(argv[2]);
    const int numSamples = std::atoi(argv[3]);
    if (traces <= 0 || numSamples <= 0 || numSamples > 32767) {
        std::fprintf(stderr, "make_scan_file: TRACES must be positive, SAMPLES 1 to 32767\n");
        return 2;
    }

    FileSpec spec;
    spec.textLines = {"C 1 VANTREL HEADER SCAN BENCHMARK - SYNTHETIC",
                      "C 2 IBM FLOATING POINT, 2 MS, VARYING TRACE HEADERS",
                      "C40 END TEXTUAL HEADER"};
    spec.numSamples = static_cast<int16_t>(numSamples);
    spec.sampleIntervalUs = kSampleIntervalUs;
    spec.encoding = SampleEncoding::IbmFloat;
    const SegyWriter writer(spec);

    std::vector<std::vector<double>> patterns;
    for (int p = 0; p < kSamplePatterns; ++p)
        patterns.push_back(SamplePattern(p, numSamples));

    // Written to a temporary name first so that an interrupted run never
    // leaves a short file that a later run would take as finished.
    const std::string partial = path + ".partial";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) {
        std::perror(partial.c_str());
        return 1;
    }
    auto buffer = std::make_unique<char[]>(kWriteBufferBytes);
    std::setvbuf(out, buffer.get(), _IOFBF, kWriteBufferBytes);

    bool ok = true;
    const std::vector<unsigned char> fileHeader = writer.FileHeaderBytes();
    ok = std::fwrite(fileHeader.data(), 1, fileHeader.size(), out) == fileHeader.size();
    for (int64_t t = 0; ok && t < traces; ++t) {
        TraceSpec trace = TraceHeader(t, numSamples);
        trace.samples = patterns[static_cast<size_t>(t % kSamplePatterns)];
        const std::vector<unsigned char> bytes = writer.TraceBytes(trace);
        ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    }
    ok = (std::fclose(out) == 0) && ok;
    if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "make_scan_file: cannot write %s\n", path.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
