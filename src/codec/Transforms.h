#pragma once
// The whole-file transforms: compress a movie, decompress it (reporting and plain).

#include "Compression.h"

#include <cstdint>
#include <span>
#include <string>

namespace quillon {

class ScratchFile;

// What a transform did with its target. A full disk is told only here: the caller
// decides what to show (the window a notice, a batch row its status, the command line a
// line on stderr and its exit status). The transforms keep no state and run on any thread.
enum class WriteResult {
    NothingWritten, // the source was empty
    Written,        // the target holds the output
    DiskFull,       // writing failed part-way; the target is as it was
};
inline constexpr const char* DiskFullText = "Disk full!";

WriteResult CompressSwfFile(const std::string& source, const std::string& target, int level);

// What a compress with a chosen method changed beyond the body, for the caller to tell.
struct CompressNotes {
    bool versionRaised = false; // an LZMA movie needed a newer version byte
    std::uint8_t sourceVersion = 0;
};
// The same with a chosen method; level counts for ZlibLevel only.
WriteResult CompressSwfFile(const std::string& source, const std::string& target,
                            CompressionMethod method, int level = DefaultZlibLevel,
                            CompressNotes* notes = nullptr);
// Reporting form: inflateFailed tells whether inflating the body failed.
WriteResult DecompressSwfFile(const std::string& source, const std::string& target,
                              bool& inflateFailed);
// The estimate: the compressed form written to scratch, which the caller removes.
WriteResult CompressSwfToScratch(const std::string& source, ScratchFile& scratch,
                                 CompressionMethod method, int level = DefaultZlibLevel);
// Writes a scratch copy, reporting a write that fails part-way as the transforms do.
WriteResult WriteScratchCopy(ScratchFile& scratch, std::span<const std::uint8_t> bytes);

// Plain form: a declared length below 8 ends it with EWriteError, another decoder error
// with ECompressionError, after the output has been written.
WriteResult DecompressSwfFile(const std::string& source, const std::string& target);

} // namespace quillon
