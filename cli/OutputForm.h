#pragma once
// The output forms the reporting commands share.

#include "CommandLine.h"

#include <string>

namespace quillon::cli {

// Text lines; one JSON array; CSV rows; one JSON object a line, each written (and
// flushed) as its file is done, for tools that read results while the run goes on.
enum class OutputForm { Text, Json, Csv, JsonLines };

// Takes "--json", "--jsonl" and, when the command has it, "--csv": at most one.
OutputForm OutputFormOption(CommandLine& line, bool csvAllowed);

// The JSON line of a file that could not be handled at all.
std::string JsonErrorLine(const std::string& path, const std::string& message);

} // namespace quillon::cli
