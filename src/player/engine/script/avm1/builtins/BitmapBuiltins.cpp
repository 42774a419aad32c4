// flash.display.BitmapData for ActionScript 1/2 and MovieClip.attachBitmap: the pixels
// live in the engine's BitmapPixels, shared with the clips that show them.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm1/builtins/Helpers.h"

#include <array>
#include <climits>
#include <cmath>

namespace quillon::engine::avm1 {

namespace {

BitmapPixels* PixelsOf(const Value& v) {
    return v.isObject() ? v.o->pixels.get() : nullptr;
}

ScriptField FieldsOf(Vm& vm, const Value& o) {
    return [&vm, o](const char* name) { return vm.toNumber(vm.get(o, name)); };
}

PixelRect RectArg(Vm& vm, const Value& r) {
    return r.isObject() ? ReadPixelRect(FieldsOf(vm, r)) : PixelRect{};
}

PixelPoint PointArg(Vm& vm, const Value& p) {
    return p.isObject() ? ReadPixelPoint(FieldsOf(vm, p)) : PixelPoint{};
}

ChannelTransform TransformArg(Vm& vm, const Value& ct) {
    return ct.isObject() ? ReadChannelTransform(FieldsOf(vm, ct)) : ChannelTransform{};
}

std::uint32_t ColorArg(Vm& vm, CallInfo& c, std::size_t i) {
    return ToUint32(vm.toNumber(c.arg(i)));
}

Value BitmapCtor(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o || !c.construct) {
        return Value();
    }
    const bool transparent = c.args.size() < 3 || vm.toBool(c.arg(2));
    const std::uint32_t fill = c.args.size() < 4 ? 0xffffffffu : ColorArg(vm, c, 3);
    o->pixels = BitmapPixels::make(IntArg(vm, c, 0, 0), IntArg(vm, c, 1, 0), transparent, fill);
    return c.thisValue;
}

// width (0), height (1), transparent (2), rectangle (3); -1 once disposed.
Value Size(Vm& vm, CallInfo& c) {
    const BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value(-1.0);
    }
    switch (c.callee->magic) {
    case 0:
        return Value(static_cast<double>(p->width()));
    case 1:
        return Value(static_cast<double>(p->height()));
    case 2:
        return Value(p->transparent());
    default: {
        const Value rect = vm.get(Value(FlashPackage(vm, "geom")), "Rectangle");
        const std::array<Value, 4> args{Value(0.0), Value(0.0),
                                        Value(static_cast<double>(p->width())),
                                        Value(static_cast<double>(p->height()))};
        return vm.construct(rect, args);
    }
    }
}

// getPixel (0), getPixel32 (1), setPixel (2), setPixel32 (3).
Value Pixel(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    const std::size_t needed = c.callee->magic < 2 ? 2 : 3;
    if (!p || c.args.size() < needed) {
        return Value(-1.0); // disposed, or too few arguments
    }
    const int x = IntArg(vm, c, 0, 0), y = IntArg(vm, c, 1, 0);
    switch (c.callee->magic) {
    case 0:
        return Value(static_cast<double>(p->pixel32(x, y) & 0xffffff));
    case 1:
        return Value(static_cast<double>(static_cast<std::int32_t>(p->pixel32(x, y))));
    case 2:
        p->setPixel(x, y, ColorArg(vm, c, 2));
        return Value();
    default:
        p->setPixel32(x, y, ColorArg(vm, c, 2));
        return Value();
    }
}

Value FillRect(Vm& vm, CallInfo& c) {
    if (BitmapPixels* p = PixelsOf(c.thisValue)) {
        p->fillRect(RectArg(vm, c.arg(0)), ColorArg(vm, c, 1));
    }
    return Value();
}

Value CopyPixels(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    const BitmapPixels* source = PixelsOf(c.arg(0));
    if (p && source) {
        p->copyPixels(*source, RectArg(vm, c.arg(1)), PointArg(vm, c.arg(2)), PixelsOf(c.arg(3)),
                      PointArg(vm, c.arg(4)), vm.toBool(c.arg(5)));
    }
    return Value();
}

Value ColorTransformMethod(Vm& vm, CallInfo& c) {
    if (BitmapPixels* p = PixelsOf(c.thisValue)) {
        p->colorTransform(RectArg(vm, c.arg(0)), TransformArg(vm, c.arg(1)));
    }
    return Value();
}

Value Clone(Vm& vm, CallInfo& c) {
    const BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value();
    }
    Object* copy = vm.newObject(c.thisValue.o->proto);
    copy->pixels = p->clone();
    return Value(copy);
}

Value Dispose(Vm&, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->pixels.reset();
    }
    return Value();
}

Value FloodFill(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p || c.args.size() < 3) {
        return Value(-1.0);
    }
    p->floodFill(IntArg(vm, c, 0, 0), IntArg(vm, c, 1, 0), ColorArg(vm, c, 2));
    return Value(1.0);
}

Value Scroll(Vm& vm, CallInfo& c) {
    if (BitmapPixels* p = PixelsOf(c.thisValue)) {
        p->scroll(IntArg(vm, c, 0, 0), IntArg(vm, c, 1, 0));
    }
    return Value();
}

Value Draw(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value();
    }
    const Value& m = c.arg(1);
    const auto field = [&](const char* name, double fallback) {
        return m.isObject() ? vm.toNumber(vm.get(m, name)) : fallback;
    };
    const std::array<double, 6> matrix{field("a", 1), field("b", 0),  field("c", 0),
                                       field("d", 1), field("tx", 0), field("ty", 0)};
    std::optional<PixelRect> clip;
    if (c.arg(4).isObject()) {
        clip = RectArg(vm, c.arg(4));
    }
    if (const BitmapPixels* source = PixelsOf(c.arg(0))) {
        p->drawBitmap(*source, matrix, TransformArg(vm, c.arg(2)), clip, vm.toBool(c.arg(5)));
    } else if (const ClipId clipId = vm.clipOf(c.arg(0))) {
        DisplayHost::PaintOptions options;
        options.matrix = {matrix[0],
                          matrix[1],
                          matrix[2],
                          matrix[3],
                          matrix[4] * TwipsPerPixel,
                          matrix[5] * TwipsPerPixel};
        options.color = TransformArg(vm, c.arg(2));
        options.clipArea = clip;
        options.smoothing = vm.toBool(c.arg(5));
        vm.host().paintClip(clipId, *p, options);
    }
    return Value();
}

Value LoadBitmap(Vm& vm, CallInfo& c) {
    std::shared_ptr<BitmapPixels> pixels = vm.host().movieBitmap(0, vm.toString(c.arg(0)));
    if (!pixels) {
        return Value();
    }
    const Value bitmapClass = vm.get(Value(FlashPackage(vm, "display")), "BitmapData");
    const Value proto = vm.get(bitmapClass, "prototype");
    Object* o = vm.newObject(proto.isObject() ? proto.o : vm.objectProto);
    o->pixels = std::move(pixels);
    return Value(o);
}

// MovieClip.attachBitmap(bitmap, depth, pixelSnapping, smoothing): a new clip showing
// the bitmap's pixels.
Value AttachBitmap(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const Value& bitmap = c.arg(0);
    if (!clip || !bitmap.isObject() || !bitmap.o->pixels) {
        return Value();
    }
    constexpr int DepthOffset = 16384; // scripts count depths from the timeline's 16384
    const std::int64_t depth = std::int64_t{IntArg(vm, c, 1, 0)} + DepthOffset;
    const ClipId child = vm.host().createEmpty(
        clip, "", static_cast<int>(std::clamp<std::int64_t>(depth, INT_MIN, INT_MAX)));
    if (child) {
        vm.host().setBitmap(child, bitmap.o->pixels, vm.toBool(c.arg(3)));
    }
    return Value();
}

} // namespace

void InstallBitmapBuiltins(Vm& vm) {
    Object* proto = vm.newObject();
    Object* cls = vm.newClass(FlashPackage(vm, "display"), "BitmapData", BitmapCtor, proto);
    const char* sizes[] = {"width", "height", "transparent", "rectangle"};
    for (int i = 0; i < 4; ++i) {
        Accessor(vm, proto, sizes[i], Size, nullptr, i);
    }
    vm.methods(proto, {{"getPixel", Pixel, 0},
                       {"getPixel32", Pixel, 1},
                       {"setPixel", Pixel, 2},
                       {"setPixel32", Pixel, 3},
                       {"fillRect", FillRect},
                       {"copyPixels", CopyPixels},
                       {"colorTransform", ColorTransformMethod},
                       {"clone", Clone},
                       {"dispose", Dispose},
                       {"floodFill", FloodFill},
                       {"scroll", Scroll},
                       {"draw", Draw}});
    vm.method(cls, "loadBitmap", LoadBitmap);
    vm.method(vm.movieClipProto, "attachBitmap", AttachBitmap);
}

} // namespace quillon::engine::avm1
