// vantrel-cli info: what the window shows after opening a file.
#include "app/cli/CliSupport.h"

#include "app/cli/Json.h"

#include <cstdio>
#include <iterator>

namespace {

const char* const kDataTypeNames[] = {"Fixed Point", "IBM Floating Point", "IEEE Floating Point",
                                      "Unsigned Fixed Point"};
constexpr int32_t kDataTypeCount = static_cast<int32_t>(std::size(kDataTypeNames));

std::string DataTypeName(int32_t dataType) {
    return dataType >= 1 && dataType <= kDataTypeCount ? kDataTypeNames[dataType - 1] : "";
}

// The revision as the binary header gives it, major and minor.
std::string RevisionText(const ViewerState& state) {
    return std::to_string(state.RevisionMajor) + "." + std::to_string(state.RevisionMinor);
}

std::string DataBytesName(int32_t bytes) {
    return bytes == 1 ? "1 Byte" : std::to_string(bytes) + " Bytes";
}

// The message the open flow leaves for the user: the label's text, or the
// invalid-format message box when the label stays hidden.
std::string OpenMessage(const OpenResult& result) {
    if (!result.labelMessage.empty())
        return result.labelMessage;
    if (result.invalidFormat)
        return kInvalidFileFormatMessage;
    return "";
}

// The header's lines: bytes that are characters of their own, in UTF-8.
Json LinesJson(const std::vector<std::string>& lines) {
    Json array = Json::Array();
    for (const std::string& line : lines)
        array.Append(Latin1ToUtf8(line));
    return array;
}

Json InfoJson(const ViewerState& state, const OpenResult& result,
              const std::vector<std::string>& stanzas) {
    Json extended = Json::Array();
    for (const std::string& stanza : stanzas)
        extended.Append(LinesJson(TextStanzaLines(stanza.data())));
    const Json text = LinesJson(TextHeaderLines(state));
    Json info = Json::Object();
    info["Recognized"] = result.recognized;
    info["TextHeader"] = text;
    info["FormatCode"] = state.FormatCode;
    info["NumSamples"] = state.NumSamples;
    info["SampleInterval"] = state.SampleInterval;
    info["NumTraces"] = static_cast<int64_t>(state.NumTraces);
    info["LittleEndian"] = state.LittleEndian;
    info["IeeeFormat"] = state.IeeeFormat;
    info["DataType"] = state.DataType;
    info["BytesPerSample"] = state.BytesPerSample;
    info["Message"] = OpenMessage(result);
    info["CustomFormat"] = result.customFormat;
    info["InvalidFormat"] = result.invalidFormat;
    info["VScrollMax"] = RecordLengthMs(state.NumSamples, state.SampleInterval);
    info["Revision"] = RevisionText(state);
    info["ExtendedTextHeaders"] = state.ExtendedTextHeaders;
    info["TraceHeaderExtensions"] = state.TraceHeaderExtensions;
    info["FirstTraceOffset"] = static_cast<int64_t>(state.FirstTraceOffset);
    info["ExtendedText"] = extended;
    // What only rev 2 headers say: their own trace count and trailer.
    if (state.RevisionMajor >= segy::kFirstRevisionWithNewFormats) {
        info["TracesInHeader"] = static_cast<int64_t>(state.TracesInHeader);
        info["TrailerStanzas"] = state.TrailerStanzas;
    }
    return info;
}

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::printf("%s\n", Latin1ToUtf8(line).c_str());
}

void PrintInfo(const ViewerState& state, const OpenResult& result,
               const std::vector<std::string>& stanzas) {
    PrintLines(TextHeaderLines(state));
    for (const std::string& stanza : stanzas)
        PrintLines(TextStanzaLines(stanza.data()));
    std::printf("Samples: %d\n", state.NumSamples);
    std::printf("Sample Rate: %s\n", FormatGeneralFloat(state.SampleInterval).c_str());
    std::printf("Traces: %lld\n", static_cast<long long>(state.NumTraces));
    std::printf("Format Code: %d\n", state.FormatCode);
    std::printf("Data Type: %s\n", DataTypeName(state.DataType).c_str());
    std::printf("Data Bytes: %s\n", DataBytesName(state.BytesPerSample).c_str());
    std::printf("Byte Order: %s\n", state.LittleEndian ? "Little Endian" : "Big Endian");
    std::printf("Message: %s\n", OpenMessage(result).c_str());
    std::printf("Revision: %s\n", RevisionText(state).c_str());
    std::printf("Extended Text Headers: %d\n", state.ExtendedTextHeaders);
    std::printf("Trace Header Extensions: %d\n", state.TraceHeaderExtensions);
    if (state.TracesInHeader > 0 && state.TracesInHeader != state.NumTraces)
        std::printf("The binary header gives %lld traces; the file's size holds %lld.\n",
                    static_cast<long long>(state.TracesInHeader),
                    static_cast<long long>(state.NumTraces));
    if (state.TrailerStanzas < 0)
        std::printf("Data trailer: a variable number of stanzas, counted among the traces.\n");
    else if (state.TrailerStanzas > 0)
        std::printf("Data trailer: %d stanzas, left out of the traces.\n", state.TrailerStanzas);
}

} // namespace

int RunInfo(const Arguments& arguments) {
    CommandLine parser("info", "Shows what the viewer shows after opening FILE: its textual "
                               "header, samples, sample rate, traces, format and message.");
    parser.AddPositional("FILE", "A SEG-Y file.");
    parser.AddOption({"json", "Print one JSON object.", "", ""});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, "info", exitCode))
        return exitCode;

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    OpenResult result;
    const bool recognized = OpenLikeWindow(*state, FileArgument(parser), result, messages);
    const std::vector<std::string> stanzas =
        recognized ? segy::ReadExtendedTextHeaders(state->CurrentFile, *state)
                   : std::vector<std::string>();
    if (parser.IsSet("json"))
        std::printf("%s", InfoJson(*state, result, stanzas).Indented().c_str());
    else if (recognized)
        PrintInfo(*state, result, stanzas);
    return recognized ? kExitOk : kExitFileProblem;
}
