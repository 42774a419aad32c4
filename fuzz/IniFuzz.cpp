// The initialization-file reader on any file: the start-up reads, reads of the names the
// file itself holds, and a key written into it that reads back.

#include "settings/ConfigFile.h"
#include "settings/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The file's first "[section]" and the first "key=" after it, taken as the fuzzer wrote
// them, so reads also hit names that are really there.
std::pair<std::string, std::string> FirstNames(std::string_view text) {
    const auto open = text.find('[');
    if (open == std::string_view::npos) {
        return {};
    }
    const auto close = text.find(']', open);
    const auto lineEnd = text.find('\n', open);
    const std::string section(text.substr(open + 1, std::min(close, lineEnd) - open - 1));
    if (lineEnd == std::string_view::npos) {
        return {section, ""};
    }
    const auto equals = text.find('=', lineEnd);
    const auto keyEnd = std::min(equals, text.find('\n', lineEnd + 1));
    return {section, std::string(text.substr(lineEnd + 1, keyEnd - lineEnd - 1))};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One scratch file per process, removed at exit.
    static const struct Scratch {
        std::string path = "/tmp/quillon-ini-fuzz-" + std::to_string(getpid()) + ".ini";
        ~Scratch() { std::remove(path.c_str()); }
    } scratch;
    const std::string& path = scratch.path;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    quillon::IniFile ini(path);
    quillon::SettingsValues values;
    quillon::LoadLanguage(ini, values);
    quillon::LoadRest(
        ini, values, [](const quillon::WindowState&) {}, [](bool) {});
    if (values.BatchJobs < 1) {
        __builtin_trap();
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto [section, key] = FirstNames(text);
    const std::string value = ini.readString(section, key, "");
    if (value.size() > 4 * quillon::kMaxIniValueChars) {
        __builtin_trap();
    }
    ini.readInteger(section, key, -1);
    ini.readBool(section, key, true);
    quillon::ParseIniInteger(value);

    // Whatever the file held around it, a key written reads back, here and from disk.
    ini.writeInteger("Fuzz", "Written", 1234567);
    if (ini.readInteger("Fuzz", "Written", 0) != 1234567 ||
        quillon::IniFile(path).readInteger("fuzz", "WRITTEN", 0) != 1234567) {
        __builtin_trap();
    }
    return 0;
}
