// vantrel-cli: Vantrel's file core from a terminal, for scripts and checks.
#include "app/cli/CliSupport.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

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

} // namespace

int main(int argc, char** argv) {
    KeepRawArguments(argc, argv);
    KeepOnlyOwnMessages();
    // Drawing needs a widget application: text, and the window's layout that
    // gives the plot its start size. The tool never needs a display, so it
    // draws offscreen unless told otherwise. The other commands start faster
    // without one.
    const bool drawing = argc > 1 && std::strcmp(argv[1], "render") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        drawing ? std::make_unique<QApplication>(argc, argv)
                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        PrintUsage(stdout);
        return kExitOk;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("vantrel-cli %s\n", VANTREL_VERSION);
        return kExitOk;
    }
    if (command == QLatin1String("info"))
        return RunInfo(arguments);
    if (command == QLatin1String("list"))
        return RunList(arguments);
    if (command == QLatin1String("scan"))
        return RunScan(arguments);
    if (command == QLatin1String("headers"))
        return RunHeaders(arguments);
    if (command == QLatin1String("export"))
        return RunExport(arguments);
    if (command == QLatin1String("render"))
        return RunRender(arguments);
    std::fprintf(stderr, "vantrel-cli: unknown command '%s'\n", qPrintable(command));
    PrintUsage(stderr);
    return kExitUsage;
}
