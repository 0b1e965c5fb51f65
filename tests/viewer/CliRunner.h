// Runs vantrel-cli for the window-side tests and collects what it printed.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

struct CliRun {
    int exitCode = -1; // -1 when the tool crashed or did not finish
    QByteArray out;
    QByteArray err;
};

inline CliRun RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VANTREL_CLI_PATH), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}
