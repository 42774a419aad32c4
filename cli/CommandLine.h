#pragma once
// The small word parser the subcommands share, and a private scratch folder.

#include "Commands.h"
#include "codec/Compression.h"

#include <string>
#include <vector>

namespace quillon::cli {

class CommandLine {
public:
    explicit CommandLine(Args args) : args_(std::move(args)) {}
    // Takes "--name" out of the words; true when it was there.
    bool flag(const std::string& name);
    // Takes "--name VALUE" (or "--name=VALUE") out of the words.
    std::string option(const std::string& name, const std::string& fallback);
    int intOption(const std::string& name, int fallback, int min, int max);
    // The words left, which must number between min and max (max < 0: no limit).
    std::vector<std::string> positionals(int min, int max, const std::string& usage);

private:
    Args args_;
};

// The compression method of the words "--lzma", "--best" or "--level N" (at most one of
// them; none is zlib at level 9). level receives the zlib level.
CompressionMethod CompressionOptions(CommandLine& line, int& level);

// The line a full disk gets on stderr.
void PrintDiskFull();

// A private folder of its own for scratch files (memory-backed where the system has
// one), removed with its contents.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(ScratchFolder&&) = delete; // so neither copied nor moved
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace quillon::cli
