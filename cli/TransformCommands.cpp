// compress, decompress and estimate: the single-file transforms for scripts.

#include "CommandLine.h"
#include "Commands.h"
#include "codec/Errors.h"
#include "codec/Estimate.h"
#include "codec/FileIO.h"
#include "codec/ScratchFolder.h"
#include "codec/Transforms.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace quillon::cli {

namespace {

int ExitFor(WriteResult result, const std::string& source) {
    switch (result) {
    case WriteResult::NothingWritten:
        throw EEmptyFileError(source);
    case WriteResult::DiskFull:
        PrintDiskFull();
        return ExitWriteFailed;
    case WriteResult::Written:
        break;
    }
    return ExitOk;
}

} // namespace

int RunCompressCommand(const Args& args) {
    CommandLine line(args);
    int level = DefaultZlibLevel;
    const CompressionMethod method = CompressionOptions(line, level);
    const auto paths = line.positionals(2, 2, "compress needs SOURCE and TARGET");
    CompressNotes notes;
    const int status =
        ExitFor(CompressSwfFile(paths[0], paths[1], method, level, &notes), paths[0]);
    if (notes.versionRaised) {
        std::cerr << "quillon-cli: warning: " << paths[0] << ": version "
                  << int(notes.sourceVersion) << " raised to " << int(LzmaMinimumVersion)
                  << ", the first that reads LZMA movies\n";
    }
    return status;
}

int RunDecompressCommand(const Args& args) {
    CommandLine line(args);
    const auto paths = line.positionals(2, 2, "decompress needs SOURCE and TARGET");
    bool inflateFailed = false;
    const int status = ExitFor(DecompressSwfFile(paths[0], paths[1], inflateFailed), paths[0]);
    if (status == ExitOk && inflateFailed) {
        std::cerr << "quillon-cli: " << paths[0]
                  << ": the compressed body could not be inflated in full; the output holds "
                     "what could be read\n";
        return ExitInflateFailed;
    }
    return status;
}

int RunEstimateCommand(const Args& args) {
    CommandLine line(args);
    int level = DefaultZlibLevel;
    const CompressionMethod method = CompressionOptions(line, level);
    const auto paths = line.positionals(1, 1, "estimate needs SOURCE");
    const ScratchFolder scratch(ScratchBase(), "quillon");
    ScratchFile file(scratch.file("estimate.swf"));
    const EstimateResult estimate = EstimateCompressedSize(paths[0], file, method, level);
    const int status = ExitFor(estimate.written, paths[0]);
    if (status == ExitOk) {
        std::cout << estimate.size << " bytes\n";
    }
    return status;
}

} // namespace quillon::cli
