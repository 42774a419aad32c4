// flash.geom.ColorTransform: multipliers and offsets of the four channels.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Geom.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr const char* Fields[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                  "alphaMultiplier", "redOffset",       "greenOffset",
                                  "blueOffset",      "alphaOffset"};

Value Init(Vm& vm, const Value& self, std::span<const Value> args) {
    for (std::size_t i = 0; i < 8; ++i) {
        const double fallback = i < 4 ? 1 : 0;
        PutField(vm, self, Fields[i],
                 i < args.size() && !args[i].isUndefined() ? ToNumber(vm, args[i]) : fallback);
    }
    return Value();
}

Value GetColor(Vm& vm, const Value& self, std::span<const Value>) {
    const auto part = [&](const char* k, int shift) {
        return (static_cast<std::uint32_t>(ToInt32(vm, GetPublic(vm, self, k))) & 0xff) << shift;
    };
    return Value::unsignedInt(part("redOffset", 16) | part("greenOffset", 8) |
                              part("blueOffset", 0));
}

Value SetColor(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::uint32_t rgb = ToUint32(vm, Arg(args, 0));
    for (int i = 0; i < 3; ++i) {
        PutField(vm, self, Fields[i], 0);
        PutField(vm, self, Fields[4 + i], (rgb >> (16 - 8 * i)) & 0xff);
    }
    return Value();
}

Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& inner = Arg(args, 0);
    for (int i = 0; i < 4; ++i) {
        const double m = Field(vm, self, Fields[i]), o = Field(vm, self, Fields[4 + i]);
        PutField(vm, self, Fields[4 + i], Field(vm, inner, Fields[4 + i]) * m + o);
        PutField(vm, self, Fields[i], Field(vm, inner, Fields[i]) * m);
    }
    return Value();
}

Value Text(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(GeomText(vm, self,
                                  {{Fields[0], Fields[0]},
                                   {Fields[1], Fields[1]},
                                   {Fields[2], Fields[2]},
                                   {Fields[3], Fields[3]},
                                   {Fields[4], Fields[4]},
                                   {Fields[5], Fields[5]},
                                   {Fields[6], Fields[6]},
                                   {Fields[7], Fields[7]}}));
}

} // namespace

void InstallColorTransformClass(Vm& vm) {
    NativeClass cls(vm, "ColorTransform", vm.core.object, "flash.geom");
    for (const char* k : Fields) {
        cls.slot(k, Value::number(0));
    }
    cls.init(Init)
        .getter("color", GetColor)
        .setter("color", SetColor)
        .methods({{"concat", Concat}, {"toString", Text}});
}

} // namespace quillon::engine::avm2stage
