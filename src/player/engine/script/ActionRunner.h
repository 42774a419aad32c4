#pragma once
// The frame actions that need no script engine: stop, play, next and previous frame,
// go to a frame or a label. Anything else is passed over.

#include <cstdint>
#include <span>
#include <string>

namespace quillon::engine {

class TimelineControl {
public:
    virtual ~TimelineControl() = default;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void nextFrame() = 0;
    virtual void prevFrame() = 0;
    virtual void gotoFrame(int frame) = 0; // 0-based
    virtual void gotoLabel(const std::string& label) = 0;
};

// Runs one action block against a timeline. Returns false when it met scripting it
// does not run (the rest of such a block is conditional and is left alone).
bool RunSimpleActions(std::span<const std::uint8_t> code, TimelineControl& timeline);

} // namespace quillon::engine
