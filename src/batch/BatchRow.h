#pragma once
// What a batch run does with one movie: naming its output, the status texts, and the
// transform with its result. Shared by the window's runs and one-row commands and by the
// command-line tool. Plain C++, no Qt.

#include "codec/Compression.h"
#include "codec/Transforms.h"

#include <exception>
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

// How a row is transformed: the kind, and for a compress the method and zlib level.
struct RowTransform {
    BatchKind kind = BatchKind::Compress;
    CompressionMethod method = CompressionMethod::ZlibLevel;
    int level = DefaultZlibLevel;
};

// What the transform of a row did.
struct RowWrite {
    WriteResult written = WriteResult::NothingWritten;
    bool inflateFailed = false; // decompress only
};

// The row's transform from input to target, with no existence test: the one-row
// commands replace an existing target. Errors pass on.
RowWrite TransformRow(const RowTransform& transform, const std::string& input,
                      const std::string& target);

struct BatchRowResult {
    std::string status;         // one of the status texts; empty: the row was not run
    bool outputWritten = false; // the row's output name becomes the target
    std::string error;          // the message behind "Error"
};

// Handles one marked row as a run does: an existing target is "Exist!" and never
// replaced; then the transform, "Ok", "Disk full!" or (decompress) "Skip". Any error,
// an empty input and running out of memory included, gives "Error" with its message;
// nothing leaves it.
BatchRowResult ProcessBatchRow(const RowTransform& transform, const std::string& input,
                               const std::string& target) noexcept;

// The message an error shows in a row or on the command line.
std::string ErrorMessage(const std::exception_ptr& error);

} // namespace quillon
