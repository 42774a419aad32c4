#pragma once
// Timelines as parsed: per frame, the display-list commands, the frame actions, the
// label and the sounds started; the stream sound of the whole timeline.

#include "player/engine/characters/Records.h"
#include "player/engine/characters/SoundData.h"

#include <QTransform>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

// Clip event bits of PlaceObject2/3 clip actions, as the format numbers them.
enum ClipEventBit : std::uint32_t {
    EventLoad = 1u << 0,
    EventEnterFrame = 1u << 1,
    EventUnload = 1u << 2,
    EventMouseMove = 1u << 3,
    EventMouseDown = 1u << 4,
    EventMouseUp = 1u << 5,
    EventKeyDown = 1u << 6,
    EventKeyUp = 1u << 7,
    EventData = 1u << 8,
    EventInitialize = 1u << 9,
    EventConstruct = 1u << 18,
};

struct ClipAction {
    std::uint32_t events = 0;
    std::vector<std::uint8_t> code;
};
using ClipActions = std::shared_ptr<const std::vector<ClipAction>>;

class Dictionary;

struct PlaceCommand {
    bool remove = false;
    int depth = 0;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::uint32_t epoch = 0; // dictionary position the character is looked up from
    // The dictionary of an imported library the command comes from; none: the movie's.
    const Dictionary* dictionary = nullptr;
    std::optional<QTransform> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<int> ratio;
    std::optional<int> clipDepth;
    std::optional<int> blendMode;
    std::optional<std::vector<Filter>> filters;
    std::optional<bool> visible;
    std::optional<std::uint32_t> opaqueBackground; // 0xRRGGBB
    std::optional<bool> cacheAsBitmap;
    std::string name;
    bool named = false; // a name was given, even an empty one
    ClipActions clipActions;
};

// A DoInitAction: the sprite it belongs to and its actions.
struct InitAction {
    std::uint16_t spriteId = 0;
    std::vector<std::uint8_t> code;
};

struct Frame {
    std::vector<PlaceCommand> commands;
    std::vector<std::vector<std::uint8_t>> actions;
    std::vector<InitAction> initActions;
    std::string label;
    std::vector<SoundStart> sounds; // StartSound and StartSound2
};

struct SceneStart {
    int frame = 0;
    std::string name;
};

struct Timeline {
    std::vector<Frame> frames;
    std::shared_ptr<StreamSound> stream; // none when it streams no sound
    std::vector<SceneStart> scenes;      // from DefineSceneAndFrameLabelData; none: one scene
    // The labels of DefineSceneAndFrameLabelData, which ActionScript 3 reads instead of
    // the FrameLabel tags when the timeline has one.
    std::optional<std::vector<SceneStart>> sceneLabels;
    // A sprite whose tags end in a whole frame and an End tag goes round again; one cut
    // short stays on its last frame.
    bool loops = true;
    int frameOfLabel(const std::string& label) const;
};

} // namespace quillon::engine
