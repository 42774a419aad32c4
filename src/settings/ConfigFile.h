#pragma once
// config.ini: the settings that survive a restart. Start-up reads it in two pieces (the
// language comes first, so the interface can be translated before the rest is applied);
// shutdown writes it once; the Options dialog stores the output folder on its own.

#include "settings/IniFile.h"
#include "settings/SettingsValues.h"

#include <functional>
#include <string>

namespace quillon {

// The main window's outer geometry and whether it is maximised. For a maximised window
// the geometry is its maximised bounds.
struct WindowState {
    int top = 100;
    int left = 100;
    int width = 100;
    int height = 100;
    bool maximised = false;
};

// The folder of the executable + "config.ini".
std::string ConfigPath(const std::string& programFolder);

// The start-up reads into values: LanguageCode first; then the output folder, the window
// (applied geometry first, state second), the mode (runModeCommand(true) for exactly
// "Single", false for anything else), the two prefixes, the compression method, the
// number of batch jobs and whether the preview plays sound.
void LoadLanguage(const IniFile& config, SettingsValues& values);
void LoadRest(const IniFile& config, SettingsValues& values,
              const std::function<void(const WindowState&)>& applyWindow,
              const std::function<void(bool single)>& runModeCommand);

// "BatchJobs" in [Configuration]: absent, unreadable or below 1 reads as 1, and it is
// held at the number of cores. Never written: a user sets it by hand.
int ReadBatchJobs(const IniFile& config, int cores);

// The shutdown writes: every key but "OutputFolder". Throws EIniWriteError at the first
// key that cannot be written; the keys after it are not written.
void SaveSettings(IniFile& config, const SettingsValues& values, const WindowState& window);

// The Options dialog's confirmation: "OutputFolder" from values.
void StoreOutputFolder(IniFile& config, const SettingsValues& values);

// The Options dialog's confirmation of the compression method: its own key, written
// only there and only when the file does not already read as the choice, so that a
// configuration that never chose one stays as it was.
void StoreCompressionChoice(IniFile& config, const SettingsValues& values);

} // namespace quillon
