#include "logic/OpenFlow.h"

#include "segy/SampleSettings.h"

#include <cstdio>
#include <cstring>
#include <limits>

OpenResult ReadHeaderSummary(ViewerState& state, const std::string& path,
                             segy::UserMessages& messages) {
    OpenResult result;
    state.LittleEndian = 0;
    if (!segy::ReadSegyFileHeader(path, state, messages)) {
        result.labelMessage = kNotRecognizedMessage;
        return result;
    }
    result.recognized = true;
    if (state.LittleEndian || state.IeeeFormat) {
        result.customFormat = true;
        result.labelMessage = kCustomFormatMessage;
    }
    return result;
}

void SettleLayoutAndDecoding(ViewerState& state, OpenResult& result, segy::UserMessages& messages) {
    if (state.NumSamples == 0 || state.SampleInterval == 0.0) {
        result.invalidFormat = true;
        messages.Beep();
        messages.ShowMessage(kInvalidFileFormatMessage);
        state.SampleInterval = kSubstituteSampleInterval;
        state.NumSamples = kSubstituteNumSamples;
    }
    const segy::SampleSettings settings =
        segy::DeriveSampleSettings(state.FormatCode, state.IeeeFormat);
    state.DataType = settings.DataType;
    state.BytesPerSample = settings.BytesPerSample;
}

OpenResult ReadHeaderIntoState(ViewerState& state, const std::string& path,
                               segy::UserMessages& messages) {
    OpenResult result = ReadHeaderSummary(state, path, messages);
    if (result.recognized)
        SettleLayoutAndDecoding(state, result, messages);
    return result;
}

std::vector<std::string> TextHeaderLines(const ViewerState& state) {
    return TextStanzaLines(state.TextHeader);
}

std::vector<std::string> TextStanzaLines(const char* stanza) {
    std::vector<std::string> lines;
    lines.reserve(segy::kTextLineCount);
    for (int k = 0; k < segy::kTextLineCount; ++k) {
        const char* line = stanza + k * segy::kTextLineLength;
        const void* nul = std::memchr(line, '\0', segy::kTextLineLength);
        const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - line)
                                  : static_cast<size_t>(segy::kTextLineLength);
        lines.emplace_back(line, length);
    }
    return lines;
}

int32_t RecordLengthMs(int32_t numSamples, double sampleInterval) {
    const double ms = numSamples * sampleInterval;
    if (!(ms > 0.0))
        return 0;
    if (ms >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(ms);
}

std::string FormatGeneralFloat(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}
