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
    bool compressed = false; // inflating did not fail
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

class ScratchFile;

// Inflates source in memory as the reporting decompress does and reads the header from
// the source or the inflated image; writes nothing. An EFOpenError for the source
// passes on, and so does EReadError for a source of 1 to 7 bytes. Reads the header with
// ReadSwfHeader, so it sets the frame and view rectangles: call it on the UI thread.
MovieInspection InspectMovie(const std::string& source);

// The same, and the inflated image is also written to scratch as opening a movie does,
// so that a full disk is reported; the values never depend on that write.
MovieInspection InspectMovie(const std::string& source, ScratchFile& scratch);

} // namespace quillon
