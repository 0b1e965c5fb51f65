// Everything the viewer asks of the user or of the desktop goes through one
// interface: message boxes, the beep, file dialogs, the welcome screen and
// the web browser. The program uses the Qt implementation; tests record the
// calls instead, so no modal window ever waits for a person.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// What a file dialog shows; the window keeps one per dialog it runs.
struct FileDialogRequest {
    QString title;
    QStringList filters; // "Description (patterns)" entries, the first chosen
    QString initialFolder;
    QString fileName;
    QString defaultSuffix; // without the dot
};

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
