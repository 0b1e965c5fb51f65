#include "segy/Trace.h"

#include "segy/ByteOrder.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace segy;
using namespace segytest;

namespace {

// Decodes samples stored as `bytes` (after a zero trace header).
std::vector<float> Decode(std::vector<unsigned char> bytes, int32_t numSamples, int32_t dataType,
                          int32_t bytesPerSample, int32_t littleEndian) {
    std::vector<unsigned char> buffer(kTraceHeaderSize, 0);
    buffer.insert(buffer.end(), bytes.begin(), bytes.end());
    std::vector<float> samples(static_cast<size_t>(numSamples), -7.0f);
    DecodeTraceSamples(buffer.data(), static_cast<int64_t>(buffer.size()),
                       {numSamples, dataType, bytesPerSample, littleEndian}, samples.data());
    return samples;
}

float DecodeOne(std::vector<unsigned char> bytes, int32_t dataType, int32_t bytesPerSample,
                int32_t littleEndian) {
    return Decode(std::move(bytes), 1, dataType, bytesPerSample, littleEndian)[0];
}

} // namespace

TEST(DecodeTraceSamples, IbmFloatInEitherByteOrder) {
    EXPECT_EQ(DecodeOne({0x41, 0x10, 0x00, 0x00}, kDataIbmFloat, 4, 0), 1.0f);
    EXPECT_EQ(DecodeOne({0x00, 0x00, 0x10, 0x41}, kDataIbmFloat, 4, 1), 1.0f);
    EXPECT_EQ(DecodeOne({0xC2, 0x76, 0xA0, 0x00}, kDataIbmFloat, 4, 0), -118.625f);
    EXPECT_EQ(DecodeOne({0x00, 0xA0, 0x76, 0xC2}, kDataIbmFloat, 4, 1), -118.625f);
    EXPECT_EQ(FloatToBits(DecodeOne({0xC3, 0x00, 0x00, 0x00}, kDataIbmFloat, 4, 0)), 0u);
}

TEST(DecodeTraceSamples, IeeeFloatPassesItsBitsUnchanged) {
    EXPECT_EQ(DecodeOne({0x3F, 0x80, 0x00, 0x00}, kDataIeeeFloat, 4, 0), 1.0f);
    EXPECT_EQ(DecodeOne({0x00, 0x00, 0x80, 0x3F}, kDataIeeeFloat, 4, 1), 1.0f);
    EXPECT_EQ(FloatToBits(DecodeOne({0x7F, 0xC0, 0x12, 0x34}, kDataIeeeFloat, 4, 0)), 0x7FC01234u);
    EXPECT_EQ(FloatToBits(DecodeOne({0xFF, 0x80, 0x00, 0x00}, kDataIeeeFloat, 4, 0)), 0xFF800000u);
    EXPECT_EQ(FloatToBits(DecodeOne({0x00, 0x00, 0x00, 0x01}, kDataIeeeFloat, 4, 0)), 1u);
    // The data bytes box plays no part for floating point: always 4 bytes.
    EXPECT_EQ(DecodeOne({0x3F, 0x80, 0x00, 0x00}, kDataIeeeFloat, 2, 0), 1.0f);
}

TEST(DecodeTraceSamples, FixedPointOfOneTwoAndFourBytes) {
    EXPECT_EQ(DecodeOne({0xFF, 0xFE}, kDataFixedPoint, 2, 0), -2.0f);
    EXPECT_EQ(DecodeOne({0xFF, 0xFE}, kDataFixedPoint, 2, 1), -257.0f);
    EXPECT_EQ(DecodeOne({0x80}, kDataFixedPoint, 1, 0), -128.0f);
    EXPECT_EQ(DecodeOne({0x80}, kDataFixedPoint, 1, 1), -128.0f);
    EXPECT_EQ(DecodeOne({0x7F}, kDataFixedPoint, 1, 0), 127.0f);
    EXPECT_EQ(DecodeOne({0x00, 0x00, 0x03, 0xE8}, kDataFixedPoint, 4, 0), 1000.0f);
    EXPECT_EQ(DecodeOne({0xE8, 0x03, 0x00, 0x00}, kDataFixedPoint, 4, 1), 1000.0f);
    // 16777217 rounds to the nearest single, ties to even.
    EXPECT_EQ(DecodeOne({0x01, 0x00, 0x00, 0x01}, kDataFixedPoint, 4, 0), 16777216.0f);
    EXPECT_EQ(DecodeOne({0x80, 0x00, 0x00, 0x00}, kDataFixedPoint, 4, 0), -2147483648.0f);

    const auto run = Decode({0x00, 0x01, 0xFF, 0xFF, 0x7F, 0xFF}, 3, kDataFixedPoint, 2, 0);
    EXPECT_EQ(run, (std::vector<float>{1.0f, -1.0f, 32767.0f}));
}

TEST(DecodeTraceSamples, NeverReadsPastTheBuffer) {
    // IBM samples are 4 bytes wide; a trace read with 2 bytes per sample
    // holds only half of them. The rest decode to 0.
    const auto samples =
        Decode({0x41, 0x10, 0x00, 0x00, 0x41, 0x10, 0x00, 0x00}, 4, kDataIbmFloat, 2, 0);
    EXPECT_EQ(samples, (std::vector<float>{1.0f, 1.0f, 0.0f, 0.0f}));
    // A buffer shorter than its header decodes to zeros.
    std::vector<float> out(3, 5.0f);
    const unsigned char tiny[10] = {};
    DecodeTraceSamples(tiny, 10, {3, kDataIeeeFloat, 4, 0}, out.data());
    EXPECT_EQ(out, (std::vector<float>{0.0f, 0.0f, 0.0f}));
}

TEST(DecodeTraceSamples, AnUnknownTypeOrWidthDecodesToZero) {
    EXPECT_EQ(DecodeOne({0x01, 0x02, 0x03, 0x04, 0x05}, kDataFixedPoint, 5, 0), 0.0f);
    EXPECT_EQ(DecodeOne({0x01, 0x02, 0x03, 0x04}, 0, 4, 0), 0.0f);
}

TEST(DecodeHeaderWords, ReadsSignedWordsInTheFilesOrder) {
    std::vector<unsigned char> header(kTraceHeaderSize, 0);
    header[3] = 0x07;
    header[238] = 0xFF;
    header[239] = 0xFF;
    int32_t w4[kHeaderWords4];
    int16_t w2[kHeaderWords2];
    DecodeHeaderWords(header.data(), std::span<int32_t, 60>(w4), 0);
    DecodeHeaderWords(header.data(), std::span<int16_t, 120>(w2), 0);
    EXPECT_EQ(w4[0], 7);
    EXPECT_EQ(w2[0], 0);
    EXPECT_EQ(w2[1], 7);
    EXPECT_EQ(w2[119], -1);
    EXPECT_EQ(w4[59], 65535);

    // Little endian: 07 00 00 00 is 7 as a 4-byte word and in the first
    // 2-byte word.
    std::vector<unsigned char> little(kTraceHeaderSize, 0);
    little[0] = 0x07;
    little[4] = 0xFE;
    little[5] = 0xFF;
    little[6] = 0xFF;
    little[7] = 0xFF;
    DecodeHeaderWords(little.data(), std::span<int32_t, 60>(w4), 1);
    DecodeHeaderWords(little.data(), std::span<int16_t, 120>(w2), 1);
    EXPECT_EQ(w4[0], 7);
    EXPECT_EQ(w4[1], -2);
    EXPECT_EQ(w2[0], 7);
    EXPECT_EQ(w2[1], 0);
    EXPECT_EQ(w2[2], -2);
}

TEST(HeaderWordAtRow, NamesWordsOnlyWithinTheForm) {
    std::vector<unsigned char> header(kTraceHeaderSize, 0);
    header[239] = 9;
    int32_t value = -1;
    EXPECT_TRUE(HeaderWordAtRow(header.data(), 120, false, 0, value));
    EXPECT_EQ(value, 9);
    EXPECT_TRUE(HeaderWordAtRow(header.data(), 60, true, 0, value));
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(HeaderWordAtRow(header.data(), 61, true, 0, value));
    EXPECT_FALSE(HeaderWordAtRow(header.data(), 0, true, 0, value));
    EXPECT_FALSE(HeaderWordAtRow(header.data(), 121, false, 0, value));
}

class ReadTraceTest : public ::testing::Test {
protected:
    // 1000 samples of 4 bytes: trace k starts at 3600 + k x 4240.
    void SetUp() override {
        FileSpec spec;
        spec.numSamples = 1000;
        SegyWriter writer(spec);
        for (int k = 0; k < 3; ++k)
            writer.AddNumberedTrace(k);
        ASSERT_TRUE(writer.WriteTo(path));
    }

    ScratchDir dir;
    std::string path = dir.File("t.sgy");
    TraceSource source{path, 1000, 4, {}};
    RecordingMessages messages;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(4240, 0xEE);
};

TEST_F(ReadTraceTest, ReadsTraceKFromItsOffset) {
    EXPECT_EQ(ReadTrace(source, 0, 4240, buffer.data(), messages), 4240);
    EXPECT_EQ(LoadBig32(buffer.data()), 1u);
    EXPECT_EQ(ReadTrace(source, 2, 4240, buffer.data(), messages), 4240);
    EXPECT_EQ(LoadBig32(buffer.data()), 3u);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ReadTraceTest, ZerosWhatTheFileDoesNotHold) {
    EXPECT_EQ(ReadTrace(source, 3, 4240, buffer.data(), messages), 0);
    EXPECT_EQ(buffer, std::vector<unsigned char>(4240, 0));
    // Reading with 2-byte samples shifts the traces; trace 5 starts at
    // 3600 + 5 x 2240 = 14800, 1760 bytes before the end of the file.
    TraceSource narrow{path, 1000, 2, {}};
    std::fill(buffer.begin(), buffer.end(), 0xEE);
    EXPECT_EQ(ReadTrace(narrow, 5, 2240, buffer.data(), messages), 1520);
    EXPECT_EQ(buffer[2000], 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ReadTraceTest, RefusesANegativeIndex) {
    EXPECT_EQ(ReadTrace(source, -1, 4240, buffer.data(), messages), 0);
    EXPECT_EQ(buffer, std::vector<unsigned char>(4240, 0));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ReadTraceTest, AMissingFileIsReportedAndTheBufferUntouched) {
    TraceSource gone{dir.File("gone.sgy"), 1000, 4, {}};
    EXPECT_EQ(ReadTrace(gone, 0, 4240, buffer.data(), messages), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Cannot open input segy file!!");
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(ReadTraceTest, ReachesTracesBeyondFourGigabytes) {
    // Trace 1,100,000 of 4240 bytes lies at 4,664,003,600: past 2^32.
    const int32_t index = 1100000;
    TraceSpec marker;
    marker.words4 = {{1, 424242}};
    FileSpec spec;
    spec.numSamples = 1000;
    ASSERT_TRUE(WriteAt(path, TraceOffset(index, 4240), SegyWriter(spec).TraceBytes(marker)));
    EXPECT_EQ(ReadTrace(source, index, 4240, buffer.data(), messages), 4240);
    EXPECT_EQ(LoadBig32(buffer.data()), 424242u);
}
