#pragma once
// The small word parser the subcommands share, and a private scratch folder.

#include "Commands.h"
#include "codec/Compression.h"

#include <functional>
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

// text as a whole number; a usage error of the command naming `what` otherwise.
long WholeNumber(const std::string& command, const std::string& text, const std::string& what);

// The words of a command that takes its options in any order and one source movie.
class OptionWords {
public:
    OptionWords(const Args& args, std::string command)
        : args_(args), command_(std::move(command)) {}
    // The word after the option being read; a usage error when there is none.
    const std::string& value();
    // Hands each option word to `option`, which reads its value through value() and
    // returns false for a word it does not know; returns the one source.
    std::string read(const std::function<bool(const std::string& option)>& option);
    // A usage error of this command: "COMMAND: TEXT".
    UsageError error(const std::string& text) const;

private:
    const Args& args_;
    std::string command_;
    std::size_t at_ = 0;
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
