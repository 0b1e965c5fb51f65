// vantrel-cli export: the debug file the window's "Export Debug File" writes.
#include "app/cli/CliSupport.h"

#include "viewer/DebugExport.h"

#include <cstdio>

int RunExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the debug file of FILE: up to 200000 bytes from its start and up to 200000 "
        "bytes from its middle, copied unchanged. FILE need not be a recognised SEG-Y file."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to excerpt."));
    parser.addOption({QStringLiteral("output"), QStringLiteral("The debug file to write."),
                      QStringLiteral("OUT")});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, QStringLiteral("export"), exitCode))
        return exitCode;
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty()) {
        std::fprintf(stderr, "vantrel-cli export: --output names the debug file to write\n");
        return kExitUsage;
    }
    // The debug file is written under a name Qt keeps as text; a name with
    // bytes that are no text would be written under another name.
    if (output.contains(QChar::ReplacementCharacter)) {
        std::fprintf(stderr, "vantrel-cli export: the --output name holds bytes that are not "
                             "valid text; choose another name\n");
        return kExitUsage;
    }

    const ExportResult result = ExportDebugFile(FileArgument(parser), output);
    if (!result.ok) {
        std::fprintf(stderr, "vantrel-cli: %s\n", result.message.toLocal8Bit().constData());
        return kExitFileProblem;
    }
    std::printf("%s\n", kDebugFileCompleteMessage);
    return kExitOk;
}
