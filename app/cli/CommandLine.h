// The options and arguments of one command of the tool: declared, parsed
// and described in --help the way the tool has always done it.
#pragma once

#include <string>
#include <vector>

class CommandLine {
public:
    struct Option {
        std::string name;        // without the dashes
        std::string description; // one line, wrapped by the help text
        std::string valueName;   // empty for a switch
        std::string defaultValue;
    };

    CommandLine(std::string command, std::string description);

    void AddOption(Option option);
    void AddPositional(std::string name, std::string description);

    // Parses the command's own arguments (after the command word). Options
    // may come anywhere; "--name value", "--name=value", and "-h" among
    // short letters; "--" ends the options. False with ErrorText() set on
    // an unknown option, a value missing or a value given to a switch.
    bool Parse(const std::vector<std::string>& arguments);
    const std::string& ErrorText() const { return error_; }

    bool IsSet(const std::string& name) const;
    // The last value given, else the option's default.
    std::string Value(const std::string& name) const;
    const std::vector<std::string>& Positionals() const { return positionals_; }

    // The --help text: usage, description, options and arguments.
    std::string HelpText() const;

private:
    const Option* Find(const std::string& name) const;

    std::string command_;
    std::string description_;
    std::vector<Option> options_;
    std::vector<std::pair<std::string, std::string>> positionalDefinitions_;
    std::vector<std::pair<std::string, std::string>> given_;
    std::vector<std::string> positionals_;
    std::string error_;
};
