// Timeline control, clip properties by index, targets and the requests scripts may not
// carry out themselves (getURL, fscommand, loads).

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/avm1/Keyboard.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <limits>

namespace quillon::engine::avm1 {

namespace {

constexpr std::array<const char*, ClipPropertyCount> PropertyNames = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

void Goto(Vm& vm, ClipId clip, int frame, bool play) {
    if (clip) {
        vm.host().gotoFrame(clip, frame, play);
    }
}

ClipId TargetOf(Vm& vm, Frame& frame, const Value& v) {
    if (const ClipId clip = vm.clipOf(v)) {
        return clip;
    }
    // a name is a clip's child or a variable of the clip code acts on, not one of the
    // scope chain; once that clip is removed, of the clip the code is in
    const std::string path = vm.toString(v);
    Value found = vm.resolvePath(path, LiveTarget(vm, frame));
    if (found.isUndefined() && path.find_first_of(".:") != std::string::npos) {
        found = GetVariable(vm, frame, path);
    }
    return vm.clipOf(found);
}

// GetURL and GetURL2. Flag 0x80 loads the url's variables into the target, 0x40 (or a
// target "_levelN") loads a movie there; an empty url unloads it.
void GetUrl(Vm& vm, Frame& frame, const std::string& url, const std::string& target,
            std::uint32_t flags = 0) {
    const int level = LevelNumber(target);
    if ((flags & 0xc0) || level >= 0) {
        const Vm::Load kind = (flags & 0x80) ? Vm::Load::Variables : Vm::Load::Movie;
        if (level >= 0) {
            vm.queueLoad(Value(static_cast<double>(level)), url, kind);
        } else if (const ClipId clip = TargetOf(vm, frame, Value(target))) {
            vm.queueLoad(Value(vm.clipObject(clip)), url, kind);
        }
        return;
    }
    if (vm.onGetUrl) {
        vm.onGetUrl(url, target, frame.target);
    }
}

// A flag an action takes: an object by its valueOf.
bool ActionFlag(Vm& vm, const Value& v) {
    return vm.toBool(v.isObject() ? vm.toPrimitive(v) : v);
}

// Dragging is the host's; the action still converts what it takes, in the player's order:
// the target, the centre flag, the constrain flag and then the four bounds.
void StartDrag(Vm& vm) {
    vm.toStr(vm.pop());
    ActionFlag(vm, vm.pop());
    if (ActionFlag(vm, vm.pop())) {
        for (int i = 0; i < 4; ++i) {
            vm.toNumber(vm.pop());
        }
    }
}

// A property's number, or -1 for one that names none (NaN, out of range).
int PropertyNumber(double n) {
    return n > -1 && n < ClipPropertyCount ? static_cast<int>(n) : -1;
}

// GetProperty, SetProperty, CloneSprite and RemoveSprite.
bool ClipListActions(Vm& vm, Frame& frame, const Instr& in, ClipId clip) {
    DisplayHost& host = vm.host();
    switch (in.op) {
    case 0x22: {
        const int index = PropertyNumber(vm.toNumber(vm.pop()));
        const Value target = vm.pop();
        const ClipId of =
            target.isString() && target.str().empty() ? clip : TargetOf(vm, frame, target);
        vm.push(GetClipProperty(vm, of, index));
        return true;
    }
    case 0x23: {
        const Value value = vm.pop();
        const int index = PropertyNumber(vm.toNumber(vm.pop()));
        const Value target = vm.pop();
        const ClipId of =
            target.isString() && target.str().empty() ? clip : TargetOf(vm, frame, target);
        SetClipProperty(vm, of, index, value);
        return true;
    }
    case 0x24: {
        const int depth = PlaceableDepth(ToInt32(vm.toNumber(vm.pop())));
        const std::string name = vm.toString(vm.pop());
        const ClipId source = TargetOf(vm, frame, vm.pop());
        if (source && depth >= 0) {
            host.duplicate(source, name, depth);
        }
        return true;
    }
    case 0x25:
        if (const ClipId target = TargetOf(vm, frame, vm.pop())) {
            host.remove(target);
        }
        return true;
    default:
        return false;
    }
}

} // namespace

int ClipPropertyIndex(std::string_view name) {
    if (name.size() < 2 || name[0] != '_') {
        return -1;
    }
    for (std::size_t i = 0; i < PropertyNames.size(); ++i) {
        if (EqualsIgnoringCase(name, PropertyNames[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Value GetClipProperty(Vm& vm, ClipId clip, int index) {
    if (!clip || index < 0 || index >= ClipPropertyCount) {
        return Value();
    }
    DisplayHost& host = vm.host();
    switch (static_cast<ClipProperty>(index)) {
    case ClipProperty::Target:
        return Value(vm.targetPath(clip, true));
    case ClipProperty::Name:
        return Value(host.name(clip));
    case ClipProperty::DropTarget:
        return Value("");
    case ClipProperty::Url:
        return Value(host.movieFacts(clip).url);
    case ClipProperty::Quality:
        return Value("HIGH");
    case ClipProperty::Visible:
        return Value(host.property(clip, ClipProperty::Visible) != 0);
    case ClipProperty::FocusRect:
        return FocusRectOf(vm, clip);
    default:
        return Value(host.property(clip, static_cast<ClipProperty>(index)));
    }
}

namespace {

// The number a clip property takes: undefined and null are none, in every version.
double PropertyNumber(Vm& vm, const Value& value) {
    return value.isNullish() ? std::numeric_limits<double>::quiet_NaN() : vm.toNumber(value);
}

} // namespace

void SetClipProperty(Vm& vm, ClipId clip, int index, const Value& value) {
    if (index < 0 || index >= ClipPropertyCount) {
        return;
    }
    // the value converts as the property takes it, whether the clip is there or not
    switch (static_cast<ClipProperty>(index)) {
    case ClipProperty::Name: {
        const std::string name = vm.toString(value);
        if (clip) {
            vm.host().setName(clip, name);
        }
        return;
    }
    case ClipProperty::CurrentFrame:
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded:
    case ClipProperty::XMouse:
    case ClipProperty::YMouse:
        vm.toNumber(value); // read-only numbers: converted, then dropped
        return;
    case ClipProperty::Target:
    case ClipProperty::DropTarget:
    case ClipProperty::Url:
    case ClipProperty::Quality:
        return;
    case ClipProperty::Visible: {
        // a number, not a flag: what is no number leaves the clip as it was
        const double number = PropertyNumber(vm, value);
        const bool visible = number != 0;
        if (!clip || std::isnan(number)) {
            return;
        }
        vm.host().setProperty(clip, ClipProperty::Visible, visible ? 1 : 0);
        if (!visible) {
            FocusedTurnedInvisible(vm, clip);
        }
        return;
    }
    case ClipProperty::FocusRect:
        if (clip) {
            SetFocusRect(vm, clip, value);
        }
        return;
    default: {
        const double number = PropertyNumber(vm, value);
        if (clip && !std::isnan(number)) {
            vm.host().setProperty(clip, static_cast<ClipProperty>(index), number);
        }
        return;
    }
    }
}

namespace {

// A frame named "path:frame" or "frame": the clip the path names (the frame's target
// without one; 0 when it names none) and the frame's part of the text.
std::string FramePart(Vm& vm, Frame& frame, std::string text, ClipId& clip) {
    clip = LiveTarget(vm, frame);
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        clip = TargetOf(vm, frame, Value(text.substr(0, colon)));
        text = text.substr(colon + 1);
    }
    return text;
}

// The frame index such a text names, by number or label; -1 for none.
int FrameOfText(Vm& vm, Frame& frame, const std::string& text, ClipId& clip) {
    const std::string part = FramePart(vm, frame, text, clip);
    if (!clip) {
        return -1;
    }
    const double number = StringToNumber(part, vm.version());
    return std::isfinite(number) ? FrameIndex(number) : vm.host().frameOfLabel(clip, part);
}

// A frame index moved by a scene bias, kept within an int (the far end is past any frame).
int Biased(int index, int bias) {
    return static_cast<int>(std::min<std::int64_t>(INT_MAX, std::int64_t{index} + bias));
}

} // namespace

void GotoFrame2(Vm& vm, Frame& frame, const Value& where, bool play, int bias) {
    ClipId clip = frame.target;
    int index = -1;
    if (where.isNumber() && std::trunc(where.n) == where.n) {
        index = FrameIndex(where.n);
    } else if (!where.isNumber()) {
        // anything else names a frame by its text: undefined the frame labelled so
        index = FrameOfText(vm, frame, vm.toString(where), clip);
    } else if (std::isfinite(where.n)) {
        // a fraction is a label too: no frame is numbered so
        clip = LiveTarget(vm, frame);
        index = clip ? vm.host().frameOfLabel(clip, NumberToString(where.n)) : -1;
    }
    // the scene's first frame moves numbers and labels alike
    index = index >= 0 ? Biased(index, bias) : -1;
    if (clip && index >= 0) {
        Goto(vm, clip, index, play);
    }
}

namespace {

// The actions that move one clip's playhead: NextFrame, PreviousFrame, Play, Stop,
// GotoFrame and GotoLabel; without a clip they do nothing. False for any other action.
bool PlayheadActions(Vm& vm, Frame& frame, const Instr& in, ClipId clip) {
    DisplayHost& host = vm.host();
    const bool playhead = in.op == 0x04 || in.op == 0x05 || in.op == 0x06 || in.op == 0x07 ||
                          in.op == 0x81 || in.op == 0x8c;
    if (!playhead || !clip) {
        return playhead;
    }
    switch (in.op) {
    case 0x04:
    case 0x05: {
        const int current = static_cast<int>(host.property(clip, ClipProperty::CurrentFrame));
        Goto(vm, clip, in.op == 0x04 ? current : current - 2, false);
        return true;
    }
    case 0x06:
    case 0x07:
        host.setPlaying(clip, in.op == 0x06);
        return true;
    case 0x81:
        Goto(vm, clip, static_cast<int>(in.a), false); // gotoAndStop; Play follows for a play
        return true;
    case 0x8c: {
        const int frameIndex = host.frameOfLabel(clip, frame.block->literals[in.a].str());
        if (frameIndex >= 0) {
            Goto(vm, clip, frameIndex, host.playing(clip));
        }
        return true;
    }
    default:
        return false;
    }
}

// Call: runs a frame's actions, named "path:frame", by number or label.
void CallFrameAction(Vm& vm, Frame& frame) {
    ClipId of = 0;
    const int index = FrameOfText(vm, frame, vm.toString(vm.pop()), of);
    if (of && index >= 0) {
        vm.host().callFrame(of, index);
    }
}

} // namespace

Value ExecTimelineAction(Vm& vm, Frame& frame, const Instr& in) {
    DisplayHost& host = vm.host();
    const ClipId clip = frame.target && host.exists(frame.target) ? frame.target : 0;
    if (ClipListActions(vm, frame, in, clip) || PlayheadActions(vm, frame, in, clip)) {
        return Value();
    }
    switch (in.op) {
    case 0x9f:
        GotoFrame2(vm, frame, vm.pop(), in.flags & 1, static_cast<int>(in.a));
        break;
    case 0x8b:
        SetTarget(vm, frame, frame.block->literals[in.a]);
        break;
    case 0x20:
        SetTarget(vm, frame, vm.pop());
        break;
    case 0x83:
        GetUrl(vm, frame, frame.block->literals[in.a].str(), frame.block->literals[in.b].str());
        break;
    case 0x9a: {
        const std::string target = vm.toString(vm.pop());
        GetUrl(vm, frame, vm.toString(vm.pop()), target, in.a);
        break;
    }
    case 0x27:
        StartDrag(vm);
        break;
    case 0x9e:
        CallFrameAction(vm, frame);
        break;
    default:
        break; // ToggleQuality, StopSounds, EndDrag and unknown actions do nothing here
    }
    return Value();
}

} // namespace quillon::engine::avm1
