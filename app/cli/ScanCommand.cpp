// vantrel-cli scan: the trace header scan and the header grid.
#include "app/cli/CliSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>

namespace {

QJsonArray ToJson(const int32_t* values, int count) {
    QJsonArray array;
    for (int i = 0; i < count; ++i)
        array.append(values[i]);
    return array;
}

bool ModeFromName(const QString& name, int32_t& mode) {
    static const char* const kNames[] = {"all", "first", "second", "last", "selected"};
    for (int32_t m = segy::kScanAll; m <= segy::kScanSelected; ++m)
        if (name == QLatin1String(kNames[m])) {
            mode = m;
            return true;
        }
    return false;
}

} // namespace

int RunScan(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Scans the trace headers of FILE and prints the minimum and maximum of every header "
        "location as the Header page's grid shows them."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A SEG-Y file."));
    parser.addOption({QStringLiteral("mode"),
                      QStringLiteral("Traces to scan: all, first, second, last or selected "
                                     "(default all)."),
                      QStringLiteral("mode"), QStringLiteral("all")});
    parser.addOption({QStringLiteral("trace"),
                      QStringLiteral("The selected trace, 1-based, for --mode selected "
                                     "(default 1)."),
                      QStringLiteral("N"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("two-byte"), QStringLiteral("Show the 2-byte table.")});
    parser.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON object.")});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, QStringLiteral("scan"), exitCode))
        return exitCode;
    int32_t mode = segy::kScanAll;
    if (!ModeFromName(parser.value(QStringLiteral("mode")), mode)) {
        std::fprintf(stderr, "vantrel-cli scan: unknown --mode; use all, first, second, last "
                             "or selected\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    OpenResult result;
    const std::string path = FileArgument(parser);
    if (!OpenLikeWindow(*state, path, result, messages))
        return kExitFileProblem;

    TerminalScanProgress progress;
    const std::string selected = parser.value(QStringLiteral("trace")).toStdString();
    const segy::ScanContext context{messages, progress, [&] { return selected; }};
    int64_t headersRead = 0;
    if (!segy::ScanTraceHeaders(mode, path, state->ScanLayoutNow(), *state, context, &headersRead))
        return kExitFileProblem;

    if (parser.isSet(QStringLiteral("json"))) {
        QJsonObject scan;
        scan[QStringLiteral("HeadersRead")] = static_cast<qint64>(headersRead);
        scan[QStringLiteral("Hdr4Min")] = ToJson(state->Hdr4Min, segy::kHeaderWords4);
        scan[QStringLiteral("Hdr4Max")] = ToJson(state->Hdr4Max, segy::kHeaderWords4);
        scan[QStringLiteral("Hdr2Min")] = ToJson(state->Hdr2Min, segy::kHeaderWords2);
        scan[QStringLiteral("Hdr2Max")] = ToJson(state->Hdr2Max, segy::kHeaderWords2);
        std::printf("%s", QJsonDocument(scan).toJson(QJsonDocument::Compact).constData());
        std::printf("\n");
        return kExitOk;
    }
    const bool fourByte = !parser.isSet(QStringLiteral("two-byte"));
    for (const auto& row : segy::HeaderGridText(*state, fourByte)) {
        for (size_t c = 0; c < row.size(); ++c)
            std::printf("%s%s", c ? "\t" : "", row[c].c_str());
        std::printf("\n");
    }
    return kExitOk;
}
