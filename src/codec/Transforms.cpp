#include "Transforms.h"

#include "Errors.h"
#include "FileIO.h"
#include "SwfImage.h"

#include <mutex>
#include <vector>

namespace quillon {

thread_local bool BatchSilent = false;
thread_local bool BatchDiskFull = false;

namespace {

std::mutex noticeMutex;
std::function<void()> diskFullNotice;

WriteResult ReportWrite(bool written) {
    if (written) {
        return WriteResult::Written;
    }
    if (BatchSilent) {
        BatchDiskFull = true;
    } else {
        std::function<void()> notice;
        {
            std::lock_guard lock(noticeMutex);
            notice = diskFullNotice;
        }
        if (notice) {
            notice();
        }
    }
    return WriteResult::DiskFull;
}

WriteResult WriteTarget(const std::string& target, std::span<const std::uint8_t> output) {
    return ReportWrite(WriteFileReplacing(target, output));
}

} // namespace

WriteResult WriteScratchCopy(ScratchFile& scratch, std::span<const std::uint8_t> bytes) {
    return ReportWrite(scratch.write(bytes));
}

void SetDiskFullNotice(std::function<void()> notice) {
    std::lock_guard lock(noticeMutex);
    diskFullNotice = std::move(notice);
}

WriteResult CompressSwfFile(const std::string& source, const std::string& target, int level) {
    return CompressSwfFile(source, target, CompressionMethod::ZlibLevel, level);
}

namespace {

// The compressed form of a source file; empty for an empty source.
std::vector<std::uint8_t> CompressedForm(const std::string& source, CompressionMethod method,
                                         int level, CompressNotes* notes) {
    const std::vector<std::uint8_t> input = ReadWholeFile(source);
    if (input.empty()) {
        return {};
    }
    if (input.size() < 8) {
        throw EReadError();
    }
    std::vector<std::uint8_t> output = CompressSwfImage(input, method, level);
    if (notes) {
        notes->sourceVersion = input[3];
        notes->versionRaised = output[3] != input[3];
    }
    return output;
}

} // namespace

WriteResult CompressSwfFile(const std::string& source, const std::string& target,
                            CompressionMethod method, int level, CompressNotes* notes) {
    const std::vector<std::uint8_t> output = CompressedForm(source, method, level, notes);
    return output.empty() ? WriteResult::NothingWritten : WriteTarget(target, output);
}

WriteResult CompressSwfToScratch(const std::string& source, ScratchFile& scratch,
                                 CompressionMethod method, int level) {
    const std::vector<std::uint8_t> output = CompressedForm(source, method, level, nullptr);
    return output.empty() ? WriteResult::NothingWritten : WriteScratchCopy(scratch, output);
}

namespace {

struct DecompressRun {
    InflateOutcome outcome = InflateOutcome::Complete;
    bool lengthBelowHeader = false; // the declared length is below 8
};

// Both decompress forms: the output is written before any error passes on.
WriteResult Decompress(const std::string& source, const std::string& target, DecompressRun& run) {
    std::vector<std::uint8_t> input = ReadWholeFile(source);
    if (input.empty()) {
        return WriteResult::NothingWritten;
    }
    if (input.size() < 8) {
        const std::uint8_t plainSignature = 'F';
        WriteTarget(target, std::span(&plainSignature, 1));
        throw EReadError();
    }
    run.lengthBelowHeader = input[4] < 8 && input[5] == 0 && input[6] == 0 && input[7] == 0;
    std::vector<std::uint8_t> output;
    run.outcome = DecompressSwfImage(input, output);
    input = {};
    return WriteTarget(target, output);
}

} // namespace

WriteResult DecompressSwfFile(const std::string& source, const std::string& target,
                              bool& inflateFailed) {
    inflateFailed = false;
    DecompressRun run;
    const WriteResult result = Decompress(source, target, run);
    inflateFailed = run.outcome != InflateOutcome::Complete;
    return result;
}

WriteResult DecompressSwfFile(const std::string& source, const std::string& target) {
    DecompressRun run;
    const WriteResult result = Decompress(source, target, run);
    if (run.outcome == InflateOutcome::OtherError) {
        if (run.lengthBelowHeader) {
            throw EWriteError();
        }
        throw ECompressionError("Decompression error");
    }
    return result;
}

} // namespace quillon
