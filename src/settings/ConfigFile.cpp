#include "ConfigFile.h"

#include <algorithm>
#include <thread>

namespace quillon {

namespace {

constexpr const char* kConfiguration = "Configuration";
constexpr const char* kSize = "Size";
constexpr const char* kForm = "Form";

} // namespace

std::string ConfigPath(const std::string& programFolder) {
    const bool separated = !programFolder.empty() && programFolder.back() == '/';
    return programFolder + (separated ? "" : "/") + "config.ini";
}

void LoadLanguage(const IniFile& config, SettingsValues& values) {
    values.LanguageCode = config.readString(kConfiguration, "DefaultLanguage", "");
}

void LoadRest(const IniFile& config, SettingsValues& values,
              const std::function<void(const WindowState&)>& applyWindow,
              const std::function<void(bool single)>& runModeCommand) {
    values.OutputFolder = config.readString(kConfiguration, "OutputFolder", "");

    WindowState window;
    window.top = config.readInteger(kSize, "Top", window.top);
    window.left = config.readInteger(kSize, "Left", window.left);
    window.width = config.readInteger(kSize, "Width", window.width);
    window.height = config.readInteger(kSize, "Heigth", window.height);
    window.maximised = config.readBool(kForm, "InitMax", window.maximised);
    applyWindow(window);

    values.ModeName = config.readString(kConfiguration, "Mode", "");
    runModeCommand(values.ModeName == "Single");

    values.CompressedPrefix = config.readString(kConfiguration, "Prefix for compressed", "");
    values.DecompressedPrefix = config.readString(kConfiguration, "Prefix for decompressed", "");
    values.CompressionChoice =
        CompressionMethodFromText(config.readString(CompressionSection, CompressionKey, ""));
    const unsigned cores = std::thread::hardware_concurrency();
    values.BatchJobs = ReadBatchJobs(config, cores == 0 ? 1 : static_cast<int>(cores));
    values.SoundEnabled = config.readBool(kConfiguration, "Sound", true);
}

int ReadBatchJobs(const IniFile& config, int cores) {
    return std::clamp(config.readInteger(kConfiguration, "BatchJobs", 1), 1, std::max(1, cores));
}

void SaveSettings(IniFile& config, const SettingsValues& values, const WindowState& window) {
    config.writeString(kConfiguration, "DefaultLanguage", values.LanguageCode);
    config.writeInteger(kSize, "Top", window.top);
    config.writeInteger(kSize, "Left", window.left);
    config.writeInteger(kSize, "Width", window.width);
    config.writeInteger(kSize, "Heigth", window.height);
    config.writeBool(kForm, "InitMax", window.maximised);
    config.writeString(kConfiguration, "Mode", values.ModeName);
    config.writeString(kConfiguration, "Prefix for compressed", values.CompressedPrefix);
    config.writeString(kConfiguration, "Prefix for decompressed", values.DecompressedPrefix);
}

void StoreOutputFolder(IniFile& config, const SettingsValues& values) {
    config.writeString(kConfiguration, "OutputFolder", values.OutputFolder);
}

void StoreCompressionChoice(IniFile& config, const SettingsValues& values) {
    // While the file already reads as the choice nothing is written, so that with the
    // default a configuration stays exactly as it was.
    const std::string stored = config.readString(CompressionSection, CompressionKey, "");
    if (CompressionMethodFromText(stored) != values.CompressionChoice) {
        config.writeString(CompressionSection, CompressionKey,
                           CompressionMethodText(values.CompressionChoice));
    }
}

} // namespace quillon
