#include "SettingsValues.h"

namespace quillon {

std::string LanguageCode;
std::string OutputFolder;
std::string CompressedPrefix;
std::string DecompressedPrefix;
std::string ModeName;
CompressionMethod CompressionChoice = CompressionMethod::ZlibLevel;
bool SoundEnabled = true;

} // namespace quillon
