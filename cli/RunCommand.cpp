// quillon-cli run: runs a movie's frames and scripts without drawing, printing its
// trace() lines on standard output and its warnings on standard error.

#include "CommandLine.h"
#include "Commands.h"
#include "KeyPresses.h"
#include "codec/Errors.h"
#include "player/engine/MovieEngine.h"

#include <charconv>
#include <cstdio>
#include <iostream>

namespace quillon::cli {

namespace {

constexpr long MaxFrames = 1000000;

struct RunOptions {
    std::string source;
    long frames = 1;
    std::uint32_t seed = 0;
    double dateMs = 1262304000000.0;
    bool verbose = false;
    std::vector<KeyPress> keys;
};

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// "2010-01-01", "2010-01-01T12:30:00" or with a trailing Z; always UTC.
double ParseDate(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    const int read = std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    if (read != 3 && read != 6) {
        throw UsageError{"run: --date takes YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, not \"" + text +
                         "\""};
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) {
        throw UsageError{"run: --date \"" + text + "\" is not a date"};
    }
    const long long days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    return static_cast<double>(((days * 24 + h) * 60 + mi) * 60 + s) * 1000.0;
}

RunOptions ParseOptions(const Args& args) {
    RunOptions options;
    OptionWords words(args, "run");
    options.source = words.read({
        {"--frames",
         [&] { options.frames = words.number(1, MaxFrames, "--frames is between 1 and 1000000"); }},
        {"--seed",
         [&] {
             options.seed = static_cast<std::uint32_t>(
                 words.number(0, UINT32_MAX, "--seed is at most 4294967295"));
         }},
        {"--date", [&] { options.dateMs = ParseDate(words.value()); }},
        {"--verbose", [&] { options.verbose = true; }},
        {"--key", [&] { options.keys.push_back(ParseKeyPress("run", words.value())); }},
    });
    return options;
}

} // namespace

int RunRunCommand(const Args& args) {
    const RunOptions options = ParseOptions(args);
    engine::MovieEngine movie;
    engine::ScriptOptions scripts;
    scripts.seed = options.seed;
    scripts.dateMs = options.dateMs;
    scripts.trace = [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    };
    const std::string source = options.source;
    scripts.warning = [source](const std::string& text) {
        std::cerr << "quillon-cli: " << source << ": " << text << "\n";
    };
    if (options.verbose) {
        scripts.request = [source](const std::string& url, const std::string& target) {
            std::cerr << "quillon-cli: " << source << ": ignored request for \"" << url
                      << "\" (target \"" << target << "\")\n";
        };
    }
    movie.setScriptOptions(std::move(scripts));
    movie.load(options.source);
    PressKeys(movie, options.keys, 1);
    for (long n = 1; n < options.frames; ++n) {
        movie.advance();
        PressKeys(movie, options.keys, n + 1);
    }
    std::fflush(stdout);
    for (const std::string& warning : movie.warnings()) {
        std::cerr << "quillon-cli: " << options.source << ": " << warning << "\n";
    }
    return ExitOk;
}

} // namespace quillon::cli
