// The window's seam for tests: remembers what the window asked of the user
// and answers file dialogs with prepared paths, so nothing modal ever shows.
#pragma once

#include "viewer/UiSeams.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class RecordingUserInterface final : public UserInterface {
public:
    void ShowMessage(const QString& text) override { messages << text; }
    void Beep() override { ++beeps; }
    QString ChooseOpenFile(QWidget*, const FileDialogRequest& request) override {
        openRequests << request;
        return openAnswer;
    }
    QString ChooseSaveFile(QWidget*, const FileDialogRequest& request) override {
        saveRequests << request;
        return saveAnswer;
    }
    void ShowWelcome(QWidget*) override { ++welcomes; }
    void OpenUrl(const QUrl& url) override { urls << url; }

    QStringList messages;
    int beeps = 0;
    int welcomes = 0;
    QList<QUrl> urls;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QString openAnswer;
    QString saveAnswer;
};
