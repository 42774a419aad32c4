#pragma once
// Event sounds (DefineSound), the sounds of a button's state changes, and the index of
// every sound a movie holds.

#include "player/engine/characters/Characters.h"
#include "player/engine/characters/SoundData.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillon::engine {

// An event sound as stored: its format, the declared sample count and the data (for
// MP3 without the leading seek count, which is kept apart).
struct SoundCharacter : Character {
    std::uint16_t id = 0;
    SoundFormat format;
    std::uint32_t sampleCount = 0;
    int seekSamples = 0; // MP3: samples of decoder delay to skip at the start
    std::vector<std::uint8_t> data;
};

// The sounds a button plays on its state changes (DefineButtonSound).
enum class ButtonTransition { OverToUp = 0, UpToOver = 1, OverToDown = 2, DownToOver = 3 };
struct ButtonSounds {
    std::optional<SoundStart> sounds[4]; // by ButtonTransition
};

// Every sound of one movie, for listing, extraction and the script sound objects.
struct SoundLibrary {
    std::vector<std::shared_ptr<const SoundCharacter>> sounds; // in file order
    // Streams in file order with the timeline they belong to (0: the main timeline,
    // else the sprite's id).
    std::vector<std::pair<int, std::shared_ptr<const StreamSound>>> streams;
    std::map<std::uint16_t, ButtonSounds> buttons;
    // Names given to characters by ExportAssets and SymbolClass (scripts attach sounds
    // by them).
    std::map<std::string, std::uint16_t> exports;
};

} // namespace quillon::engine
