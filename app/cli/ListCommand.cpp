// vantrel-cli list: the sample listing of one trace.
#include "app/cli/CliSupport.h"

#include "logic/TraceListing.h"

#include <cstdio>
#include <memory>

int RunList(const Arguments& arguments) {
    CommandLine parser(
        "list",
        "Lists the samples of one trace of FILE as the Trace page does, one line per sample.");
    parser.AddPositional("FILE", "A SEG-Y file.");
    parser.AddOption({"trace", "Trace number, 0-based (default 0).", "N", "0"});
    AddFormatOptions(parser);
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, "list", exitCode))
        return exitCode;
    int64_t trace = 0;
    if (!ParseWholeNumber(parser.Value("trace"), trace) || trace < 0) {
        std::fprintf(stderr, "vantrel-cli list: --trace takes a trace number from 0 on\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    exitCode = OpenWithFormatOptions(parser, "list", *state, messages);
    if (exitCode != kExitOk)
        return exitCode;
    // Line by line, so that a trace of millions of samples streams out in
    // the memory of a few blocks.
    const TraceSampleLines listing(*state, trace, messages);
    if (listing.Count() == 0 && state->NumSamples > 0)
        return NoSuchTrace("list", *state, trace);
    for (int64_t i = 0; i < listing.Count(); ++i)
        std::printf("%s\n", listing.Line(i).c_str());
    return kExitOk;
}
