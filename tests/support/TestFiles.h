// Scratch folders and recorders for the tests.
#pragma once

#include "segy/HeaderScan.h"
#include "segy/UserMessages.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace segytest {

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Writes `bytes` at `offset` of `path`, creating or extending the file; the
// gap stays a hole, so files of many gigabytes cost nothing on disk.
bool WriteAt(const std::string& path, int64_t offset, const std::vector<unsigned char>& bytes);
// Sets the size of `path`, creating it when missing (sparse when growing).
bool Resize(const std::string& path, int64_t size);

// Runs a program with arguments given as raw bytes and collects its output.
struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// Records what the core tells the user.
class RecordingMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void Beep() override { ++beeps; }

    std::vector<std::string> messages;
    int beeps = 0;
};

// Records the progress calls of a full scan as readable lines.
class RecordingProgress final : public segy::ScanProgress {
public:
    void ShowProgress() override { calls.push_back("show"); }
    void HideProgress() override { calls.push_back("hide"); }
    void SetProgress(int32_t percent) override {
        calls.push_back("bar " + std::to_string(percent));
    }
    void SetProgressText(const std::string& text) override { calls.push_back("text " + text); }
    void ProcessPendingEvents() override { ++eventPumps; }

    std::vector<std::string> calls;
    int eventPumps = 0;
};

} // namespace segytest
