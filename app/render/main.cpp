// vantrel-render: draws for `vantrel-cli render`, which runs it with the
// command's own arguments. It needs Qt's image and painter, never a window
// or a display.
#include "app/cli/CliSupport.h"
#include "remote/RemoteFile.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    // Text is drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings speak of the desktop session (no XDG_RUNTIME_DIR
    // under cron, ssh or a container), which drawing does without.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "vantrel-cli render: %s\n", qPrintable(text));
    });
    remote::EnableLocations();
    const Arguments arguments(argv + 1, argv + argc);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    return WithLocationFailures(RunRender(arguments));
}
