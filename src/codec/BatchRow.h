#pragma once
// What a batch run does with one movie: naming its output, the status texts, and the
// transform with its result. Shared by the window's workers and the command-line tool.

#include "Compression.h"

#include <string>

namespace quillon {

inline constexpr const char* StatusOk = "Ok";
inline constexpr const char* StatusExist = "Exist!";
inline constexpr const char* StatusDiskFull = "Disk full!";
inline constexpr const char* StatusSkip = "Skip";
inline constexpr const char* StatusError = "Error";

// outputFolder + "/" + prefix + the input's file name (the part after its last "/").
// The "/" is always put in, also when the folder already ends in one.
std::string BatchOutputPath(const std::string& outputFolder, const std::string& prefix,
                            const std::string& input);

enum class BatchKind { Compress, Decompress };

struct BatchRowResult {
    std::string status;         // one of the status texts
    bool outputWritten = false; // the row's output name becomes the target
    std::string error;          // the message behind "Error"
};

// Handles one marked row as a run does: an existing target is "Exist!" and never
// replaced; then the transform, "Ok", "Disk full!" or (decompress) "Skip". An error the
// transform raises, or an empty input, gives "Error" with its message. Sets BatchSilent
// for its own duration and leaves BatchDiskFull cleared.
BatchRowResult ProcessBatchRow(BatchKind kind, const std::string& input, const std::string& target,
                               int level = DefaultZlibLevel);
// The same with a chosen compression method (level counts for ZlibLevel only).
BatchRowResult ProcessBatchRow(BatchKind kind, const std::string& input, const std::string& target,
                               CompressionMethod method, int level = DefaultZlibLevel);

} // namespace quillon
