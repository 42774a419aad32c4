#pragma once
// Runs a movie's ActionScript 3: loads its ABC blocks, constructs the document class on
// the main timeline, and drives the frame cycle (enterFrame, frame scripts, exitFrame,
// timers on the virtual clock). Reaches the display list through DisplayHost only. The
// machine's headers stay out of here: Qt's keyword macros would clash with them.

#include "player/engine/display/ScriptEvents.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace quillon::avm2 {
class Vm;
}

namespace quillon::engine::avm2stage {

struct StageState;

struct RunnerSetup {
    std::uint32_t seed = 0;
    std::function<void(const std::string&)> trace;
    std::function<void(const std::string&)> warning;
    std::int64_t stepsPerFrame = 0; // 0: the machine's own budget
    double stageWidth = 550, stageHeight = 400, frameRate = 24;
    int swfVersion = 13;             // JSON came with version 13: older movies do not see it
    bool useNetwork = false;         // the movie's file attributes ask for network access
    double dateMs = 1262304000000.0; // the clock new Date() reads, moved on frame by frame
    // A file beside the movie or below its folder (NetStream.play, URLLoader); nothing
    // when missing or not allowed.
    std::function<std::optional<std::string>(const std::string& url)> readFile;
};

class MovieRunner : public ScriptEvents {
public:
    MovieRunner(DisplayHost& host, const RunnerSetup& setup);
    ~MovieRunner() override;

    // The body of a DoABC or DoABC2 tag: its ABC read, and unless marked lazy its entry
    // script run. A damaged block is a warning; the movie goes on.
    void loadAbcTag(std::uint16_t tagCode, std::span<const std::uint8_t> body);
    // Builds the stage and the main timeline's object, of the class bound to character
    // 0 (a plain MovieClip when none or unknown), binds the timeline's clips to the
    // classes of their characters, and runs the first frame's scripts.
    void startDocument(const std::map<std::uint16_t, std::string>& symbolClasses);
    // A new frame begins: a fresh step budget.
    void beginFrame();
    // The timeline has moved: enterFrame, the frame scripts, exitFrame, then the clock
    // moves on by frameMs and due timers fire.
    void endFrame(double frameMs);
    // A key goes down or up: Tab and Shift+Tab move the stage's focus.
    void keyPressed(int code, bool shift);
    void keyReleased(int code);

    // ActionScript 3 movies have no action blocks; clips that go are forgotten.
    void runActions(ClipId, const std::vector<std::uint8_t>&) override {}
    void clipEvent(ClipId, ClipEvent,
                   const std::vector<const std::vector<std::uint8_t>*>&) override {}
    void clipRemoved(ClipId clip) override;

    avm2::Vm& vm() { return *vm_; }

private:
    template <class Body> void guarded(Body&& body);
    void fireTimers();
    void fireCallbacks();

    std::unique_ptr<StageState> state_;
    std::unique_ptr<avm2::Vm> vm_;
};

} // namespace quillon::engine::avm2stage
