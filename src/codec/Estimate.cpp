#include "Estimate.h"

#include "Errors.h"
#include "FileIO.h"

#include <cerrno>

namespace quillon {

EstimateResult EstimateCompressedSize(const std::string& source, ScratchFile& scratch,
                                      CompressionMethod method, int level) {
    EstimateResult result;
    result.written = CompressSwfToScratch(source, scratch, method, level);
    if (result.written == WriteResult::NothingWritten) {
        throw EEmptyFileError(source);
    }
    if (result.written == WriteResult::Written) {
        result.size = FileSizeOrMinusOne(scratch.path());
        if (result.size < 0) {
            throw EFOpenError(scratch.path(), ENOENT);
        }
    }
    return result;
}

} // namespace quillon
