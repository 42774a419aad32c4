#pragma once
// One row of quillon-cli batch's output, as a tab-separated line or a JSON line.

#include <string>

namespace quillon::cli {

struct BatchLine {
    std::string status; // "Ok", "Exist!", "Disk full!", "Skip" or "Error"
    std::string input;
    std::string output;     // empty when nothing was written
    std::string inputSize;  // decimal, empty when unknown
    std::string outputSize; // decimal, empty when unknown
    std::string error;      // the message of an "Error" row
};

// STATUS<TAB>INPUT<TAB>OUTPUT<TAB>INPUT_SIZE<TAB>OUTPUT_SIZE and a line break.
std::string BatchTextLine(const BatchLine& line);
// {"status": ..., "input": ..., "output": ..., "inputSize": N|null, "outputSize": N|null}
// with "error" added when there is one; no line break.
std::string BatchJsonLine(const BatchLine& line);

} // namespace quillon::cli
