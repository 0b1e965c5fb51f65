// vantrel: the SEG-Y viewer's window.
#include "viewer/Progress.h"
#include "viewer/TVantrel.h"
#include "viewer/UiSeams.h"

#include <QApplication>

#include <exception>

namespace {

// Recorded for the look of a complete installation; nothing opens it.
const char* const kHelpFileProperty = "helpFile";
const char* const kHelpFileRelative = "/Help/Vantrel.hlp";

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
    VantrelApplication app(argc, argv);
    try {
        ConfigureApplication();
        app.setProperty(kHelpFileProperty,
                        QApplication::applicationDirPath() + QLatin1String(kHelpFileRelative));

        QtUserInterface userInterface;
        TVantrel Vantrel(QApplication::arguments(), userInterface);
        Vantrel.show();
        TIDD_PROGRESS progress(&Vantrel);
        IDD_PROGRESS = &progress;
        const int result = app.exec();
        IDD_PROGRESS = nullptr;
        return result;
    } catch (const std::exception& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowException(QString());
    }
    return 0;
}
