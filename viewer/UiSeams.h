// Everything the viewer asks of the user or of the desktop goes through one
// interface: message boxes, the beep, file dialogs, the welcome screen and
// the web browser. The program uses the Qt implementation; tests record the
// calls instead, so no modal window ever waits for a person.
#pragma once

#include <QFileIconProvider>
#include <QString>
#include <QStringList>
#include <QUrl>

class QFileDialog;
class QWidget;

// The application's title: the main window's caption, and the caption of
// every message box (which has none of its own).
inline const char* const kApplicationTitle = "Vantrel by Orbenza Inc.";

// Names the application. No display name is set: on X11 Qt appends it to
// every window caption, and each window's caption must read as its own.
void ConfigureApplication();

// A modal message box with an OK button under the application's title.
void ShowMessageBox(const QString& text, bool critical = false);

// What a file dialog shows; the window keeps one per dialog it runs.
struct FileDialogRequest {
    QString title;
    QStringList filters; // FileFilter entries, the first chosen
    QString initialFolder;
    QString fileName;
    QString defaultSuffix; // without the dot
};

// A file dialog filter that shows `caption` exactly as written and matches
// `patterns` (blank-separated): "All Files (*.*)" may then match every name,
// those without a dot included.
QString FileFilter(const QString& caption, const QString& patterns);

// Icons and type names for the file dialogs from each entry's name and kind
// alone. Qt's own provider reads a file's first bytes to guess its type,
// on the window's thread for a path typed into the name field, and a read
// of a device-like entry (such as /proc/kmsg) never returns.
class NameOnlyIconProvider final : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// Sets up a file dialog as `request` describes.
void PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // A modal box with an OK button; its caption is the application's title.
    virtual void ShowMessage(const QString& text) = 0;
    virtual void Beep() = 0;
    // The chosen path, or empty when the user cancels.
    virtual QString ChooseOpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString ChooseSaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // Runs the welcome screen modally; returns when the user leaves it.
    virtual void ShowWelcome(QWidget* owner) = 0;
    virtual void OpenUrl(const QUrl& url) = 0;
};

class QtUserInterface final : public UserInterface {
public:
    void ShowMessage(const QString& text) override;
    void Beep() override;
    QString ChooseOpenFile(QWidget* parent, const FileDialogRequest& request) override;
    QString ChooseSaveFile(QWidget* parent, const FileDialogRequest& request) override;
    void ShowWelcome(QWidget* owner) override;
    void OpenUrl(const QUrl& url) override;
};
