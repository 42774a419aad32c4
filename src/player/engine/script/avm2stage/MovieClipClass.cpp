// flash.display.MovieClip (the timeline through the display host, frame scripts kept
// for the runner) and flash.display.Stage.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr int MaxFrameScripts = 16000;

ClipId ClipOf(Vm& vm, const Value& self) {
    const DisplayRecord* r = DisplayOf(vm, self);
    return r ? r->clip : 0;
}

double ClipNumber(Vm& vm, const Value& self, ClipProperty which) {
    const ClipId clip = ClipOf(vm, self);
    return clip ? StateOf(vm).host.property(clip, which) : 1;
}

Value CurrentFrame(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(ClipNumber(vm, self, ClipProperty::CurrentFrame));
}
Value TotalFrames(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(ClipNumber(vm, self, ClipProperty::TotalFrames));
}
Value NullValue(Vm&, const Value&, std::span<const Value>) {
    return Value::null();
}

Value SetPlaying(Vm& vm, const Value& self, bool playing) {
    if (const ClipId clip = ClipOf(vm, self)) {
        StateOf(vm).host.setPlaying(clip, playing);
    }
    return Value();
}
Value Play(Vm& vm, const Value& self, std::span<const Value>) {
    return SetPlaying(vm, self, true);
}
Value Stop(Vm& vm, const Value& self, std::span<const Value>) {
    return SetPlaying(vm, self, false);
}
Value IsPlaying(Vm& vm, const Value& self, std::span<const Value>) {
    const ClipId clip = ClipOf(vm, self);
    return Value::boolean(clip && StateOf(vm).host.playing(clip));
}

// A frame given as a number (1-based) or a label; -1 when there is no such frame.
int FrameArg(Vm& vm, ClipId clip, const Value& frame) {
    if (frame.isString()) {
        return StateOf(vm).host.frameOfLabel(clip, ToString(vm, frame));
    }
    const double n = ToNumber(vm, frame);
    return n >= 1 && n <= 1e9 ? static_cast<int>(n) - 1 : -1;
}

Value Goto(Vm& vm, const Value& self, const Value& frame, bool play) {
    const ClipId clip = ClipOf(vm, self);
    if (!clip) {
        return Value();
    }
    const int target = FrameArg(vm, clip, frame);
    if (target < 0) {
        vm.throwError(ErrorKind::ArgumentError, 2109,
                      "Frame label " + ToString(vm, frame) + " not found in scene Scene 1.");
    }
    StateOf(vm).host.gotoFrame(clip, target, play);
    // The new frame's children are there for the next line of the script.
    BindTimeline(vm);
    return Value();
}
Value GotoAndStop(Vm& vm, const Value& self, std::span<const Value> args) {
    return Goto(vm, self, Arg(args, 0), false);
}
Value GotoAndPlay(Vm& vm, const Value& self, std::span<const Value> args) {
    return Goto(vm, self, Arg(args, 0), true);
}
Value Step(Vm& vm, const Value& self, int by) {
    const ClipId clip = ClipOf(vm, self);
    if (!clip) {
        return Value();
    }
    DisplayHost& host = StateOf(vm).host;
    const int frame = static_cast<int>(host.property(clip, ClipProperty::CurrentFrame)) + by;
    const int total = static_cast<int>(host.property(clip, ClipProperty::TotalFrames));
    if (frame >= 1 && frame <= total) {
        host.gotoFrame(clip, frame - 1, false);
        BindTimeline(vm);
    } else {
        host.setPlaying(clip, false);
    }
    return Value();
}
Value NextFrame(Vm& vm, const Value& self, std::span<const Value>) {
    return Step(vm, self, 1);
}
Value PrevFrame(Vm& vm, const Value& self, std::span<const Value>) {
    return Step(vm, self, -1);
}

Value AddFrameScript(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayRecord* r = DisplayOf(vm, self);
    for (std::size_t i = 0; r && i + 1 < args.size(); i += 2) {
        const double frame = ToNumber(vm, args[i]);
        if (!(frame >= 0 && frame < MaxFrameScripts)) {
            continue;
        }
        if (args[i + 1].isObject()) {
            r->frameScripts[static_cast<int>(frame)] = args[i + 1];
        } else {
            r->frameScripts.erase(static_cast<int>(frame));
        }
    }
    return Value();
}

Value StageWidth(Vm& vm, const Value&, std::span<const Value>) {
    return NumberValue(StateOf(vm).stageWidth);
}
Value StageHeight(Vm& vm, const Value&, std::span<const Value>) {
    return NumberValue(StateOf(vm).stageHeight);
}
Value FrameRate(Vm& vm, const Value&, std::span<const Value>) {
    return NumberValue(StateOf(vm).frameRate);
}
Value SetFrameRate(Vm& vm, const Value&, std::span<const Value> args) {
    const double rate = ToNumber(vm, Arg(args, 0));
    if (rate >= 0.01 && rate <= 1000) {
        StateOf(vm).frameRate = rate;
    }
    return Value();
}
template <const char* Text> Value Constant(Vm&, const Value&, std::span<const Value>) {
    return Value::string(Text);
}
Value Ignore(Vm&, const Value&, std::span<const Value>) {
    return Value();
}
constexpr char NoScale[] = "noScale";
constexpr char TopLeft[] = "";
constexpr char High[] = "high";
constexpr char Normal[] = "normal";

} // namespace

void InstallMovieClipClass(Vm& vm, ClassObject* sprite) {
    NativeClass(vm, "MovieClip", sprite, "flash.display")
        .init(sprite->init.native)
        .getters({{"currentFrame", CurrentFrame},
                  {"totalFrames", TotalFrames},
                  {"framesLoaded", TotalFrames},
                  {"currentLabel", NullValue},
                  {"currentFrameLabel", NullValue},
                  {"isPlaying", IsPlaying}})
        .methods({{"play", Play},
                  {"stop", Stop},
                  {"gotoAndStop", GotoAndStop},
                  {"gotoAndPlay", GotoAndPlay},
                  {"nextFrame", NextFrame},
                  {"prevFrame", PrevFrame},
                  {"addFrameScript", AddFrameScript}});
}

void InstallStageClass(Vm& vm, ClassObject* container) {
    NativeClass stage(vm, "Stage", container, "flash.display");
    stage.init(container->init.native)
        .getters({{"stageWidth", StageWidth},
                  {"stageHeight", StageHeight},
                  {"frameRate", FrameRate},
                  {"scaleMode", Constant<NoScale>},
                  {"align", Constant<TopLeft>},
                  {"quality", Constant<High>},
                  {"displayState", Constant<Normal>},
                  {"focus", NullValue}})
        .setter("frameRate", SetFrameRate);
    for (const char* ignored : {"scaleMode", "align", "quality", "displayState", "focus"}) {
        stage.setter(ignored, Ignore);
    }
}

} // namespace quillon::engine::avm2stage
