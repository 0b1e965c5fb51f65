// Files of SEG-Y rev 2 and files with extended textual headers: the sample
// formats rev 2 adds, the byte-order constant, the wider layout fields, the
// additional trace headers, and that older files read as they always have.
#include "segy/ByteOrder.h"
#include "segy/FileHeader.h"
#include "segy/HeaderScan.h"
#include "segy/SampleSettings.h"
#include "segy/Trace.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

using namespace segy;
using namespace segytest;

namespace {

FileSpec RevisionTwo(SampleEncoding encoding, bool littleEndian, int16_t samples = 3) {
    FileSpec spec;
    spec.numSamples = samples;
    spec.encoding = encoding;
    spec.littleEndian = littleEndian;
    spec.revisionMajor = 2;
    spec.textLines = {"C 1 REVISION 2"};
    return spec;
}

class Revision2Test : public ::testing::Test {
protected:
    // Writes `writer` with two numbered traces and reads the header.
    int32_t Write(SegyWriter& writer, TraceSpec last = {}) {
        writer.AddNumberedTrace(0);
        last.words4 = {{1, 2}, {5, 2}};
        writer.AddTrace(last);
        EXPECT_TRUE(writer.WriteTo(path));
        summary.LittleEndian = 0; // as the open flow leaves it
        return ReadSegyFileHeader(path, summary, messages);
    }

    // The samples of the last trace, decoded with the settings the open
    // flow derives for the file.
    std::vector<float> LastTrace() {
        const SampleSettings settings =
            DeriveSampleSettings(summary.FormatCode, summary.IeeeFormat);
        const TraceSource source{path, summary.NumSamples, settings.BytesPerSample,
                                 summary.Framing()};
        const int32_t length = TraceLength(summary.NumSamples, settings.BytesPerSample);
        std::vector<unsigned char> buffer(static_cast<size_t>(length));
        EXPECT_EQ(ReadTrace(source, summary.NumTraces - 1, length, buffer.data(), messages),
                  length);
        std::vector<float> samples(static_cast<size_t>(summary.NumSamples));
        DecodeTraceSamples(
            buffer.data(), length,
            {summary.NumSamples, settings.DataType, settings.BytesPerSample, summary.LittleEndian},
            samples.data());
        return samples;
    }

    ScratchDir dir;
    std::string path = dir.File("rev2.sgy");
    SegyFileSummary summary;
    RecordingMessages messages;
};

constexpr uint64_t kMinus = ~uint64_t{0}; // -1 in every width

} // namespace

TEST_F(Revision2Test, EveryNewFormatDecodesInEitherByteOrder) {
    // Bit patterns stored and what the plot sees: the nearest single.
    const std::vector<std::tuple<SampleEncoding, std::vector<uint64_t>, std::vector<float>>> cases{
        {SampleEncoding::IeeeDouble, {DoubleToBits(0.1), DoubleToBits(1e300)}, {0.1f, INFINITY}},
        {SampleEncoding::Int24, {0x800000, 0x7FFFFF, kMinus}, {-8388608.0f, 8388607.0f, -1}},
        {SampleEncoding::Int64, {uint64_t{INT64_MAX}, kMinus}, {9223372036854775807.0f, -1}},
        {SampleEncoding::UInt32, {0xFFFFFFFF, 1}, {4294967296.0f, 1}},
        {SampleEncoding::UInt16, {0xFFFF, 0x8000}, {65535, 32768}},
        {SampleEncoding::UInt64, {kMinus, 7}, {18446744073709551616.0f, 7}},
        {SampleEncoding::UInt24, {0xFFFFFF, 0x800000}, {16777215, 8388608}},
        {SampleEncoding::UInt8, {0xFF, 0x80}, {255, 128}},
    };
    // The codes were unassigned before rev 2, so a file that claims rev 1
    // (as segyio writes them) or rev 0 means them all the same.
    for (const auto& [encoding, stored, expected] : cases)
        for (bool little : {false, true})
            for (int revision : {2, 1, 0}) {
                SCOPED_TRACE(testing::Message() << "format " << FormatCodeFor(encoding)
                                                << " little " << little << " rev " << revision);
                FileSpec spec = RevisionTwo(encoding, little, static_cast<int16_t>(stored.size()));
                spec.revisionMajor = revision;
                SegyWriter writer(spec);
                TraceSpec trace;
                trace.integerSamples = stored;
                ASSERT_EQ(Write(writer, trace), 1);
                EXPECT_EQ(summary.LittleEndian, little ? 1 : 0);
                EXPECT_EQ(summary.NumTraces, 2);
                EXPECT_EQ(DeriveSampleSettings(summary.FormatCode, 0).BytesPerSample,
                          BytesFor(encoding));
                EXPECT_EQ(LastTrace(), expected);
            }
}

TEST_F(Revision2Test, OlderFilesReadTheOldCodesAsBefore) {
    // Code 4 is 4-byte fixed point in every revision; the IEEE marker
    // still forces 4-byte IEEE floats over a rev 2 code.
    FileSpec spec = RevisionTwo(SampleEncoding::Int32, false, 10);
    EXPECT_EQ(DeriveSampleSettings(4, 0).DataType, kDataFixedPoint);
    EXPECT_EQ(DeriveSampleSettings(4, 0).BytesPerSample, 4);
    EXPECT_EQ(DeriveSampleSettings(6, 1).BytesPerSample, 4);
    // Revision 0 knows no extended textual headers, whatever 3505-3506 hold.
    spec.revisionMajor = 0;
    SegyWriter rev0(spec);
    rev0.SetBinary16(kBinExtendedTextCountOffset, 2);
    ASSERT_EQ(Write(rev0), 1);
    EXPECT_EQ(summary.FirstTraceOffset, 3600);
    EXPECT_EQ(summary.NumTraces, 2);
}

TEST_F(Revision2Test, ExtendedTextHeadersMoveTraceZero) {
    for (int16_t count : {1, 4}) {
        SCOPED_TRACE(count);
        FileSpec spec = RevisionTwo(SampleEncoding::Int16, false);
        spec.revisionMajor = 1;
        SegyWriter writer(spec);
        writer.SetBinary16(kBinExtendedTextCountOffset, count);
        for (int i = 0; i < count; ++i)
            writer.AddExtendedText({"C 1 STANZA " + std::to_string(i + 1)});
        TraceSpec trace;
        trace.samples = {-5, 6, 7};
        ASSERT_EQ(Write(writer, trace), 1);
        EXPECT_EQ(summary.ExtendedTextHeaders, count);
        EXPECT_EQ(summary.FirstTraceOffset, 3600 + 3200 * count);
        EXPECT_EQ(summary.NumTraces, 2);
        EXPECT_EQ(LastTrace(), (std::vector<float>{-5, 6, 7}));
    }
    // More stanzas than the file holds: no traces.
    SegyWriter past(RevisionTwo(SampleEncoding::Int16, false));
    past.SetBinary16(kBinExtendedTextCountOffset, 100);
    ASSERT_EQ(Write(past), 1);
    EXPECT_EQ(summary.NumTraces, 0);
}

TEST_F(Revision2Test, AVariableCountEndsWithTheEndTextStanza) {
    for (bool ascii : {false, true}) {
        FileSpec spec = RevisionTwo(SampleEncoding::Int16, false);
        spec.asciiText = ascii;
        SegyWriter writer(spec);
        writer.SetBinary16(kBinExtendedTextCountOffset, -1);
        writer.AddExtendedText({"((SEG: Layout ver 1.0))"});
        writer.AddExtendedText({"((SEG: EndText))"});
        ASSERT_EQ(Write(writer), 1);
        EXPECT_EQ(summary.ExtendedTextHeaders, 2) << ascii;
    }
    // No end stanza anywhere: the count cannot be resolved, no traces.
    SegyWriter endless(RevisionTwo(SampleEncoding::Int16, false));
    endless.SetBinary16(kBinExtendedTextCountOffset, -1);
    endless.AddExtendedText({"C 1 NO END"});
    ASSERT_EQ(Write(endless), 1);
    EXPECT_EQ(summary.ExtendedTextHeaders, -1);
    EXPECT_EQ(summary.NumTraces, 0);
}

TEST_F(Revision2Test, AdditionalTraceHeadersAreSkipped) {
    // Rev 2.0 stores the count in 4 bytes at 3507, rev 2.1 in 2 bytes.
    for (int minor : {0, 1}) {
        SCOPED_TRACE(minor);
        FileSpec spec = RevisionTwo(SampleEncoding::Int16, false);
        spec.revisionMinor = minor;
        spec.traceExtensions = 2;
        SegyWriter writer(spec);
        if (minor == 0)
            writer.SetBinary32(kBinTraceExtensionsOffset, 2);
        else
            writer.SetBinary16(kBinTraceExtensionsOffset, 2);
        TraceSpec trace;
        trace.samples = {1, -2, 3};
        ASSERT_EQ(Write(writer, trace), 1);
        EXPECT_EQ(summary.NumTraces, 2);
        EXPECT_EQ(LastTrace(), (std::vector<float>{1, -2, 3}));

        HeaderScanTables tables;
        RecordingProgress progress;
        const ScanContext context{messages, progress, [] { return std::string("1"); }};
        int64_t headers = 0;
        const ScanLayout layout{3, 2, 2, 0, summary.Framing()};
        ASSERT_EQ(ScanTraceHeaders(kScanAll, path, layout, tables, context, &headers), 1);
        EXPECT_EQ(headers, 2);
        EXPECT_EQ(tables.Hdr4Min[0], 1);
        EXPECT_EQ(tables.Hdr4Max[0], 2);
    }
}

TEST_F(Revision2Test, TheByteOrderConstantOutranksTheHeuristic) {
    // Little endian, yet every field also reads valid big endian: 256
    // samples (00 01) read as 1, 4096 us (00 10) as 16, code 0 as 0.
    FileSpec spec = RevisionTwo(SampleEncoding::Int32, true, 256);
    spec.sampleIntervalUs = 4096;
    spec.formatCode = 0;
    spec.byteOrderConstant = true;
    SegyWriter declared(spec);
    ASSERT_EQ(Write(declared), 1);
    EXPECT_EQ(summary.LittleEndian, 1);
    EXPECT_EQ(summary.NumSamples, 256);

    spec.byteOrderConstant = false;
    SegyWriter guessed(spec);
    ASSERT_EQ(Write(guessed), 1);
    EXPECT_EQ(summary.LittleEndian, 0);
    EXPECT_EQ(summary.NumSamples, 1);
}

TEST_F(Revision2Test, ExtendedLayoutFieldsStandInForZeros) {
    FileSpec spec = RevisionTwo(SampleEncoding::IeeeDouble, false, 0);
    spec.sampleIntervalUs = 0;
    SegyWriter writer(spec);
    writer.SetBinary32(kBinExtSamplesPerTraceOffset, 40000);
    const uint64_t interval = DoubleToBits(250.0);
    writer.SetBinary32(kBinExtSampleIntervalOffset, static_cast<int32_t>(interval >> 32));
    writer.SetBinary32(kBinExtSampleIntervalOffset + 4, static_cast<int32_t>(interval));
    ASSERT_TRUE(writer.WriteTo(path));
    ASSERT_TRUE(Resize(path, 3600 + 3 * (240 + 40000 * 8) + 5));
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    EXPECT_EQ(summary.NumSamples, 40000);
    EXPECT_EQ(summary.SampleInterval, 0.25);
    EXPECT_EQ(summary.NumTraces, 3);
}

TEST_F(Revision2Test, SampleCountsAbove32767ReadUnsignedWhereTheFileFits) {
    // 40000 samples (9C 40) read signed is negative: the file is recognised
    // only by the unsigned reading, and only where whole traces fill it.
    for (bool little : {false, true}) {
        SCOPED_TRACE(little);
        FileSpec spec = RevisionTwo(SampleEncoding::Int16, little, 0);
        spec.revisionMajor = 1;
        SegyWriter writer(spec);
        writer.SetBinary16(kBinSamplesPerTraceOffset, static_cast<int16_t>(40000));
        ASSERT_TRUE(writer.WriteTo(path));
        const int64_t fits = 3600 + 2 * (240 + 40000 * 2);
        ASSERT_TRUE(Resize(path, fits));
        summary.LittleEndian = 0;
        ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
        EXPECT_EQ(summary.NumSamples, 40000);
        EXPECT_EQ(summary.NumTraces, 2);
        EXPECT_EQ(summary.LittleEndian, little ? 1 : 0);
        ASSERT_TRUE(Resize(path, fits + 7));
        summary.LittleEndian = 0;
        EXPECT_EQ(ReadSegyFileHeader(path, summary, messages), 0);
    }
}

namespace {

void SetBinary64(SegyWriter& writer, int offset, int64_t value) {
    writer.SetBinary32(offset, static_cast<int32_t>(value >> 32));
    writer.SetBinary32(offset + 4, static_cast<int32_t>(value));
}

bool AppendZeros(const std::string& path, int64_t bytes) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        return false;
    const std::vector<char> zeros(static_cast<size_t>(bytes), 0);
    const bool ok = std::fwrite(zeros.data(), 1, zeros.size(), file) == zeros.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace

TEST_F(Revision2Test, RevisionZeroHonoursExtendedTextOnlyWhereTheFileFitsIt) {
    // Four stanzas and one trace of one IBM sample: 16644 bytes hold whole
    // 244-byte traces only after the stanzas.
    FileSpec spec = RevisionTwo(SampleEncoding::IbmFloat, false, 1);
    spec.revisionMajor = 0;
    SegyWriter fits(spec);
    fits.SetBinary16(kBinExtendedTextCountOffset, 4);
    for (int i = 0; i < 4; ++i)
        fits.AddExtendedText({"C 1 STANZA"});
    fits.AddTrace({});
    ASSERT_TRUE(fits.WriteTo(path));
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    EXPECT_EQ(summary.ExtendedTextHeaders, 4);
    EXPECT_EQ(summary.NumTraces, 1);
    // 256-byte traces fill the file either way: the count is not believed.
    FileSpec bothSpec = RevisionTwo(SampleEncoding::Int32, false, 4);
    bothSpec.revisionMajor = 0;
    SegyWriter both(bothSpec);
    both.SetBinary16(kBinExtendedTextCountOffset, 4);
    for (int i = 0; i < 4; ++i)
        both.AddExtendedText({"C 1 STANZA"});
    both.AddTrace({});
    ASSERT_TRUE(both.WriteTo(path));
    summary.LittleEndian = 0;
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    EXPECT_EQ(summary.FirstTraceOffset, 3600);
    EXPECT_EQ(summary.ExtendedTextHeaders, 0);
    EXPECT_EQ(summary.NumTraces, 51);
}

TEST_F(Revision2Test, TheFirstTraceOffsetTrailerAndTraceCountOfRevisionTwo) {
    // Trace 0 placed at 6800 outright, two trailer stanzas after the last
    // trace, and the header's own count of traces.
    SegyWriter writer(RevisionTwo(SampleEncoding::Int16, false));
    writer.AddExtendedText({"C 1 NOT COUNTED, SKIPPED BY THE OFFSET"});
    SetBinary64(writer, kBinFirstTraceOffsetOffset, 6800);
    writer.SetBinary32(kBinTrailerStanzasOffset, 2);
    SetBinary64(writer, kBinTracesInFileOffset, 7);
    TraceSpec trace;
    trace.samples = {4, 5, 6};
    ASSERT_EQ(Write(writer, trace), 1);
    ASSERT_TRUE(AppendZeros(path, 2 * 3200));
    summary.LittleEndian = 0;
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    EXPECT_EQ(summary.FirstTraceOffset, 6800);
    EXPECT_EQ(summary.TrailerStanzas, 2);
    EXPECT_EQ(summary.TracesInHeader, 7);
    EXPECT_EQ(summary.NumTraces, 2);
    EXPECT_EQ(LastTrace(), (std::vector<float>{4, 5, 6}));
    EXPECT_EQ(CountSegyTraces(path, 3, 2, messages, summary.Framing()), 2);

    // Past the end, inside the file header, or more stanzas than the file
    // holds: not believed.
    for (const int64_t offset : {int64_t{1} << 40, int64_t{100}}) {
        SegyWriter bad(RevisionTwo(SampleEncoding::Int16, false));
        SetBinary64(bad, kBinFirstTraceOffsetOffset, offset);
        bad.SetBinary32(kBinTrailerStanzasOffset, 1000);
        ASSERT_EQ(Write(bad), 1);
        EXPECT_EQ(summary.FirstTraceOffset, 3600);
        EXPECT_EQ(summary.TrailerStanzas, 0);
        EXPECT_EQ(summary.NumTraces, 2);
    }
}

TEST_F(Revision2Test, RevisionTwoZeroReadsTheSixteenBitExtensionCount) {
    // segyio writes 00 01 at 3507 and 00 00 after it: 1, not 65536.
    FileSpec spec = RevisionTwo(SampleEncoding::Int16, false);
    spec.traceExtensions = 1;
    SegyWriter writer(spec);
    writer.SetBinary16(kBinTraceExtensionsOffset, 1);
    TraceSpec trace;
    trace.samples = {7, 8, 9};
    ASSERT_EQ(Write(writer, trace), 1);
    EXPECT_EQ(summary.TraceHeaderExtensions, 1);
    EXPECT_EQ(summary.NumTraces, 2);
    EXPECT_EQ(LastTrace(), (std::vector<float>{7, 8, 9}));
}
