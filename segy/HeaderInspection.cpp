#include "segy/HeaderInspection.h"

#include "segy/ByteOrder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>

namespace segy {

namespace {

// 4-byte words outside the standard's 4-byte fields that files commonly use
// for inline and crossline numbers.
constexpr int kExtraKeyBytes[] = {221};

// Headers are compared with the one before them this many bytes at a time;
// only the words in chunks that differ are looked at further.
constexpr int kChunkBytes = 8;
constexpr int kChunks = kTraceHeaderSize / kChunkBytes;
constexpr int kMostWordsPerChunk = 8;

// Slots of a word's set of distinct values: twice the bound keeps probing
// short.
constexpr int kDistinctSlots = 2 * kDistinctValueBound;
constexpr int64_t kEmptySlot = std::numeric_limits<int64_t>::min();
// Values within this window around a word's first value are counted in a
// bitmap: a bit test where a hash set would probe memory.
constexpr int64_t kWindowValues = 1 << 16;
// The scalars that apply to other words, in FieldScalar order after None.
constexpr FieldScalar kScalars[] = {FieldScalar::Elevation, FieldScalar::Coordinate,
                                    FieldScalar::Time, FieldScalar::ShotPoint};
constexpr int kScalarKinds = 4;

// Where keys are looked for: the standard's inline and crossline words
// first, then the words users' files commonly hold them in.
constexpr int kSlowKeyBytes[] = {189, 193, 9, 17, 21, 221, 5, 1, 13, 25, 197};
constexpr int kFastKeyBytes[] = {193, 189, 21, 13, 25, 9, 17, 225, 221, 1, 5, 197};
// Words that number the traces of a 2D line.
constexpr int kLineKeyBytes[] = {21, 197, 17};
// Words that number gathers of a prestack file.
constexpr int kGatherKeyBytes[] = {9, 21, 17, 189, 193, 197};
constexpr int kOffsetByte = 37;
// Words that number the traces within a gather: channel, ensemble trace.
constexpr int kWithinGatherBytes[] = {13, 25};
// More missing than present grid positions: not a grid worth naming.
constexpr double kMostMissingShare = 0.5;
// Lines, bins, shotpoints and gathers are numbered in small steps. A word
// that moves by more than this holds something else (noise, a coordinate,
// the bits of a floating-point number) however few traces it is seen in.
constexpr int64_t kMostKeyStep = 100000;

struct ChunkWords {
    int count = 0;
    int words[kMostWordsPerChunk] = {};
    int offsets[kMostWordsPerChunk] = {}; // 0-based byte of each word
    bool twoByte[kMostWordsPerChunk] = {};
    // The word's bytes within the chunk as loaded in the host's order.
    uint64_t masks[kMostWordsPerChunk] = {};
};

struct WordTable {
    std::vector<InspectedWord> words;
    std::array<ChunkWords, kChunks> chunks{};
    // The words each scalar applies to.
    std::array<std::vector<int>, kScalarKinds> scaledBy;
    // Where each scalar lies: its chunk and its bytes' mask there.
    std::array<int, kScalarKinds> scalarChunk{};
    std::array<uint64_t, kScalarKinds> scalarMask{};
};

int ScalarKindIndex(FieldScalar scalar) {
    for (int k = 0; k < kScalarKinds; ++k)
        if (kScalars[k] == scalar)
            return k;
    return -1;
}

const WordTable& Table() {
    static const WordTable table = [] {
        WordTable t;
        for (const TraceHeaderField& field : StandardTraceHeaderFields())
            t.words.push_back({field.firstByte, field.type, field.scalar, &field});
        for (int byte : kExtraKeyBytes)
            t.words.push_back({byte, FieldType::Int32, FieldScalar::None, nullptr});
        for (int i = 0; i < static_cast<int>(t.words.size()); ++i)
            if (const int k = ScalarKindIndex(t.words[i].scalar); k >= 0)
                t.scaledBy[k].push_back(i);
        for (int i = 0; i < static_cast<int>(t.words.size()); ++i) {
            const int offset = t.words[i].firstByte - 1;
            const int firstChunk = offset / kChunkBytes;
            const int lastChunk = (offset + t.words[i].Width() - 1) / kChunkBytes;
            for (int c = firstChunk; c <= lastChunk; ++c)
                if (ChunkWords& chunk = t.chunks[c]; chunk.count < kMostWordsPerChunk) {
                    chunk.words[chunk.count] = i;
                    chunk.offsets[chunk.count] = offset;
                    chunk.twoByte[chunk.count] = t.words[i].type == FieldType::Int16;
                    unsigned char bytes[kChunkBytes] = {};
                    for (int b = 0; b < t.words[i].Width(); ++b)
                        if (offset + b >= c * kChunkBytes && offset + b < (c + 1) * kChunkBytes)
                            bytes[offset + b - c * kChunkBytes] = 0xFF;
                    std::memcpy(&chunk.masks[chunk.count], bytes, kChunkBytes);
                    for (int k = 0; k < kScalarKinds; ++k)
                        if (t.words[i].type == FieldType::Int16 &&
                            t.words[i].firstByte == ScalarFieldByte(kScalars[k])) {
                            t.scalarChunk[k] = c;
                            t.scalarMask[k] = chunk.masks[chunk.count];
                        }
                    ++chunk.count;
                }
        }
        return t;
    }();
    return table;
}

int32_t WordValue(const unsigned char* header, const InspectedWord& word, int32_t littleEndian) {
    return HeaderWordValue(header, word.firstByte, word.type, littleEndian);
}

// The changes of a word in one direction (up or down): their sizes and
// where they happen.
struct DirectionRun {
    int64_t count = 0;
    int64_t step = 0;
    bool stepsAlike = true;
    int64_t gcd = 0;
    int64_t firstTrace = -1;
    int64_t lastTrace = -1;
    int64_t interval = 0;
    bool intervalsAlike = true;
    int32_t valueAfter = 0;
    bool valuesAfterAlike = true;

    void Note(int64_t size, int64_t trace, int32_t value) {
        if (count == 0) {
            step = gcd = size;
            firstTrace = trace;
            valueAfter = value;
        } else {
            // Once the divisor is 1 it stays 1; most irregular words get
            // there within a few changes.
            if (size != step && gcd != 1) {
                stepsAlike = false;
                gcd = std::gcd(gcd, size);
            } else if (size != step) {
                stepsAlike = false;
            }
            const int64_t gap = trace - lastTrace;
            if (count == 1)
                interval = gap;
            else if (gap != interval)
                intervalsAlike = false;
            if (value != valueAfter)
                valuesAfterAlike = false;
        }
        lastTrace = trace;
        ++count;
    }
};

uint64_t HashValue(int32_t value) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(value)) * 0x9E3779B97F4A7C15ull) >> 40;
}

std::string ValueCount(int64_t distinct) {
    if (distinct < 0)
        return "more than " + std::to_string(kDistinctValueBound) + " values";
    return std::to_string(distinct) + (distinct == 1 ? " value" : " values");
}

std::string TraceCount(int64_t traces) {
    return traces == 1 ? "each trace" : "every " + std::to_string(traces) + " traces";
}

} // namespace

struct HeaderInspection::History {
    int32_t prev = 0;
    int32_t first = 0;
    int64_t changes = 0;
    DirectionRun up, down;
    int64_t runStart = 0;
    int64_t firstRun = 0;
    bool runsAlike = true;
    // Distinct values: a bit per value in a window around the first one,
    // where nearly all values of a header word fall, and a hash set for the
    // values outside it. Both are made at the first change.
    std::unique_ptr<uint64_t[]> window;
    int64_t windowBase = 0;
    std::unique_ptr<int64_t[]> slots;
    int distinct = 1;
    bool saturated = false;
    // The extremes since the scalar that applies last changed.
    int32_t segmentMin = 0, segmentMax = 0;
    bool scaled = false;
    double scaledMin = 0, scaledMax = 0;
    // The envelope: the word's extremes in every column up to `column`,
    // the one it last changed in, made at its first change. From there on
    // it holds `prev` in every column, as a word that never changes holds
    // its first value in all.
    const EnvelopeMap* map = nullptr;
    std::unique_ptr<int32_t[]> columnMin, columnMax;
    int64_t column = 0;
    int64_t columnEnd = 0; // the first trace after the column's

    // Enters a change to `value` at `trace` into the envelope, the word
    // having held `held` since the change before.
    void EnterColumn(int32_t value, int32_t held, int64_t trace) {
        if (!columnMin) {
            // Entries are written as columns are reached, never read before.
            columnMin =
                std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(map->columns));
            columnMax =
                std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(map->columns));
            columnMin[column] = columnMax[column] = held;
        }
        if (trace >= columnEnd) {
            // Mostly the next column; a word that held on, one further on.
            int64_t to = column + 1;
            if (trace >= map->NextColumnStart(to)) {
                to = map->ColumnOf(trace);
                for (int64_t c = column + 1; c < to; ++c)
                    columnMin[c] = columnMax[c] = held;
            }
            // The value held on from before counts where the column's
            // first trace still holds it.
            const bool heldOn = trace > (to == column + 1 ? columnEnd : map->FirstTrace(to));
            column = to;
            columnEnd = map->NextColumnStart(to);
            columnMin[to] = columnMax[to] = heldOn ? held : value;
        }
        columnMin[column] = std::min(columnMin[column], value);
        columnMax[column] = std::max(columnMax[column], value);
    }

    // The word's extremes in `column`.
    void ColumnRange(int64_t c, int32_t& min, int32_t& max) const {
        if (!columnMin || c > column) {
            min = max = prev;
        } else {
            min = columnMin[c];
            max = columnMax[c];
        }
    }

    void MakeWindow() {
        window = std::make_unique<uint64_t[]>(kWindowValues / 64);
        windowBase = int64_t{first} - kWindowValues / 2;
        const uint64_t at = static_cast<uint64_t>(first - windowBase);
        window[at / 64] |= uint64_t{1} << (at % 64);
    }

    // Counts the values low, low + 1, ... high as Count would one by one: a
    // run of a counter, bits set a word at a time where the window holds it.
    void CountRange(int64_t low, int64_t high) {
        if (saturated)
            return;
        if (!window)
            MakeWindow();
        if (low - windowBase < 0 || high - windowBase >= kWindowValues) {
            for (int64_t v = low; v <= high && !saturated; ++v)
                Count(static_cast<int32_t>(v));
            return;
        }
        const auto from = static_cast<uint64_t>(low - windowBase);
        const auto to = static_cast<uint64_t>(high - windowBase);
        int64_t fresh = 0;
        for (uint64_t w = from / 64; w <= to / 64; ++w) {
            const uint64_t lowBits = w == from / 64 ? ~uint64_t{0} << (from % 64) : ~uint64_t{0};
            const uint64_t highBits = w == to / 64 ? ~uint64_t{0} >> (63 - to % 64) : ~uint64_t{0};
            fresh += std::popcount(~window[w] & lowBits & highBits);
        }
        // Counted one by one, the value that finds the bound reached ends
        // the counting.
        if (distinct + fresh > kDistinctValueBound)
            return Saturate();
        for (uint64_t w = from / 64; w <= to / 64; ++w) {
            const uint64_t lowBits = w == from / 64 ? ~uint64_t{0} << (from % 64) : ~uint64_t{0};
            const uint64_t highBits = w == to / 64 ? ~uint64_t{0} >> (63 - to % 64) : ~uint64_t{0};
            window[w] |= lowBits & highBits;
        }
        distinct += static_cast<int>(fresh);
    }

    // Counts a value, unless it was counted before.
    void Count(int32_t value) {
        if (saturated)
            return;
        if (!window)
            MakeWindow();
        const uint64_t at = static_cast<uint64_t>(int64_t{value} - windowBase);
        if (at < kWindowValues) {
            uint64_t& bits = window[at / 64];
            const uint64_t bit = uint64_t{1} << (at % 64);
            if (bits & bit)
                return;
            if (distinct == kDistinctValueBound)
                return Saturate();
            bits |= bit;
            ++distinct;
            return;
        }
        if (!slots) {
            slots = std::make_unique<int64_t[]>(kDistinctSlots);
            std::fill(slots.get(), slots.get() + kDistinctSlots, kEmptySlot);
        }
        for (uint64_t i = HashValue(value) % kDistinctSlots;; i = (i + 1) % kDistinctSlots) {
            if (slots[i] == value)
                return;
            if (slots[i] == kEmptySlot) {
                if (distinct == kDistinctValueBound)
                    return Saturate();
                slots[i] = value;
                ++distinct;
                return;
            }
        }
    }

    void Saturate() {
        saturated = true;
        window.reset();
        slots.reset();
    }

    void Start(int32_t value, const EnvelopeMap& envelope) {
        *this = History();
        prev = first = segmentMin = segmentMax = value;
        map = &envelope;
        columnEnd = envelope.NextColumnStart(0);
    }

    // The changes at `n` traces `every` traces apart from `trace`, each by
    // `step` (not 0) from the one before: value, value + step, ... (the
    // word holding each value until the next change). As `n` calls of
    // Change, which the first two are; after them every further change is
    // as far from the last and of the same size, so that only counts, the
    // last value and trace, the extremes and the distinct values move.
    void ChangeRun(int32_t value, int64_t step, int64_t n, int64_t trace, int64_t every = 1) {
        Change(value, trace);
        if (n < 2)
            return;
        Change(static_cast<int32_t>(value + step), trace + every);
        const int64_t rest = n - 2;
        if (rest == 0)
            return;
        const int64_t lastTrace = trace + every * (n - 1);
        const auto last = static_cast<int32_t>(value + step * (n - 1));
        // Into the envelope a column at a time: the run moves one way, so
        // its first and last values in a column are its extremes there.
        auto held = static_cast<int32_t>(value + step);
        for (int64_t k = 2; k < n;) {
            EnterColumn(static_cast<int32_t>(value + step * k), held, trace + every * k);
            const int64_t lastHere = std::min(n - 1, (columnEnd - 1 - trace) / every);
            held = static_cast<int32_t>(value + step * lastHere);
            columnMin[column] = std::min(columnMin[column], held);
            columnMax[column] = std::max(columnMax[column], held);
            k = lastHere + 1;
        }
        DirectionRun& direction = step > 0 ? up : down;
        direction.count += rest;
        direction.lastTrace = lastTrace;
        runStart = lastTrace;
        changes += rest;
        prev = last;
        segmentMin = std::min(segmentMin, std::min(last, value));
        segmentMax = std::max(segmentMax, std::max(last, value));
        if (step == 1 || step == -1)
            CountRange(std::min<int64_t>(value + 2 * step, last),
                       std::max<int64_t>(value + 2 * step, last));
        else
            for (int64_t k = 2; k < n && !saturated; ++k)
                Count(static_cast<int32_t>(value + step * k));
    }

    void Change(int32_t value, int64_t trace) {
        const int64_t delta = int64_t{value} - prev;
        if (delta > 0)
            up.Note(delta, trace, value);
        else
            down.Note(-delta, trace, value);
        const int64_t run = trace - runStart;
        if (changes == 0)
            firstRun = run;
        else if (run != firstRun)
            runsAlike = false;
        runStart = trace;
        ++changes;
        EnterColumn(value, prev, trace);
        prev = value;
        segmentMin = std::min(segmentMin, value);
        segmentMax = std::max(segmentMax, value);
        Count(value);
    }

    // Enters the extremes since the scalar last changed, scaled by it (a
    // scalar keeps the order of values), and starts again from `value`.
    void EndSegment(int32_t scalar, int32_t value) {
        for (double v : {ApplyScalar(segmentMin, scalar), ApplyScalar(segmentMax, scalar)}) {
            scaledMin = scaled ? std::min(scaledMin, v) : v;
            scaledMax = scaled ? std::max(scaledMax, v) : v;
            scaled = true;
        }
        segmentMin = segmentMax = value;
    }
};

const std::vector<InspectedWord>& InspectedWords() {
    return Table().words;
}

int InspectedWordIndex(int firstByte, FieldType type) {
    const auto& words = Table().words;
    for (int i = 0; i < static_cast<int>(words.size()); ++i)
        if (words[i].firstByte == firstByte && words[i].type == type)
            return i;
    return -1;
}

const char* CharacterKindName(CharacterKind kind) {
    switch (kind) {
    case CharacterKind::Constant:
        return "constant";
    case CharacterKind::Increasing:
        return "increasing";
    case CharacterKind::Decreasing:
        return "decreasing";
    case CharacterKind::Stepped:
        return "stepped";
    case CharacterKind::Cycle:
        return "cycle";
    case CharacterKind::Varying:
        return "varying";
    default:
        return "none";
    }
}

std::string DescribeCharacter(const WordCharacter& c, int32_t min, int32_t max) {
    const std::string values = ValueCount(c.distinct);
    const bool rising = c.last >= c.first;
    const std::string verb = rising ? "increases" : "decreases";
    switch (c.kind) {
    case CharacterKind::None:
        return "no traces";
    case CharacterKind::Constant:
        return "constant " + std::to_string(c.first);
    case CharacterKind::Increasing:
    case CharacterKind::Decreasing:
        if (c.strict && c.step)
            return verb + " by " + std::to_string(std::abs(c.step)) + " each trace, " + values;
        return verb + (c.strict ? " on every trace, " : ", not on every trace, ") + values;
    case CharacterKind::Stepped:
        // The verb gives the direction; the step is its size.
        return verb + (c.step ? " by " + std::to_string(std::abs(c.step)) : std::string()) + " " +
               TraceCount(c.every) + ", " + values;
    case CharacterKind::Cycle: {
        std::string text = "cycles from " + std::to_string(c.restartValue) + " to " +
                           std::to_string(c.restartValue == min ? max : min) +
                           (c.step ? " by " + std::to_string(c.step) : " in uneven steps");
        if (c.every > 1)
            text += " " + TraceCount(c.every);
        if (c.period)
            return text + ", restarting every " + std::to_string(c.period) + " traces";
        return text + ", restarting " + std::to_string(c.restarts) + " times irregularly, " +
               values;
    }
    case CharacterKind::Varying:
        return "varies, " + values;
    }
    return {};
}

const char* CoordinatePairName(CoordinatePair pair) {
    switch (pair) {
    case CoordinatePair::Cdp:
        return "CDP";
    case CoordinatePair::Source:
        return "Source";
    default:
        return "Receiver";
    }
}

HeaderInspection::HeaderInspection() = default;
HeaderInspection::~HeaderInspection() = default;

void HeaderInspection::Start(int64_t expectedTraces, int32_t littleEndian) {
    littleEndian_ = littleEndian;
    expected_ = std::max<int64_t>(expectedTraces, 0);
    seen_ = 0;
    finished_ = false;
    extremesTaken_ = false;
    const size_t words = InspectedWords().size();
    histories_.clear();
    histories_.resize(words);
    characters_.assign(words, WordCharacter());
    min_.assign(words, 0);
    max_.assign(words, 0);
    minTrace_.assign(words, -1);
    maxTrace_.assign(words, -1);
    envelope_.Set(std::clamp<int64_t>(expected_, 1, kEnvelopeColumns),
                  std::max<int64_t>(expected_, 1));
    columnUsed_.assign(static_cast<size_t>(envelope_.columns), 0);
    sampleHeaders_.clear();
    const auto samples = static_cast<size_t>(std::min<int64_t>(expected_, kSampledHeaders));
    sampleHeaders_.reserve(samples * kTraceHeaderSize);
    nextSample_ = 0;
    geometry_ = SurveyGeometry();
}

int64_t HeaderInspection::ColumnFirstTrace(int column) const {
    return envelope_.FirstTrace(column);
}

void HeaderInspection::CountIntoColumns(int64_t firstTrace, int64_t count) {
    for (int64_t h = 0; h < count;) {
        const int64_t trace = firstTrace + h;
        const int64_t column = envelope_.ColumnOf(trace);
        const int64_t n = std::min(count - h, envelope_.NextColumnStart(column) - trace);
        columnUsed_[static_cast<size_t>(column)] += n;
        h += n;
    }
}

bool HeaderInspection::ColumnRange(int column, int wordIndex, int32_t& min, int32_t& max) const {
    if (column < 0 || column >= Columns() || columnUsed_[column] == 0)
        return false;
    histories_[wordIndex].ColumnRange(column, min, max);
    return true;
}

void HeaderInspection::TakeExtremes(const HeaderScanTables& tables) {
    const auto& words = InspectedWords();
    for (size_t w = 0; w < words.size(); ++w) {
        // Every inspected word lies on its own width's boundary, so it is
        // one row of the tables.
        const TableExtremes e = ExtremesAt(tables, words[w].firstByte, words[w].type);
        min_[w] = e.min;
        max_[w] = e.max;
        minTrace_[w] = e.minTrace;
        maxTrace_[w] = e.maxTrace;
    }
    extremesTaken_ = true;
}

const unsigned char* HeaderInspection::SampleHeader(int64_t i) const {
    return sampleHeaders_.data() + i * kTraceHeaderSize;
}

void HeaderInspection::SampleCoordinates(int64_t i, CoordinatePair pair, double& x,
                                         double& y) const {
    const unsigned char* header = SampleHeader(i);
    const int scalar = static_cast<int16_t>(
        Load16(header + ScalarFieldByte(FieldScalar::Coordinate) - 1, littleEndian_));
    const int xByte = kCoordinatePairX[static_cast<int>(pair)];
    x = ApplyScalar(static_cast<int32_t>(Load32(header + xByte - 1, littleEndian_)), scalar);
    y = ApplyScalar(static_cast<int32_t>(Load32(header + xByte + 3, littleEndian_)), scalar);
}

int32_t HeaderInspection::ScalarIn(const unsigned char* header, int kind) const {
    return static_cast<int16_t>(
        Load16(header + ScalarFieldByte(kScalars[kind]) - 1, littleEndian_));
}

void HeaderInspection::StartHistories(const unsigned char* header) {
    const auto& words = InspectedWords();
    for (size_t i = 0; i < words.size(); ++i)
        histories_[i].Start(WordValue(header, words[i], littleEndian_), envelope_);
    for (int k = 0; k < kScalarKinds; ++k)
        scalars_[k] = ScalarIn(header, k);
}

void HeaderInspection::TakeOne(const unsigned char* header, const unsigned char* previous,
                               int64_t trace) {
    const WordTable& table = Table();
    // Where a scalar changes, the words it applies to end their segment
    // before any of them takes this trace's value.
    for (int k = 0; k < kScalarKinds; ++k) {
        const int32_t scalar = ScalarIn(header, k);
        if (scalar == scalars_[k])
            continue;
        for (int w : table.scaledBy[k])
            histories_[w].EndSegment(scalars_[k], WordValue(header, table.words[w], littleEndian_));
        scalars_[k] = scalar;
    }
    if (littleEndian_)
        FollowChangedWords<false>(header, previous, trace);
    else
        FollowChangedWords<true>(header, previous, trace);
}

template <bool kBigEndian>
void HeaderInspection::FollowChangedWords(const unsigned char* header,
                                          const unsigned char* previous, int64_t trace) {
    const WordTable& table = Table();
    for (int c = 0; c < kChunks; ++c) {
        uint64_t now, before;
        std::memcpy(&now, header + c * kChunkBytes, kChunkBytes);
        std::memcpy(&before, previous + c * kChunkBytes, kChunkBytes);
        const uint64_t changed = now ^ before;
        if (changed == 0)
            continue;
        const ChunkWords& chunk = table.chunks[c];
        for (int k = 0; k < chunk.count; ++k) {
            // Only the words whose own bytes differ are decoded.
            if ((changed & chunk.masks[k]) == 0)
                continue;
            const unsigned char* at = header + chunk.offsets[k];
            const int32_t value =
                chunk.twoByte[k]
                    ? static_cast<int16_t>(kBigEndian ? LoadBig16(at) : LoadLittle16(at))
                    : static_cast<int32_t>(kBigEndian ? LoadBig32(at) : LoadLittle32(at));
            histories_[chunk.words[k]].Change(value, trace);
        }
    }
}

void HeaderInspection::Take(const unsigned char* first, int64_t count, int64_t stride,
                            int64_t firstTrace) {
    if (count <= 0)
        return;
    int64_t from = 0;
    if (firstTrace == 0) {
        StartHistories(first);
        from = 1;
    }
    // The bytes that change anywhere in the block, a chunk at a time: a
    // loop without branches over contiguous bytes, which also brings the
    // block into the cache for what follows. Bytes that never change need
    // no following header by header.
    uint64_t changed[kChunks] = {};
    for (int64_t h = from; h < count; ++h) {
        const unsigned char* header = first + h * stride;
        const unsigned char* before = h ? header - stride : previous_.data();
        for (int c = 0; c < kChunks; ++c) {
            uint64_t now, then;
            std::memcpy(&now, header + c * kChunkBytes, kChunkBytes);
            std::memcpy(&then, before + c * kChunkBytes, kChunkBytes);
            changed[c] |= now ^ then;
        }
    }
    CountIntoColumns(firstTrace, count);
    if (from < count) {
        if (littleEndian_)
            FollowBlock<false>(first, from, count, stride, firstTrace, changed);
        else
            FollowBlock<true>(first, from, count, stride, firstTrace, changed);
    }
    for (int64_t h = 0; h < count; ++h) {
        const int64_t trace = firstTrace + h;
        if (trace != nextSample_ || Samples() >= kSampledHeaders)
            continue;
        const unsigned char* header = first + h * stride;
        sampleHeaders_.insert(sampleHeaders_.end(), header, header + kTraceHeaderSize);
        // Spread the sample evenly with a jitter, so that no period of the
        // file's keys can line up with it.
        const int64_t i = Samples();
        if (expected_ <= kSampledHeaders) {
            nextSample_ = trace + 1;
        } else {
            const double share = static_cast<double>(expected_) / kSampledHeaders;
            // The fractional part, exactly as fmod gives it for positive
            // numbers, without fmod's cost on every sampled header.
            const double turns = static_cast<double>(i) * 0.6180339887498949;
            const double jitter = turns - std::floor(turns);
            nextSample_ = std::max(trace + 1, static_cast<int64_t>((i + jitter) * share));
        }
    }
    std::memcpy(previous_.data(), first + (count - 1) * stride, kTraceHeaderSize);
    seen_ = firstTrace + count;
}

template <bool kBigEndian>
void HeaderInspection::FollowBlock(const unsigned char* first, int64_t from, int64_t count,
                                   int64_t stride, int64_t firstTrace, const uint64_t* changed) {
    const WordTable& table = Table();
    // Where a scalar changes within the block, the words it scales need
    // each trace's scalar in trace order: the block is followed trace by
    // trace. Elsewhere each changing word is followed down the block on
    // its own, its history staying in the cache and its branches in step.
    for (int k = 0; k < kScalarKinds; ++k)
        if (changed[table.scalarChunk[k]] & table.scalarMask[k]) {
            for (int64_t h = from; h < count; ++h) {
                const unsigned char* header = first + h * stride;
                TakeOne(header, h ? header - stride : previous_.data(), firstTrace + h);
            }
            return;
        }
    for (int c = 0; c < kChunks; ++c) {
        if (!changed[c])
            continue;
        const ChunkWords& chunk = table.chunks[c];
        for (int k = 0; k < chunk.count; ++k) {
            if (!(changed[c] & chunk.masks[k]))
                continue;
            History& history = histories_[chunk.words[k]];
            const unsigned char* at = first + chunk.offsets[k];
            if (chunk.twoByte[k])
                FollowColumn<kBigEndian, true>(at, from, count, stride, firstTrace, history);
            else
                FollowColumn<kBigEndian, false>(at, from, count, stride, firstTrace, history);
        }
    }
}

template <bool kBigEndian, bool kTwoByte>
void HeaderInspection::FollowColumn(const unsigned char* at, int64_t from, int64_t count,
                                    int64_t stride, int64_t firstTrace, History& history) {
    auto valueAt = [&](int64_t h) {
        const unsigned char* p = at + h * stride;
        return kTwoByte ? static_cast<int16_t>(kBigEndian ? LoadBig16(p) : LoadLittle16(p))
                        : static_cast<int32_t>(kBigEndian ? LoadBig32(p) : LoadLittle32(p));
    };
    int32_t previous = history.prev;
    for (int64_t h = from; h < count;) {
        const int32_t value = valueAt(h);
        if (value == previous) {
            ++h;
            continue;
        }
        // Counters and coordinates change by the same step on trace after
        // trace: such a run is taken whole.
        const int64_t step = int64_t{value} - previous;
        int64_t end = h + 1;
        int32_t last = value;
        while (end < count) {
            const int32_t next = valueAt(end);
            if (int64_t{next} - last != step)
                break;
            last = next;
            ++end;
        }
        if (end > h + 1) {
            history.ChangeRun(value, step, end - h, firstTrace + h);
            previous = last;
            h = end;
            continue;
        }
        // Keys that move every few traces (a CDP number every second trace,
        // a shot number every channel count) change by the same step as
        // many traces apart: such a stretch is taken whole too.
        int64_t next = h + 1;
        while (next < count && valueAt(next) == value)
            ++next;
        int64_t changes = 1;
        int64_t every = next - h;
        if (next < count && int64_t{valueAt(next)} - value == step) {
            last = value;
            for (int64_t k = next;; k += every) {
                // Change k holds from k on; the stretch goes on while the
                // next change comes as far on, by the same step.
                last = static_cast<int32_t>(last + step);
                ++changes;
                int64_t held = k + 1;
                while (held < count && held < k + every && valueAt(held) == last)
                    ++held;
                if (held < k + every || held >= count || int64_t{valueAt(held)} - last != step)
                    break;
            }
        }
        history.ChangeRun(value, step, changes, firstTrace + h, every);
        previous = static_cast<int32_t>(value + step * (changes - 1));
        // Up to `next` a single change's value only held on.
        h = changes == 1 ? next : h + every * (changes - 1) + 1;
    }
}

void HeaderInspection::EnvelopeExtremes(int wordIndex, int32_t& min, int32_t& max) const {
    bool any = false;
    for (int c = 0; c < Columns(); ++c) {
        int32_t a, b;
        if (!ColumnRange(c, wordIndex, a, b))
            continue;
        min = any ? std::min(min, a) : a;
        max = any ? std::max(max, b) : b;
        any = true;
    }
}

void HeaderInspection::Finish() {
    const auto& words = InspectedWords();
    if (seen_ > 0)
        for (int k = 0; k < kScalarKinds; ++k)
            for (int w : Table().scaledBy[k])
                histories_[w].EndSegment(scalars_[k], histories_[w].prev);
    for (size_t w = 0; w < words.size(); ++w) {
        if (seen_ == 0) {
            min_[w] = 0;
            max_[w] = 0;
        } else if (!extremesTaken_) {
            EnvelopeExtremes(static_cast<int>(w), min_[w], max_[w]);
        }

        const History& h = histories_[w];
        WordCharacter& c = characters_[w];
        c = WordCharacter();
        if (seen_ == 0)
            continue;
        c.first = h.first;
        c.last = h.prev;
        c.changes = h.changes;
        c.distinct = h.saturated ? -1 : h.distinct;
        c.scaled = h.scaled;
        c.scaledMin = h.scaledMin;
        c.scaledMax = h.scaledMax;
        if (words[w].scalar != FieldScalar::None) {
            const int s = InspectedWordIndex(ScalarFieldByte(words[w].scalar), FieldType::Int16);
            c.scalarChanges = s >= 0 && histories_[s].changes > 0;
        }
        if (h.changes == 0) {
            c.kind = CharacterKind::Constant;
            continue;
        }
        // The run still open at the end may be cut short, not longer.
        const bool runsAlike = h.runsAlike && seen_ - h.runStart <= h.firstRun;
        if (h.up.count == 0 || h.down.count == 0) {
            const DirectionRun& main = h.up.count ? h.up : h.down;
            const int64_t sign = h.up.count ? 1 : -1;
            c.step = main.stepsAlike ? sign * main.step : 0;
            c.stepGcd = sign * main.gcd;
            c.strict = h.changes == seen_ - 1;
            if (!c.strict && runsAlike) {
                c.kind = CharacterKind::Stepped;
                c.every = h.firstRun;
            } else {
                c.kind = h.up.count ? CharacterKind::Increasing : CharacterKind::Decreasing;
            }
            continue;
        }
        const bool rising = h.up.count != h.down.count ? h.up.count > h.down.count
                                                       : h.up.firstTrace < h.down.firstTrace;
        const DirectionRun& main = rising ? h.up : h.down;
        const DirectionRun& back = rising ? h.down : h.up;
        // Regular: every cycle as long as the first, each starting again
        // from the first trace's value.
        const bool regular =
            back.valuesAfterAlike && back.valueAfter == h.first &&
            (back.count == 1 || (back.intervalsAlike && back.interval == back.firstTrace)) &&
            seen_ - back.lastTrace <= back.firstTrace;
        // Restarts are rarer than steps, unless the cycles are regular
        // ones of two values.
        if (back.count * 2 >= main.count && !(regular && main.stepsAlike)) {
            c.kind = CharacterKind::Varying;
            continue;
        }
        c.kind = CharacterKind::Cycle;
        const int64_t sign = rising ? 1 : -1;
        c.step = main.stepsAlike ? sign * main.step : 0;
        c.stepGcd = sign * main.gcd;
        c.restarts = back.count;
        c.restartValue = h.first;
        c.every = runsAlike ? h.firstRun : 0;
        c.period = regular ? back.firstTrace : 0;
    }
    finished_ = true;
    WorkOutGeometry();
}

namespace {

struct KeyCandidate {
    int word = -1;
    const WordCharacter* c = nullptr;
    int32_t min = 0, max = 0;
};

// The axis a key spans: from its first to its last value in the
// direction it runs, in steps of the greatest common step.
KeyAxis AxisOf(const KeyCandidate& k, int64_t stepGcd) {
    KeyAxis axis;
    axis.firstByte = InspectedWords()[k.word].firstByte;
    const bool rising = stepGcd > 0;
    axis.first = rising ? k.min : k.max;
    axis.last = rising ? k.max : k.min;
    axis.step = stepGcd;
    const int64_t size = std::llabs(stepGcd);
    axis.count = size ? (int64_t{k.max} - k.min) / size + 1 : 1;
    return axis;
}

// "CDP (bytes 21-24)": a word's name and place, for the geometry's reason.
std::string WordLabel(int wordIndex) {
    const InspectedWord& w = InspectedWords()[wordIndex];
    return (w.field ? std::string(w.field->name) : std::string("the word")) + " (bytes " +
           std::to_string(w.firstByte) + "-" + std::to_string(w.firstByte + w.Width() - 1) + ")";
}

// The standard's inline and crossline words.
bool IsStandardGridByte(int byte) {
    return byte == 189 || byte == 193;
}

// Whether a key's steps could number lines, bins or gathers.
bool NumberingStep(int64_t step) {
    return step != 0 && std::llabs(step) <= kMostKeyStep;
}

// A key that holds each value for a run of traces and moves one way.
bool Repeats(const WordCharacter& c) {
    const bool monotonic =
        c.kind == CharacterKind::Increasing || c.kind == CharacterKind::Decreasing;
    return (c.kind == CharacterKind::Stepped || (monotonic && !c.strict)) && c.changes > 0 &&
           NumberingStep(c.stepGcd);
}

// A gather key's axis, counting the values it holds where they were
// counted.
KeyAxis GatherAxis(const KeyCandidate& k) {
    KeyAxis axis = AxisOf(k, k.c->stepGcd);
    if (k.c->distinct > 0)
        axis.count = k.c->distinct;
    return axis;
}

// Solves the 3x3 system m * a = v; false when it is singular.
bool Solve3(double m[3][3], const double v[3], double a[3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!std::isfinite(det) || std::fabs(det) < 1e-9)
        return false;
    for (int col = 0; col < 3; ++col) {
        double t[3][3];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                t[r][k] = k == col ? v[r] : m[r][k];
        a[col] = (t[0][0] * (t[1][1] * t[2][2] - t[1][2] * t[2][1]) -
                  t[0][1] * (t[1][0] * t[2][2] - t[1][2] * t[2][0]) +
                  t[0][2] * (t[1][0] * t[2][1] - t[1][1] * t[2][0])) /
                 det;
    }
    return true;
}

} // namespace

void HeaderInspection::WorkOutGeometry() {
    SurveyGeometry& g = geometry_;
    g = SurveyGeometry();
    for (int p = 0; p < kCoordinatePairs; ++p) {
        const int x = InspectedWordIndex(kCoordinatePairX[p], FieldType::Int32);
        const int y = InspectedWordIndex(kCoordinatePairX[p] + 4, FieldType::Int32);
        AreaExtent& e = g.extents[p];
        e.known = seen_ > 0 && characters_[x].scaled && characters_[y].scaled;
        e.minX = characters_[x].scaledMin;
        e.maxX = characters_[x].scaledMax;
        e.minY = characters_[y].scaledMin;
        e.maxY = characters_[y].scaledMax;
        e.scalarChanges = characters_[x].scalarChanges;
    }
    const auto key = [&](int byte) {
        KeyCandidate k;
        k.word = InspectedWordIndex(byte, FieldType::Int32);
        if (k.word >= 0) {
            k.c = &characters_[k.word];
            k.min = min_[k.word];
            k.max = max_[k.word];
        }
        return k;
    };
    const std::string partial = seen_ < expected_
                                    ? " (from the first " + std::to_string(seen_) + " of " +
                                          std::to_string(expected_) + " traces)"
                                    : std::string();
    if (seen_ == 0) {
        g.why = "No trace header was read.";
        return;
    }
    if (seen_ == 1) {
        g.why = "The file holds one trace: there is nothing to compare it with.";
        return;
    }
    if (std::all_of(characters_.begin(), characters_.end(),
                    [](const WordCharacter& c) { return c.kind == CharacterKind::Constant; })) {
        g.why = "Every header word is the same in every trace.";
        return;
    }

    // 3D: a slow key that steps and a fast key that restarts whenever it
    // steps, their value counts covering the traces with few gaps. With
    // `standard`, only the standard's inline and crossline words.
    int64_t bestMissing = -1;
    const auto findGrid = [&](bool standard) {
        for (int slowByte : kSlowKeyBytes) {
            const KeyCandidate slow = key(slowByte);
            if (!Repeats(*slow.c) || (standard && !IsStandardGridByte(slowByte)))
                continue;
            for (int fastByte : kFastKeyBytes) {
                if (fastByte == slowByte || (standard && !IsStandardGridByte(fastByte)))
                    continue;
                const KeyCandidate fast = key(fastByte);
                const WordCharacter& f = *fast.c;
                if (f.kind != CharacterKind::Cycle || f.changes != seen_ - 1 ||
                    f.restarts != slow.c->changes || !NumberingStep(f.stepGcd))
                    continue;
                const KeyAxis slowAxis = AxisOf(slow, slow.c->stepGcd);
                const KeyAxis fastAxis = AxisOf(fast, f.stepGcd);
                if (slowAxis.count > std::numeric_limits<int64_t>::max() / fastAxis.count)
                    continue;
                const int64_t grid = slowAxis.count * fastAxis.count;
                const int64_t missing = grid - seen_;
                if (missing < 0 || static_cast<double>(missing) > kMostMissingShare * grid)
                    continue;
                if (bestMissing >= 0 && missing >= bestMissing)
                    continue;
                bestMissing = missing;
                g.kind = "3D";
                const bool swapped = slowByte == 193 && fastByte == 189;
                g.inlineKey = swapped ? fastAxis : slowAxis;
                g.crosslineKey = swapped ? slowAxis : fastAxis;
                g.gridTraces = grid;
                g.missingTraces = missing;
                g.why = "Traces run along " + WordLabel(fast.word) + " within each " +
                        WordLabel(slow.word) +
                        (missing ? "; " + std::to_string(missing) + " grid positions have no trace"
                                 : std::string()) +
                        partial + ".";
            }
            if (bestMissing == 0)
                break;
        }
    };
    // The standard's words name a grid of bins, whatever else the file
    // holds; elsewhere, offsets that change within gathers name prestack
    // data before a pair of other words is taken for a grid (a field record
    // and its channels form one too).
    findGrid(true);
    if (g.kind != "3D") {
        // Prestack: offsets that change within gathers of a repeating key.
        const KeyCandidate offset = key(kOffsetByte);
        if (offset.c->changes > 0 && offset.c->distinct != 1) {
            for (int byte : kGatherKeyBytes) {
                const KeyCandidate gather = key(byte);
                if (Repeats(*gather.c) && offset.c->changes > gather.c->changes) {
                    g.kind = "prestack";
                    g.lineKey = GatherAxis(gather);
                    g.why = "Offsets change within gathers of " + WordLabel(gather.word) + partial +
                            ".";
                    return;
                }
            }
        }
        findGrid(false);
    }
    if (g.kind == "3D") {
        // The corners: an affine map from inline and crossline to the first
        // coordinate pair that moves, fitted to the sampled headers, and
        // given only where every sampled trace lies on it.
        // A sampled trace's inline and crossline, and a pair's coordinates
        // scaled, read straight from its header: the fits go over thousands.
        const int ilAt = g.inlineKey.firstByte - 1;
        const int xlAt = g.crosslineKey.firstByte - 1;
        const auto sampled = [&](int64_t i, int pair, double& a, double& b, double& x, double& y) {
            const unsigned char* header = SampleHeader(i);
            a = static_cast<int32_t>(Load32(header + ilAt, littleEndian_));
            b = static_cast<int32_t>(Load32(header + xlAt, littleEndian_));
            SampleCoordinates(i, static_cast<CoordinatePair>(pair), x, y);
        };
        for (int p = 0; p < kCoordinatePairs && !g.hasCorners; ++p) {
            const AreaExtent& e = g.extents[p];
            if (!e.known || (e.minX == e.maxX && e.minY == e.maxY))
                continue;
            double m[3][3] = {}, vx[3] = {}, vy[3] = {};
            for (int64_t i = 0; i < Samples(); ++i) {
                double il, xl, x, y;
                sampled(i, p, il, xl, x, y);
                const double r[3] = {1.0, il, xl};
                for (int a = 0; a < 3; ++a) {
                    for (int b = 0; b < 3; ++b)
                        m[a][b] += r[a] * r[b];
                    vx[a] += r[a] * x;
                    vy[a] += r[a] * y;
                }
            }
            double ax[3], ay[3];
            if (!Solve3(m, vx, ax) || !Solve3(m, vy, ay))
                continue;
            const double binIl = std::hypot(ax[1], ay[1]) * std::llabs(g.inlineKey.step);
            const double binXl = std::hypot(ax[2], ay[2]) * std::llabs(g.crosslineKey.step);
            const double tolerance = 0.25 * std::min(binIl, binXl) + 1e-6;
            bool fits = binIl > 0 && binXl > 0;
            // Distances compared squared: coordinates of 32-bit words, even
            // scaled up by 10^4, square far inside a double's range.
            for (int64_t i = 0; i < Samples() && fits; ++i) {
                double a, b, x, y;
                sampled(i, p, a, b, x, y);
                const double dx = ax[0] + ax[1] * a + ax[2] * b - x;
                const double dy = ay[0] + ay[1] * a + ay[2] * b - y;
                fits = dx * dx + dy * dy <= tolerance * tolerance;
            }
            if (!fits)
                continue;
            const double ils[4] = {
                static_cast<double>(g.inlineKey.first), static_cast<double>(g.inlineKey.first),
                static_cast<double>(g.inlineKey.last), static_cast<double>(g.inlineKey.last)};
            const double xls[4] = {static_cast<double>(g.crosslineKey.first),
                                   static_cast<double>(g.crosslineKey.last),
                                   static_cast<double>(g.crosslineKey.last),
                                   static_cast<double>(g.crosslineKey.first)};
            for (int k = 0; k < 4; ++k)
                g.corners[k] = {ax[0] + ax[1] * ils[k] + ax[2] * xls[k],
                                ay[0] + ay[1] * ils[k] + ay[2] * xls[k]};
            g.hasCorners = true;
            g.cornerPair = p;
        }
        return;
    }

    // Gathers without offsets: channels or ensemble trace numbers that
    // run within a repeating key.
    for (int byte : kGatherKeyBytes) {
        const KeyCandidate gather = key(byte);
        if (!Repeats(*gather.c))
            continue;
        for (int within : kWithinGatherBytes) {
            const KeyCandidate member = key(within);
            if (member.c->kind == CharacterKind::Cycle && member.c->restarts == gather.c->changes) {
                g.kind = "prestack";
                g.lineKey = GatherAxis(gather);
                g.why = WordLabel(member.word) + " runs within gathers of " +
                        WordLabel(gather.word) + partial + ".";
                return;
            }
        }
    }

    // 2D: a CDP or shotpoint number that moves on every trace, in steps
    // that leave few numbers out.
    for (int byte : kLineKeyBytes) {
        const KeyCandidate line = key(byte);
        const CharacterKind kind = line.c->kind;
        if ((kind == CharacterKind::Increasing || kind == CharacterKind::Decreasing) &&
            line.c->strict && NumberingStep(line.c->stepGcd) &&
            static_cast<double>(AxisOf(line, line.c->stepGcd).count - seen_) <=
                kMostMissingShare * static_cast<double>(AxisOf(line, line.c->stepGcd).count)) {
            g.kind = "2D";
            g.lineKey = AxisOf(line, line.c->stepGcd);
            g.why = "Traces run along " + WordLabel(line.word) + partial + ".";
            return;
        }
    }
    g.why = "No two keys form a grid of inlines and crosslines, no CDP or shotpoint number runs "
            "along the traces, and no offsets change within gathers" +
            partial + ".";
}

} // namespace segy
