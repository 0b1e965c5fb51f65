// Shared pieces of the command-line tool's commands.
#pragma once

#include "logic/OpenFlow.h"
#include "logic/ViewerState.h"
#include "segy/HeaderScan.h"
#include "segy/UserMessages.h"

#include "app/cli/CommandLine.h"

#include <cstdio>
#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

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
// `parser`, which must declare one positional FILE. Prints the help when
// asked and a usage error when there is one; false then, with `exitCode`
// set.
bool ParseCommand(CommandLine& parser, const Arguments& arguments, const std::string& name,
                  int& exitCode);

// The FILE argument, as the bytes it was given in.
std::string FileArgument(const CommandLine& parser);

// Opens FILE as the window's open flow would. Returns false (after the
// message on standard error) when it is not recognised.
bool OpenLikeWindow(ViewerState& state, const std::string& path, OpenResult& result,
                    segy::UserMessages& messages);

// Applies --data-type, --data-bytes, --byte-order as the format boxes would.
// Returns false on a value it does not know.
bool ApplyFormatOverrides(const CommandLine& parser, ViewerState& state);
void AddFormatOptions(CommandLine& parser);

int RunExport(const Arguments& arguments);
// Opens the command's FILE like the window and applies the format options.
// Returns kExitOk, or the exit code after the message on standard error.
int OpenWithFormatOptions(const CommandLine& parser, const std::string& name, ViewerState& state,
                          segy::UserMessages& messages);

int RunInfo(const Arguments& arguments);
int RunList(const Arguments& arguments);
int RunScan(const Arguments& arguments);
int RunHeaders(const Arguments& arguments);
int RunRender(const Arguments& arguments);

// Whole numbers and decimals as the options take them: blanks around them
// are allowed, anything else in them is not; false when out of range.
bool ParseWholeNumber(const std::string& text, int64_t& value);
bool ParseWholeNumber(const std::string& text, int& value);
bool ParseDecimal(const std::string& text, double& value);
// `text` without the blanks around it.
std::string Trimmed(const std::string& text);

// Says on standard error that the command's file holds no trace `trace`,
// naming the file without any password; returns kExitFileProblem.
int NoSuchTrace(const char* command, const ViewerState& state, int64_t trace);

// A command's exit code, after a read of a location that failed part way
// (which the core took for the file's end) is reported: then 1.
int WithLocationFailures(int exitCode);

// The tool's version and usage.
void PrintUsage(FILE* out);
