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

class ScratchFile;

// Compresses source into scratch exactly as CompressSwfFile writes a target and takes
// that file's size; the scratch file goes with its owner. An empty source raises
// EEmptyFileError, a scratch file that cannot be read back EFOpenError; the transform's
// own errors pass on.
EstimateResult EstimateCompressedSize(const std::string& source, ScratchFile& scratch,
                                      CompressionMethod method, int level = DefaultZlibLevel);

} // namespace quillon
