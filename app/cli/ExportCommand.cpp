// vantrel-cli export: the debug file the window's "Export Debug File" writes.
#include "app/cli/CliSupport.h"

#include "logic/DebugExport.h"

#include <cstdio>

int RunExport(const Arguments& arguments) {
    CommandLine parser("export", "Writes the debug file of FILE: up to 200000 bytes from its start "
                                 "and up to 200000 bytes from its middle, copied unchanged. FILE "
                                 "need not be a recognised SEG-Y file.");
    parser.AddPositional("FILE", "The file to excerpt.");
    parser.AddOption({"output", "The debug file to write.", "OUT", ""});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, "export", exitCode))
        return exitCode;
    const std::string output = parser.Value("output");
    if (output.empty()) {
        std::fprintf(stderr, "vantrel-cli export: --output names the debug file to write\n");
        return kExitUsage;
    }

    const ExportResult result = ExportDebugFile(FileArgument(parser), output);
    if (!result.ok) {
        std::fprintf(stderr, "vantrel-cli: %s\n", result.message.c_str());
        return kExitFileProblem;
    }
    std::printf("%s\n", kDebugFileCompleteMessage);
    return kExitOk;
}
