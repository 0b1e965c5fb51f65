// Writes seed inputs for the fuzz targets with the test writer: small files
// in every sample encoding and both byte orders, with the control bytes
// each target takes from the front of its input.
#include "tests/support/SegyWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using namespace segytest;

namespace {

std::vector<unsigned char> SmallFile(SampleEncoding encoding, bool littleEndian, bool ieeeMarker,
                                     int16_t samples, int traces) {
    FileSpec spec;
    spec.textLines = {"C 1 FUZZ SEED"};
    spec.encoding = encoding;
    spec.littleEndian = littleEndian;
    spec.ieeeMarker = ieeeMarker;
    spec.numSamples = samples;
    SegyWriter writer(spec);
    for (int t = 0; t < traces; ++t)
        writer.AddNumberedTrace(t);
    return writer.Bytes();
}

void Save(const std::filesystem::path& folder, const std::string& name,
          const std::vector<unsigned char>& prefix, const std::vector<unsigned char>& bytes) {
    std::vector<unsigned char> all = prefix;
    all.insert(all.end(), bytes.begin(), bytes.end());
    WriteBytes((folder / name).string(), all);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const auto header = root / "fuzz_file_header";
    const auto decode = root / "fuzz_trace_decode";
    const auto scan = root / "fuzz_header_scan";
    const auto paint = root / "fuzz_paint_section";
    for (const auto& folder : {header, decode, scan, paint})
        std::filesystem::create_directories(folder);

    const SampleEncoding encodings[] = {SampleEncoding::IbmFloat, SampleEncoding::IeeeFloat,
                                        SampleEncoding::Int32, SampleEncoding::Int16,
                                        SampleEncoding::Int8};
    int n = 0;
    for (SampleEncoding encoding : encodings) {
        for (bool little : {false, true}) {
            const auto file = SmallFile(encoding, little, n % 3 == 0, 12, 3);
            const std::string name = "seed" + std::to_string(n++);
            Save(header, name, {}, file);
            Save(scan, name, {static_cast<unsigned char>(n % 5), 0, 1, 0}, file);
            Save(paint, name, {static_cast<unsigned char>(n), 0x10, 0, 20}, file);
            // One trace as the decoder sees it: type, width, order, count.
            const std::vector<unsigned char> trace(file.begin() + 3600, file.end());
            Save(decode, name,
                 {static_cast<unsigned char>(1 + n % 3),
                  static_cast<unsigned char>(BytesFor(encoding)),
                  static_cast<unsigned char>(little), 0, 12},
                 trace);
        }
    }
    // Rev 2 headers whose framing fields lie: a first-trace offset past the
    // end, a trailer larger than the file, additional headers in both
    // widths, an extended sample count and interval that are no numbers,
    // and a rev 0 file with a count of extended textual headers.
    const std::pair<int, int32_t> lies[] = {
        {320, 0x7FFFFFFF}, {324, 0x7FFFFFFF}, {328, 1000000}, {328, -1},
        {306, 0x00010000}, {306, 0x7FFF0000}, {68, -1},        {72, 0x7FF80000},
        {72, 0x7FF00000},  {312, -1},         {304, 0x00040000}};
    for (const auto& [offset, value] : lies) {
        FileSpec spec;
        spec.textLines = {"C 1 FUZZ SEED REV 2"};
        spec.numSamples = offset == 68 ? 0 : 12;
        spec.revisionMajor = offset == 304 ? 0 : 2;
        SegyWriter writer(spec);
        writer.SetBinary32(offset, value);
        for (int t = 0; t < 3; ++t)
            writer.AddNumberedTrace(t);
        const std::string name = "rev2-" + std::to_string(n++);
        Save(header, name, {}, writer.Bytes());
        Save(scan, name, {0, 0, 1, 0}, writer.Bytes());
        Save(paint, name, {0, 0x10, 0, 20}, writer.Bytes());
    }
    return 0;
}
