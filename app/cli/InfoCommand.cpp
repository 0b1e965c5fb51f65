// vantrel-cli info: what the window shows after opening a file.
#include "app/cli/CliSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

const char* const kDataTypeNames[] = {"Fixed Point", "IBM Floating Point", "IEEE Floating Point"};

QString DataTypeName(int32_t dataType) {
    return dataType >= 1 && dataType <= 3 ? QString::fromLatin1(kDataTypeNames[dataType - 1])
                                          : QString();
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

QJsonObject InfoJson(const ViewerState& state, const OpenResult& result) {
    QJsonArray text;
    for (const std::string& line : TextHeaderLines(state))
        text.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    QJsonObject info;
    info[QStringLiteral("Recognized")] = result.recognized;
    info[QStringLiteral("TextHeader")] = text;
    info[QStringLiteral("FormatCode")] = state.FormatCode;
    info[QStringLiteral("NumSamples")] = state.NumSamples;
    info[QStringLiteral("SampleInterval")] = state.SampleInterval;
    info[QStringLiteral("NumTraces")] = state.NumTraces;
    info[QStringLiteral("LittleEndian")] = state.LittleEndian;
    info[QStringLiteral("IeeeFormat")] = state.IeeeFormat;
    info[QStringLiteral("DataType")] = state.DataType;
    info[QStringLiteral("BytesPerSample")] = state.BytesPerSample;
    info[QStringLiteral("Message")] = OpenMessage(result);
    info[QStringLiteral("CustomFormat")] = result.customFormat;
    info[QStringLiteral("InvalidFormat")] = result.invalidFormat;
    info[QStringLiteral("VScrollMax")] = RecordLengthMs(state.NumSamples, state.SampleInterval);
    return info;
}

void PrintInfo(const ViewerState& state, const OpenResult& result) {
    for (const std::string& line : TextHeaderLines(state))
        std::printf("%s\n", QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()))
                                .toUtf8()
                                .constData());
    std::printf("Samples: %d\n", state.NumSamples);
    std::printf("Sample Rate: %s\n", FormatGeneralFloat(state.SampleInterval).c_str());
    std::printf("Traces: %d\n", state.NumTraces);
    std::printf("Format Code: %d\n", state.FormatCode);
    std::printf("Data Type: %s\n", qPrintable(DataTypeName(state.DataType)));
    std::printf("Data Bytes: %s\n", qPrintable(DataBytesName(state.BytesPerSample)));
    std::printf("Byte Order: %s\n", state.LittleEndian ? "Little Endian" : "Big Endian");
    std::printf("Message: %s\n", qPrintable(OpenMessage(result)));
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
    if (parser.isSet(QStringLiteral("json")))
        std::printf("%s", QJsonDocument(InfoJson(*state, result)).toJson().constData());
    else if (recognized)
        PrintInfo(*state, result);
    return recognized ? kExitOk : kExitFileProblem;
}
