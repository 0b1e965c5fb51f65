#include "app/cli/CommandLine.h"

#include <algorithm>

namespace {

// Help lines are at most this wide.
constexpr int kHelpWidth = 79;
constexpr int kNameColumnLimit = 50;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string PadRight(std::string text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// One option's help: its names in the first column, the description
// wrapped at spaces beside it; a name longer than the column goes on in
// the lines below.
std::string WrapHelp(const std::string& names, int nameWidth, const std::string& description) {
    const std::string indentation = "  ";
    size_t nameIndex = 0;
    auto nextNames = [&] {
        const std::string section =
            names.substr(std::min(nameIndex, names.size()), static_cast<size_t>(nameWidth));
        nameIndex += section.size();
        return section;
    };
    std::string text;
    const int max = kHelpWidth - (static_cast<int>(indentation.size()) + nameWidth + 1);
    const auto length = static_cast<long>(description.size());
    long lineStart = 0;
    long lastBreakable = -1;
    int x = 0;
    for (long i = 0; i < length; ++i) {
        ++x;
        const char c = description[static_cast<size_t>(i)];
        if (IsSpace(c))
            lastBreakable = i;
        long breakAt = -1;
        long nextLineStart = -1;
        if (x > max && lastBreakable != -1) {
            breakAt = lastBreakable;
            nextLineStart = lastBreakable + 1;
        } else if ((x > max - 1 && lastBreakable == -1) || i == length - 1) {
            breakAt = i + 1;
            nextLineStart = breakAt;
        } else if (c == '\n') {
            breakAt = i;
            nextLineStart = i + 1;
        }
        if (breakAt != -1) {
            text += indentation + PadRight(nextNames(), static_cast<size_t>(nameWidth)) + ' ';
            text += description.substr(static_cast<size_t>(lineStart),
                                       static_cast<size_t>(breakAt - lineStart)) +
                    '\n';
            x = 0;
            lastBreakable = -1;
            lineStart = nextLineStart;
            if (lineStart < length && IsSpace(description[static_cast<size_t>(lineStart)]))
                ++lineStart;
            i = lineStart;
        }
    }
    while (nameIndex < names.size())
        text += indentation + nextNames() + '\n';
    return text;
}

} // namespace

CommandLine::CommandLine(std::string command, std::string description)
    : command_(std::move(command)), description_(std::move(description)) {}

void CommandLine::AddOption(Option option) {
    options_.push_back(std::move(option));
}

void CommandLine::AddPositional(std::string name, std::string description) {
    positionalDefinitions_.emplace_back(std::move(name), std::move(description));
}

const CommandLine::Option* CommandLine::Find(const std::string& name) const {
    for (const Option& option : options_)
        if (option.name == name)
            return &option;
    if (name == "h" || name == "help" || name == "help-all") {
        static const Option kHelp{"help", "", "", ""};
        return &kHelp;
    }
    return nullptr;
}

bool CommandLine::Parse(const std::vector<std::string>& arguments) {
    std::vector<std::string> unknown;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            positionals_.insert(positionals_.end(), arguments.begin() + static_cast<long>(i) + 1,
                                arguments.end());
            break;
        }
        if (argument.rfind("--", 0) == 0) {
            const size_t equals = argument.find('=');
            const std::string name =
                argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const Option* option = Find(name);
            if (!option) {
                unknown.push_back(name);
                continue;
            }
            const std::string key = name == "h" || name == "help-all" ? "help" : name;
            if (option->valueName.empty()) {
                if (equals != std::string::npos) {
                    error_ = "Unexpected value after '" + argument.substr(0, equals) + "'.";
                    return false;
                }
                given_.emplace_back(key, "");
            } else if (equals != std::string::npos) {
                given_.emplace_back(key, argument.substr(equals + 1));
            } else if (i + 1 < arguments.size()) {
                given_.emplace_back(key, arguments[++i]);
            } else {
                error_ = "Missing value after '" + argument + "'.";
                return false;
            }
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            // Short options, several in one argument; only -h is known.
            for (size_t k = 1; k < argument.size(); ++k) {
                const std::string letter(1, argument[k]);
                if (letter == "h")
                    given_.emplace_back("help", "");
                else
                    unknown.push_back(letter);
            }
            continue;
        }
        positionals_.push_back(argument);
    }
    if (unknown.size() == 1) {
        error_ = "Unknown option '" + unknown.front() + "'.";
    } else if (unknown.size() > 1) {
        error_ = "Unknown options: ";
        for (size_t k = 0; k < unknown.size(); ++k)
            error_ += (k ? ", " : "") + unknown[k];
        error_ += ".";
    }
    return error_.empty();
}

bool CommandLine::IsSet(const std::string& name) const {
    return std::any_of(given_.begin(), given_.end(),
                       [&](const auto& given) { return given.first == name; });
}

std::string CommandLine::Value(const std::string& name) const {
    for (auto it = given_.rbegin(); it != given_.rend(); ++it)
        if (it->first == name)
            return it->second;
    const Option* option = Find(name);
    return option ? option->defaultValue : std::string();
}

std::string CommandLine::HelpText() const {
    std::vector<Option> options = options_;
    options.push_back({"h, --help", "Displays help on commandline options.", "", ""});
    options.push_back({"help-all", "Displays help including Qt specific options.", "", ""});
    std::string usage = "vantrel-cli " + command_ + " [options]";
    for (const auto& positional : positionalDefinitions_)
        usage += " " + positional.first;
    std::string text = "Usage: " + usage + "\n";
    if (!description_.empty())
        text += description_ + "\n";
    text += "\nOptions:\n";
    std::vector<std::string> names;
    size_t longest = 0;
    for (const Option& option : options) {
        // "h, --help" is the one option with a short name.
        std::string shown =
            option.name.rfind("h, ", 0) == 0 ? "-" + option.name : "--" + option.name;
        if (!option.valueName.empty())
            shown += " <" + option.valueName + ">";
        longest = std::max(longest, shown.size());
        names.push_back(shown);
    }
    for (const auto& positional : positionalDefinitions_)
        longest = std::max(longest, positional.first.size());
    const int nameWidth = std::min(kNameColumnLimit, static_cast<int>(longest) + 1);
    for (size_t k = 0; k < options.size(); ++k)
        text += WrapHelp(names[k], nameWidth, options[k].description);
    if (!positionalDefinitions_.empty()) {
        text += "\nArguments:\n";
        for (const auto& positional : positionalDefinitions_)
            text += WrapHelp(positional.first, nameWidth, positional.second);
    }
    return text;
}
