// The window as the program sets it up, for the benchmark programs: shown,
// with the progress dialog as IDD_PROGRESS, its dialogs answered by a
// recorder so that a file opens through the Browse button.
#pragma once

#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/Progress.h"
#include "viewer/TVantrel.h"

#include <QApplication>

#include <cstdio>

// Benchmarks run without a display unless QT_QPA_PLATFORM names one; call
// before the application is constructed.
inline void UseOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

class BenchWindow {
public:
    BenchWindow() {
        window.show();
        IDD_PROGRESS = &progress;
    }
    ~BenchWindow() { IDD_PROGRESS = nullptr; }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    // Opens `path` as the user would; false (and says why) when the window
    // did not open it.
    bool Open(const char* path) {
        ui.openAnswer = QString::fromLocal8Bit(path);
        window.SegyBrowseBtnClick();
        if (window.State.FileOpen && ui.messages.isEmpty())
            return true;
        std::fprintf(stderr, "could not open %s: %s\n", path,
                     qPrintable(ui.messages.join(QLatin1Char(' '))));
        return false;
    }

    RecordingUserInterface ui;
    TVantrel window{QStringList{QStringLiteral("vantrel"), QString(), QLatin1String(kLaunchCode)},
                    ui};
    TIDD_PROGRESS progress{&window};
};
