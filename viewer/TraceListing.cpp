#include "viewer/TraceListing.h"

#include "segy/DecimalText.h"
#include "segy/Trace.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr int kSampleDecimals = 8;
// The longest line: an 11-character sample number, the separator and the
// largest float in fixed notation (39 digits, sign, point and 8 decimals).
constexpr size_t kSampleLineCapacity = 128;

} // namespace

std::string FormatSampleLine(int32_t sampleNumber, float value) {
    // to_chars in fixed notation with precision 8 writes the same digits as
    // printf's "%0.8f" (both round exactly; infinities and NaNs as "inf",
    // "-inf", "nan", "-nan") and is many times faster, which a listing of
    // 32767 lines feels.
    static constexpr char kSeparator[] = " : ";
    char line[kSampleLineCapacity];
    char* const end = line + sizeof line;
    char* p = std::to_chars(line, end, sampleNumber).ptr;
    p = std::copy(kSeparator, kSeparator + sizeof kSeparator - 1, p);
    p = std::to_chars(p, end, static_cast<double>(value), std::chars_format::fixed, kSampleDecimals)
            .ptr;
    return std::string(line, p);
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
    segy::DecodeTraceSamples(buffer.data(), traceLength, state.Decoding(), samples.data());
    lines.reserve(samples.size());
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
