#include "BatchRow.h"

#include "Errors.h"
#include "FileIO.h"
#include "Transforms.h"

namespace quillon {

std::string BatchOutputPath(const std::string& outputFolder, const std::string& prefix,
                            const std::string& input) {
    return outputFolder + "/" + prefix + FileNameOf(input);
}

namespace {

// Keeps BatchSilent set for one row, whatever leaves the scope. The flags are bound
// once: GCC 12 at -O2 with -fsanitize=undefined reports the stores to these
// thread_local flags as null-pointer stores on any thread but the first.
class SilentScope {
public:
    SilentScope() : silent_(BatchSilent), diskFull_(BatchDiskFull), previous_(silent_) {
        silent_ = true;
    }
    bool diskFull() const { return diskFull_; }
    ~SilentScope() {
        silent_ = previous_;
        diskFull_ = false;
    }
    SilentScope(const SilentScope&) = delete;
    SilentScope& operator=(const SilentScope&) = delete;

private:
    bool& silent_;
    bool& diskFull_;
    bool previous_;
};

} // namespace

BatchRowResult ProcessBatchRow(BatchKind kind, const std::string& input, const std::string& target,
                               int level) {
    return ProcessBatchRow(kind, input, target, CompressionMethod::ZlibLevel, level);
}

BatchRowResult ProcessBatchRow(BatchKind kind, const std::string& input, const std::string& target,
                               CompressionMethod method, int level) {
    BatchRowResult result;
    if (FileExists(target)) {
        result.status = StatusExist;
        return result;
    }
    SilentScope silent;
    try {
        bool inflateFailed = false;
        const WriteResult written = kind == BatchKind::Compress
                                        ? CompressSwfFile(input, target, method, level)
                                        : DecompressSwfFile(input, target, inflateFailed);
        if (written == WriteResult::NothingWritten) {
            throw EEmptyFileError(input);
        }
        // A failed write left nothing behind, so that is reported before the inflate
        // result: a "Skip" row always names a file that exists.
        if (silent.diskFull()) {
            result.status = StatusDiskFull;
        } else if (inflateFailed) {
            result.status = StatusSkip;
            result.outputWritten = true;
        } else {
            result.status = StatusOk;
            result.outputWritten = true;
        }
    } catch (const QuillonError& error) {
        result.status = StatusError;
        result.error = error.what();
    }
    return result;
}

} // namespace quillon
