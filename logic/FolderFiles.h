// The folder listing behind the file list: which entries of a folder match a
// pattern, and the pieces of a chosen path the list is built from. Plain
// strings and POSIX calls only, so it can be checked without a window.
#pragma once

#include <string>
#include <vector>

constexpr char kPathSeparator = '/';

// Appends to `list` the bare names of the entries of the pattern's folder
// whose names match its last component, where '*' stands for any run of
// characters and '?' for one. Every kind of entry counts, hidden ones and
// folders included, except "." and "..". Names are compared exactly (case
// matters). The directory is read in no particular order, so the names are
// sorted: by name ignoring letter case, ties in byte order. A folder that
// cannot be read adds nothing.
void ListFolderFiles(const std::string& pattern, std::vector<std::string>& list);

// The folder part of a path, up to and including its last separator; empty
// for a bare name.
std::string FolderPart(const std::string& path);
// The name after the last separator. In an address (http://, https://,
// s3://) the separators of its query do not count: the name is the last
// part of the path with the query after it.
std::string FileNamePart(const std::string& path);
// A name as the file list shows it: without the query an address's name
// may carry (a presigned address's signature among it).
std::string ListedName(const std::string& name);
// The extension of the name part with its leading dot; empty when the name
// has no dot.
std::string ExtensionPart(const std::string& path);
// The pattern that lists a chosen file's neighbours: its folder, "*", and
// its extension, so a file without extension lists the whole folder.
std::string FolderPattern(const std::string& chosenFile);
// Index of the first entry equal to `name` (case matters), -1 if none.
int FindExactName(const std::vector<std::string>& names, const std::string& name);
