// Writes Vantrel's demo folder: a few small synthetic SEG-Y files made with
// the test writer, so the viewer has something to show on a fresh machine.
#include "tests/support/SegyWriter.h"
#include "tests/support/SyntheticSeismic.h"

#include <cstdio>
#include <filesystem>
#include <string>

using namespace segytest;

namespace {

std::vector<std::string> TextLines(const std::string& title, const std::string& detail) {
    return {"C 1 VANTREL DEMO DATA - SYNTHETIC, FREE TO SHARE", "C 2 " + title, "C 3 " + detail,
            "C 4 WRITTEN BY THE VANTREL TEST WRITER", "C40 END TEXTUAL HEADER"};
}

bool WriteSection(const std::string& path) {
    FileSpec spec;
    spec.textLines = TextLines("STACKED SECTION, DIPPING REFLECTORS AND A FAULT",
                               "IBM FLOATING POINT, 4 MS, 240 TRACES");
    spec.numSamples = 750;
    spec.sampleIntervalUs = 4000;
    spec.encoding = SampleEncoding::IbmFloat;
    SegyWriter writer(spec);
    for (int t = 0; t < 240; ++t) {
        TraceSpec trace;
        trace.words4 = {{1, t + 1}, {5, t + 1}, {21, 1000 + t}, {181, 500000 + 25 * t}};
        trace.words2 = {{115, spec.numSamples}, {117, spec.sampleIntervalUs}};
        // Amplitudes of a few thousand, as processed data carries them: the
        // plot scales each trace by the integer part of its largest sample.
        for (double v : StackedSectionTrace(t, 240, spec.numSamples, 4.0))
            trace.samples.push_back(v * 2500.0);
        writer.AddTrace(trace);
    }
    return writer.WriteTo(path);
}

bool WriteShotGather(const std::string& path) {
    FileSpec spec;
    spec.textLines = TextLines("SHOT GATHER", "2-BYTE INTEGERS, 2 MS, 96 CHANNELS");
    spec.numSamples = 1000;
    spec.sampleIntervalUs = 2000;
    spec.encoding = SampleEncoding::Int16;
    SegyWriter writer(spec);
    for (int t = 0; t < 96; ++t) {
        TraceSpec trace;
        trace.words4 = {{1, t + 1}, {9, 7}, {13, t + 1}, {37, 25 * (t - 48)}};
        trace.words2 = {{115, spec.numSamples}, {117, spec.sampleIntervalUs}};
        for (double v : ShotGatherTrace(t, 96, spec.numSamples, 2.0))
            trace.samples.push_back(v * 8000.0);
        writer.AddTrace(trace);
    }
    return writer.WriteTo(path);
}

bool WriteLittleEndianIeee(const std::string& path) {
    FileSpec spec;
    spec.textLines = TextLines("LITTLE-ENDIAN IEEE FLOATING POINT", "4 MS, 120 TRACES");
    spec.asciiText = true;
    spec.numSamples = 500;
    spec.sampleIntervalUs = 4000;
    spec.encoding = SampleEncoding::IeeeFloat;
    spec.littleEndian = true;
    SegyWriter writer(spec);
    for (int t = 0; t < 120; ++t) {
        TraceSpec trace;
        trace.words4 = {{1, t + 1}, {5, t + 1}};
        for (double v : StackedSectionTrace(t + 40, 200, spec.numSamples, 4.0))
            trace.samples.push_back(v * 2500.0);
        writer.AddTrace(trace);
    }
    return writer.WriteTo(path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_data FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const bool ok = WriteSection((folder / "section.sgy").string()) &&
                    WriteShotGather((folder / "shot-gather.sgy").string()) &&
                    WriteLittleEndianIeee((folder / "ieee-little-endian.sgy").string());
    if (!ok) {
        std::fprintf(stderr, "make_demo_data: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
