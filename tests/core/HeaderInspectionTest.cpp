// What the full scan learns about trace headers: each field's character and
// the survey's geometry, on written files of known layout, on bad headers,
// and on the shared corpus's cubes.
#include "segy/ByteOrder.h"
#include "segy/HeaderScan.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>

namespace {

using namespace segy;
using segytest::FileSpec;
using segytest::SegyWriter;
using segytest::TraceSpec;

constexpr int kSamples = 4;

struct Inspected {
    HeaderScanTables tables;
    HeaderInspection inspection;
    int64_t headersRead = 0;

    int Word(int byte) const {
        const int w = InspectedWordIndex(byte, FieldType::Int32);
        return w >= 0 ? w : InspectedWordIndex(byte, FieldType::Int16);
    }
    const WordCharacter& Of(int byte) const { return inspection.Character(Word(byte)); }
    std::string Text(int byte) const {
        return DescribeCharacter(Of(byte), inspection.Min(Word(byte)), inspection.Max(Word(byte)));
    }
    const SurveyGeometry& Geometry() const { return inspection.Geometry(); }
};

std::unique_ptr<Inspected> Scan(const std::string& path, int64_t traces, int samples = kSamples,
                                int bytesPerSample = 4) {
    auto result = std::make_unique<Inspected>();
    segytest::RecordingMessages messages;
    NoScanProgress progress;
    const ScanContext context{messages, progress, {}};
    EXPECT_EQ(ScanTraceHeaders(kScanAll, path, {samples, bytesPerSample, traces, 0, {}},
                               result->tables, context, &result->headersRead, &result->inspection),
              1);
    return result;
}

// Writes `traces` traces whose headers `header` gives, and scans them.
std::unique_ptr<Inspected> WriteAndScan(const segytest::ScratchDir& dir, int traces,
                                        const std::function<TraceSpec(int)>& header) {
    FileSpec spec;
    spec.numSamples = kSamples;
    SegyWriter writer(spec);
    for (int t = 0; t < traces; ++t)
        writer.AddTrace(header(t));
    const std::string path = dir.File("inspect.sgy");
    EXPECT_TRUE(segytest::WriteBytes(path, writer.Bytes()));
    return Scan(path, traces);
}

// A rotated 3D grid: inline `il` and crossline `xl` at the given bytes,
// CDP coordinates in centimetres (scalar -100), 25 m bins turned by 30
// degrees from (500000, 6000000).
TraceSpec CubeTrace(int ilByte, int xlByte, int il, int xl, int t) {
    const double angle = M_PI / 6;
    const double x = 500000 + 25.0 * (il * std::cos(angle) - xl * std::sin(angle));
    const double y = 6000000 + 25.0 * (il * std::sin(angle) + xl * std::cos(angle));
    TraceSpec trace;
    trace.words4 = {{5, t + 1},
                    {ilByte, il},
                    {xlByte, xl},
                    {181, static_cast<int32_t>(std::lround(x * 100))},
                    {185, static_cast<int32_t>(std::lround(y * 100))}};
    trace.words2 = {{71, -100}};
    return trace;
}

TEST(HeaderInspection, FindsA3DCubeAtTheStandardBytesWithItsCornersScaled) {
    segytest::ScratchDir dir;
    // Inlines 100..110 by 2 (6), crosslines 10..16 (7).
    const auto r = WriteAndScan(
        dir, 42, [](int t) { return CubeTrace(189, 193, 100 + 2 * (t / 7), 10 + t % 7, t); });
    EXPECT_EQ(r->Text(189), "increases by 2 every 7 traces, 6 values");
    EXPECT_EQ(r->Text(193), "cycles from 10 to 16 by 1, restarting every 7 traces");
    EXPECT_EQ(r->Text(5), "increases by 1 each trace, 42 values");
    EXPECT_EQ(r->Text(71), "constant -100");
    EXPECT_EQ(r->Of(193).kind, CharacterKind::Cycle);
    EXPECT_EQ(r->Of(193).period, 7);

    const SurveyGeometry& g = r->Geometry();
    ASSERT_EQ(g.kind, "3D") << g.why;
    EXPECT_EQ(g.inlineKey.firstByte, 189);
    EXPECT_EQ(g.inlineKey.first, 100);
    EXPECT_EQ(g.inlineKey.last, 110);
    EXPECT_EQ(g.inlineKey.step, 2);
    EXPECT_EQ(g.inlineKey.count, 6);
    EXPECT_EQ(g.crosslineKey.firstByte, 193);
    EXPECT_EQ(g.crosslineKey.count, 7);
    EXPECT_EQ(g.missingTraces, 0);
    ASSERT_TRUE(g.hasCorners);
    // Corner (110, 16), third in order, computed from the grid itself.
    const double angle = M_PI / 6;
    EXPECT_NEAR(g.corners[2][0], 500000 + 25.0 * (110 * std::cos(angle) - 16 * std::sin(angle)),
                0.02);
    EXPECT_NEAR(g.corners[2][1], 6000000 + 25.0 * (110 * std::sin(angle) + 16 * std::cos(angle)),
                0.02);
    // The CDP extents are in metres, not centimetres.
    EXPECT_TRUE(g.extents[0].known);
    EXPECT_GT(g.extents[0].minX, 490000);
    EXPECT_LT(g.extents[0].maxX, 510000);
    EXPECT_EQ(r->inspection.MaxTrace(r->Word(189)), 35); // first trace of the last inline
}

TEST(HeaderInspection, FindsKeysWhereFilesCommonlyPutThemAndCountsMissingTraces) {
    segytest::ScratchDir dir;
    // Inline in bytes 9-12, crossline in 21-24; 5 x 6 grid with the
    // traces (2, 3), (3, 0) and (4, 5) left out.
    std::vector<std::pair<int, int>> cells;
    for (int il = 0; il < 5; ++il)
        for (int xl = 0; xl < 6; ++xl)
            if (!(il == 2 && xl == 3) && !(il == 3 && xl == 0) && !(il == 4 && xl == 5))
                cells.emplace_back(il, xl);
    const auto r = WriteAndScan(dir, static_cast<int>(cells.size()), [&](int t) {
        return CubeTrace(9, 21, 1 + cells[t].first, 1001 + cells[t].second, t);
    });
    const SurveyGeometry& g = r->Geometry();
    ASSERT_EQ(g.kind, "3D") << g.why;
    EXPECT_EQ(g.inlineKey.firstByte, 9);
    EXPECT_EQ(g.crosslineKey.firstByte, 21);
    EXPECT_EQ(g.gridTraces, 30);
    EXPECT_EQ(g.missingTraces, 3);
    EXPECT_NE(g.why.find("3 grid positions have no trace"), std::string::npos);
    EXPECT_TRUE(g.hasCorners);
}

TEST(HeaderInspection, Finds2DLinesAndPrestackGathers) {
    segytest::ScratchDir dir;
    const auto line = WriteAndScan(dir, 50, [](int t) {
        TraceSpec trace;
        trace.words4 = {{21, 2000 + 2 * t}, {197, 10 + t / 2}};
        return trace;
    });
    ASSERT_EQ(line->Geometry().kind, "2D") << line->Geometry().why;
    EXPECT_EQ(line->Geometry().lineKey.firstByte, 21);
    EXPECT_EQ(line->Geometry().lineKey.count, 50);
    EXPECT_EQ(line->Text(197), "increases by 1 every 2 traces, 25 values");

    // Shot gathers: 8 shots of 12 channels, offsets -275..275.
    const auto shots = WriteAndScan(dir, 96, [](int t) {
        TraceSpec trace;
        trace.words4 = {{9, 501 + t / 12}, {13, 1 + t % 12}, {37, 50 * (t % 12) - 275}};
        return trace;
    });
    ASSERT_EQ(shots->Geometry().kind, "prestack") << shots->Geometry().why;
    EXPECT_EQ(shots->Geometry().lineKey.firstByte, 9);
    EXPECT_EQ(shots->Geometry().lineKey.count, 8);
    EXPECT_EQ(shots->Text(37), "cycles from -275 to 275 by 50, restarting every 12 traces");
}

TEST(HeaderInspection, TheStandardGridWordsWinOverOffsetsThatVary) {
    // A stacked cube whose offset word holds each bin's mean offset is still
    // a grid of bins; a field record and its channels with offsets are shot
    // gathers (the test above), though they form a grid of their own.
    segytest::ScratchDir dir;
    const auto r = WriteAndScan(dir, 42, [](int t) {
        TraceSpec trace = CubeTrace(189, 193, 1 + t / 7, 1 + t % 7, t);
        trace.words4.emplace_back(37, 500 + 13 * (t % 5));
        return trace;
    });
    EXPECT_EQ(r->Geometry().kind, "3D") << r->Geometry().why;
}

TEST(HeaderInspection, BadHeadersLeaveTheGeometryUnstructuredAndSayWhy) {
    segytest::ScratchDir dir;
    const auto zeros = WriteAndScan(dir, 30, [](int) { return TraceSpec(); });
    EXPECT_EQ(zeros->Geometry().kind, "unstructured");
    EXPECT_EQ(zeros->Geometry().why, "Every header word is the same in every trace.");
    EXPECT_EQ(zeros->Text(189), "constant 0");

    const auto one = WriteAndScan(dir, 1, [](int) { return CubeTrace(189, 193, 1, 1, 0); });
    EXPECT_EQ(one->Geometry().kind, "unstructured");

    // Random words everywhere, scalars included: nothing is claimed.
    std::mt19937 random(7);
    const auto noise = WriteAndScan(dir, 5000, [&](int) {
        TraceSpec trace;
        for (int byte = 1; byte <= 237; byte += 4)
            trace.words4.emplace_back(byte, static_cast<int32_t>(random()));
        return trace;
    });
    EXPECT_EQ(noise->Geometry().kind, "unstructured") << noise->Geometry().why;
    EXPECT_EQ(noise->Of(189).kind, CharacterKind::Varying);
    EXPECT_EQ(noise->Of(189).distinct, -1);
    EXPECT_EQ(noise->Text(189), "varies, more than 4096 values");
    EXPECT_TRUE(noise->Of(181).scalarChanges);
    // Two traces of noise: every word runs one way, but by steps no survey
    // numbers its lines, bins or gathers in. Nor does a float's bits.
    for (const int32_t jump : {-315888264, 2143289343}) {
        const auto two = WriteAndScan(dir, 2, [&](int t) {
            TraceSpec trace;
            trace.words4 = {{9, 1 + t * jump}, {21, 1 + t * jump}, {37, 100 - 200 * t}};
            return trace;
        });
        EXPECT_EQ(two->Geometry().kind, "unstructured") << two->Geometry().why;
    }

    // A scalar that changes every trace scales each trace's own value:
    // 1000 * 10 and 1000 / 10000 and 1000 / 32768.
    const int16_t scalars[] = {10, -10000, -32768, 0};
    const auto scaled = WriteAndScan(dir, 4, [&](int t) {
        TraceSpec trace;
        trace.words4 = {{181, 1000}};
        trace.words2 = {{71, scalars[t]}};
        return trace;
    });
    EXPECT_EQ(scaled->Of(181).kind, CharacterKind::Constant);
    EXPECT_TRUE(scaled->Of(181).scalarChanges);
    EXPECT_DOUBLE_EQ(scaled->Of(181).scaledMax, 10000.0);
    EXPECT_DOUBLE_EQ(scaled->Of(181).scaledMin, 1000.0 / 32768);
}

TEST(HeaderInspection, ACutScanSaysHowMuchItSawAndTheEnvelopeIsBounded) {
    segytest::ScratchDir dir;
    FileSpec spec;
    spec.numSamples = kSamples;
    SegyWriter writer(spec);
    for (int t = 0; t < 2500; ++t) {
        TraceSpec trace = CubeTrace(189, 193, 1 + t / 50, 1 + t % 50, t);
        trace.words4.emplace_back(37, t == 1234 ? 99999 : 0); // one spike
        writer.AddTrace(trace);
    }
    const std::string path = dir.File("cut.sgy");
    ASSERT_TRUE(segytest::WriteBytes(path, writer.Bytes()));
    // The layout expects 4000 traces; the file holds 2500.
    const auto r = Scan(path, 4000);
    EXPECT_EQ(r->inspection.TracesSeen(), 2500);
    EXPECT_EQ(r->Geometry().kind, "3D");
    EXPECT_NE(r->Geometry().why.find("(from the first 2500 of 4000 traces)"), std::string::npos);

    // 1024 columns over 4000 traces; the spike shows in its column only.
    ASSERT_EQ(r->inspection.Columns(), kEnvelopeColumns);
    int spikes = 0;
    for (int c = 0; c < r->inspection.Columns(); ++c) {
        int32_t low, high;
        if (r->inspection.ColumnRange(c, r->Word(37), low, high) && high == 99999) {
            ++spikes;
            EXPECT_LE(r->inspection.ColumnFirstTrace(c), 1234);
            EXPECT_GT(r->inspection.ColumnFirstTrace(c + 1), 1234);
        }
    }
    EXPECT_EQ(spikes, 1);
    EXPECT_EQ(r->inspection.MinTrace(r->Word(37)), 0);
    EXPECT_EQ(r->inspection.MaxTrace(r->Word(37)), 1234);
}

TEST(HeaderInspection, EveryEnvelopeColumnHoldsItsOwnTracesExtremes) {
    // Words that stay put for long stretches and change at and around the
    // inspection's block boundaries (every 2048 headers), beside one that
    // changes on every trace for a while, runs that cross columns (a
    // counter, a key stepping every 3 traces, a cycle) and a scalar that
    // changes once, after which the block is followed trace by trace: each
    // column's extremes must be those of exactly its traces, with more
    // traces than columns and with fewer.
    auto value = [](int byte, int t) -> int32_t {
        switch (byte) {
        case 9:
            return t / 700;
        case 37:
            return t == 2047 || t == 2048 || t == 4095 ? -5 - t : 3;
        case 71:
            return t < 2500 ? -100 : -10;
        case 181:
            return t >= 3000 && t < 3100 ? (t * 7919) % 1009 - 500 : 7;
        case 189:
            return 1000 - 2 * t;
        case 193:
            return 5 * (t / 3);
        case 197:
            return t % 50;
        default:
            return t < 2048 ? 0 : 1; // byte 233: one change, at a boundary
        }
    };
    const int bytes[] = {9, 37, 71, 181, 189, 193, 197, 233};
    for (const int traces : {5000, 700}) {
        segytest::ScratchDir dir;
        const auto r = WriteAndScan(dir, traces, [&](int t) {
            TraceSpec trace;
            for (int byte : bytes)
                if (byte == 71)
                    trace.words2.emplace_back(byte, static_cast<int16_t>(value(byte, t)));
                else
                    trace.words4.emplace_back(byte, value(byte, t));
            return trace;
        });
        ASSERT_EQ(r->inspection.Columns(), std::min(traces, kEnvelopeColumns));
        for (int byte : bytes) {
            for (int c = 0; c < r->inspection.Columns(); ++c) {
                const int64_t end = c + 1 < r->inspection.Columns()
                                        ? r->inspection.ColumnFirstTrace(c + 1)
                                        : traces;
                int32_t low = INT32_MAX, high = INT32_MIN, foundLow, foundHigh;
                for (int64_t t = r->inspection.ColumnFirstTrace(c); t < end; ++t) {
                    low = std::min(low, value(byte, static_cast<int>(t)));
                    high = std::max(high, value(byte, static_cast<int>(t)));
                }
                ASSERT_TRUE(r->inspection.ColumnRange(c, r->Word(byte), foundLow, foundHigh));
                ASSERT_EQ(foundLow, low) << traces << " traces, byte " << byte << ", column " << c;
                ASSERT_EQ(foundHigh, high)
                    << traces << " traces, byte " << byte << ", column " << c;
            }
        }
    }
}

TEST(HeaderInspection, StretchesTakenWholeReadAsTracesTakenOneByOne) {
    // Words that step every few traces, now and then out of step, with
    // steps that alternate, runs, restarts and noise: followed over whole
    // blocks, where stretches of like changes are taken at once, each
    // word's character must be what following the traces one by one gives.
    std::mt19937 random(20261209);
    const int traces = 6000;
    std::vector<unsigned char> headers(static_cast<size_t>(traces) * kTraceHeaderSize);
    const int bytes[] = {1, 5, 9, 13, 17, 21, 25, 181, 185, 189};
    for (int w = 0; w < 10; ++w) {
        const int every = 1 + static_cast<int>(random() % 9);
        const int step = static_cast<int>(random() % 5) - 2;
        int32_t value = static_cast<int32_t>(random() % 1000);
        for (int t = 0; t < traces; ++t) {
            const uint32_t roll = random() % 1000;
            if (w == 9 && roll < 500)
                value += roll % 2 ? 12 : 13; // steps that alternate
            else if (t % every == 0 && roll >= 3)
                value += step == 0 ? 1 : step;
            else if (roll < 3)
                value += static_cast<int32_t>(random() % 7) - 3; // out of step
            if (w == 8 && t % 500 == 499)
                value = 7; // a restart
            StoreBig32(&headers[static_cast<size_t>(t) * kTraceHeaderSize + bytes[w] - 1],
                       static_cast<uint32_t>(value));
        }
    }
    HeaderInspection whole, oneByOne;
    whole.Start(traces, 0);
    oneByOne.Start(traces, 0);
    for (int t = 0; t < traces; t += 2048)
        whole.Take(&headers[static_cast<size_t>(t) * kTraceHeaderSize], std::min(2048, traces - t),
                   kTraceHeaderSize, t);
    for (int t = 0; t < traces; ++t)
        oneByOne.Take(&headers[static_cast<size_t>(t) * kTraceHeaderSize], 1, kTraceHeaderSize, t);
    whole.Finish();
    oneByOne.Finish();
    for (int byte : bytes) {
        const int w = InspectedWordIndex(byte, FieldType::Int32);
        const WordCharacter& a = whole.Character(w);
        const WordCharacter& b = oneByOne.Character(w);
        SCOPED_TRACE("byte " + std::to_string(byte));
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.strict, b.strict);
        EXPECT_EQ(a.step, b.step);
        EXPECT_EQ(a.stepGcd, b.stepGcd);
        EXPECT_EQ(a.every, b.every);
        EXPECT_EQ(a.period, b.period);
        EXPECT_EQ(a.restarts, b.restarts);
        EXPECT_EQ(a.changes, b.changes);
        EXPECT_EQ(a.distinct, b.distinct);
        EXPECT_EQ(a.last, b.last);
        EXPECT_EQ(a.restartValue, b.restartValue);
    }
}

#ifdef VANTREL_CORPUS_DIR
TEST(HeaderInspection, RunsOfCountersCountTheirValuesOneByOne) {
    // Counters that run trace after trace are taken a run at a time; what
    // they count must be what counting each value gives: up to the bound
    // of distinct values and past it, values met again, and runs that
    // leave the window of values around the first.
    const segytest::ScratchDir dir;
    const auto scanned = WriteAndScan(dir, 9000, [](int t) {
        TraceSpec trace;
        trace.words4 = {{1, t < 4096 ? t : 4095}, // 4096 values, then constant
                        {5, t < 4097 ? t : 4096}, // 4097 values: past the bound
                        {9, t % 3000 < 1500 ? t % 1500 : 1499 - t % 1500}, // up and down again
                        {13, 100000 - 25 * t},                             // down by 25 each trace
                        {17, t < 4000 ? 20000 + t : 60000 + t}};           // a second run far away
        return trace;
    });
    EXPECT_EQ(scanned->Of(1).distinct, 4096);
    EXPECT_EQ(scanned->Of(5).distinct, -1);
    EXPECT_EQ(scanned->Text(5), "increases, not on every trace, more than 4096 values");
    EXPECT_EQ(scanned->Of(9).distinct, 1500);
    EXPECT_EQ(scanned->Text(13), "decreases by 25 each trace, more than 4096 values");
    EXPECT_EQ(scanned->Of(17).distinct, -1);
    EXPECT_EQ(scanned->Of(17).changes, 8999);
}

TEST(HeaderInspection, CorpusCubes) {
    const std::filesystem::path corpus = VANTREL_CORPUS_DIR;
    struct Cube {
        const char* file;
        int64_t traces;
        int samples, bytesPerSample;
        int64_t inlines, crosslines;
    };
    for (const Cube& cube :
         {Cube{"f3.sgy", 414, 75, 2, 23, 18}, Cube{"small.sgy", 25, 50, 4, 5, 5}}) {
        const std::string path = (corpus / cube.file).string();
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "no shared corpus";
        const auto r = Scan(path, cube.traces, cube.samples, cube.bytesPerSample);
        const SurveyGeometry& g = r->Geometry();
        ASSERT_EQ(g.kind, "3D") << cube.file << ": " << g.why;
        EXPECT_EQ(g.inlineKey.firstByte, 189);
        EXPECT_EQ(g.inlineKey.count, cube.inlines);
        EXPECT_EQ(g.crosslineKey.count, cube.crosslines);
        EXPECT_EQ(g.missingTraces, 0);
    }
}
#endif

} // namespace
