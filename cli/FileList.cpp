#include "FileList.h"

#include "codec/Errors.h"

#include <fstream>
#include <iostream>

namespace quillon::cli {

std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated) {
    std::vector<std::string> paths;
    const char separator = nulSeparated ? '\0' : '\n';
    for (std::string path; std::getline(in, path, separator);) {
        if (!path.empty()) {
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

ListSource ListSourceOption(CommandLine& line) {
    ListSource source{line.option("--files-from", ""), line.flag("--null")};
    if (source.nulSeparated && !source.given()) {
        throw UsageError{"--null goes with --files-from"};
    }
    return source;
}

std::vector<std::string> ReadListedPaths(const ListSource& source) {
    if (source.path == "-") {
        return ReadPathList(std::cin, source.nulSeparated);
    }
    std::ifstream file(source.path, std::ios::binary);
    if (!file) {
        throw QuillonError("Cannot read the list of files " + source.path + ".");
    }
    return ReadPathList(file, source.nulSeparated);
}

std::vector<std::string> InputPaths(CommandLine& line, const std::string& usage) {
    const ListSource source = ListSourceOption(line);
    if (!source.given()) {
        return line.positionals(1, -1, usage);
    }
    line.positionals(0, 0, "FILE arguments and --files-from exclude one another");
    return ReadListedPaths(source);
}

} // namespace quillon::cli
