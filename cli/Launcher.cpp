// quillon-cli: runs the commands that neither draw nor play itself, linked with the
// Qt-free core only, so that a call maps a handful of libraries and starts at once; an
// archive checked one file per call spends its time on the files, not on start-up.
// Every other command, and every usage error, goes to quillon-cli-engine with the same
// words, so output and exit status are the engine's own.

#include "Commands.h"
#include "Run.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

using namespace quillon::cli;
namespace fs = std::filesystem;

namespace {

// Beside the tool in the build tree, in libexec/quillon once installed.
std::string EnginePath() {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    for (const fs::path& candidate :
         {folder / "quillon-cli-engine",
          folder / ".." / "libexec" / "quillon" / "quillon-cli-engine"}) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.lexically_normal().string();
        }
    }
    return "";
}

int HandToEngine(char** argv) {
    const std::string engine = EnginePath();
    if (!engine.empty()) {
        std::fflush(stdout);
        ::execv(engine.c_str(), argv);
    }
    std::fputs("quillon-cli: this command needs quillon-cli-engine, which is not installed\n",
               stderr);
    return ExitError;
}

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string, Command> commands = {
        {"info", RunInfoCommand},
        {"compress", RunCompressCommand},
        {"decompress", RunDecompressCommand},
        {"estimate", RunEstimateCommand},
        {"batch", RunBatchCommand},
        {"verify", RunVerifyCommand},
    };
    if (argc < 2 || !commands.contains(argv[1])) {
        return HandToEngine(argv);
    }
    try {
        return RunCommand(commands.at(argv[1]), Args(argv + 2, argv + argc), nullptr);
    } catch (const UsageError&) {
        return HandToEngine(argv);
    }
}
