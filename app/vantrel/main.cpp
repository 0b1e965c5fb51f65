// vantrel: the SEG-Y viewer's window.
#include "remote/RemoteFile.h"
#include "segy/ByteSource.h"
#include "viewer/Progress.h"
#include "viewer/TVantrel.h"
#include "viewer/UiSeams.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// Recorded for the look of a complete installation; nothing opens it.
const char* const kHelpFileProperty = "helpFile";
const char* const kHelpFileRelative = "/Help/Vantrel.hlp";
// The name of the desktop entry, by which desktops match the window with
// the menu's icon.
const char* const kDesktopFileName = "example.orbenza.vantrel";

void PrintUsage() {
    std::printf("Usage: vantrel [FILE [LAUNCH-CODE]]\n"
                "\n"
                "Opens the SEG-Y viewer's window. FILE, a SEG-Y file, opens at once and the\n"
                "files with its extension in its folder are listed. The launch code as second\n"
                "argument skips the welcome screen.\n"
                "\n"
                "Options:\n"
                "  -h, --help     Displays this help.\n"
                "  -v, --version  Displays version information.\n");
}

// Answers --help and --version alone on the command line, before any window
// or display is needed. Returns false for every other command line.
bool AnswerInformationRequest(int argc, char** argv) {
    if (argc != 2)
        return false;
    const char* const option = argv[1];
    if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
        PrintUsage();
        return true;
    }
    if (std::strcmp(option, "--version") == 0 || std::strcmp(option, "-v") == 0) {
        std::printf("vantrel %s\n", VANTREL_VERSION);
        return true;
    }
    return false;
}

void ShowException(const QString& message) {
    ShowMessageBox(message, true);
}

// A handler that throws is reported and the program goes on, as it would
// after any other failed user action.
class VantrelApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowException(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            ShowException(QString());
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (AnswerInformationRequest(argc, argv))
        return 0;
    VantrelApplication app(argc, argv);
    try {
        ConfigureApplication();
        // FILE, or a name typed into the Browse dialog, may be an
        // http(s):// or s3:// address.
        remote::EnableLocations();
        QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
        app.setProperty(kHelpFileProperty,
                        QApplication::applicationDirPath() + QLatin1String(kHelpFileRelative));

        QtUserInterface userInterface;
        TVantrel Vantrel(QApplication::arguments(), userInterface);
        Vantrel.show();
        TIDD_PROGRESS progress(&Vantrel);
        IDD_PROGRESS = &progress;
        segy::SetLocationWaitHook([&progress](const std::string& location, double waited) {
            return progress.WaitOnNetwork(location, waited);
        });
        const int result = app.exec();
        segy::SetLocationWaitHook(nullptr);
        IDD_PROGRESS = nullptr;
        return result;
    } catch (const std::exception& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowException(QString());
    }
    return 0;
}
