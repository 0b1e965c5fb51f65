#include "app/cli/CliSupport.h"

#include "segy/PosixFile.h"
#include "segy/SegyFormat.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

std::string FileArgument(const CommandLine& parser) {
    return parser.Positionals().front();
}

void StderrMessages::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "vantrel-cli: %s\n", text.c_str());
}

TerminalScanProgress::TerminalScanProgress() : terminal_(::isatty(STDERR_FILENO) == 1) {}

void TerminalScanProgress::ShowProgress() {
    shown_ = -1;
}

void TerminalScanProgress::HideProgress() {
    if (terminal_ && shown_ >= 0)
        std::fprintf(stderr, "\n");
    shown_ = -1;
}

void TerminalScanProgress::SetProgress(int32_t percent) {
    if (!terminal_ || percent == shown_)
        return;
    shown_ = percent;
    const int filled = std::clamp(percent, 0, 100) / 2;
    std::fprintf(stderr, "\r%s [%-50.*s] %d%%", caption_.c_str(), filled,
                 "##################################################", std::min(percent, 100));
    std::fflush(stderr);
}

void TerminalScanProgress::SetProgressText(const std::string& text) {
    caption_ = text;
}

bool ParseCommand(CommandLine& parser, const Arguments& arguments, const std::string& name,
                  int& exitCode) {
    if (!parser.Parse(arguments)) {
        std::fprintf(stderr, "vantrel-cli %s: %s\n", name.c_str(), parser.ErrorText().c_str());
        exitCode = kExitUsage;
        return false;
    }
    if (parser.IsSet("help")) {
        std::printf("%s", parser.HelpText().c_str());
        exitCode = kExitOk;
        return false;
    }
    if (parser.Positionals().size() != 1) {
        std::fprintf(stderr, "vantrel-cli %s: expected exactly one FILE\n", name.c_str());
        exitCode = kExitUsage;
        return false;
    }
    return true;
}

bool OpenLikeWindow(ViewerState& state, const std::string& path, OpenResult& result,
                    segy::UserMessages& messages) {
    // A location that cannot be read says why, in place of the messages
    // of a file that cannot be opened.
    if (segy::IsLocation(path)) {
        segy::ReadOnlyFile probe;
        if (!probe.Open(path)) {
            messages.ShowMessage(segy::LastLocationError());
            result = OpenResult();
            return false;
        }
    }
    result = ReadHeaderIntoState(state, path, messages);
    if (!result.recognized) {
        messages.ShowMessage(result.labelMessage);
        return false;
    }
    state.CurrentFile = path;
    return true;
}

void AddFormatOptions(CommandLine& parser) {
    parser.AddOption({"data-type", "Sample data type: fixed, ibm, ieee or unsigned.", "type", ""});
    parser.AddOption(
        {"data-bytes", "Bytes per sample: 1, 2, 3, 4 or 8 (8 with ieee: doubles).", "bytes", ""});
    parser.AddOption({"byte-order", "Byte order: big or little.", "order", ""});
}

bool ApplyFormatOverrides(const CommandLine& parser, ViewerState& state) {
    if (parser.IsSet("data-type")) {
        const std::string type = parser.Value("data-type");
        if (type == "fixed")
            state.DataType = segy::kDataFixedPoint;
        else if (type == "ibm")
            state.DataType = segy::kDataIbmFloat;
        else if (type == "ieee")
            state.DataType = segy::kDataIeeeFloat;
        else if (type == "unsigned")
            state.DataType = segy::kDataUnsignedFixedPoint;
        else
            return false;
    }
    if (parser.IsSet("data-bytes")) {
        const std::string bytes = parser.Value("data-bytes");
        if (bytes.size() != 1 || std::string("12348").find(bytes[0]) == std::string::npos)
            return false;
        state.BytesPerSample = bytes[0] - '0';
        // The window recounts the traces for the new width.
        StderrMessages messages;
        state.NumTraces = segy::CountSegyTraces(state.CurrentFile, state.NumSamples,
                                                state.BytesPerSample, messages, state.Framing());
    }
    if (parser.IsSet("byte-order")) {
        const std::string order = parser.Value("byte-order");
        if (order == "big")
            state.LittleEndian = 0;
        else if (order == "little")
            state.LittleEndian = 1;
        else
            return false;
    }
    return true;
}

int OpenWithFormatOptions(const CommandLine& parser, const std::string& name, ViewerState& state,
                          segy::UserMessages& messages) {
    OpenResult result;
    if (!OpenLikeWindow(state, FileArgument(parser), result, messages))
        return kExitFileProblem;
    if (!ApplyFormatOverrides(parser, state)) {
        std::fprintf(stderr,
                     "vantrel-cli %s: unknown --data-type, --data-bytes or --byte-order value\n",
                     name.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

std::string Trimmed(const std::string& text) {
    const char* const blanks = " \t\n\v\f\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

namespace {

// A number of type T that is all of `text` but the blanks around it and a
// leading plus sign.
template <typename T> bool ParseAll(const std::string& text, T& value) {
    std::string digits = Trimmed(text);
    if (!digits.empty() && digits[0] == '+')
        digits.erase(0, 1);
    if (digits.empty() || digits[0] == '+')
        return false;
    T parsed{};
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool ParseWholeNumber(const std::string& text, int64_t& value) {
    return ParseAll(text, value);
}

bool ParseWholeNumber(const std::string& text, int& value) {
    return ParseAll(text, value);
}

bool ParseDecimal(const std::string& text, double& value) {
    return ParseAll(text, value);
}

int NoSuchTrace(const char* command, const ViewerState& state, int64_t trace) {
    std::fprintf(stderr, "vantrel-cli %s: %s holds no trace %lld (it has %lld)\n", command,
                 segy::LocationWithoutCredentials(state.CurrentFile).c_str(),
                 static_cast<long long>(trace), static_cast<long long>(state.NumTraces));
    return kExitFileProblem;
}

int WithLocationFailures(int exitCode) {
    const std::string& failure = segy::LocationReadFailure();
    if (failure.empty())
        return exitCode;
    std::fprintf(stderr, "vantrel-cli: %s\n", failure.c_str());
    return exitCode == kExitOk ? kExitFileProblem : exitCode;
}

void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "Usage: vantrel-cli COMMAND FILE [options]\n"
                 "\n"
                 "Commands:\n"
                 "  info    the textual header, samples, sample rate, traces and format\n"
                 "  list    the samples of one trace\n"
                 "  scan    the minimum and maximum of every trace-header location\n"
                 "  headers chosen trace-header fields of every trace (--fields LIST)\n"
                 "  export  the debug file: excerpts of FILE's start and middle (--output OUT)\n"
                 "  render  the Data page's plot as a PNG image (--output OUT.png)\n"
                 "\n"
                 "Options:\n"
                 "  -h, --help     Displays this help.\n"
                 "  -v, --version  Displays version information.\n"
                 "\n"
                 "'vantrel-cli COMMAND --help' describes a command's options.\n");
}
