#pragma once
// The settings values held from start-up to exit. Only the UI thread changes them; a
// batch run takes its own copy when it starts.

#include "codec/Compression.h"

#include <string>

namespace quillon {

extern std::string LanguageCode;       // "ENG", "FRA", or whatever config.ini gave
extern std::string OutputFolder;       // batch output folder, possibly empty
extern std::string CompressedPrefix;   // put before batch-compressed file names
extern std::string DecompressedPrefix; // put before batch-decompressed file names
extern std::string ModeName;           // "Single" or "Batch"
// How Compress, Estimate, a batch compress run and the one-row Compress compress.
extern CompressionMethod CompressionChoice;
// Whether the preview plays the movie's sound ("Sound" in config.ini; absent: on).
extern bool SoundEnabled;

} // namespace quillon
