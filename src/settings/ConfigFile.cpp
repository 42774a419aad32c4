#include "ConfigFile.h"

#include "settings/SettingsValues.h"

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

void LoadLanguage(const IniFile& config) {
    LanguageCode = config.readString(kConfiguration, "DefaultLanguage", "");
}

void LoadRest(const IniFile& config, const std::function<void(const WindowState&)>& applyWindow,
              const std::function<void(bool single)>& runModeCommand) {
    OutputFolder = config.readString(kConfiguration, "OutputFolder", "");

    WindowState window;
    window.top = config.readInteger(kSize, "Top", window.top);
    window.left = config.readInteger(kSize, "Left", window.left);
    window.width = config.readInteger(kSize, "Width", window.width);
    window.height = config.readInteger(kSize, "Heigth", window.height);
    window.maximised = config.readBool(kForm, "InitMax", window.maximised);
    applyWindow(window);

    ModeName = config.readString(kConfiguration, "Mode", "");
    runModeCommand(ModeName == "Single");

    CompressedPrefix = config.readString(kConfiguration, "Prefix for compressed", "");
    DecompressedPrefix = config.readString(kConfiguration, "Prefix for decompressed", "");
    CompressionChoice =
        CompressionMethodFromText(config.readString(CompressionSection, CompressionKey, ""));
    SoundEnabled = config.readBool(kConfiguration, "Sound", true);
}

void SaveSettings(IniFile& config, const WindowState& window) {
    config.writeString(kConfiguration, "DefaultLanguage", LanguageCode);
    config.writeInteger(kSize, "Top", window.top);
    config.writeInteger(kSize, "Left", window.left);
    config.writeInteger(kSize, "Width", window.width);
    config.writeInteger(kSize, "Heigth", window.height);
    config.writeBool(kForm, "InitMax", window.maximised);
    config.writeString(kConfiguration, "Mode", ModeName);
    config.writeString(kConfiguration, "Prefix for compressed", CompressedPrefix);
    config.writeString(kConfiguration, "Prefix for decompressed", DecompressedPrefix);
}

void StoreOutputFolder(IniFile& config) {
    config.writeString(kConfiguration, "OutputFolder", OutputFolder);
}

void StoreCompressionChoice(IniFile& config) {
    // While the file already reads as the choice nothing is written, so that with the
    // default a configuration stays exactly as it was.
    const std::string stored = config.readString(CompressionSection, CompressionKey, "");
    if (CompressionMethodFromText(stored) != CompressionChoice) {
        config.writeString(CompressionSection, CompressionKey,
                           CompressionMethodText(CompressionChoice));
    }
}

} // namespace quillon
