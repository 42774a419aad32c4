#include "player/engine/script/FrameActions.h"

#include "player/engine/script/ActionRunner.h"

namespace quillon::engine {

namespace {

class ClipControl : public TimelineControl {
public:
    ClipControl(ClipRunner& runner, const std::shared_ptr<Clip>& clip)
        : runner_(runner), clip_(clip) {}
    void play() override { clip_->playing = true; }
    void stop() override { clip_->playing = false; }
    void nextFrame() override { go(clip_->frame + 1); }
    void prevFrame() override { go(clip_->frame - 1); }
    void gotoFrame(int frame) override { go(frame); }
    void gotoLabel(const std::string& label) override {
        const int frame = clip_->timeline ? clip_->timeline->frameOfLabel(label) : -1;
        if (frame >= 0) {
            go(frame);
        }
    }

private:
    void go(int frame) {
        clip_->playing = false;
        runner_.gotoFrame(clip_, frame);
    }
    ClipRunner& runner_;
    std::shared_ptr<Clip> clip_;
};
} // namespace

void RunFrameActions(ClipRunner& runner, const std::shared_ptr<Clip>& clip,
                     std::span<const std::uint8_t> code) {
    ClipControl control(runner, clip);
    RunSimpleActions(code, control);
}

} // namespace quillon::engine
