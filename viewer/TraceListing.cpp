#include "viewer/TraceListing.h"

#include "segy/ByteOrder.h"
#include "segy/DecimalText.h"

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

std::vector<std::string> ListTraceSamples(const ViewerState& state, int64_t index,
                                          segy::UserMessages& messages) {
    std::vector<std::string> lines;
    if (index < 0) {
        messages.Beep();
        return lines;
    }
    // Past the last index a trace can have: nothing there to list.
    if (index > std::numeric_limits<int32_t>::max() || state.NumSamples <= 0)
        return lines;
    const int32_t traceLength = segy::TraceLength(state.NumSamples, state.BytesPerSample);
    std::vector<unsigned char> buffer(static_cast<size_t>(traceLength), 0);
    std::vector<float> samples(static_cast<size_t>(state.NumSamples), 0.0f);
    segy::ReadTrace(state.TraceFile(), static_cast<int32_t>(index), traceLength, buffer.data(),
                    messages);
    lines.reserve(samples.size());
    const segy::WideSampleKind wide = segy::WideSampleKindOf(state.DataType, state.BytesPerSample);
    if (wide != segy::WideSampleKind::None) {
        for (int32_t i = 0; i < state.NumSamples; ++i)
            lines.push_back(FormatWideSampleLine(
                i, wide, segy::WideSampleBits(buffer.data(), traceLength, i, state.LittleEndian)));
        return lines;
    }
    segy::DecodeTraceSamples(buffer.data(), traceLength, state.Decoding(), samples.data());
    for (int32_t i = 0; i < state.NumSamples; ++i)
        lines.push_back(FormatSampleLine(i, samples[static_cast<size_t>(i)]));
    return lines;
}

int32_t TraceSelectionNumber(const std::string& text) {
    int32_t number = 0;
    segy::ParseDecimalInteger(text, number);
    return number;
}

int64_t ListedTraceIndex(const std::string& selectionText, int32_t scrollPosition) {
    return static_cast<int64_t>(TraceSelectionNumber(selectionText)) + scrollPosition;
}

QStringList TraceListingLines(const ViewerState& state, const QString& selectionText,
                              int32_t scrollPosition, segy::UserMessages& messages) {
    const std::vector<std::string> lines = ListTraceSamples(
        state, ListedTraceIndex(selectionText.toStdString(), scrollPosition), messages);
    QStringList listing;
    listing.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        listing.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    return listing;
}
