#include "segy/FileHeader.h"

#include "segy/SampleSettings.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace segy;
using namespace segytest;

namespace {

class FileHeaderTest : public ::testing::Test {
protected:
    // Writes a file of `traces` numbered traces and reads its header.
    int32_t Read(const SegyWriter& writer, int traces = 0, int extraBytes = 0) {
        auto bytes = writer.Bytes();
        for (int t = 0; t < traces; ++t) {
            const auto trace = writer.TraceBytes(TraceSpec{});
            bytes.insert(bytes.end(), trace.begin(), trace.end());
        }
        bytes.insert(bytes.end(), static_cast<size_t>(extraBytes), 0x11);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return ReadSegyFileHeader(path, summary, messages);
    }

    static FileSpec Spec(int16_t samples, int16_t formatCode, bool littleEndian = false) {
        FileSpec spec;
        spec.numSamples = samples;
        spec.formatCode = formatCode;
        spec.littleEndian = littleEndian;
        spec.textLines = {"C 1 CLIENT TEST"};
        return spec;
    }

    ScratchDir dir;
    std::string path = dir.File("a.sgy");
    SegyFileSummary summary;
    RecordingMessages messages;
};

} // namespace

TEST_F(FileHeaderTest, ReadsABigEndianHeader) {
    FileSpec spec = Spec(1000, 1);
    spec.sampleIntervalUs = 2500;
    ASSERT_EQ(Read(SegyWriter(spec), 3), 1);
    EXPECT_EQ(summary.NumSamples, 1000);
    EXPECT_EQ(summary.SampleInterval, 2.5);
    EXPECT_EQ(summary.FormatCode, 1);
    EXPECT_EQ(summary.NumTraces, 3);
    EXPECT_EQ(summary.LittleEndian, 0);
    EXPECT_EQ(summary.IeeeFormat, 0);
    EXPECT_EQ(std::string(summary.TextHeader, 15), "C 1 CLIENT TEST");
    EXPECT_EQ(summary.TextHeader[3199], ' ');
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FileHeaderTest, CountsWholeTracesAndDropsTheRemainder) {
    EXPECT_EQ(Read(SegyWriter(Spec(1000, 1)), 10, 17), 1);
    EXPECT_EQ(summary.NumTraces, 10);
    // Exactly the file header: recognised, no traces.
    EXPECT_EQ(Read(SegyWriter(Spec(1000, 1)), 0), 1);
    EXPECT_EQ(summary.NumTraces, 0);
}

TEST_F(FileHeaderTest, CountsTracesWithTheFormatsSampleWidth) {
    // 3600 + 12 x 1240 bytes: 500 two-byte samples make a 1240-byte trace.
    std::vector<unsigned char> file = SegyWriter(Spec(500, 3)).Bytes();
    file.resize(3600 + 12 * 1240);
    WriteBytes(path, file);
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    EXPECT_EQ(summary.NumTraces, 12);

    for (int16_t code : {1, 2, 5, 0, 4, 13}) {
        std::vector<unsigned char> four = SegyWriter(Spec(500, code)).Bytes();
        four.resize(3600 + 5 * 2240);
        WriteBytes(path, four);
        ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1) << code;
        EXPECT_EQ(summary.NumTraces, 5) << "format code " << code;
    }
    // One-byte integers (format 8, and rev 2's unsigned format 16 in a file
    // of any revision) are counted one byte per sample.
    for (int16_t code : {8, 16}) {
        std::vector<unsigned char> one = SegyWriter(Spec(500, code)).Bytes();
        one.resize(3600 + 7 * 740);
        WriteBytes(path, one);
        ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
        EXPECT_EQ(summary.NumTraces, 7) << "format code " << code;
    }
}

TEST_F(FileHeaderTest, FallsBackToLittleEndian) {
    ASSERT_EQ(Read(SegyWriter(Spec(75, 1, true)), 2), 1);
    EXPECT_EQ(summary.LittleEndian, 1);
    EXPECT_EQ(summary.NumSamples, 75);
    EXPECT_EQ(summary.FormatCode, 1);
    EXPECT_EQ(summary.NumTraces, 2);
    EXPECT_EQ(summary.SampleInterval, 4.0);
}

TEST_F(FileHeaderTest, FormatCodeSeventeenFailsTheBigEndianReading) {
    // 17 big endian reads as 0x1100 = 4352 little endian: invalid both ways.
    EXPECT_EQ(Read(SegyWriter(Spec(10, 17))), 0);
    EXPECT_EQ(Read(SegyWriter(Spec(10, 16))), 1);
    EXPECT_EQ(summary.FormatCode, 16);
    EXPECT_EQ(Read(SegyWriter(Spec(10, 0))), 1);
    EXPECT_EQ(summary.FormatCode, 0);
    EXPECT_EQ(summary.LittleEndian, 0);
}

TEST_F(FileHeaderTest, ANegativeSampleCountInBothOrdersIsNotRecognised) {
    SegyWriter writer(Spec(0, 1));
    writer.SetBinary16(20, static_cast<int16_t>(0x8080));
    summary.LittleEndian = 1;
    EXPECT_EQ(Read(writer, 1), 0);
    EXPECT_EQ(summary.LittleEndian, 0);
    EXPECT_EQ(summary.NumSamples, 0);
    EXPECT_EQ(summary.FormatCode, 0);
    EXPECT_EQ(summary.NumTraces, 0);
    EXPECT_EQ(summary.SampleInterval, 0.0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FileHeaderTest, TheIeeeMarkerIsSetInEitherOrderAndEvenWhenNotRecognised) {
    FileSpec spec = Spec(10, 1);
    spec.ieeeMarker = true;
    EXPECT_EQ(Read(SegyWriter(spec)), 1);
    EXPECT_EQ(summary.IeeeFormat, 1);
    spec.littleEndian = true;
    EXPECT_EQ(Read(SegyWriter(spec)), 1);
    EXPECT_EQ(summary.IeeeFormat, 1);
    EXPECT_EQ(summary.LittleEndian, 1);
    SegyWriter broken(spec);
    broken.SetBinary16(20, static_cast<int16_t>(0x8080));
    EXPECT_EQ(Read(broken), 0);
    EXPECT_EQ(summary.IeeeFormat, 1);
    spec.ieeeMarker = false;
    EXPECT_EQ(Read(SegyWriter(spec)), 1);
    EXPECT_EQ(summary.IeeeFormat, 0);
}

TEST_F(FileHeaderTest, AnAsciiTextHeaderIsShownAsItIs) {
    FileSpec spec = Spec(10, 1);
    spec.asciiText = true;
    spec.textLines = {"C 1 ASCII HEADER [written by a workstation]", "C 2 second line"};
    ASSERT_EQ(Read(SegyWriter(spec)), 1);
    EXPECT_EQ(std::string(summary.TextHeader, 43), "C 1 ASCII HEADER [written by a workstation]");
    EXPECT_EQ(std::string(summary.TextHeader + 80, 15), "C 2 second line");

    // EBCDIC text, the standard's, is translated.
    spec.asciiText = false;
    ASSERT_EQ(Read(SegyWriter(spec)), 1);
    EXPECT_EQ(std::string(summary.TextHeader, 43), "C 1 ASCII HEADER [written by a workstation]");
}

TEST_F(FileHeaderTest, LeavesTheTextAloneWhenNotAskedForIt) {
    std::memset(summary.TextHeader, 'x', 10);
    WriteBytes(path, SegyWriter(Spec(10, 1)).Bytes());
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages, false), 1);
    EXPECT_EQ(std::string(summary.TextHeader, 10), "xxxxxxxxxx");
}

TEST_F(FileHeaderTest, SampleIntervalsAreMicrosecondsOverAThousand) {
    for (int16_t us : {250, 1, 4000, 32767}) {
        FileSpec spec = Spec(10, 1);
        spec.sampleIntervalUs = us;
        ASSERT_EQ(Read(SegyWriter(spec)), 1);
        EXPECT_EQ(summary.SampleInterval, us / 1000.0);
    }
    EXPECT_EQ(summary.SampleInterval, 32.767);
}

TEST_F(FileHeaderTest, AFileShorterThanItsHeaderIsNotRecognised) {
    const auto full = SegyWriter(Spec(10, 1)).Bytes();
    for (size_t size : {size_t{0}, size_t{100}, size_t{3200}, size_t{3599}}) {
        std::vector<unsigned char> bytes(full.begin(), full.begin() + static_cast<long>(size));
        if (size == 3599)
            bytes[3598] = '[';
        WriteBytes(path, bytes);
        summary.IeeeFormat = 1;
        EXPECT_EQ(ReadSegyFileHeader(path, summary, messages), 0) << size << " bytes";
        EXPECT_EQ(summary.IeeeFormat, 0);
        EXPECT_EQ(summary.NumTraces, 0);
        EXPECT_EQ(summary.NumSamples, 0);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FileHeaderTest, AFileThatCannotBeOpenedIsReportedAndKeepsTheFlags) {
    summary.LittleEndian = 1;
    summary.IeeeFormat = 1;
    summary.NumSamples = 7;
    EXPECT_EQ(ReadSegyFileHeader(dir.File("missing.sgy"), summary, messages), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Cannot open input file <ReadSegyFileHeader>!!");
    EXPECT_EQ(summary.LittleEndian, 1);
    EXPECT_EQ(summary.IeeeFormat, 1);
    EXPECT_EQ(summary.NumSamples, 0);

    // A folder is no SEG-Y file either.
    EXPECT_EQ(ReadSegyFileHeader(dir.Path().string(), summary, messages), 0);
    EXPECT_EQ(messages.messages.size(), 2u);
}

TEST_F(FileHeaderTest, CountSegyTracesUsesTheGivenWidth) {
    std::vector<unsigned char> bytes = SegyWriter(Spec(100, 1)).Bytes();
    bytes.resize(3600 + 6 * 640);
    WriteBytes(path, bytes);
    EXPECT_EQ(CountSegyTraces(path, 100, 4, messages), 6);
    EXPECT_EQ(CountSegyTraces(path, 100, 2, messages), 8);
    EXPECT_EQ(CountSegyTraces(path, 100, 1, messages), 11);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(CountSegyTraces(dir.File("gone.sgy"), 100, 4, messages), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Cannot open input file <ReadSegyFileHeader>!!");
}

TEST_F(FileHeaderTest, CountsTracesOfFilesBeyondFourGigabytes) {
    // 1000 samples of 4 bytes: 4240-byte traces; 1,100,000 of them = 4.66 GB.
    WriteBytes(path, SegyWriter(Spec(1000, 1)).Bytes());
    ASSERT_TRUE(Resize(path, 3600 + int64_t{1100000} * 4240 + 100));
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    EXPECT_EQ(summary.NumTraces, 1100000);
    EXPECT_EQ(CountSegyTraces(path, 1000, 2, messages), 2082142);
}

TEST(SampleSettings, FollowTheFormatCodeAndTheIeeeMarker) {
    struct Case {
        int32_t code, ieee, dataType, bytes;
    } cases[] = {{1, 0, 2, 4}, {2, 0, 1, 4},  {3, 0, 1, 2}, {5, 0, 3, 4}, {8, 0, 1, 1},
                 {0, 0, 1, 4}, {16, 0, 4, 1}, {3, 1, 3, 4}, {8, 1, 3, 4}, {1, 1, 3, 4}};
    for (const Case& c : cases) {
        const SampleSettings s = DeriveSampleSettings(c.code, c.ieee);
        EXPECT_EQ(s.DataType, c.dataType) << "code " << c.code << " ieee " << c.ieee;
        EXPECT_EQ(s.BytesPerSample, c.bytes) << "code " << c.code << " ieee " << c.ieee;
    }
}
