#pragma once
// The small word parser the subcommands share, and where scratch files go.

#include "Commands.h"
#include "codec/Compression.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
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
    // An option word and what reading it does; the action reads its value through
    // value() or number().
    using Table = std::initializer_list<std::pair<std::string_view, std::function<void()>>>;

    OptionWords(const Args& args, std::string command)
        : args_(args), command_(std::move(command)) {}
    // The word after the option being read; a usage error when there is none.
    const std::string& value();
    // That word as a whole number from min to max; a usage error saying `range` otherwise.
    long number(long min, long max, const std::string& range);
    // Hands each option word to its action in `options`; an unknown one is a usage error.
    // Returns the one source.
    std::string read(Table options);
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

// The base folder of scratch files: memory-backed where the system has one.
std::string ScratchBase();

} // namespace quillon::cli
