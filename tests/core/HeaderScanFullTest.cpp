// The full header scan over its reading paths: files with short traces are
// streamed in blocks, longer ones read header page by header page through a
// memory map. Every path must give the same tables and progress steps, and
// end cleanly when the file is cut short under it.
#include "segy/HeaderScan.h"
#include "segy/TraceHeaderReader.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using segytest::FileSpec;
using segytest::SegyWriter;
using segytest::TraceSpec;

class RecordingProgress final : public segy::ScanProgress {
public:
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgress(int32_t percent) override { steps.push_back(percent); }
    void SetProgressText(const std::string&) override {}
    void ProcessPendingEvents() override {}
    std::vector<int32_t> steps;
};

class SilentMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string&) override {}
    void Beep() override {}
};

struct ScanCase {
    const char* name;
    int16_t numSamples;
    bool littleEndian;
};

class FullScan : public ::testing::TestWithParam<ScanCase> {
protected:
    void TearDown() override { std::filesystem::remove(path_); }

    // 45 traces plus the header of a 46th cut short after its header.
    std::string WriteFile() {
        const ScanCase& c = GetParam();
        FileSpec spec;
        spec.numSamples = c.numSamples;
        spec.littleEndian = c.littleEndian;
        SegyWriter writer(spec);
        for (int t = 0; t < 45; ++t)
            writer.AddTrace(Header(t));
        std::vector<unsigned char> bytes = writer.Bytes();
        const std::vector<unsigned char> last = writer.TraceBytes(Header(45));
        bytes.insert(bytes.end(), last.begin(), last.begin() + segy::kTraceHeaderSize + 7);
        path_ = (std::filesystem::temp_directory_path() /
                 (std::string("vantrel-fullscan-") + c.name + ".sgy"))
                    .string();
        EXPECT_TRUE(segytest::WriteBytes(path_, bytes));
        return path_;
    }

    static TraceSpec Header(int t) {
        TraceSpec trace;
        trace.words4 = {{1, t + 1},
                        {37, 25 * (t - 20)},
                        {237, t == 30 ? static_cast<int32_t>(0x80000000u) : 5}};
        trace.words2 = {{29, static_cast<int16_t>(t % 2 ? -1 : 1)}, {71, -100}};
        return trace;
    }

private:
    std::string path_;
};

TEST_P(FullScan, TablesAndProgressStepsDoNotDependOnTheReadingPath) {
    const std::string path = WriteFile();
    SilentMessages messages;
    RecordingProgress progress;
    const segy::ScanContext context{messages, progress, {}};
    const segy::ScanLayout layout{
        GetParam().numSamples, 4, 45, GetParam().littleEndian ? 1 : 0, {}};
    segy::HeaderScanTables tables;
    int64_t headersRead = 0;

    ASSERT_EQ(segy::ScanTraceHeaders(segy::kScanAll, path, layout, tables, context, &headersRead),
              1);

    // The trailing header counts; the bar moves after 20 and 40 headers only.
    EXPECT_EQ(headersRead, 46);
    EXPECT_EQ(progress.steps, (std::vector<int32_t>{0, 44, 88, 0}));
    EXPECT_EQ(tables.Hdr4Min[0], 1);
    EXPECT_EQ(tables.Hdr4Max[0], 46);
    EXPECT_EQ(tables.Hdr4Min[9], -500);
    EXPECT_EQ(tables.Hdr4Max[9], 625);
    EXPECT_EQ(tables.Hdr4Min[59], -2147483647 - 1);
    EXPECT_EQ(tables.Hdr4Max[59], 5);
    EXPECT_EQ(tables.Hdr2Min[14], -1);
    EXPECT_EQ(tables.Hdr2Max[14], 1);
    EXPECT_EQ(tables.Hdr2Min[35], -100);
    EXPECT_EQ(tables.Hdr2Max[35], -100);
    // Words no trace sets stay 0 in every header.
    EXPECT_EQ(tables.Hdr4Min[30], 0);
    EXPECT_EQ(tables.Hdr2Max[100], 0);
    // Bytes 237-240 hold 80000000 once and 5 otherwise: its upper half comes
    // first in a big-endian file, second in a little-endian one.
    const int upper = GetParam().littleEndian ? 119 : 118;
    const int lower = GetParam().littleEndian ? 118 : 119;
    EXPECT_EQ(tables.Hdr2Min[upper], -32768);
    EXPECT_EQ(tables.Hdr2Max[upper], 0);
    EXPECT_EQ(tables.Hdr2Min[lower], 0);
    EXPECT_EQ(tables.Hdr2Max[lower], 5);
}

std::string CaseName(const ::testing::TestParamInfo<ScanCase>& param) {
    return param.param.name;
}

// 50 samples of 4 bytes are streamed; 1500 (6240-byte traces) read through
// the map with whole ranges prefetched, 5000 (20240 bytes) with the header
// pages alone prefetched.
INSTANTIATE_TEST_SUITE_P(ReadingPaths, FullScan,
                         ::testing::Values(ScanCase{"blocks_big", 50, false},
                                           ScanCase{"blocks_little", 50, true},
                                           ScanCase{"dense_big", 1500, false},
                                           ScanCase{"headers_big", 5000, false},
                                           ScanCase{"headers_little", 5000, true}),
                         CaseName);

TraceSpec Words(std::vector<std::pair<int, int32_t>> words4) {
    TraceSpec trace;
    trace.words4 = std::move(words4);
    return trace;
}

// Every way of reading delivers the same headers of the same file, the
// trailing header of a partial trace included.
TEST(TraceHeaderReader, EveryReadingDeliversTheSameHeaders) {
    const segytest::ScratchDir dir;
    const std::string path = dir.File("paths.sgy");
    FileSpec spec;
    spec.numSamples = 1500;
    SegyWriter writer(spec);
    for (int t = 0; t < 70; ++t)
        writer.AddTrace(Words({{1, t + 1}, {17, 3 * t}}));
    std::vector<unsigned char> bytes = writer.Bytes();
    bytes.resize(bytes.size() + segy::kTraceHeaderSize, 0x7F);
    ASSERT_TRUE(segytest::WriteBytes(path, bytes));

    std::vector<std::vector<unsigned char>> seen;
    for (const auto reading : {segy::HeaderReading::kStream, segy::HeaderReading::kMappedDense,
                               segy::HeaderReading::kMappedSparse}) {
        segy::ReadOnlyFile file;
        ASSERT_TRUE(file.Open(path));
        segy::TraceHeaderReader reader(file, segy::TraceLength(1500, 4), segy::kFileHeaderSize,
                                       reading);
        std::vector<unsigned char> headers;
        for (segy::HeaderRun run; (run = reader.Next(20)).count > 0;)
            for (int64_t h = 0; h < run.count; ++h)
                headers.insert(headers.end(), run.first + h * run.stride,
                               run.first + h * run.stride + segy::kTraceHeaderSize);
        EXPECT_EQ(reader.Next(20).count, 0);
        seen.push_back(headers);
    }
    ASSERT_EQ(seen[0].size(), 71u * segy::kTraceHeaderSize);
    EXPECT_EQ(seen[0][segy::kTraceHeaderSize * 69 + 3], 70);
    EXPECT_EQ(seen[0].back(), 0x7F);
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(seen[2], seen[0]);
}

// Cuts the file short at the first progress step, as another program
// rewriting it would.
class TruncatingProgress final : public segy::ScanProgress {
public:
    TruncatingProgress(std::string path, int64_t size) : path_(std::move(path)), size_(size) {}
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgress(int32_t percent) override {
        if (percent > 0 && !cut_)
            cut_ = segytest::Resize(path_, size_);
    }
    void SetProgressText(const std::string&) override {}
    void ProcessPendingEvents() override {}

private:
    std::string path_;
    int64_t size_;
    bool cut_ = false;
};

// A file cut during the scan ends it like any short read, on every path: the
// headers still there count, and a map of the old length never faults the
// program. Each file is longer than what one read takes in (a streamed
// block, a copied run of mapped headers), so its second read comes after
// the cut.
TEST(FullScanTruncated, EndsAtTheNewEndOnEveryPath) {
    struct Case {
        int16_t samples;
        int traces;
        int kept;
    };
    for (const Case c : {Case{50, 3000, 2500}, Case{1500, 600, 400}, Case{5000, 600, 400}}) {
        SCOPED_TRACE(c.samples);
        const segytest::ScratchDir dir;
        const std::string path = dir.File("cut.sgy");
        FileSpec spec;
        spec.numSamples = c.samples;
        SegyWriter writer(spec);
        for (int t = 0; t < c.traces; ++t)
            writer.AddTrace(Words({{1, t + 1}}));
        ASSERT_TRUE(writer.WriteTo(path));

        const int32_t length = segy::TraceLength(c.samples, 4);
        // The cut leaves the kept traces and half of the next header.
        TruncatingProgress progress(path, segy::TraceOffset(c.kept, length) + 120);
        SilentMessages messages;
        const segy::ScanContext context{messages, progress, {}};
        segy::HeaderScanTables tables;
        int64_t headersRead = 0;
        ASSERT_EQ(segy::ScanTraceHeaders(segy::kScanAll, path, {c.samples, 4, c.traces, 0, {}},
                                         tables, context, &headersRead),
                  1);
        EXPECT_EQ(headersRead, c.kept);
        EXPECT_EQ(tables.Hdr4Max[0], c.kept);
    }
}

} // namespace
