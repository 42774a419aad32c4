#include "BatchRow.h"

#include "codec/Errors.h"
#include "codec/FileIO.h"

#include <new>

namespace quillon {

std::string BatchOutputPath(const std::string& outputFolder, const std::string& prefix,
                            const std::string& input) {
    return outputFolder + "/" + prefix + FileNameOf(input);
}

RowWrite TransformRow(const RowTransform& transform, const std::string& input,
                      const std::string& target) {
    RowWrite row;
    row.written = transform.kind == BatchKind::Compress
                      ? CompressSwfFile(input, target, transform.method, transform.level)
                      : DecompressSwfFile(input, target, row.inflateFailed);
    return row;
}

std::string ErrorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

namespace {

BatchRowResult RowResult(const RowWrite& row, const std::string& input) {
    if (row.written == WriteResult::NothingWritten) {
        throw EEmptyFileError(input);
    }
    // A batch run stays silent about a full disk: the row's status tells it. A failed
    // write left nothing behind, so it goes before the inflate result: a "Skip" row
    // always names a file that exists.
    const bool BatchDiskFull = row.written == WriteResult::DiskFull;
    if (BatchDiskFull) {
        return {StatusDiskFull, false, {}};
    }
    return {row.inflateFailed ? StatusSkip : StatusOk, true, {}};
}

} // namespace

BatchRowResult ProcessBatchRow(const RowTransform& transform, const std::string& input,
                               const std::string& target) noexcept {
    try {
        if (FileExists(target)) {
            return {StatusExist, false, {}};
        }
        return RowResult(TransformRow(transform, input, target), input);
    } catch (...) {
        BatchRowResult result;
        result.status = StatusError;
        try {
            result.error = ErrorMessage(std::current_exception());
        } catch (...) {
            // No room even for the message: the status says enough.
        }
        return result;
    }
}

} // namespace quillon
