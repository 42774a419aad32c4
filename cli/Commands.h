#pragma once
// The subcommands of quillon-cli. Each takes the words after its own name and returns
// the process exit status.

#include <string>
#include <vector>

namespace quillon::cli {

using Args = std::vector<std::string>;

// Exit statuses shared by the subcommands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitError = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitInflateFailed = 3;
inline constexpr int ExitWriteFailed = 4;
inline constexpr int ExitDamaged = 5; // verify found a movie with problems

int RunInfoCommand(const Args& args);
int RunCompressCommand(const Args& args);
int RunDecompressCommand(const Args& args);
int RunEstimateCommand(const Args& args);
int RunBatchCommand(const Args& args);
int RunRenderCommand(const Args& args);
int RunVerifyCommand(const Args& args);
int RunAudioCommand(const Args& args);
int RunSoundsCommand(const Args& args);
int RunRunCommand(const Args& args);

// Thrown for words the command does not understand; main prints usage.
struct UsageError {
    std::string message;
};

} // namespace quillon::cli
