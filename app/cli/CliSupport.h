// Shared pieces of the command-line tool's commands.
#pragma once

#include "segy/HeaderScan.h"
#include "segy/UserMessages.h"
#include "logic/OpenFlow.h"
#include "logic/ViewerState.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <string>

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFileProblem = 1;
constexpr int kExitUsage = 2;

// Messages for the user go to standard error, one line each.
class StderrMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string& text) override;
    void Beep() override {}
};

// The full scan's progress as a bar on standard error, drawn only when
// standard error is a terminal.
class TerminalScanProgress final : public segy::ScanProgress {
public:
    TerminalScanProgress();
    void ShowProgress() override;
    void HideProgress() override;
    void SetProgress(int32_t percent) override;
    void SetProgressText(const std::string& text) override;
    void ProcessPendingEvents() override {}

private:
    bool terminal_;
    int32_t shown_ = -1;
    std::string caption_;
};

// Parses `arguments` (the command's own, after the command word) with
// `parser`, which must declare one positional FILE. On a usage error prints
// it and returns false with `exitCode` set.
bool ParseCommand(QCommandLineParser& parser, const QStringList& arguments, const QString& name,
                  int& exitCode);

// The command's --help text, its usage line naming the command.
QString CommandHelp(const QCommandLineParser& parser, const QString& name);

// Keeps Qt's debug, information and warning messages off standard error.
void KeepOnlyOwnMessages();

// Keeps the program's arguments as the bytes the shell passed, so that file
// names that are not valid in the locale's encoding still open.
void KeepRawArguments(int argc, char** argv);

// The FILE argument as the bytes it was given in.
std::string FileArgument(const QCommandLineParser& parser);

// Opens FILE as the window's open flow would. Returns false (after the
// message on standard error) when it is not recognised.
bool OpenLikeWindow(ViewerState& state, const std::string& path, OpenResult& result,
                    segy::UserMessages& messages);

// Applies --data-type, --data-bytes, --byte-order as the format boxes would.
// Returns false on a value it does not know.
bool ApplyFormatOverrides(const QCommandLineParser& parser, ViewerState& state);
void AddFormatOptions(QCommandLineParser& parser);

int RunExport(const QStringList& arguments);
// Opens the command's FILE like the window and applies the format options.
// Returns kExitOk, or the exit code after the message on standard error.
int OpenWithFormatOptions(const QCommandLineParser& parser, const QString& name, ViewerState& state,
                          segy::UserMessages& messages);

int RunInfo(const QStringList& arguments);
int RunList(const QStringList& arguments);
int RunScan(const QStringList& arguments);
int RunHeaders(const QStringList& arguments);
int RunRender(const QStringList& arguments);
