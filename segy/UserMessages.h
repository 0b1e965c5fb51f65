// How the core speaks to the user. The layer above decides what a message
// is: a modal message box in the window, a line on standard error in the
// command-line tool, a recorded call in the tests.
#pragma once

#include <string>

namespace segy {

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // Shows text and returns once the user has acknowledged it.
    virtual void ShowMessage(const std::string& text) = 0;
    // The platform's simple beep.
    virtual void Beep() = 0;
};

// Swallows everything; for callers that report failures by result alone.
class SilentMessages final : public UserMessages {
public:
    void ShowMessage(const std::string&) override {}
    void Beep() override {}
};

} // namespace segy
