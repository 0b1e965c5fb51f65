// The numbers behind one trace: its decoded samples as text lines.
#pragma once

#include "logic/ViewerState.h"
#include "segy/Trace.h"
#include "segy/UserMessages.h"

#include <cstdint>
#include <string>
#include <vector>

// "%d : %0.8f" with the sample number and the sample widened to double;
// infinities and NaNs print as the C library prints them.
std::string FormatSampleLine(int32_t sampleNumber, float value);

// The same line for an 8-byte sample from its stored bits: a double with its
// own digits, a 64-bit integer exactly (as "%0.8f" of it would be, had a
// double room for every such integer).
std::string FormatWideSampleLine(int32_t sampleNumber, segy::WideSampleKind kind, uint64_t bits);

// The listing of trace `index` (0-based) of the current file with the
// current settings, each line made when it is asked for. The samples are
// read from the file a block at a time when a line of the block is wanted,
// and only the last few blocks are kept, so a trace of any length lists at
// once and in bounded memory. Without samples it lists nothing; a trace
// the file holds no byte of lists nothing and beeps; the samples of a trace
// cut short by the file's end list as zeros where the file ends; a file
// that cannot be opened is reported once and lists zeros.
class TraceSampleLines {
public:
    TraceSampleLines(const ViewerState& state, int64_t index, segy::UserMessages& messages);

    int64_t Count() const { return count_; }
    // Line `sample`, "%d : %0.8f"; empty past the last.
    std::string Line(int64_t sample) const;

    // Samples a block holds, and blocks kept.
    static constexpr int64_t kBlockSamples = 4096;
    static constexpr size_t kBlocksKept = 4;

private:
    struct Block {
        int64_t first = -1;
        std::vector<float> samples;
        std::vector<uint64_t> wideBits; // 8-byte samples, as stored
    };
    const Block& BlockOf(int64_t sample) const;

    segy::TraceSource source_;
    segy::SampleDecoding decoding_;
    segy::WideSampleKind wide_ = segy::WideSampleKind::None;
    int32_t width_ = 0;
    int64_t index_ = 0;
    int64_t count_ = 0;
    bool readable_ = false;
    mutable std::vector<Block> blocks_; // most recently used last
};

// True when trace `index` is one of the file's traces, or a trace cut
// short whose first bytes the file of `fileSize` bytes holds.
bool TraceIsInFile(const ViewerState& state, int64_t index, int64_t fileSize);

// Every line of the listing of trace `index` at once (the command-line
// tool and the tests).
std::vector<std::string> ListTraceSamples(const ViewerState& state, int64_t index,
                                          segy::UserMessages& messages);

// The trace number typed in the Trace page's edit: a decimal integer, or 0
// for any text that is not one (letters, an empty edit, a number beyond 32
// bits).
int32_t TraceSelectionNumber(const std::string& text);

// The trace the Trace page lists: the edit's number counted from the trace
// the horizontal scroll bar's position stands for (the position itself
// below 2^31 traces), in 64 bits so that no sum wraps.
int64_t ListedTraceIndex(const std::string& selectionText, int32_t scrollPosition,
                         int64_t numTraces, int32_t tracesPerScreen);

// The Trace page's lines for the edit's text and the scroll bar's position.
TraceSampleLines TraceListingLines(const ViewerState& state, const std::string& selectionText,
                                   int32_t scrollPosition, segy::UserMessages& messages);
