// flash.display.BitmapData and Bitmap: the pixels live in the engine's BitmapPixels,
// which a Bitmap's clip shows; this side only reads the arguments.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/common/FilterSettings.h"

#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

int BlendModeNumber(Vm& vm, const Value& v) {
    return v.isNullish() ? 0 : BlendModeNamed(ToString(vm, v));
}

BitmapPixels& PixelsOf(Vm& vm, const Value& self) {
    StageState& state = StateOf(vm);
    const auto it = self.isObject() ? state.bitmaps.find(self.asObject()) : state.bitmaps.end();
    if (it == state.bitmaps.end() || !it->second) {
        vm.throwError(ErrorKind::ArgumentError, 2015, "Invalid BitmapData.");
    }
    return *it->second;
}

std::shared_ptr<BitmapPixels> SharedPixels(Vm& vm, const Value& v) {
    StageState& state = StateOf(vm);
    const auto it = v.isObject() ? state.bitmaps.find(v.asObject()) : state.bitmaps.end();
    return it == state.bitmaps.end() ? nullptr : it->second;
}

namespace {

ScriptField FieldsOf(Vm& vm, const Value& o) {
    return [&vm, o](const char* name) { return Field(vm, o, name); };
}

} // namespace

PixelRect RectArg(Vm& vm, const Value& r) {
    if (!r.isObject()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter rect must be non-null.");
    }
    return ReadPixelRect(FieldsOf(vm, r));
}

PixelPoint PointArg(Vm& vm, const Value& p) {
    return p.isObject() ? ReadPixelPoint(FieldsOf(vm, p)) : PixelPoint{};
}

ChannelTransform TransformArg(Vm& vm, const Value& ct) {
    return ct.isObject() ? ReadChannelTransform(FieldsOf(vm, ct)) : ChannelTransform{};
}

// A subclass bound to a bitmap of the movie gets that bitmap's pixels.
std::shared_ptr<BitmapPixels> SymbolPixels(Vm& vm, Object* self) {
    const std::optional<std::uint16_t> id = SymbolOfObject(vm, self);
    return id ? StateOf(vm).host.movieBitmap(*id, "") : nullptr;
}

namespace {

Value Init(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    std::shared_ptr<BitmapPixels> pixels = SymbolPixels(vm, self.asObject());
    if (!pixels) {
        const bool transparent = args.size() < 3 || ToBoolean(args[2]);
        const std::uint32_t fill = args.size() < 4 ? 0xffffffffu : ToUint32(vm, args[3]);
        pixels = BitmapPixels::make(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1)),
                                    transparent, fill);
    }
    if (!pixels) {
        vm.throwError(ErrorKind::ArgumentError, 2015, "Invalid BitmapData.");
    }
    state.bitmaps[self.asObject()] = std::move(pixels);
    return Value();
}

Value Size(Vm& vm, const Value& self, std::span<const Value>, int which) {
    const BitmapPixels& p = PixelsOf(vm, self);
    switch (which) {
    case 0:
        return Value::integer(p.width());
    case 1:
        return Value::integer(p.height());
    case 2:
        return Value::boolean(p.transparent());
    default:
        return NewGeom(vm, "Rectangle", {0, 0, double(p.width()), double(p.height())});
    }
}

template <int Which> Value SizeOf(Vm& vm, const Value& self, std::span<const Value> args) {
    return Size(vm, self, args, Which);
}

Value GetPixel(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::uint32_t argb =
        PixelsOf(vm, self).pixel32(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1)));
    return Value::unsignedInt(argb & 0xffffff);
}

Value GetPixel32(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::unsignedInt(
        PixelsOf(vm, self).pixel32(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1))));
}

// setPixel keeps the pixel's alpha, setPixel32 sets it too.
template <void (BitmapPixels::*Set)(int, int, std::uint32_t)>
Value SetPixelWith(Vm& vm, const Value& self, std::span<const Value> args) {
    (PixelsOf(vm, self).*Set)(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1)),
                              ToUint32(vm, Arg(args, 2)));
    return Value();
}

Value FillRect(Vm& vm, const Value& self, std::span<const Value> args) {
    PixelsOf(vm, self).fillRect(RectArg(vm, Arg(args, 0)), ToUint32(vm, Arg(args, 1)));
    return Value();
}

Value CopyPixels(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels& target = PixelsOf(vm, self);
    const BitmapPixels& source = PixelsOf(vm, Arg(args, 0));
    const std::shared_ptr<BitmapPixels> alpha = SharedPixels(vm, Arg(args, 3));
    target.copyPixels(source, RectArg(vm, Arg(args, 1)), PointArg(vm, Arg(args, 2)), alpha.get(),
                      PointArg(vm, Arg(args, 4)), ToBoolean(Arg(args, 5)));
    return Value();
}

Value ColorTransformMethod(Vm& vm, const Value& self, std::span<const Value> args) {
    PixelsOf(vm, self).colorTransform(RectArg(vm, Arg(args, 0)), TransformArg(vm, Arg(args, 1)));
    return Value();
}

Value Clone(Vm& vm, const Value& self, std::span<const Value>) {
    std::shared_ptr<BitmapPixels> copy = PixelsOf(vm, self).clone();
    if (!copy) {
        vm.throwError(ErrorKind::ArgumentError, 2015, "Invalid BitmapData.");
    }
    Object* o = AllocateInstance(vm, BuiltinClass(vm, "flash.display", "BitmapData"));
    StateOf(vm).bitmaps[o] = std::move(copy);
    return Value::object(o);
}

Value Dispose(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    state.bitmaps[self.asObject()] = nullptr;
    for (auto& [o, r] : state.displays) {
        if (r.bitmapData == self.asObject() && r.clip) {
            state.host.setBitmap(r.clip, nullptr, false);
        }
    }
    return Value();
}

Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return Value();
}

} // namespace

void InstallBitmapDataClass(Vm& vm) {
    NativeClass cls(vm, "BitmapData", vm.core.object, "flash.display");
    cls.init(Init)
        .getters({{"width", SizeOf<0>},
                  {"height", SizeOf<1>},
                  {"transparent", SizeOf<2>},
                  {"rect", SizeOf<3>}})
        .methods({{"getPixel", GetPixel},
                  {"getPixel32", GetPixel32},
                  {"setPixel", SetPixelWith<&BitmapPixels::setPixel>},
                  {"setPixel32", SetPixelWith<&BitmapPixels::setPixel32>},
                  {"fillRect", FillRect},
                  {"copyPixels", CopyPixels},
                  {"colorTransform", ColorTransformMethod},
                  {"clone", Clone},
                  {"dispose", Dispose},
                  {"lock", Nothing},
                  {"unlock", Nothing}});
    InstallBitmapDataMethods(vm, cls);
}

} // namespace quillon::engine::avm2stage
