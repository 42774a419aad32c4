#include "KeyPresses.h"

#include "CommandLine.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace quillon::cli {

namespace {

constexpr int ShiftKey = 16;

// Key names as Key's constants spell them, in lower case.
constexpr std::pair<const char*, int> KeyNames[] = {
    {"backspace", 8}, {"tab", 9},    {"enter", 13}, {"shift", 16}, {"control", 17}, {"alt", 18},
    {"escape", 27},   {"space", 32}, {"pgup", 33},  {"pgdn", 34},  {"end", 35},     {"home", 36},
    {"left", 37},     {"up", 38},    {"right", 39}, {"down", 40},  {"insert", 45},  {"delete", 46}};

} // namespace

KeyPress ParseKeyPress(const std::string& command, const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        throw UsageError{command + ": --key takes FRAME:KEY, not \"" + text + "\""};
    }
    KeyPress press;
    press.frame = WholeNumber(command, text.substr(0, colon), "the frame of --key");
    std::string key = text.substr(colon + 1);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (key.rfind("shift+", 0) == 0) {
        press.shift = true;
        key.erase(0, 6);
    }
    for (const auto& [name, code] : KeyNames) {
        if (key == name) {
            press.code = code;
        }
    }
    if (press.code == 0 && key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        press.code = std::toupper(static_cast<unsigned char>(key[0]));
    }
    if (press.code == 0) {
        press.code = static_cast<int>(WholeNumber(command, key, "the key code of --key"));
    }
    if (press.frame < 1 || press.code < 1 || press.code > 255) {
        throw UsageError{command + ": --key needs a frame from 1 and a key code from 1 to 255"};
    }
    return press;
}

void PressKeys(engine::MovieEngine& movie, const std::vector<KeyPress>& keys, long frame) {
    for (const KeyPress& key : keys) {
        if (key.frame != frame) {
            continue;
        }
        if (key.shift) {
            movie.keyPressed(ShiftKey);
        }
        movie.keyPressed(key.code, key.shift);
        movie.keyReleased(key.code);
        if (key.shift) {
            movie.keyReleased(ShiftKey);
        }
    }
}

} // namespace quillon::cli
