// vantrel-cli: Vantrel's file core from a terminal, for scripts and checks.
// It links no GUI library: `render`, the one command that draws, runs the
// drawing program beside it (see RenderLauncher).
#include "app/cli/CliSupport.h"
#include "app/cli/RenderLauncher.h"
#include "remote/RemoteFile.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    // FILE may also be an http(s):// or s3:// location.
    remote::EnableLocations();
    if (argc < 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    const Arguments arguments(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        PrintUsage(stdout);
        return kExitOk;
    }
    if (command == "--version" || command == "-v") {
        std::printf("vantrel-cli %s\n", VANTREL_VERSION);
        return kExitOk;
    }
    if (command == "info")
        return WithLocationFailures(RunInfo(arguments));
    if (command == "list")
        return WithLocationFailures(RunList(arguments));
    if (command == "scan")
        return WithLocationFailures(RunScan(arguments));
    if (command == "headers")
        return WithLocationFailures(RunHeaders(arguments));
    if (command == "export")
        return RunExport(arguments);
    if (command == "render")
        return LaunchRender(argc, argv);
    std::fprintf(stderr, "vantrel-cli: unknown command '%s'\n", command.c_str());
    PrintUsage(stderr);
    return kExitUsage;
}
