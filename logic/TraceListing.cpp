#include "logic/TraceListing.h"

#include "logic/SectionPainter.h"
#include "segy/ByteOrder.h"
#include "segy/DecimalText.h"
#include "segy/PosixFile.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr int kSampleDecimals = 8;
// The longest line: an 11-character sample number, the separator and the
// largest double in fixed notation (309 digits, sign, point and 8 decimals).
constexpr size_t kSampleLineCapacity = 400;

// The sample number and the separator that begin every line; returns the
// end of what was written.
char* StartSampleLine(char* line, char* end, int32_t sampleNumber) {
    static constexpr char kSeparator[] = " : ";
    char* p = std::to_chars(line, end, sampleNumber).ptr;
    return std::copy(kSeparator, kSeparator + sizeof kSeparator - 1, p);
}

// to_chars in fixed notation with precision 8 writes the same digits as
// printf's "%0.8f" (both round exactly; infinities and NaNs as "inf",
// "-inf", "nan", "-nan") and is many times faster, which a listing of 32767
// lines feels.
std::string FormatFixedLine(int32_t sampleNumber, double value) {
    char line[kSampleLineCapacity];
    char* const end = line + sizeof line;
    char* p = StartSampleLine(line, end, sampleNumber);
    p = std::to_chars(p, end, value, std::chars_format::fixed, kSampleDecimals).ptr;
    return std::string(line, p);
}

} // namespace

std::string FormatSampleLine(int32_t sampleNumber, float value) {
    return FormatFixedLine(sampleNumber, static_cast<double>(value));
}

std::string FormatWideSampleLine(int32_t sampleNumber, segy::WideSampleKind kind, uint64_t bits) {
    if (kind == segy::WideSampleKind::Double)
        return FormatFixedLine(sampleNumber, segy::BitsToDouble(bits));
    // An integer has no fraction: its 8 decimals are zeros.
    char digits[24];
    char* const end = digits + sizeof digits;
    char* const stop = kind == segy::WideSampleKind::Signed
                           ? std::to_chars(digits, end, static_cast<int64_t>(bits)).ptr
                           : std::to_chars(digits, end, bits).ptr;
    std::string line = std::to_string(sampleNumber);
    line.append(" : ").append(digits, stop).append(".00000000");
    return line;
}

TraceSampleLines::TraceSampleLines(const ViewerState& state, int64_t index,
                                   segy::UserMessages& messages)
    : source_(state.TraceFile()), decoding_(state.Decoding()),
      wide_(segy::WideSampleKindOf(state.DataType, state.BytesPerSample)),
      width_(segy::SampleWidth(state.DataType, state.BytesPerSample)), index_(index) {
    // Before a file is open there is nothing to list, and there is no trace
    // before the first.
    if (state.NumSamples <= 0)
        return;
    if (index < 0) {
        messages.Beep();
        return;
    }
    segy::ReadOnlyFile file;
    readable_ = file.Open(source_.path);
    if (!readable_)
        messages.ShowMessage(segy::kCannotOpenTraceMessage);
    if (!TraceIsInFile(state, index, readable_ ? file.Size() : -1)) {
        messages.Beep();
        return;
    }
    count_ = state.NumSamples;
}

bool TraceIsInFile(const ViewerState& state, int64_t index, int64_t fileSize) {
    if (index < 0)
        return false;
    if (index < state.NumTraces)
        return true;
    const int32_t length = segy::StoredTraceLength(state.NumSamples, state.BytesPerSample,
                                                   state.TraceHeaderExtensions);
    return segy::TraceOffset(index, length, state.FirstTraceOffset) < fileSize;
}

const TraceSampleLines::Block& TraceSampleLines::BlockOf(int64_t sample) const {
    const int64_t first = sample / kBlockSamples * kBlockSamples;
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it)
        if (it->first == first) {
            std::rotate(it, it + 1, blocks_.end());
            return blocks_.back();
        }
    if (blocks_.size() == kBlocksKept)
        blocks_.erase(blocks_.begin());
    Block& block = blocks_.emplace_back();
    block.first = first;
    const int64_t count = std::min(kBlockSamples, count_ - first);
    // A block of zeros unless the samples can be read: the listing of a file
    // that cannot be opened, or of a sample width no decoding knows.
    std::vector<unsigned char> bytes(
        static_cast<size_t>(segy::kTraceHeaderSize + count * std::max(width_, 1)), 0);
    int64_t filled = segy::kTraceHeaderSize;
    segy::ReadOnlyFile file;
    if (readable_ && width_ > 0 && file.Open(source_.path))
        filled =
            segy::ReadTraceSampleRun(file, source_, index_, first, count, width_, bytes.data());
    if (wide_ != segy::WideSampleKind::None) {
        block.wideBits.resize(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i)
            block.wideBits[static_cast<size_t>(i)] =
                segy::WideSampleBits(bytes.data(), filled, i, decoding_.LittleEndian);
        return block;
    }
    block.samples.resize(static_cast<size_t>(count));
    segy::SampleDecoding run = decoding_;
    run.NumSamples = static_cast<int32_t>(count);
    segy::DecodeTraceSamples(bytes.data(), filled, run, block.samples.data());
    return block;
}

std::string TraceSampleLines::Line(int64_t sample) const {
    if (sample < 0 || sample >= count_)
        return {};
    const Block& block = BlockOf(sample);
    const auto at = static_cast<size_t>(sample - block.first);
    const auto number = static_cast<int32_t>(sample);
    if (wide_ != segy::WideSampleKind::None)
        return FormatWideSampleLine(number, wide_, block.wideBits[at]);
    return FormatSampleLine(number, block.samples[at]);
}

std::vector<std::string> ListTraceSamples(const ViewerState& state, int64_t index,
                                          segy::UserMessages& messages) {
    const TraceSampleLines listing(state, index, messages);
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(listing.Count()));
    for (int64_t i = 0; i < listing.Count(); ++i)
        lines.push_back(listing.Line(i));
    return lines;
}

int32_t TraceSelectionNumber(const std::string& text) {
    int32_t number = 0;
    segy::ParseDecimalInteger(text, number);
    return number;
}

int64_t ListedTraceIndex(const std::string& selectionText, int32_t scrollPosition,
                         int64_t numTraces, int32_t tracesPerScreen) {
    return TraceSelectionNumber(selectionText) +
           TraceAtBarPosition(scrollPosition, numTraces, tracesPerScreen);
}

TraceSampleLines TraceListingLines(const ViewerState& state, const std::string& selectionText,
                                   int32_t scrollPosition, segy::UserMessages& messages) {
    return TraceSampleLines(
        state,
        ListedTraceIndex(selectionText, scrollPosition, state.NumTraces, state.TracesPerScreen),
        messages);
}
