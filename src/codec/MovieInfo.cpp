#include "MovieInfo.h"

#include "Errors.h"
#include "FileIO.h"
#include "Transforms.h"

namespace quillon {

MovieInspection InspectMovie(const std::string& source, const std::string& scratch) {
    MovieInspection result;
    RemoveFileOnExit guard(scratch);
    bool inflateFailed = false;
    result.scratchDiskFull =
        DecompressSwfFile(source, scratch, inflateFailed) == WriteResult::DiskFull;
    result.compressed = !inflateFailed;
    result.compressionStatus = result.compressed ? "Compressed" : "Uncompressed";
    result.estimate = result.compressed ? "File is compressed" : "Click \"Estimate\"";
    result.fileSize = FileSizeOrMinusOne(source);

    const std::string& imagePath = result.compressed ? scratch : source;
    std::vector<std::uint8_t> image;
    try {
        image = ReadWholeFile(imagePath);
    } catch (const EFOpenError&) {
        // An empty source writes no inflated image: the header texts stay unknown.
        if (result.compressed) {
            return result;
        }
        throw;
    }
    MemoryStream stream(image);
    const SwfHeaderInfo header = ReadSwfHeader(stream);
    result.header = header;
    result.fields = ParseSwfHeaderFields(image);
    result.imageSize = static_cast<std::int64_t>(image.size());
    result.version = "v" + std::to_string(header.version);
    result.frameRate = std::to_string(header.frameRate) + " fps";
    if (result.compressed) {
        result.fileLength = std::to_string(header.declaredLength) + " bytes";
        result.fileStatus = header.declaredLength == result.imageSize ? "Ok" : "File is damaged";
    } else {
        result.fileLength = std::to_string(result.fileSize) + " bytes";
        result.fileStatus = header.declaredLength == result.fileSize ? "Ok" : "File is damaged!";
    }
    return result;
}

} // namespace quillon
