#include "logic/FolderFiles.h"

#include "segy/ByteSource.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fnmatch.h>

namespace {

// Only '*' and '?' are wildcards in a folder pattern; everything else,
// brackets included, stands for itself.
std::string EscapeForFnmatch(const std::string& pattern) {
    std::string escaped;
    escaped.reserve(pattern.size());
    for (const char c : pattern) {
        if (c == '[' || c == ']' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

bool NameBefore(const std::string& a, const std::string& b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

class DirectoryReader {
public:
    explicit DirectoryReader(const std::string& folder)
        : dir_(opendir(folder.empty() ? "." : folder.c_str())) {}
    ~DirectoryReader() {
        if (dir_)
            closedir(dir_);
    }
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // The next entry's name, or nullptr at the end.
    const char* Next() {
        if (!dir_)
            return nullptr;
        const dirent* entry = readdir(dir_);
        return entry ? entry->d_name : nullptr;
    }

private:
    DIR* dir_;
};

} // namespace

void ListFolderFiles(const std::string& pattern, std::vector<std::string>& list) {
    const std::string namePattern = EscapeForFnmatch(FileNamePart(pattern));
    DirectoryReader reader(FolderPart(pattern));
    std::vector<std::string> found;
    while (const char* name = reader.Next()) {
        const std::string entry(name);
        if (entry == "." || entry == "..")
            continue;
        if (fnmatch(namePattern.c_str(), name, 0) == 0)
            found.push_back(entry);
    }
    std::sort(found.begin(), found.end(), NameBefore);
    list.insert(list.end(), found.begin(), found.end());
}

namespace {

// Where the name part of a path begins: after its last separator; in an
// address, after the last one before its query.
size_t NameStart(const std::string& path) {
    if (segy::IsLocation(path))
        return segy::LocationNameStart(path);
    const size_t last = path.rfind(kPathSeparator);
    return last == std::string::npos ? 0 : last + 1;
}

} // namespace

std::string FolderPart(const std::string& path) {
    return path.substr(0, NameStart(path));
}

std::string FileNamePart(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string ListedName(const std::string& name) {
    return name.substr(0, name.find('?'));
}

std::string ExtensionPart(const std::string& path) {
    const std::string name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string FolderPattern(const std::string& chosenFile) {
    return FolderPart(chosenFile) + "*" + ExtensionPart(chosenFile);
}

int FindExactName(const std::vector<std::string>& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}
