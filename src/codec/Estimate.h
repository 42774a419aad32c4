#pragma once
// The estimate: how many bytes the compressed form of a movie takes. The window's
// Estimate command and `quillon-cli estimate` both ask this.

#include "Compression.h"
#include "Transforms.h"

#include <cstdint>
#include <string>

namespace quillon {

struct EstimateResult {
    WriteResult written = WriteResult::NothingWritten; // Written or DiskFull
    std::int64_t size = -1;                            // when written
};

// Compresses source into scratch exactly as CompressSwfFile writes a target, takes that
// file's size and removes scratch whatever happens. An empty source raises
// EEmptyFileError, a scratch file that cannot be read back EFOpenError; the transform's
// own errors pass on.
EstimateResult EstimateCompressedSize(const std::string& source, const std::string& scratch,
                                      CompressionMethod method, int level = DefaultZlibLevel);

} // namespace quillon
