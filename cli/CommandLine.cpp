#include "CommandLine.h"

#include "codec/Transforms.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace quillon::cli {

bool CommandLine::flag(const std::string& name) {
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == "--") {
            break;
        }
        if (*it == name) {
            args_.erase(it);
            return true;
        }
    }
    return false;
}

std::string CommandLine::option(const std::string& name, const std::string& fallback) {
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == "--") {
            break;
        }
        if (*it == name) {
            if (it + 1 == args_.end()) {
                throw UsageError{name + " needs a value"};
            }
            std::string value = *(it + 1);
            args_.erase(it, it + 2);
            return value;
        }
        if (it->starts_with(name + "=")) {
            std::string value = it->substr(name.size() + 1);
            args_.erase(it);
            return value;
        }
    }
    return fallback;
}

int CommandLine::intOption(const std::string& name, int fallback, int min, int max) {
    const std::string text = option(name, "");
    if (text.empty()) {
        return fallback;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        throw UsageError{name + " takes a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max)};
    }
    return value;
}

std::vector<std::string> CommandLine::positionals(int min, int max, const std::string& usage) {
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (const auto& word : args_) {
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            throw UsageError{"unknown option " + word};
        }
        words.push_back(word);
    }
    const int n = static_cast<int>(words.size());
    if (n < min || (max >= 0 && n > max)) {
        throw UsageError{usage};
    }
    return words;
}

long WholeNumber(const std::string& command, const std::string& text, const std::string& what) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw UsageError{command + ": " + what + " must be a whole number, not \"" + text + "\""};
    }
    return value;
}

const std::string& OptionWords::value() {
    if (at_ + 1 >= args_.size()) {
        throw error(args_[at_] + " needs a value");
    }
    return args_[++at_];
}

long OptionWords::number(long min, long max, const std::string& range) {
    const std::string& option = args_[at_];
    const long n = WholeNumber(command_, value(), option);
    if (n < min || n > max) {
        throw error(range);
    }
    return n;
}

std::string OptionWords::read(Table options) {
    std::optional<std::string> source;
    for (at_ = 0; at_ < args_.size(); ++at_) {
        const std::string& word = args_[at_];
        if (word.starts_with("--")) {
            const auto known = std::find_if(options.begin(), options.end(),
                                            [&](const auto& entry) { return entry.first == word; });
            if (known == options.end()) {
                throw error("unknown option " + word);
            }
            known->second();
        } else if (source) {
            throw error("more than one source given");
        } else {
            source = word;
        }
    }
    if (!source) {
        throw error("no source movie given");
    }
    return *source;
}

UsageError OptionWords::error(const std::string& text) const {
    return UsageError{command_ + ": " + text};
}

CompressionMethod CompressionOptions(CommandLine& line, int& level) {
    const bool lzma = line.flag("--lzma");
    const bool best = line.flag("--best");
    level = line.intOption("--level", -1, 0, 9);
    const bool hasLevel = level >= 0;
    if (int(lzma) + int(best) + int(hasLevel) > 1) {
        throw UsageError{"--lzma, --best and --level exclude one another"};
    }
    if (!hasLevel) {
        level = DefaultZlibLevel;
    }
    return lzma   ? CompressionMethod::Lzma
           : best ? CompressionMethod::ZlibSmallest
                  : CompressionMethod::ZlibLevel;
}

void PrintDiskFull() {
    std::cerr << "quillon-cli: " << DiskFullText << "\n";
}

// Scratch images are thrown away at once, so a memory-backed folder suits them best: a
// write there costs no disk flush, which would dominate a call on a small movie. TMPDIR
// still wins when the user set it.
std::string ScratchBase() {
    for (const char* variable : {"TMPDIR", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(variable);
        if (value && value[0] == '/' && ::access(value, W_OK | X_OK) == 0) {
            return value;
        }
    }
    if (::access("/dev/shm", W_OK | X_OK) == 0) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path().string();
}

} // namespace quillon::cli
