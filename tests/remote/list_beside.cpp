// Prints the names listed beside a location, one a line, as the window's
// file list shows them: the remote-file test's view of the S3 listing.
#include "remote/RemoteFile.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    std::vector<std::string> names;
    std::string reason;
    if (!remote::ListBesideLocation(argv[1], names, reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    for (const std::string& name : names)
        std::printf("%s\n", name.c_str());
    return 0;
}
