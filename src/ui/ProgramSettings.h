#pragma once
// The window's one set of settings values, held from start-up to exit and changed only
// on the UI thread, under the names the rest of the window uses.

#include "settings/SettingsValues.h"

namespace quillon {

extern SettingsValues Settings;

inline std::string& LanguageCode = Settings.LanguageCode;
inline std::string& OutputFolder = Settings.OutputFolder;
inline std::string& CompressedPrefix = Settings.CompressedPrefix;
inline std::string& DecompressedPrefix = Settings.DecompressedPrefix;
inline std::string& ModeName = Settings.ModeName;
inline CompressionMethod& CompressionChoice = Settings.CompressionChoice;
inline int& BatchJobs = Settings.BatchJobs;
inline bool& SoundEnabled = Settings.SoundEnabled;

} // namespace quillon
