// The full header scan over both of its reading paths: files with short
// traces are read in blocks, files with long traces header by header. Both
// must give the same tables and the same progress steps.
#include "segy/HeaderScan.h"
#include "tests/support/SegyWriter.h"

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

// 50 samples of 4 bytes are read in blocks; 5000 samples (20240-byte traces)
// header by header.
INSTANTIATE_TEST_SUITE_P(ReadingPaths, FullScan,
                         ::testing::Values(ScanCase{"blocks_big", 50, false},
                                           ScanCase{"blocks_little", 50, true},
                                           ScanCase{"headers_big", 5000, false},
                                           ScanCase{"headers_little", 5000, true}),
                         CaseName);

} // namespace
