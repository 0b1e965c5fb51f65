#include "app/cli/RenderLauncher.h"

#include "app/cli/CliSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kRenderProgram = "vantrel-render";

// Where vantrel-render lies: beside this program (a build tree), else in
// the installed helper folder next to the bin folder.
std::string RenderProgramPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return kRenderProgram;
    const std::filesystem::path folder = self.parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kRenderProgram, folder.parent_path() / "libexec" / "vantrel" / kRenderProgram})
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    return (folder.parent_path() / "libexec" / "vantrel" / kRenderProgram).string();
}

} // namespace

int LaunchRender(int argc, char** argv) {
    const std::string program = RenderProgramPath();
    std::vector<char*> arguments{const_cast<char*>(program.c_str())};
    for (int i = 2; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    std::fflush(stdout);
    ::execv(program.c_str(), arguments.data());
    std::fprintf(stderr, "vantrel-cli render: cannot start %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return kExitFileProblem;
}
