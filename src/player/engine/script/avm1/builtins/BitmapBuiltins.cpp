// flash.display.BitmapData for ActionScript 1/2 and MovieClip.attachBitmap: the pixels
// live in the engine's BitmapPixels, shared with the clips that show them.

#include "player/engine/characters/BitmapQueries.h"
#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm1/builtins/Helpers.h"

#include <array>
#include <climits>
#include <cmath>

namespace quillon::engine::avm1 {

namespace {

// The player answers a call it refuses with a number: -1 for too few arguments or a
// disposed bitmap, and a lower one naming the first argument it rejects.
constexpr double Refused = -1, BadSource = -2, DisposedSource = -3, BadRect = -4;

constexpr std::string_view BitmapClassName = "BitmapData";

BitmapPixels* PixelsOf(const Value& v) {
    return v.isObject() ? v.o->pixels.get() : nullptr;
}

// A BitmapData, disposed or not.
bool IsBitmap(const Value& v) {
    return v.isObject() && v.o->className == BitmapClassName;
}

Object* NewBitmapObject(Vm& vm, std::shared_ptr<BitmapPixels> pixels) {
    const Value bitmapClass = vm.get(Value(FlashPackage(vm, "display")), "BitmapData");
    const Value proto = vm.get(bitmapClass, "prototype");
    Object* o = vm.newObject(proto.isObject() ? proto.o : vm.objectProto);
    o->className = BitmapClassName.data();
    o->pixels = std::move(pixels);
    return o;
}

// Whether an object gives every one of the named fields (a Rectangle, a Point, or a
// plain object standing for one).
bool HasFields(Vm& vm, const Value& v, std::initializer_list<const char*> names) {
    return v.isObject() && std::all_of(names.begin(), names.end(), [&](const char* name) {
               return !vm.get(v, name).isUndefined();
           });
}

bool IsRect(Vm& vm, const Value& v) {
    return HasFields(vm, v, {"x", "y", "width", "height"});
}

bool IsPoint(Vm& vm, const Value& v) {
    return HasFields(vm, v, {"x", "y"});
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
    o->className = BitmapClassName.data();
    // a size left out or out of the limits makes no bitmap at all
    c.refused = !o->pixels;
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
        return Value(0.0);
    default:
        p->setPixel32(x, y, ColorArg(vm, c, 2));
        return Value(0.0);
    }
}

Value FillRect(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value(Refused);
    }
    p->fillRect(RectArg(vm, c.arg(0)), ColorArg(vm, c, 1));
    return Value();
}

// Only a real ColorTransform is applied; a plain object with the same fields is not.
Value ColorTransformMethod(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value(Refused);
    }
    const Value ctClass = vm.get(Value(FlashPackage(vm, "geom")), "ColorTransform");
    if (c.arg(1).isObject() && vm.instanceOf(c.arg(1), ctClass)) {
        p->colorTransform(RectArg(vm, c.arg(0)), TransformArg(vm, c.arg(1)));
    }
    return Value();
}

Value Clone(Vm& vm, CallInfo& c) {
    const BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value(Refused);
    }
    Object* copy = vm.newObject(c.thisValue.o->proto);
    copy->className = BitmapClassName.data();
    copy->pixels = p->clone();
    return Value(copy);
}

Value Dispose(Vm&, CallInfo& c) {
    if (!PixelsOf(c.thisValue)) {
        return Value(Refused);
    }
    c.thisValue.o->pixels.reset();
    return Value();
}

// What the player has but this preview does not draw: refused on a disposed bitmap,
// otherwise left undone with a warning.
constexpr const char* UndrawnNames[] = {"paletteMap", "perlinNoise", "pixelDissolve"};

Value Undrawn(Vm& vm, CallInfo& c) {
    if (!PixelsOf(c.thisValue)) {
        return Value(Refused);
    }
    const auto which = static_cast<std::size_t>(c.callee->magic);
    if (which < std::size(UndrawnNames)) {
        vm.warnOnce(std::string("BitmapData.") + UndrawnNames[which] +
                    " is not drawn in this preview");
    }
    return Value();
}

Value FloodFill(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p || c.args.size() < 3) {
        return Value(-1.0);
    }
    return Value(p->floodFill(IntArg(vm, c, 0, 0), IntArg(vm, c, 1, 0), ColorArg(vm, c, 2)) ? 1.0
                                                                                            : 0.0);
}

Value Scroll(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p || c.args.size() < 2) {
        return Value(Refused);
    }
    p->scroll(IntArg(vm, c, 0, 0), IntArg(vm, c, 1, 0));
    return Value(0.0);
}

// A whole-number argument, or fallback when the call leaves it out.
int OptionalInt(Vm& vm, CallInfo& c, std::size_t i, int fallback) {
    return i < c.args.size() ? ToInt32(vm.toNumber(c.args[i])) : fallback;
}

// noise(seed, low = 0, high = 255, channels = 7, greyscale = false)
Value Noise(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p || c.args.empty()) {
        return Value(Refused);
    }
    const unsigned channels = c.args.size() > 3 ? ToUint32(vm.toNumber(c.args[3])) : 7u;
    p->noise(ToInt32(vm.toNumber(c.arg(0))), OptionalInt(vm, c, 1, 0), OptionalInt(vm, c, 2, 255),
             channels, vm.toBool(c.arg(4)));
    return Value(0.0);
}

// What every copying method (source, rect, point, ...) checks first: the two bitmaps,
// or the refusal the player answers with (0 when there is none).
struct CopyCall {
    BitmapPixels* target = nullptr;
    const BitmapPixels* source = nullptr;
    double refusal = 0;
};

CopyCall CheckCopy(Vm& vm, CallInfo& c, std::size_t minArgs) {
    CopyCall call;
    call.target = PixelsOf(c.thisValue);
    if (!call.target || c.args.size() < minArgs) {
        call.refusal = Refused;
    } else if (!IsBitmap(c.arg(0))) {
        call.refusal = BadSource;
    } else if (!c.arg(0).o->pixels) {
        call.refusal = DisposedSource;
    } else if (!IsRect(vm, c.arg(1))) {
        call.refusal = BadRect;
    }
    call.source = PixelsOf(c.arg(0));
    return call;
}

// copyPixels(source, rect, point, alphaSource, alphaPoint, mergeAlpha): 0 when done.
Value CopyPixels(Vm& vm, CallInfo& c) {
    const CopyCall call = CheckCopy(vm, c, 3);
    if (call.refusal != 0) {
        return Value(call.refusal);
    }
    call.target->copyPixels(*call.source, RectArg(vm, c.arg(1)), PointArg(vm, c.arg(2)),
                            PixelsOf(c.arg(3)), PointArg(vm, c.arg(4)), vm.toBool(c.arg(5)));
    return Value(0.0);
}

// threshold(source, rect, point, operation, threshold, color = 0, mask = ~0, copySource):
// how many pixels passed.
Value Threshold(Vm& vm, CallInfo& c) {
    const CopyCall call = CheckCopy(vm, c, 5);
    if (call.refusal != 0) {
        return Value(call.refusal);
    }
    const std::uint32_t mask = c.args.size() > 6 ? ColorArg(vm, c, 6) : 0xffffffffu;
    // an operation the player does not know tests as "<"
    static constexpr std::array<std::string_view, 6> Known{"<", "<=", ">", ">=", "==", "!="};
    const std::string given = c.arg(3).isString() ? c.arg(3).str() : std::string();
    const auto known = std::find(Known.begin(), Known.end(), given);
    const std::string operation(known != Known.end() ? *known : Known[0]);
    const int count = call.target->threshold(
        *call.source, RectArg(vm, c.arg(1)), PointArg(vm, c.arg(2)), operation, ColorArg(vm, c, 4),
        c.args.size() > 5 ? ColorArg(vm, c, 5) : 0, mask, vm.toBool(c.arg(7)));
    return Value(static_cast<double>(count));
}

// merge(source, rect, point, red, green, blue, alpha = 256 multipliers): -1 even when
// done.
Value Merge(Vm& vm, CallInfo& c) {
    const CopyCall call = CheckCopy(vm, c, 6);
    if (call.refusal != 0) {
        return Value(call.refusal);
    }
    const std::array<int, 4> multipliers{IntArg(vm, c, 3, 0), IntArg(vm, c, 4, 0),
                                         IntArg(vm, c, 5, 0),
                                         c.args.size() > 6 ? IntArg(vm, c, 6, 0) : 256};
    call.target->merge(*call.source, RectArg(vm, c.arg(1)), PointArg(vm, c.arg(2)), multipliers);
    return Value(Refused);
}

// copyChannel(source, rect, point, sourceChannel, destChannel)
Value CopyChannel(Vm& vm, CallInfo& c) {
    const CopyCall call = CheckCopy(vm, c, 5);
    if (call.refusal != 0) {
        return Value(call.refusal);
    }
    call.target->copyChannel(*call.source, RectArg(vm, c.arg(1)), PointArg(vm, c.arg(2)),
                             ColorArg(vm, c, 3), ColorArg(vm, c, 4));
    return Value(0.0);
}

// getColorBoundsRect(mask, color, findColor = true)
Value ColorBounds(Vm& vm, CallInfo& c) {
    const BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p || c.args.size() < 2) {
        return Value(Refused);
    }
    const bool find = c.args.size() < 3 || vm.toBool(c.arg(2));
    const PixelRect r = p->colorBounds(ColorArg(vm, c, 0), ColorArg(vm, c, 1), find);
    const Value rect = vm.get(Value(FlashPackage(vm, "geom")), "Rectangle");
    const std::array<Value, 4> args{
        Value(static_cast<double>(r.x)), Value(static_cast<double>(r.y)),
        Value(static_cast<double>(r.width)), Value(static_cast<double>(r.height))};
    return vm.construct(rect, args);
}

// compare(other): 0 when alike, a bitmap of the differences, or a negative code for
// bitmaps that cannot be compared.
Value Compare(Vm& vm, CallInfo& c) {
    const BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value(Refused);
    }
    const BitmapPixels* other = PixelsOf(c.arg(0));
    if (!other) {
        return Value(BadSource);
    }
    if (p->width() != other->width()) {
        return Value(-3.0);
    }
    if (p->height() != other->height()) {
        return Value(-4.0);
    }
    std::shared_ptr<BitmapPixels> difference = BitmapDifference(*p, *other);
    if (!difference) {
        return Value(0.0);
    }
    return Value(NewBitmapObject(vm, std::move(difference)));
}

// hitTest(firstPoint, firstAlphaThreshold, secondObject, secondBitmapPoint,
// secondAlphaThreshold): whether opaque enough pixels meet a point, a rectangle or
// another bitmap, all in one space where this bitmap's corner is at firstPoint.
Value BitmapHitTest(Vm& vm, CallInfo& c) {
    const BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p || c.args.size() < 3) {
        return Value(Refused);
    }
    if (!IsPoint(vm, c.arg(0))) {
        return Value(BadSource);
    }
    const PixelPoint at = PointArg(vm, c.arg(0));
    const int threshold = IntArg(vm, c, 1, 0);
    const Value& second = c.arg(2);
    if (IsBitmap(second)) {
        if (!second.o->pixels) {
            return Value(DisposedSource);
        }
        if (c.args.size() > 3 && !IsPoint(vm, c.arg(3))) {
            return Value(BadRect);
        }
        const PixelPoint secondAt = c.args.size() > 3 ? PointArg(vm, c.arg(3)) : PixelPoint{};
        return Value(BitmapsOverlap(*p, at, threshold, *second.o->pixels, secondAt,
                                    OptionalInt(vm, c, 4, 1)));
    }
    if (IsRect(vm, second)) {
        PixelRect r = RectArg(vm, second);
        r.x -= at.x;
        r.y -= at.y;
        return Value(OpaqueWithin(*p, r, threshold));
    }
    if (IsPoint(vm, second)) {
        const PixelPoint q = PointArg(vm, second);
        return Value(OpaqueWithin(*p, PixelRect{q.x - at.x, q.y - at.y, 1, 1}, threshold));
    }
    return Value(DisposedSource);
}

Value Draw(Vm& vm, CallInfo& c) {
    BitmapPixels* p = PixelsOf(c.thisValue);
    if (!p) {
        return Value(Refused);
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
    return pixels ? Value(NewBitmapObject(vm, std::move(pixels))) : Value();
}

// MovieClip.attachBitmap(bitmap, depth, pixelSnapping, smoothing): a new clip showing
// the bitmap's pixels.
Value AttachBitmap(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const Value& bitmap = c.arg(0);
    if (!clip || !bitmap.isObject() || !bitmap.o->pixels) {
        return Value();
    }
    const int depth = ScriptDepth(vm.toNumber(c.arg(1)));
    const ClipId child = depth < 0 ? 0 : vm.host().createEmpty(clip, "", depth);
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
        proto->findAny(sizes[i])->flags &= ~DontEnum; // a for-in lists them
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
                       {"draw", Draw},
                       {"noise", Noise},
                       {"threshold", Threshold},
                       {"merge", Merge},
                       {"copyChannel", CopyChannel},
                       {"getColorBoundsRect", ColorBounds},
                       {"compare", Compare},
                       {"hitTest", BitmapHitTest},
                       {"paletteMap", Undrawn, 0},
                       {"perlinNoise", Undrawn, 1},
                       {"pixelDissolve", Undrawn, 2}});
    vm.method(cls, "loadBitmap", LoadBitmap);
    // plain properties, as the player has them: listed, writable, deletable
    cls->put("RED_CHANNEL", Value(1.0));
    cls->put("GREEN_CHANNEL", Value(2.0));
    cls->put("BLUE_CHANNEL", Value(4.0));
    cls->put("ALPHA_CHANNEL", Value(8.0));
    vm.method(vm.movieClipProto, "attachBitmap", AttachBitmap);
}

} // namespace quillon::engine::avm1
