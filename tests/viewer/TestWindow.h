// The main window as the window tests drive it: started with the launch
// code (no welcome screen) on a recording seam, and files chosen through
// the open dialog as a user chooses them.
#pragma once

#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/TVantrel.h"

#include <QFile>

#include <memory>
#include <string>

inline std::unique_ptr<TVantrel> StartTestWindow(RecordingUserInterface& ui) {
    auto window = std::make_unique<TVantrel>(
        QStringList{QStringLiteral("vantrel"), QString(), QString::fromLatin1(kLaunchCode)}, ui);
    window->show();
    return window;
}

// Browses to `path`, given by the bytes of its name as the folder lists it.
inline void BrowseTo(TVantrel& window, RecordingUserInterface& ui, const std::string& path) {
    ui.openAnswer = QFile::decodeName(QByteArray::fromStdString(path));
    window.SegyBrowseBtnClick();
}
