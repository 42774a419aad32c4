#pragma once
// The movies a command works on: the FILE words, or a list read with --files-from, so
// that the commands compose with find, xargs and GNU parallel.

#include "CommandLine.h"

#include <istream>
#include <string>
#include <vector>

namespace quillon::cli {

// Paths one a line (empty lines skipped), or separated by NUL bytes.
std::vector<std::string> ReadPathList(std::istream& in, bool nulSeparated);

// Where a list of movies comes from: "--files-from FILE" ("-": standard input) and
// "--null", taken out of the words; an empty path when there is no list.
struct ListSource {
    std::string path;
    bool nulSeparated = false;
    bool given() const { return !path.empty(); }
};
ListSource ListSourceOption(CommandLine& line);

// The paths the list names; a list that cannot be read throws QuillonError.
std::vector<std::string> ReadListedPaths(const ListSource& source);

// The FILE words (at least one) or the --files-from list, never both.
std::vector<std::string> InputPaths(CommandLine& line, const std::string& usage);

} // namespace quillon::cli
