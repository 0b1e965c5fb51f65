#include "app/cli/CliSupport.h"

#include "segy/SegyFormat.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {
std::vector<std::string>& RawArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}
} // namespace

void KeepRawArguments(int argc, char** argv) {
    RawArguments().assign(argv, argv + argc);
}

std::string FileArgument(const QCommandLineParser& parser) {
    const QString decoded = parser.positionalArguments().first();
    for (const std::string& raw : RawArguments())
        if (QString::fromLocal8Bit(raw.data(), static_cast<qsizetype>(raw.size())) == decoded)
            return raw;
    return QFile::encodeName(decoded).toStdString();
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

QString CommandHelp(const QCommandLineParser& parser, const QString& name) {
    // Qt begins the usage line with the program as it was started; the
    // command's own line names the tool and the command.
    const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().constFirst();
    QString text = parser.helpText();
    if (text.startsWith(started))
        text.replace(0, started.size(), QStringLiteral("Usage: vantrel-cli ") + name);
    return text;
}

void KeepOnlyOwnMessages() {
    // Qt's warnings speak of the desktop session (no XDG_RUNTIME_DIR under
    // cron, ssh or a container, the platform plugin, font aliases), which
    // the tool does without; standard error carries the tool's own messages.
    static const QtMessageHandler qtHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                qtHandler(type, context, text);
        });
}

bool ParseCommand(QCommandLineParser& parser, const QStringList& arguments, const QString& name,
                  int& exitCode) {
    parser.addHelpOption();
    QStringList withProgram = arguments;
    withProgram.prepend(QStringLiteral("vantrel-cli ") + name);
    if (!parser.parse(withProgram)) {
        std::fprintf(stderr, "vantrel-cli %s: %s\n", qPrintable(name),
                     qPrintable(parser.errorText()));
        exitCode = kExitUsage;
        return false;
    }
    // The tool takes none of Qt's own options, so --help-all says as much as --help.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", qPrintable(CommandHelp(parser, name)));
        exitCode = kExitOk;
        return false;
    }
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "vantrel-cli %s: expected exactly one FILE\n", qPrintable(name));
        exitCode = kExitUsage;
        return false;
    }
    return true;
}

bool OpenLikeWindow(ViewerState& state, const std::string& path, OpenResult& result,
                    segy::UserMessages& messages) {
    result = ReadHeaderIntoState(state, path, messages);
    if (!result.recognized) {
        messages.ShowMessage(result.labelMessage);
        return false;
    }
    state.CurrentFile = path;
    return true;
}

void AddFormatOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("data-type"),
                      QStringLiteral("Sample data type: fixed, ibm, ieee or unsigned."),
                      QStringLiteral("type")});
    parser.addOption({QStringLiteral("data-bytes"),
                      QStringLiteral("Bytes per sample: 1, 2, 3, 4 or 8 (8 with ieee: doubles)."),
                      QStringLiteral("bytes")});
    parser.addOption({QStringLiteral("byte-order"), QStringLiteral("Byte order: big or little."),
                      QStringLiteral("order")});
}

bool ApplyFormatOverrides(const QCommandLineParser& parser, ViewerState& state) {
    if (parser.isSet(QStringLiteral("data-type"))) {
        const QString type = parser.value(QStringLiteral("data-type"));
        if (type == QLatin1String("fixed"))
            state.DataType = segy::kDataFixedPoint;
        else if (type == QLatin1String("ibm"))
            state.DataType = segy::kDataIbmFloat;
        else if (type == QLatin1String("ieee"))
            state.DataType = segy::kDataIeeeFloat;
        else if (type == QLatin1String("unsigned"))
            state.DataType = segy::kDataUnsignedFixedPoint;
        else
            return false;
    }
    if (parser.isSet(QStringLiteral("data-bytes"))) {
        const QString bytes = parser.value(QStringLiteral("data-bytes"));
        static const QStringList kWidths = {QStringLiteral("1"), QStringLiteral("2"),
                                            QStringLiteral("3"), QStringLiteral("4"),
                                            QStringLiteral("8")};
        if (!kWidths.contains(bytes))
            return false;
        state.BytesPerSample = bytes.toInt();
        // The window recounts the traces for the new width.
        StderrMessages messages;
        state.NumTraces = segy::CountSegyTraces(state.CurrentFile, state.NumSamples,
                                                state.BytesPerSample, messages, state.Framing());
    }
    if (parser.isSet(QStringLiteral("byte-order"))) {
        const QString order = parser.value(QStringLiteral("byte-order"));
        if (order == QLatin1String("big"))
            state.LittleEndian = 0;
        else if (order == QLatin1String("little"))
            state.LittleEndian = 1;
        else
            return false;
    }
    return true;
}

int OpenWithFormatOptions(const QCommandLineParser& parser, const QString& name, ViewerState& state,
                          segy::UserMessages& messages) {
    OpenResult result;
    if (!OpenLikeWindow(state, FileArgument(parser), result, messages))
        return kExitFileProblem;
    if (!ApplyFormatOverrides(parser, state)) {
        std::fprintf(stderr,
                     "vantrel-cli %s: unknown --data-type, --data-bytes or --byte-order value\n",
                     qPrintable(name));
        return kExitUsage;
    }
    return kExitOk;
}
