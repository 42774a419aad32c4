#pragma once
// The settings values a program holds from start-up to exit. The window keeps its one
// set (only the UI thread changes it); a batch run takes its own copy when it starts.

#include "codec/Compression.h"

#include <string>

namespace quillon {

struct SettingsValues {
    std::string LanguageCode;       // "ENG", "FRA", or whatever config.ini gave
    std::string OutputFolder;       // batch output folder, possibly empty
    std::string CompressedPrefix;   // put before batch-compressed file names
    std::string DecompressedPrefix; // put before batch-decompressed file names
    std::string ModeName;           // "Single" or "Batch"
    // How Compress, Estimate, a batch compress run and the one-row Compress compress.
    CompressionMethod CompressionChoice = CompressionMethod::ZlibLevel;
    // How many rows the window's batch runs handle at once (config.ini only).
    int BatchJobs = 1;
    // Whether the preview plays the movie's sound ("Sound" in config.ini; absent: on).
    bool SoundEnabled = true;
};

} // namespace quillon
