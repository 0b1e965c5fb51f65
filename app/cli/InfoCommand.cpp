// vantrel-cli info: what the window shows after opening a file.
#include "app/cli/CliSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <iterator>

namespace {

const char* const kDataTypeNames[] = {"Fixed Point", "IBM Floating Point", "IEEE Floating Point",
                                      "Unsigned Fixed Point"};
constexpr int32_t kDataTypeCount = static_cast<int32_t>(std::size(kDataTypeNames));

QString DataTypeName(int32_t dataType) {
    return dataType >= 1 && dataType <= kDataTypeCount
               ? QString::fromLatin1(kDataTypeNames[dataType - 1])
               : QString();
}

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The revision as the binary header gives it, major and minor.
QString RevisionText(const ViewerState& state) {
    return QStringLiteral("%1.%2").arg(state.RevisionMajor).arg(state.RevisionMinor);
}

QString DataBytesName(int32_t bytes) {
    return bytes == 1 ? QStringLiteral("1 Byte") : QStringLiteral("%1 Bytes").arg(bytes);
}

// The message the open flow leaves for the user: the label's text, or the
// invalid-format message box when the label stays hidden.
QString OpenMessage(const OpenResult& result) {
    if (!result.labelMessage.empty())
        return QString::fromStdString(result.labelMessage);
    if (result.invalidFormat)
        return QString::fromLatin1(kInvalidFileFormatMessage);
    return QString();
}

QJsonArray LinesJson(const std::vector<std::string>& lines) {
    QJsonArray array;
    for (const std::string& line : lines)
        array.append(Latin1(line));
    return array;
}

QJsonObject InfoJson(const ViewerState& state, const OpenResult& result,
                     const std::vector<std::string>& stanzas) {
    QJsonArray extended;
    for (const std::string& stanza : stanzas)
        extended.append(LinesJson(TextStanzaLines(stanza.data())));
    const QJsonArray text = LinesJson(TextHeaderLines(state));
    QJsonObject info;
    info[QStringLiteral("Recognized")] = result.recognized;
    info[QStringLiteral("TextHeader")] = text;
    info[QStringLiteral("FormatCode")] = state.FormatCode;
    info[QStringLiteral("NumSamples")] = state.NumSamples;
    info[QStringLiteral("SampleInterval")] = state.SampleInterval;
    info[QStringLiteral("NumTraces")] = static_cast<qint64>(state.NumTraces);
    info[QStringLiteral("LittleEndian")] = state.LittleEndian;
    info[QStringLiteral("IeeeFormat")] = state.IeeeFormat;
    info[QStringLiteral("DataType")] = state.DataType;
    info[QStringLiteral("BytesPerSample")] = state.BytesPerSample;
    info[QStringLiteral("Message")] = OpenMessage(result);
    info[QStringLiteral("CustomFormat")] = result.customFormat;
    info[QStringLiteral("InvalidFormat")] = result.invalidFormat;
    info[QStringLiteral("VScrollMax")] = RecordLengthMs(state.NumSamples, state.SampleInterval);
    info[QStringLiteral("Revision")] = RevisionText(state);
    info[QStringLiteral("ExtendedTextHeaders")] = state.ExtendedTextHeaders;
    info[QStringLiteral("TraceHeaderExtensions")] = state.TraceHeaderExtensions;
    info[QStringLiteral("FirstTraceOffset")] = static_cast<qint64>(state.FirstTraceOffset);
    info[QStringLiteral("ExtendedText")] = extended;
    // What only rev 2 headers say: their own trace count and trailer.
    if (state.RevisionMajor >= segy::kFirstRevisionWithNewFormats) {
        info[QStringLiteral("TracesInHeader")] = static_cast<qint64>(state.TracesInHeader);
        info[QStringLiteral("TrailerStanzas")] = state.TrailerStanzas;
    }
    return info;
}

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::printf("%s\n", Latin1(line).toUtf8().constData());
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
    std::printf("Data Type: %s\n", qPrintable(DataTypeName(state.DataType)));
    std::printf("Data Bytes: %s\n", qPrintable(DataBytesName(state.BytesPerSample)));
    std::printf("Byte Order: %s\n", state.LittleEndian ? "Little Endian" : "Big Endian");
    std::printf("Message: %s\n", qPrintable(OpenMessage(result)));
    std::printf("Revision: %s\n", qPrintable(RevisionText(state)));
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

int RunInfo(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows what the viewer shows after opening FILE: its textual header, "
                       "samples, sample rate, traces, format and message."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A SEG-Y file."));
    parser.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON object.")});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, QStringLiteral("info"), exitCode))
        return exitCode;

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    OpenResult result;
    const bool recognized = OpenLikeWindow(*state, FileArgument(parser), result, messages);
    const std::vector<std::string> stanzas =
        recognized ? segy::ReadExtendedTextHeaders(state->CurrentFile, *state)
                   : std::vector<std::string>();
    if (parser.isSet(QStringLiteral("json")))
        std::printf("%s", QJsonDocument(InfoJson(*state, result, stanzas)).toJson().constData());
    else if (recognized)
        PrintInfo(*state, result, stanzas);
    return recognized ? kExitOk : kExitFileProblem;
}
