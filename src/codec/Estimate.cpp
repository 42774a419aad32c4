#include "Estimate.h"

#include "Errors.h"
#include "FileIO.h"

#include <cerrno>

namespace quillon {

EstimateResult EstimateCompressedSize(const std::string& source, const std::string& scratch,
                                      CompressionMethod method, int level) {
    RemoveFileOnExit remove(scratch);
    EstimateResult result;
    result.written = CompressSwfFile(source, scratch, method, level);
    if (result.written == WriteResult::NothingWritten) {
        throw EEmptyFileError(source);
    }
    if (result.written == WriteResult::Written) {
        result.size = FileSizeOrMinusOne(scratch);
        if (result.size < 0) {
            throw EFOpenError(scratch, ENOENT);
        }
    }
    return result;
}

} // namespace quillon
