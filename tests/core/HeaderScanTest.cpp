#include "segy/HeaderScan.h"

#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace segy;
using namespace segytest;

namespace {

class HeaderScanTest : public ::testing::Test {
protected:
    // Writes `count` traces of `samples` IBM samples, each header made by
    // `header(k)`, optionally little endian.
    template <typename MakeHeader>
    void WriteFile(int count, int16_t samples, MakeHeader header, bool littleEndian = false) {
        FileSpec spec;
        spec.numSamples = samples;
        spec.littleEndian = littleEndian;
        SegyWriter writer(spec);
        for (int k = 0; k < count; ++k)
            writer.AddTrace(header(k));
        ASSERT_TRUE(writer.WriteTo(path));
        layout = {samples, 4, count, littleEndian ? 1 : 0, {}};
    }

    int32_t Scan(int32_t mode, const std::string& selected = "1") {
        const ScanContext context{messages, progress, [selected] { return selected; }};
        return ScanTraceHeaders(mode, path, layout, tables, context, &headersRead);
    }

    ScratchDir dir;
    std::string path = dir.File("scan.sgy");
    ScanLayout layout;
    HeaderScanTables tables;
    RecordingMessages messages;
    RecordingProgress progress;
    int64_t headersRead = -1;
};

TraceSpec FirstWord(int32_t value) {
    TraceSpec t;
    t.words4 = {{1, value}};
    return t;
}

} // namespace

TEST_F(HeaderScanTest, OneBigEndianHeaderInBothForms) {
    WriteFile(3, 10, [](int) { return FirstWord(7); });
    ASSERT_EQ(Scan(kScanFirst), 1);
    EXPECT_EQ(headersRead, 1);
    EXPECT_EQ(tables.Hdr4Min[0], 7);
    EXPECT_EQ(tables.Hdr4Max[0], 7);
    EXPECT_EQ(tables.Hdr2Min[0], 0);
    EXPECT_EQ(tables.Hdr2Max[0], 0);
    EXPECT_EQ(tables.Hdr2Min[1], 7);
    EXPECT_EQ(tables.Hdr2Max[1], 7);
    EXPECT_EQ(tables.Hdr4Min[59], 0);
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(HeaderScanTest, OneLittleEndianHeader) {
    WriteFile(
        3, 10, [](int) { return FirstWord(7); }, true);
    ASSERT_EQ(Scan(kScanFirst), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 7);
    EXPECT_EQ(tables.Hdr2Min[0], 7);
    EXPECT_EQ(tables.Hdr2Max[1], 0);
}

TEST_F(HeaderScanTest, ComparesSignedAndKeepsTheStartMaximum) {
    WriteFile(4, 10, [](int k) {
        TraceSpec t;
        t.words4 = {{1, INT32_MIN}, {5, k - 2}};
        t.words2 = {{9, -1}};
        return t;
    });
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 4);
    // -2147483648 is below the start maximum of -2147483647, which stays.
    EXPECT_EQ(tables.Hdr4Min[0], INT32_MIN);
    EXPECT_EQ(tables.Hdr4Max[0], -2147483647);
    EXPECT_EQ(tables.Hdr4Min[1], -2);
    EXPECT_EQ(tables.Hdr4Max[1], 1);
    EXPECT_EQ(tables.Hdr2Min[4], -1);
    EXPECT_EQ(tables.Hdr2Max[4], -1);
}

TEST_F(HeaderScanTest, TheFullScanReportsProgressEveryTwentyHeaders) {
    WriteFile(45, 4, [](int k) { return FirstWord(k); });
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 45);
    const std::vector<std::string> expected = {"show",
                                               "bar 0",
                                               "text Scan Headers",
                                               "text Scan Headers of 45 Traces",
                                               "bar 44",
                                               "bar 88",
                                               "hide",
                                               "text ",
                                               "bar 0"};
    EXPECT_EQ(progress.calls, expected);
    EXPECT_EQ(tables.Hdr4Min[0], 0);
    EXPECT_EQ(tables.Hdr4Max[0], 44);
}

TEST_F(HeaderScanTest, TheFirstUpdateOfFifteenHundredTracesIsOnePercent) {
    WriteFile(1500, 1, [](int k) { return FirstWord(k); });
    ASSERT_EQ(Scan(kScanAll), 1);
    ASSERT_GE(progress.calls.size(), 5u);
    EXPECT_EQ(progress.calls[4], "bar 1");
    EXPECT_EQ(progress.calls[progress.calls.size() - 4], "bar 100");
}

TEST_F(HeaderScanTest, ATrailingPartialTraceWithAWholeHeaderCounts) {
    WriteFile(20, 10, [](int k) { return FirstWord(k); });
    TraceSpec extra = FirstWord(99);
    FileSpec spec;
    spec.numSamples = 10;
    auto bytes = SegyWriter(spec).TraceBytes(extra);
    bytes.resize(250);
    ASSERT_TRUE(WriteAt(path, 3600 + 20 * 280, bytes));
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 21);
    EXPECT_EQ(tables.Hdr4Max[0], 99);
    // 21 x 100 / 20 = 105: the bar goes past 100 here.
    EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(), "bar 100"),
              progress.calls.end());
}

TEST_F(HeaderScanTest, WithoutTracesTheBarStaysAtZero) {
    // The file has headers, but the layout says no traces (an unrecognised
    // file after a readable one): no division by zero.
    WriteFile(25, 10, [](int k) { return FirstWord(k); });
    layout.NumTraces = 0;
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 25);
    for (const std::string& call : progress.calls)
        EXPECT_TRUE(call.rfind("bar", 0) != 0 || call == "bar 0") << call;
}

TEST_F(HeaderScanTest, AFileEndingInsideTheFirstHeaderLeavesTheStartValues) {
    WriteFile(1, 10, [](int) { return FirstWord(5); });
    ASSERT_TRUE(Resize(path, 3700));
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 0);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(tables.Hdr4Min[i], 2147483647);
        EXPECT_EQ(tables.Hdr4Max[i], -2147483647);
    }
    EXPECT_EQ(tables.Hdr2Min[0], 32767);
    EXPECT_EQ(tables.Hdr2Max[119], -32767);
}

TEST_F(HeaderScanTest, SingleTraceModesReadTheirTrace) {
    WriteFile(5, 10, [](int k) { return FirstWord(100 + k); });
    ASSERT_EQ(Scan(kScanSecond), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 101);
    ASSERT_EQ(Scan(kScanLast), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 104);
    ASSERT_EQ(Scan(kScanSelected, "3"), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 102);
    // Letters select the first trace.
    ASSERT_EQ(Scan(kScanSelected, "abc"), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 100);
    ASSERT_EQ(Scan(kScanSelected, ""), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 100);
}

TEST_F(HeaderScanTest, NumbersThatNameNoTraceReadNothing) {
    WriteFile(5, 10, [](int k) { return FirstWord(100 + k); });
    for (const std::string text : {"0", "-4", "6"}) {
        ASSERT_EQ(Scan(kScanSelected, text), 1);
        EXPECT_EQ(headersRead, 0) << text;
        EXPECT_EQ(tables.Hdr4Min[0], 2147483647) << text;
    }
    // Too large for a trace number is no number at all: the first trace.
    ASSERT_EQ(Scan(kScanSelected, "99999999999"), 1);
    EXPECT_EQ(tables.Hdr4Min[0], 100);
    layout.NumTraces = 0;
    ASSERT_EQ(Scan(kScanLast), 1);
    EXPECT_EQ(headersRead, 0);
    EXPECT_EQ(tables.Hdr4Max[0], -2147483647);
}

TEST_F(HeaderScanTest, AFileThatCannotBeOpenedLeavesTheStartValues) {
    path = dir.File("missing.sgy");
    tables.Hdr4Min[3] = 5;
    EXPECT_EQ(Scan(kScanAll), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Cannot open input SEGY file!!");
    EXPECT_EQ(tables.Hdr4Min[3], 2147483647);
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(HeaderScanTest, StreamedAndHeaderByHeaderScansAgree) {
    // 30,000 short traces span several 4 MiB blocks; 9 traces of 5000
    // samples (20,240 bytes) are read header by header.
    auto header = [](int k) {
        TraceSpec t;
        t.words4 = {{1, k}, {21, 1000 - 3 * k}, {233, k * k}};
        t.words2 = {{115, static_cast<int16_t>(k % 1000)}, {239, static_cast<int16_t>(-k)}};
        return t;
    };
    WriteFile(30000, 25, header);
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 30000);
    EXPECT_EQ(tables.Hdr4Max[0], 29999);
    EXPECT_EQ(tables.Hdr4Min[5], 1000 - 3 * 29999);
    EXPECT_EQ(tables.Hdr4Max[58], 29999 * 29999);
    EXPECT_EQ(tables.Hdr2Max[57], 999);
    EXPECT_EQ(tables.Hdr2Min[119], -29999);

    WriteFile(9, 5000, header);
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(headersRead, 9);
    EXPECT_EQ(tables.Hdr4Max[58], 64);
    EXPECT_EQ(tables.Hdr2Min[119], -8);
}

// A progress update that takes a while, as a repaint of the dialog can.
class SlowProgress final : public ScanProgress {
public:
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgress(int32_t) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(6));
    }
    void SetProgressText(const std::string&) override {}
    void ProcessPendingEvents() override { ++eventPumps; }
    int eventPumps = 0;
};

// Events run between headers whenever some milliseconds have passed since
// they last ran, so the window keeps answering during a long scan.
TEST_F(HeaderScanTest, EventsRunWhileAFullScanTakesTime) {
    WriteFile(100, 10, [](int k) { return FirstWord(k); });
    SlowProgress slow;
    const ScanContext context{messages, slow, [] { return std::string("1"); }};
    ASSERT_EQ(ScanTraceHeaders(kScanAll, path, layout, tables, context, &headersRead), 1);
    EXPECT_EQ(headersRead, 100);
    // Five progress updates of 6 ms each: the events ran after each.
    EXPECT_GE(slow.eventPumps, 4);
}

TEST(SelectedTraceNumber, ReadsADecimalIntegerOrGivesOne) {
    EXPECT_EQ(SelectedTraceNumber("3"), 3);
    EXPECT_EQ(SelectedTraceNumber("+3"), 3);
    EXPECT_EQ(SelectedTraceNumber("-2"), -2);
    EXPECT_EQ(SelectedTraceNumber("12a"), 1);
    EXPECT_EQ(SelectedTraceNumber(" 3 "), 3);
    EXPECT_EQ(SelectedTraceNumber("+-5"), 1);
    EXPECT_EQ(SelectedTraceNumber(""), 1);
    EXPECT_EQ(SelectedTraceNumber("2147483648"), 1);
}

TEST(HeaderGridText, ListsEveryWordWithItsByteRange) {
    HeaderScanTables tables;
    ResetScanTables(tables);
    tables.Hdr4Min[0] = -5;
    const auto four = HeaderGridText(tables, true);
    ASSERT_EQ(four.size(), 61u);
    EXPECT_EQ(four[0], (std::vector<std::string>{"Bytes", "4 Byte min", "4 Byte max", "Select"}));
    EXPECT_EQ(four[1], (std::vector<std::string>{"1-4", "-5", "-2147483647"}));
    EXPECT_EQ(four[2][0], "5-8");
    EXPECT_EQ(four[60][0], "237-240");

    const auto two = HeaderGridText(tables, false);
    ASSERT_EQ(two.size(), 121u);
    EXPECT_EQ(two[0][1], "2 Byte min");
    EXPECT_EQ(two[1], (std::vector<std::string>{"1-2", "32767", "-32767"}));
    EXPECT_EQ(two[120][0], "239-240");
}

TEST_F(HeaderScanTest, TheFullScanNotesTheFirstTraceOfEveryExtreme) {
    // Bytes 1-4 dip to -5 at trace 30 and again at 70 (the first counts);
    // bytes 9-10 hold 32767, the minimum's start value, only at trace 41;
    // the maximum of bytes 5-8 rises to the last trace, across batches;
    // bytes 35-36 hold the 2-byte maximum's start value only at trace 50,
    // below it elsewhere, and every other extreme of their part is set by
    // the first batch, so no fold moves an extreme of that part again.
    WriteFile(100, 2, [](int k) {
        TraceSpec t;
        t.words4 = {{1, k == 30 || k == 70 ? -5 : k % 7},
                    {5, k},
                    {33, k == 50 ? 0x00018001
                         : k % 2 ? 0x00058000
                                 : 0x00008000}};
        t.words2 = {{9, static_cast<int16_t>(k == 41 ? 32767 : 3)}};
        return t;
    });
    ASSERT_EQ(Scan(kScanAll), 1);
    EXPECT_EQ(tables.Hdr4Min[0], -5);
    EXPECT_EQ(tables.Hdr4MinTrace[0], 30);
    EXPECT_EQ(tables.Hdr4MaxTrace[0], 6);
    EXPECT_EQ(tables.Hdr4MaxTrace[1], 99);
    EXPECT_EQ(tables.Hdr2Max[4], 32767);
    EXPECT_EQ(tables.Hdr2MaxTrace[4], 41);
    EXPECT_EQ(tables.Hdr2MinTrace[4], 0);
    EXPECT_EQ(tables.Hdr4MinTrace[59], 0); // zeros everywhere: trace 0
    EXPECT_EQ(tables.Hdr2Max[17], -32767);
    EXPECT_EQ(tables.Hdr2MaxTrace[17], 50);
    // One trace: every extreme is that trace; none read: none anywhere.
    ASSERT_EQ(Scan(kScanSelected, "42"), 1);
    EXPECT_EQ(tables.Hdr2MaxTrace[4], 41);
    EXPECT_EQ(tables.Hdr4MinTrace[0], 41);
    ASSERT_EQ(Scan(kScanSelected, "1000"), 1);
    EXPECT_EQ(tables.Hdr4MinTrace[0], -1);
}
