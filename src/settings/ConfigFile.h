#pragma once
// config.ini: the settings that survive a restart. Start-up reads it in two pieces (the
// language comes first, so the interface can be translated before the rest is applied);
// shutdown writes it once; the Options dialog stores the output folder on its own.

#include "settings/IniFile.h"

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

// The start-up reads: LanguageCode first; then the output folder, the window (applied
// geometry first, state second), the mode (runModeCommand(true) for exactly "Single",
// false for anything else), the two prefixes, the compression method and whether the
// preview plays sound.
void LoadLanguage(const IniFile& config);
void LoadRest(const IniFile& config, const std::function<void(const WindowState&)>& applyWindow,
              const std::function<void(bool single)>& runModeCommand);

// The shutdown writes: every key but "OutputFolder". Throws EIniWriteError at the first
// key that cannot be written; the keys after it are not written.
void SaveSettings(IniFile& config, const WindowState& window);

// The Options dialog's confirmation: "OutputFolder" from OutputFolder.
void StoreOutputFolder(IniFile& config);

// The Options dialog's confirmation of the compression method: its own key, written
// only there and only when the file does not already read as the choice, so that a
// configuration that never chose one stays as it was.
void StoreCompressionChoice(IniFile& config);

} // namespace quillon
