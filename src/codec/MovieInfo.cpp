#include "MovieInfo.h"

#include "Errors.h"
#include "FileIO.h"
#include "SwfImage.h"
#include "Transforms.h"

#include <vector>

namespace quillon {

namespace {

// The panel's values from the image the header is read from.
void DescribeImage(MovieInspection& result, std::span<const std::uint8_t> image) {
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
}

MovieInspection Inspect(const std::string& source, ScratchFile* scratch) {
    const std::vector<std::uint8_t> input = ReadWholeFile(source);
    MovieInspection result;
    result.fileSize = static_cast<std::int64_t>(input.size());
    std::vector<std::uint8_t> inflated;
    InflateOutcome outcome = InflateOutcome::Complete;
    if (input.size() >= 8) {
        outcome = DecompressSwfImage(input, inflated);
    } else if (!input.empty()) {
        // What the reporting decompress leaves of a source shorter than its header.
        const std::uint8_t plainSignature = 'F';
        if (scratch) {
            WriteScratchCopy(*scratch, std::span(&plainSignature, 1));
        }
        throw EReadError();
    }
    result.compressed = outcome == InflateOutcome::Complete;
    result.compressionStatus = result.compressed ? "Compressed" : "Uncompressed";
    result.estimate = result.compressed ? "File is compressed" : "Click \"Estimate\"";
    if (input.empty()) {
        return result; // an empty source has no header: its texts stay unknown
    }
    if (scratch) {
        // A full disk is said here ("Disk full!"); the values come from memory all the same.
        WriteScratchCopy(*scratch, inflated);
    }
    DescribeImage(result, result.compressed ? std::span<const std::uint8_t>(inflated)
                                            : std::span<const std::uint8_t>(input));
    return result;
}

} // namespace

MovieInspection InspectMovie(const std::string& source) {
    return Inspect(source, nullptr);
}

MovieInspection InspectMovie(const std::string& source, ScratchFile& scratch) {
    return Inspect(source, &scratch);
}

} // namespace quillon
