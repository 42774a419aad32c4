// Color: a clip's colour transform as scripts set it. The player keeps multipliers in
// 8.8 fixed point and offsets in 16 bits, so values round and wrap as they do there.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cstdint>

namespace quillon::engine::avm1 {

namespace {

// The keys of a transform object, in the order getTransform lists them: the percentage
// multiplier and the offset of red, green, blue and alpha.
constexpr const char* MultiplyKeys[4] = {"ra", "ga", "ba", "aa"};
constexpr const char* AddKeys[4] = {"rb", "gb", "bb", "ab"};

double Wrap16(double number) {
    return static_cast<double>(static_cast<std::int16_t>(ToInt32(number)));
}

// The clip a Color acts on: its target, a clip or a path from the root. An empty path
// names no clip.
ClipId TargetClip(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return 0;
    }
    const Value target = vm.getOf(o, "target", c.thisValue);
    if (target.isString() && target.str().empty()) {
        return 0;
    }
    if (target.isString()) {
        return vm.clipOf(vm.resolvePath(target.str(), vm.host().root()));
    }
    return vm.clipOf(target);
}

Value ColorCtor(Vm&, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->define("target", c.arg(0), DontEnum);
    }
    return c.thisValue;
}

// Changes the target's colour transform with change(color); nothing without a target.
template <class Change> Value ChangeColor(Vm& vm, CallInfo& c, Change change) {
    if (const ClipId clip = TargetClip(vm, c)) {
        ClipColor color = vm.host().color(clip);
        change(color);
        vm.host().setColor(clip, color);
    }
    return Value();
}

Value SetRgb(Vm& vm, CallInfo& c) {
    const std::uint32_t rgb = ToUint32(vm.toNumber(c.arg(0)));
    return ChangeColor(vm, c, [rgb](ClipColor& color) {
        for (int channel = 0; channel < 3; ++channel) {
            color.multiply[channel] = 0;
            color.add[channel] = (rgb >> (16 - 8 * channel)) & 0xff;
        }
    });
}

Value GetRgb(Vm& vm, CallInfo& c) {
    const ClipId clip = TargetClip(vm, c);
    if (!clip) {
        return Value();
    }
    const ClipColor color = vm.host().color(clip);
    const std::int32_t rgb =
        (ToInt32(color.add[0]) << 16) | (ToInt32(color.add[1]) << 8) | ToInt32(color.add[2]);
    return Value(static_cast<double>(rgb));
}

Value SetTransform(Vm& vm, CallInfo& c) {
    if (!c.arg(0).isObject()) {
        return Value();
    }
    const Value from = c.arg(0);
    return ChangeColor(vm, c, [&vm, &from](ClipColor& color) {
        for (int channel = 0; channel < 4; ++channel) {
            if (vm.hasOwn(from.o, MultiplyKeys[channel])) {
                const double percent = vm.toNumber(vm.get(from, MultiplyKeys[channel]));
                color.multiply[channel] = Wrap16(percent * 256 / 100) / 256;
            }
            if (vm.hasOwn(from.o, AddKeys[channel])) {
                color.add[channel] = Wrap16(vm.toNumber(vm.get(from, AddKeys[channel])));
            }
        }
    });
}

Value GetTransform(Vm& vm, CallInfo& c) {
    const ClipId clip = TargetClip(vm, c);
    if (!clip) {
        return Value();
    }
    const ClipColor color = vm.host().color(clip);
    Object* out = vm.newObject();
    for (int channel = 0; channel < 4; ++channel) {
        out->put(MultiplyKeys[channel], Value(color.multiply[channel] * 100));
        out->put(AddKeys[channel], Value(color.add[channel]));
    }
    return Value(out);
}

} // namespace

void InstallColorBuiltins(Vm& vm) {
    vm.defineClass("Color", ColorCtor,
                   {{"setRGB", SetRgb},
                    {"getRGB", GetRgb},
                    {"setTransform", SetTransform},
                    {"getTransform", GetTransform}});
}

} // namespace quillon::engine::avm1
