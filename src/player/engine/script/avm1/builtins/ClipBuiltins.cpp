// MovieClip, Button and TextField methods: timeline control and the display list.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace quillon::engine::avm1 {

namespace {

constexpr int DepthOffset = ScriptDepthOffset;

// A script depth as a timeline depth, -1 where no clip may go.
int DepthArg(Vm& vm, CallInfo& c, std::size_t i) {
    return ScriptDepth(vm.toNumber(c.arg(i)));
}

// A script depth for swapping, finding and text fields: far-off depths saturating rather than
// overflowing.
int ClampedDepthArg(Vm& vm, CallInfo& c, std::size_t i) {
    const std::int64_t depth = std::int64_t{IntArg(vm, c, i, 0)} + DepthOffset;
    return static_cast<int>(std::clamp<std::int64_t>(depth, INT_MIN, INT_MAX));
}

ClipId ThisClip(Vm& vm, CallInfo& c) {
    return vm.clipOf(c.thisValue);
}

// The frame a goto names; "path:frame" moves the clip the path names instead.
int FrameArg(Vm& vm, ClipId& clip, const Value& given) {
    // an object names the frame its primitive names, its text when valueOf gives none
    Value v = given.isObject() ? vm.toPrimitive(given) : given;
    if (v.isObject()) {
        v = Value(vm.toString(v));
    }
    if (v.isString()) {
        std::string text = v.str();
        if (const std::size_t colon = text.rfind(':'); colon != std::string::npos) {
            clip = vm.clipOf(vm.resolvePath(text.substr(0, colon), clip));
            text.erase(0, colon + 1);
            if (!clip) {
                return -1;
            }
        }
        const double n = StringToNumber(text, vm.version());
        return std::isfinite(n) ? FrameIndex(n) : vm.host().frameOfLabel(clip, text);
    }
    const double n = vm.toNumber(v);
    return FrameIndex(n);
}

Value Timeline(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip) {
        return Value();
    }
    DisplayHost& host = vm.host();
    const int current = static_cast<int>(host.property(clip, ClipProperty::CurrentFrame)) - 1;
    switch (c.callee->magic) {
    case 0:
        host.setPlaying(clip, true);
        break;
    case 1:
        host.setPlaying(clip, false);
        break;
    case 2:
    case 3: {
        ClipId moved = clip;
        const int frame = FrameArg(vm, moved, c.arg(0));
        if (frame >= 0) {
            host.gotoFrame(moved, frame, c.callee->magic == 2);
        }
        break;
    }
    case 4:
        host.gotoFrame(clip, current + 1, false);
        break;
    default:
        host.gotoFrame(clip, current - 1, false);
        break;
    }
    return Value();
}

// A clip a script just made: its class (for a symbol registered with one), the init
// object's properties, then the class's constructor.
Value NewClip(Vm& vm, ClipId clip, Object* init) {
    Object* o = vm.clipObject(clip);
    if (!o) {
        return Value();
    }
    Object* cls = vm.giveClass(clip);
    if (init) {
        for (const Property& p : init->properties()) {
            vm.set(Value(o), p.name, p.value);
        }
    }
    vm.constructClip(clip, cls);
    return Value(o);
}

Value AttachMovie(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip || c.args.size() < 3) {
        return Value();
    }
    const int depth = DepthArg(vm, c, 2);
    const ClipId made =
        depth < 0 ? 0 : vm.host().attach(clip, vm.toString(c.arg(0)), vm.toString(c.arg(1)), depth);
    return made ? NewClip(vm, made, c.arg(3).isObject() ? c.arg(3).o : nullptr) : Value();
}

// duplicateMovieClip (magic 0: name, depth, init object) and createEmptyMovieClip (1:
// name, depth).
Value DuplicateOrCreate(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip || c.args.size() < 2) {
        return Value();
    }
    const std::string name = vm.toString(c.arg(0));
    const bool copy = c.callee->magic == 0;
    const int depth = DepthArg(vm, c, 1);
    if (depth < 0) {
        return Value();
    }
    const ClipId made =
        copy ? vm.host().duplicate(clip, name, depth) : vm.host().createEmpty(clip, name, depth);
    Object* init = copy && c.arg(2).isObject() ? c.arg(2).o : nullptr;
    return made ? NewClip(vm, made, init) : Value();
}

Value CreateText(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip || c.args.size() < 6) {
        return Value();
    }
    ClipBounds b;
    // the player places a new field in whole pixels
    const auto pixels = [&](std::size_t i) { return ToInt32(vm.toNumber(c.arg(i))) * 20.0; };
    b.xMin = pixels(2);
    b.yMin = pixels(3);
    b.xMax = b.xMin + pixels(4);
    b.yMax = b.yMin + pixels(5);
    const ClipId made =
        vm.host().createText(clip, vm.toString(c.arg(0)), ClampedDepthArg(vm, c, 1), b);
    if (EditField* field = made ? vm.host().textField(made) : nullptr) {
        field->spacesAlwaysTakeRoom = vm.version() < 8;
    }
    return made && vm.version() >= 8 ? NewClip(vm, made, nullptr) : Value();
}

Value RemoveClip(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (clip && vm.host().depth(clip) >= 0) {
        vm.host().remove(clip);
    }
    return Value();
}

// A depth to swap to as the player takes the number: a 64-bit integer cut to its low 32
// bits (NaN is 0); one past what 64 bits hold names no depth (-1).
int SwapDepthArg(double number) {
    if (std::isnan(number)) {
        number = 0;
    }
    if (!(std::fabs(number) < 9.2e18)) {
        return -1;
    }
    const auto low = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(number) & 0xffffffff));
    return PlaceableDepth(std::int64_t{low} + DepthOffset);
}

// swapDepths(clip or path): trades places with a clip of the same parent;
// swapDepths(depth): moves to the depth, its number taken as a 32-bit integer.
Value SwapDepths(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    const Value& arg = c.arg(0);
    if (!clip || arg.isUndefined()) {
        return Value();
    }
    DisplayHost& host = vm.host();
    ClipId other = vm.clipOf(arg);
    if (!other && arg.isString()) {
        other = vm.clipOf(vm.resolvePath(arg.str(), clip));
    }
    if (other) {
        if (host.parent(other) == host.parent(clip)) {
            host.swapDepths(clip, host.depth(other));
        }
    } else if (const int depth = SwapDepthArg(vm.toNumber(arg)); depth >= 0) {
        host.swapDepths(clip, depth);
    }
    return Value();
}

Value Depths(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip) {
        return Value();
    }
    DisplayHost& host = vm.host();
    switch (c.callee->magic) {
    case 0:
        // a level sits at the depth of its number
        return Value(static_cast<double>(host.parent(clip) ? host.depth(clip)
                                                           : std::max(0, host.levelOf(clip))) -
                     DepthOffset);
    case 1:
        return Value(std::max(0.0, static_cast<double>(host.nextHighestDepth(clip)) - DepthOffset));
    default: {
        // what scripts cannot reach there (a shape, static text) stands for this clip
        const ClipId at = host.atDepth(clip, ClampedDepthArg(vm, c, 0));
        return !at ? Value() : Value(vm.clipObject(host.kind(at) == ClipKind::Other ? clip : at));
    }
    }
}

// loadVariables (magic 0), loadMovie (1) and unloadMovie (2) on this clip.
Value LoadIntoClip(Vm& vm, CallInfo& c) {
    const int magic = c.callee->magic;
    if (ThisClip(vm, c) && (magic == 2 || !c.args.empty())) {
        vm.queueLoad(c.thisValue, magic == 2 ? std::string() : vm.toString(c.arg(0)),
                     magic == 0 ? Vm::Load::Variables : Vm::Load::Movie);
    }
    return Value();
}

// The clip an argument names: a clip, or anything else as a target path from the clip
// asked ("../a", "/a/b", "a:b", "_root.a"); 0 when it names none.
ClipId TargetArg(Vm& vm, const Value& target, ClipId clip) {
    if (const ClipId named = vm.clipOf(target)) {
        return named;
    }
    std::string path = vm.toString(target);
    if (path.empty()) {
        return 0;
    }
    std::replace(path.begin(), path.end(), ':', '/');
    return vm.clipOf(vm.resolvePath(path, clip));
}

Value Bounds(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip) {
        return Value();
    }
    const ClipId space = c.args.empty() ? clip : TargetArg(vm, c.arg(0), clip);
    if (!space) {
        return Value(); // a space named but not found
    }
    const ClipBounds b = vm.host().bounds(clip, space);
    Object* o = vm.newObject();
    o->put("xMin", Value(b.xMin / 20));
    o->put("xMax", Value(b.xMax / 20));
    o->put("yMin", Value(b.yMin / 20));
    o->put("yMax", Value(b.yMax / 20));
    return Value(o);
}

Value Convert(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    const Value point = c.arg(0);
    // only a point of its own numbers x and y is moved
    if (!clip || !point.isObject() || !point.o->find("x") || !point.o->find("y")) {
        return Value();
    }
    const Value px = vm.get(point, "x"), py = vm.get(point, "y");
    if (!px.isNumber() || !py.isNumber()) {
        return Value();
    }
    double x = px.n * 20, y = py.n * 20;
    if (c.callee->magic == 0) {
        vm.host().localToGlobal(clip, x, y);
    } else {
        vm.host().globalToLocal(clip, x, y);
    }
    // the player answers in whole twips
    vm.set(point, "x", Value(std::round(x) / 20));
    vm.set(point, "y", Value(std::round(y) / 20));
    return Value();
}

// setMask(clip or target path): the clip crops this one from now on; null or
// undefined takes the mask away. True when done.
Value SetMask(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip || c.args.empty()) {
        return Value();
    }
    const Value& arg = c.arg(0);
    // a number names a clip by its text, as a path does; numbers naming none and
    // booleans take the mask away as null does
    const ClipId named =
        arg.isNumber() ? vm.clipOf(vm.resolvePath(vm.toString(arg), vm.host().parent(clip))) : 0;
    if (named) {
        vm.host().setMask(clip, named);
        return Value(true);
    }
    if (arg.isNull() || arg.isUndefined() || arg.isNumber() || arg.isBool()) {
        vm.host().setMask(clip, 0);
        return Value(true);
    }
    std::string path = arg.isString() ? arg.str() : std::string();
    if (path.find('/') == std::string::npos) {
        std::replace(path.begin(), path.end(), ':', '.'); // "_level0:mask" names a clip too
    }
    const ClipId mask =
        arg.isString() ? vm.clipOf(vm.resolvePath(path, vm.host().parent(clip))) : vm.clipOf(arg);
    if (!mask) {
        return Value(false);
    }
    vm.host().setMask(clip, mask);
    return Value(true);
}

// hitTest(x, y, shapeFlag) with a point in pixels of the main timeline, or
// hitTest(clip): whether the two clips' bounds on the stage meet.
Value HitTest(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip || c.args.empty()) {
        return Value(false);
    }
    DisplayHost& host = vm.host();
    if (c.args.size() >= 2) {
        const double x = vm.toNumber(c.arg(0)) * 20, y = vm.toNumber(c.arg(1)) * 20;
        return Value(std::isfinite(x) && std::isfinite(y) &&
                     host.hitTest(clip, x, y, vm.toBool(c.arg(2))));
    }
    const ClipId other = TargetArg(vm, c.arg(0), clip);
    if (!other) {
        return Value(false);
    }
    const ClipBounds a = host.bounds(clip, 0), b = host.bounds(other, 0); // on the stage
    return Value(a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax);
}

Value Constant(Vm&, CallInfo& c) {
    switch (c.callee->magic) {
    case 1:
        return Value(false);
    default:
        return Value();
    }
}

// getSWFVersion (magic 0) and getBytesLoaded/getBytesTotal (1) of the clip's movie:
// everything arrives at once, so both counts are its whole length.
Value MovieFact(Vm& vm, CallInfo& c) {
    const ClipId clip = ThisClip(vm, c);
    if (!clip) {
        return Value();
    }
    const MovieFacts facts = vm.host().movieFacts(clip);
    // a picture loaded into the clip has version -1, which must stay negative
    return Value(c.callee->magic == 0 ? static_cast<double>(facts.version)
                                      : static_cast<double>(facts.bytes));
}

} // namespace

void InstallClipBuiltins(Vm& vm) {
    vm.movieClipProto = vm.newObject();
    vm.newClass(
        vm.global, "MovieClip", [](Vm&, CallInfo& c) { return c.thisValue; }, vm.movieClipProto);
    Object* p = vm.movieClipProto;
    const char* timeline[] = {"play",        "stop",      "gotoAndPlay",
                              "gotoAndStop", "nextFrame", "prevFrame"};
    for (int i = 0; i < 6; ++i) {
        vm.method(p, timeline[i], Timeline, i);
    }
    // clang-format off
    vm.methods(p, {
        {"attachMovie", AttachMovie}, {"duplicateMovieClip", DuplicateOrCreate, 0},
        {"createEmptyMovieClip", DuplicateOrCreate, 1}, {"createTextField", CreateText},
        {"removeMovieClip", RemoveClip}, {"swapDepths", SwapDepths}, {"getDepth", Depths, 0},
        {"getNextHighestDepth", Depths, 1}, {"getInstanceAtDepth", Depths, 2},
        {"getBounds", Bounds}, {"getRect", Bounds}, {"localToGlobal", Convert, 0},
        {"globalToLocal", Convert, 1}, {"hitTest", HitTest},
        {"getBytesLoaded", MovieFact, 1}, {"getBytesTotal", MovieFact, 1},
        {"getSWFVersion", MovieFact, 0}, {"loadVariables", LoadIntoClip, 0},
        {"loadMovie", LoadIntoClip, 1}, {"unloadMovie", LoadIntoClip, 2},
        {"setMask", SetMask}});
    // clang-format on
    // methods later players brought are not there for older movies
    const std::pair<const char*, std::uint16_t> later[] = {
        {"getDepth", FromVersion6},           {"createEmptyMovieClip", FromVersion6},
        {"createTextField", FromVersion6},    {"setMask", FromVersion6},
        {"getInstanceAtDepth", FromVersion7}, {"getNextHighestDepth", FromVersion7}};
    for (const auto& [name, since] : later) {
        if (Property* method = p->findAny(name)) {
            method->flags |= since;
        }
    }
    // the drawing methods live in DrawingBuiltins
    for (const char* name : {"startDrag", "stopDrag", "getURL"}) {
        vm.method(p, name, Constant, 0);
    }
    vm.buttonProto = vm.newObject();
    vm.newClass(
        vm.global, "Button", [](Vm&, CallInfo& c) { return c.thisValue; }, vm.buttonProto);
    vm.method(vm.buttonProto, "getDepth", Depths, 0);
    vm.textFieldProto = vm.newObject();
    vm.newClass(
        vm.global, "TextField", [](Vm&, CallInfo& c) { return c.thisValue; }, vm.textFieldProto);
    vm.methods(
        vm.textFieldProto,
        {{"getDepth", Depths, 0}, {"removeTextField", RemoveClip}, {"swapDepths", SwapDepths}});
}

} // namespace quillon::engine::avm1
