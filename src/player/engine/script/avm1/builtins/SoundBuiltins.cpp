// Sound. Sound is silent here: it keeps what scripts set and answers with it. Volume,
// pan and transform belong to the clip a sound was made for (every sound of that clip
// shares them; the global sound, made with no clip, has its own). A sound finds its clip
// by path each time, so it answers undefined while no clip has that path.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

// The transform's parts and the volume, kept on the owner's object.
constexpr const char* TransformParts[] = {"ll", "lr", "rr", "rl"};
constexpr double TransformDefaults[] = {100, 0, 100, 0};
constexpr const char* VolumeKey = "sound.volume";

std::string TransformKey(const char* part) {
    return std::string("sound.") + part;
}

double StoredOr(Object* owner, const std::string& key, double fallback) {
    const Value v = owner->setting(key);
    return v.type == Type::Number ? v.n : fallback;
}

// A whole number as the sound settings take it: out of range or not a number is the
// smallest one, a missing argument 0.
double SoundInt(Vm& vm, CallInfo& c) {
    if (c.args.empty()) {
        return 0;
    }
    return vm.toWholeOrSmallest(c.arg(0));
}

// The sound object's own record: the clip it was made for (primitive holds its path, or
// false when none was found; undefined for the global sound) and the attached sound.
Value SoundCtor(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return c.thisValue;
    }
    if (c.args.empty()) {
        return c.thisValue;
    }
    const ClipId clip = vm.clipOf(c.arg(0));
    o->target = clip;
    if (clip) {
        o->primitive = Value(vm.targetPath(clip, false));
    } else {
        // a path kept as written: the clip it names may come later
        o->primitive = c.arg(0).isString() ? c.arg(0) : Value(false);
    }
    return c.thisValue;
}

// Where the settings of a sound live; null when its clip is gone.
Object* Owner(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o || o->kind != Kind::Plain) {
        return nullptr;
    }
    if (o->primitive.isUndefined()) {
        return vm.global;
    }
    if (!o->primitive.isString()) {
        return nullptr;
    }
    // found by its path each time: a clip renamed away no longer owns the sound
    o->target = vm.clipOf(vm.resolvePath(o->primitive.str(), vm.host().root()));
    return o->target ? vm.clipObject(o->target) : nullptr;
}

Value SetVolume(Vm& vm, CallInfo& c) {
    if (Object* owner = Owner(vm, c)) {
        owner->keepSetting(VolumeKey, Value(SoundInt(vm, c)));
    }
    return Value();
}

Value GetVolume(Vm& vm, CallInfo& c) {
    Object* owner = Owner(vm, c);
    return owner ? Value(StoredOr(owner, VolumeKey, 100)) : Value();
}

double Part(Object* owner, int i) {
    return StoredOr(owner, TransformKey(TransformParts[i]), TransformDefaults[i]);
}

// Panning right quietens the left channel, panning left the right one.
Value SetPan(Vm& vm, CallInfo& c) {
    if (Object* owner = Owner(vm, c)) {
        const double pan = SoundInt(vm, c);
        owner->keepSetting(TransformKey("ll"), Value(pan >= 0 ? 100 - pan : 100));
        owner->keepSetting(TransformKey("rr"), Value(pan >= 0 ? 100 : 100 + pan));
    }
    return Value();
}

// The pan a transform stands for: a quieter left channel pans right, else the right
// channel's difference from full.
Value GetPan(Vm& vm, CallInfo& c) {
    Object* owner = Owner(vm, c);
    if (!owner) {
        return Value();
    }
    const double left = std::abs(Part(owner, 0)), right = std::abs(Part(owner, 2));
    return Value(left != 100 ? 100 - left : right - 100);
}

// setTransform takes the parts the object holds itself as whole numbers (wrapped to 32
// bits; not a number is 0) and keeps the others.
Value SetTransform(Vm& vm, CallInfo& c) {
    Object* owner = Owner(vm, c);
    if (!owner || !c.arg(0).isObject()) {
        return Value();
    }
    Object* given = c.arg(0).o;
    for (const char* part : TransformParts) {
        // only the object's own parts count, none it inherits
        const Value v = given->find(part) ? vm.get(c.arg(0), part) : Value();
        const double n = v.isUndefined() ? 0.5 : vm.toNumber(v);
        if ((std::isnan(n) || n == std::trunc(n)) && (owner = Owner(vm, c))) {
            owner->keepSetting(TransformKey(part), Value(static_cast<double>(ToInt32(n))));
        }
    }
    return Value();
}

Value GetTransform(Vm& vm, CallInfo& c) {
    Object* owner = Owner(vm, c);
    if (!owner) {
        return Value();
    }
    Object* t = vm.newObject();
    for (int i = 0; i < 4; ++i) {
        t->put(TransformParts[i], Value(Part(owner, i)));
    }
    return Value(t);
}

// attachSound keeps the length of the exported sound; position stays at the start, as
// nothing plays.
Value AttachSound(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o || c.args.empty()) {
        return Value();
    }
    if (const std::optional<double> ms = vm.host().soundLength(vm.toString(c.arg(0)))) {
        o->keepSetting("sound.duration", Value(std::round(*ms)));
    }
    return Value();
}

// magic 0: duration, 1: position; undefined before a sound is attached.
Value SoundTime(Vm&, CallInfo& c) {
    Object* o = ThisObject(c);
    const Value duration = o ? o->setting("sound.duration") : Value();
    if (duration.isUndefined()) {
        return Value();
    }
    return c.callee->magic == 0 ? duration : Value(0.0);
}

Value Nothing(Vm&, CallInfo&) {
    return Value();
}

Value Zero(Vm&, CallInfo&) {
    return Value(0.0);
}

} // namespace

void InstallSoundBuiltins(Vm& vm) {
    vm.soundProto = vm.newObject();
    vm.newClass(vm.global, "Sound", SoundCtor, vm.soundProto);
    Object* p = vm.soundProto;
    // clang-format off
    vm.methods(p, {
        {"setVolume", SetVolume}, {"setPan", SetPan}, {"setTransform", SetTransform},
        {"getVolume", GetVolume}, {"getPan", GetPan}, {"getTransform", GetTransform},
        {"attachSound", AttachSound}, {"start", Nothing}, {"stop", Nothing}});
    // clang-format on
    const Vm::MethodEntry later[] = {{"getDuration", SoundTime, 0}, {"setDuration", Nothing},
                                     {"getPosition", SoundTime, 1}, {"setPosition", Nothing},
                                     {"loadSound", Nothing},        {"getBytesLoaded", Zero},
                                     {"getBytesTotal", Zero}};
    for (const Vm::MethodEntry& entry : later) {
        vm.method(p, entry.name, entry.fn, entry.magic);
        p->findAny(entry.name)->flags |= FromVersion6;
    }
    Accessor(vm, p, "duration", SoundTime, nullptr, 0);
    Accessor(vm, p, "position", SoundTime, nullptr, 1);
    p->define("id3", Value(), DontEnum | FromVersion6);
    for (const char* name : {"duration", "position"}) {
        p->findAny(name)->flags |= FromVersion6;
    }
}

} // namespace quillon::engine::avm1
