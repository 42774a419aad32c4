#pragma once
// Inspecting a movie as opening it does: the inflate test decides whether it counts as
// compressed, and the header values come from the source or the inflated image. The
// window's information panel and `quillon-cli info` both show this.

#include "SwfHeader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

struct MovieInspection {
    bool compressed = false;      // inflating did not fail
    bool scratchDiskFull = false; // the inflated image could not be written whole
    // The information panel's texts. The header-derived ones are empty when no image
    // could be read (an empty source writes no inflated image).
    std::string compressionStatus; // "Compressed" / "Uncompressed"
    std::string estimate;          // "Click \"Estimate\"" / "File is compressed"
    std::optional<SwfHeaderInfo> header;
    std::string version;    // "v10"
    std::string fileStatus; // "Ok", "File is damaged!", "File is damaged"
    std::string fileLength; // "1234 bytes"
    std::string frameRate;  // "24 fps"
    // Further facts for the command-line tool.
    SwfHeaderFields fields;     // of the image the header was read from
    std::int64_t fileSize = 0;  // of the source
    std::int64_t imageSize = 0; // of the image the header was read from
};

// Inflates source into scratch with the reporting decompress, reads the header, and
// deletes scratch whatever happens. An EFOpenError for the source passes on; so does
// every other error, after scratch is gone. Keeps no state: it runs on any thread, each
// caller with a scratch path of its own.
MovieInspection InspectMovie(const std::string& source, const std::string& scratch);

} // namespace quillon
