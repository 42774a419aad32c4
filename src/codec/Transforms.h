#pragma once
// The whole-file transforms: compress a movie, decompress it (reporting and plain).

#include "Compression.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace quillon {

class ScratchFile;

// Per thread, so a batch worker's silence never hides a full disk from a command on
// the UI thread. A run sets BatchSilent for its duration; a transform whose write fails
// part-way while it is set raises BatchDiskFull instead of the "Disk full!" notice.
extern thread_local bool BatchSilent;
extern thread_local bool BatchDiskFull;

// The one notice the codec shows itself: "Disk full!". The program installs it (a
// message box in the window, a line on stderr in the command-line tool); it runs on the
// calling thread and the transform waits for it.
void SetDiskFullNotice(std::function<void()> notice);
inline constexpr const char* DiskFullText = "Disk full!";

// What a transform did with its target.
enum class WriteResult {
    NothingWritten, // the source was empty
    Written,        // the target holds the output
    DiskFull,       // writing failed part-way; the target is as it was
};

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
