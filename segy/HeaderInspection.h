// What a full header scan learns about the trace headers beyond their
// extremes: how each field behaves from trace to trace, a bounded envelope
// of every header word over the file, a bounded sample of whole headers,
// and from those the survey's likely geometry.
//
// Everything here is gathered in the scan's one pass over the file and is
// bounded in size whatever the trace count.
#pragma once

#include "segy/HeaderScanTables.h"
#include "segy/SegyFormat.h"
#include "segy/TraceHeaderFields.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace segy {

// Distinct values are counted up to this many; beyond it a field has "more
// than" this many.
constexpr int kDistinctValueBound = 4096;
// The envelope has at most this many columns of traces.
constexpr int kEnvelopeColumns = 1024;
// At most this many whole headers are kept as a sample of the file.
constexpr int kSampledHeaders = 8192;

// A header word whose behaviour is followed: a standard field, or a 4-byte
// word that files commonly use for keys though the standard has other
// fields there.
struct InspectedWord {
    int firstByte = 0;
    FieldType type = FieldType::Int32;
    FieldScalar scalar = FieldScalar::None;
    const TraceHeaderField* field = nullptr; // null for the extra key words

    int Width() const { return type == FieldType::Int16 ? 2 : 4; }
};

// The words followed: every standard field in byte order, then the extra
// key words.
const std::vector<InspectedWord>& InspectedWords();

// Index into InspectedWords() of the word of that width at that byte, or -1.
int InspectedWordIndex(int firstByte, FieldType type);

enum class CharacterKind {
    None,       // no trace seen
    Constant,   // one value throughout
    Increasing, // never decreases (strictly: changes on every trace)
    Decreasing, // never increases
    Stepped,    // monotonic, changing every `every` traces exactly
    Cycle,      // rises (or falls) and restarts, like a fast key
    Varying,    // anything else
};

// How one word behaves over the traces seen, in order.
struct WordCharacter {
    CharacterKind kind = CharacterKind::None;
    bool strict = false;  // Increasing/Decreasing: changes on every trace
    int64_t step = 0;     // the step, where all steps are alike, else 0
    int64_t stepGcd = 0;  // greatest common divisor of the main steps
    int64_t every = 0;    // Stepped or Cycle: traces between changes, else 0
    int64_t period = 0;   // Cycle: traces between restarts, 0 if irregular
    int64_t restarts = 0; // Cycle: how many times it restarted
    int64_t changes = 0;  // traces whose value differs from the trace before
    int64_t distinct = 0; // distinct values, or -1 for more than the bound
    int32_t first = 0;    // value of the first trace
    int32_t last = 0;     // value of the last trace
    int32_t restartValue = 0;
    // The scaled extremes, where a scalar applies (over the values and the
    // scalar each trace had); scalarChanges where the scalar itself varies.
    bool scaled = false;
    double scaledMin = 0, scaledMax = 0;
    bool scalarChanges = false;
};

// Names the kind for JSON and the table: "constant", "increasing", ...
const char* CharacterKindName(CharacterKind kind);

// One line for a user: "constant 0", "increases by 1 every 18 traces, 23
// values", "cycles from 1 to 240 by 1, restarting every 240 traces", ...
std::string DescribeCharacter(const WordCharacter& character, int32_t min, int32_t max);

// A key of the geometry: where it is and the values it takes.
struct KeyAxis {
    int firstByte = 0;
    int32_t first = 0;
    int32_t last = 0;
    int64_t step = 0;
    int64_t count = 0;
};

struct AreaExtent {
    bool known = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool scalarChanges = false;
};

enum class CoordinatePair { Cdp, Source, Receiver };
constexpr int kCoordinatePairs = 3;
// The bytes of the X word of each pair (the Y word follows it).
constexpr int kCoordinatePairX[kCoordinatePairs] = {181, 73, 81};
const char* CoordinatePairName(CoordinatePair pair);

struct SurveyGeometry {
    std::string kind = "unstructured"; // "3D", "2D", "prestack", "unstructured"
    std::string why;                   // what decided it, one sentence
    KeyAxis inlineKey, crosslineKey;   // 3D
    KeyAxis lineKey;                   // 2D: the trace key; prestack: the gather key
    int64_t gridTraces = 0;            // 3D: inline count times crossline count
    int64_t missingTraces = 0;         // 3D: grid positions without a trace
    // 3D: the grid's corners in coordinates, in the order (first inline,
    // first crossline), (first inline, last crossline), (last inline, last
    // crossline), (last inline, first crossline), where the coordinates
    // follow the grid.
    bool hasCorners = false;
    std::array<std::array<double, 2>, 4> corners{};
    int cornerPair = 0; // CoordinatePair the corners are in
    AreaExtent extents[kCoordinatePairs];
};

// Everything a full scan learns beyond the grid's tables.
class HeaderInspection {
public:
    HeaderInspection();
    ~HeaderInspection();
    HeaderInspection(const HeaderInspection&) = delete;
    HeaderInspection& operator=(const HeaderInspection&) = delete;

    // Forgets everything and prepares for a scan of `expectedTraces` traces
    // (the envelope's columns and the sample are spread over that many).
    void Start(int64_t expectedTraces, int32_t littleEndian);

    // Follows `count` headers, `stride` bytes apart, the first of them trace
    // `firstTrace`; they arrive in order. It touches nothing of the scan's
    // tables, so that it may run on a thread of its own.
    void Take(const unsigned char* first, int64_t count, int64_t stride, int64_t firstTrace);

    // Forgets everything, as before any scan.
    void Clear() { Start(0, 0); }

    // Takes each word's extremes, and the first traces holding them, from
    // the tables of the scan that fed this inspection; called before
    // Finish, which otherwise works the extremes out from the envelope.
    void TakeExtremes(const HeaderScanTables& tables);

    // Ends the scan; characters and geometry are worked out here.
    void Finish();

    bool Finished() const { return finished_; }
    int64_t TracesSeen() const { return seen_; }
    int32_t LittleEndian() const { return littleEndian_; }

    const WordCharacter& Character(int wordIndex) const { return characters_[wordIndex]; }
    // The extremes of a word over all traces seen.
    int32_t Min(int wordIndex) const { return min_[wordIndex]; }
    int32_t Max(int wordIndex) const { return max_[wordIndex]; }
    const SurveyGeometry& Geometry() const { return geometry_; }
    // The first trace holding a word's minimum and maximum (-1 for none),
    // as the scan's tables noted them.
    int64_t MinTrace(int wordIndex) const { return minTrace_[wordIndex]; }
    int64_t MaxTrace(int wordIndex) const { return maxTrace_[wordIndex]; }

    // The envelope: per column, the first trace and the extremes.
    int Columns() const { return static_cast<int>(columnUsed_.size()); }
    int64_t ColumnFirstTrace(int column) const;
    // A word's extremes in a column; false where the column holds no trace.
    bool ColumnRange(int column, int wordIndex, int32_t& min, int32_t& max) const;

    // The sampled headers, in trace order.
    int64_t Samples() const {
        return static_cast<int64_t>(sampleHeaders_.size()) / kTraceHeaderSize;
    }
    const unsigned char* SampleHeader(int64_t i) const;
    // A pair's scaled coordinates in a sampled header.
    void SampleCoordinates(int64_t i, CoordinatePair pair, double& x, double& y) const;

private:
    // Which column of the envelope a trace falls in: the traces expected
    // spread evenly over the columns, the last one taking any beyond.
    struct EnvelopeMap {
        int64_t columns = 1;
        int64_t traces = 1;
        // Each column's first trace, and after the last column's traces
        // none: looked up where changes move from column to column.
        std::vector<int64_t> starts;
        void Set(int64_t columnCount, int64_t traceCount) {
            columns = columnCount;
            traces = traceCount;
            starts.resize(static_cast<size_t>(columns) + 1);
            for (int64_t c = 0; c < columns; ++c)
                starts[static_cast<size_t>(c)] = FirstTrace(c);
            starts.back() = std::numeric_limits<int64_t>::max();
        }
        int64_t ColumnOf(int64_t trace) const {
            return std::min(columns - 1, trace * columns / traces);
        }
        int64_t FirstTrace(int64_t column) const {
            return (column * traces + columns - 1) / columns;
        }
        // The first trace after `column`'s; none after the last column.
        int64_t NextColumnStart(int64_t column) const {
            return starts[static_cast<size_t>(column) + 1];
        }
    };
    struct History;
    void TakeOne(const unsigned char* header, const unsigned char* previous, int64_t trace);
    template <bool kBigEndian>
    void FollowChangedWords(const unsigned char* header, const unsigned char* previous,
                            int64_t trace);
    // Follows headers from..count-1 of a block, each after the one before
    // it (the first after the last of the previous block); `changed` has
    // the bits of the header's 8-byte chunks that change in the block.
    template <bool kBigEndian>
    void FollowBlock(const unsigned char* first, int64_t from, int64_t count, int64_t stride,
                     int64_t firstTrace, const uint64_t* changed);
    // Follows one word down a block; `at` is its first byte in the block's
    // first header.
    template <bool kBigEndian, bool kTwoByte>
    static void FollowColumn(const unsigned char* at, int64_t from, int64_t count, int64_t stride,
                             int64_t firstTrace, History& history);
    void StartHistories(const unsigned char* header);
    // A word's extremes over the envelope's columns.
    void EnvelopeExtremes(int wordIndex, int32_t& min, int32_t& max) const;
    // Counts `count` traces from `firstTrace` into the columns they fall in.
    void CountIntoColumns(int64_t firstTrace, int64_t count);
    int32_t ScalarIn(const unsigned char* header, int kind) const;
    void WorkOutGeometry();

    int32_t littleEndian_ = 0;
    int64_t expected_ = 0;
    int64_t seen_ = 0;
    bool finished_ = false;
    std::vector<History> histories_;
    std::vector<WordCharacter> characters_;
    std::vector<int32_t> min_, max_;
    std::vector<int64_t> minTrace_, maxTrace_;
    bool extremesTaken_ = false;
    EnvelopeMap envelope_;
    std::vector<int64_t> columnUsed_; // traces seen of each column
    std::array<unsigned char, kTraceHeaderSize> previous_{};
    std::array<int32_t, 4> scalars_{}; // each scalar's value in the last trace
    std::vector<unsigned char> sampleHeaders_;
    int64_t nextSample_ = 0;
    SurveyGeometry geometry_;
};

} // namespace segy
