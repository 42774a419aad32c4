#pragma once
// What the tag parsers share while one movie is read.

#include "codec/swf/TagStream.h"
#include "player/engine/characters/BitmapPixels.h"
#include "player/engine/characters/Characters.h"
#include "player/engine/characters/ExportNames.h"
#include "player/engine/characters/Sound.h"

#include <QColor>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace quillon::engine {

// Nesting of sprites and buttons deeper than this is not followed.
inline constexpr int MaxNestingDepth = 32;
// Bitmaps larger than MaxBitmapPixels (BitmapPixels.h) are not decoded: the most a
// player ever showed.
// The bitmaps of one movie together hold at most this many pixels (512 MiB); any past it
// are dropped, so a movie of many huge bitmaps cannot take all the memory.
inline constexpr std::int64_t MaxMovieBitmapPixels = 128LL * 1024 * 1024;

struct ImportedLibrary;

// A DoABC or DoABC2 tag of the main timeline as it stands (the script side reads its
// flags, name and ABC bytes), and the frame it sits in.
struct AbcBlock {
    std::uint16_t tagCode = 0;
    std::vector<std::uint8_t> body;
    int frame = 0;
};

struct ParseContext {
    Dictionary dictionary;
    int version = 10;
    std::vector<std::uint8_t> jpegTables;
    std::optional<QColor> background;
    std::size_t bitmapBytes = 0; // decoded pixels held by bitmap characters
    std::vector<std::string> warnings;
    std::set<std::string> warned;
    std::int64_t bitmapPixels = 0; // decoded so far, against MaxMovieBitmapPixels
    SoundLibrary sounds;
    std::map<std::string, std::uint16_t> exports; // lower-cased export name -> character id
    // Imports: the movie's folder (libraries load only from below it), whether this is a
    // library read for another movie and how deep libraries import libraries, and the
    // libraries read by url, kept for their dictionaries.
    std::string folder;
    bool library = false;
    int importNesting = 0;
    std::map<std::string, std::shared_ptr<ImportedLibrary>> libraries;

    // ActionScript 3: the FileAttributes flag, the ABC blocks in tag order and the
    // SymbolClass bindings (character id -> class name; 0 is the main timeline).
    bool actionScript3 = false;
    // A local movie that asks for the network rather than local files (FileAttributes).
    bool useNetwork = false;
    std::vector<AbcBlock> abcBlocks;
    std::map<std::uint16_t, std::string> symbolClasses;
    // DefineBinaryData by character id, and their bytes together.
    std::map<std::uint16_t, std::shared_ptr<const std::vector<std::uint8_t>>> binaryData;
    std::size_t binaryBytes = 0;

    // Records a warning once per text; the list stays short on badly damaged files.
    void warn(const std::string& text);
};

using swf::Tag;

} // namespace quillon::engine
