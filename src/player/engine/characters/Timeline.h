#pragma once
// Timelines as parsed: per frame, the display-list commands, the frame actions and the
// label.

#include "player/engine/characters/Records.h"

#include <QTransform>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

struct PlaceCommand {
    bool remove = false;
    int depth = 0;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::uint32_t epoch = 0; // dictionary position the character is looked up from
    std::optional<QTransform> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<int> ratio;
    std::optional<int> clipDepth;
    std::optional<int> blendMode;
    std::optional<std::vector<Filter>> filters;
    std::optional<bool> visible;
    std::string name;
};

struct Frame {
    std::vector<PlaceCommand> commands;
    std::vector<std::vector<std::uint8_t>> actions;
    std::string label;
};

struct Timeline {
    std::vector<Frame> frames;
    int frameOfLabel(const std::string& label) const;
};

} // namespace quillon::engine
