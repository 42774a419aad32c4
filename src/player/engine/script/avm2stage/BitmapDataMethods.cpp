// BitmapData's drawing and pixel-searching methods, and the Bitmap display object.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Paints through a clip made for the moment: a drawing's commands and a bitmap.
bool PaintThroughTemporaryClip(StageState& state, const std::vector<DrawCommand>* commands,
                               std::shared_ptr<BitmapPixels> bitmap, bool smoothing,
                               BitmapPixels& target, const DisplayHost::PaintOptions& options) {
    DisplayHost& host = state.host;
    const ClipId temporary = host.createEmpty(host.root(), "", host.nextHighestDepth(host.root()));
    if (!temporary) {
        return false;
    }
    if (commands) {
        for (const DrawCommand& c : *commands) {
            host.draw(temporary, c);
        }
    }
    if (bitmap) {
        host.setBitmap(temporary, std::move(bitmap), smoothing);
    }
    const bool done = host.paintClip(temporary, target, options);
    host.remove(temporary);
    return done;
}

// Paints a display object with no clip (one off the display list) through a clip made
// for the moment from its drawing.
bool PaintOffList(StageState& state, DisplayRecord& r, BitmapPixels& target,
                  const DisplayHost::PaintOptions& options) {
    return PaintThroughTemporaryClip(
        state, r.graphics ? &state.graphics[r.graphics].commands : nullptr,
        r.bitmapData ? state.bitmaps[r.bitmapData] : nullptr, r.smoothing, target, options);
}

Value Draw(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels& target = PixelsOf(vm, self);
    const Value& source = Arg(args, 0);
    const GeomMatrix m = Arg(args, 1).isObject() ? ReadMatrix(vm, Arg(args, 1)) : GeomMatrix{};
    DisplayHost::PaintOptions options;
    options.color = TransformArg(vm, Arg(args, 2));
    options.blendMode = BlendModeNumber(vm, Arg(args, 3));
    if (Arg(args, 4).isObject()) {
        options.clipArea = RectArg(vm, Arg(args, 4));
    }
    options.smoothing = ToBoolean(Arg(args, 5));
    options.matrix = {m.a, m.b, m.c, m.d, m.tx * TwipsPerPixel, m.ty * TwipsPerPixel};
    StageState& state = StateOf(vm);
    if (std::shared_ptr<BitmapPixels> pixels = SharedPixels(vm, source)) {
        if (options.blendMode == blend::Alpha || options.blendMode == blend::Erase) {
            // these act through a display object's layer; a bare bitmap has none, and
            // the target is left as it was
            return Value();
        }
        if (options.blendMode > blend::Normal) {
            // blend modes are the drawing's: the bitmap goes through a clip of its own
            PaintThroughTemporaryClip(state, nullptr, std::move(pixels), options.smoothing, target,
                                      options);
            return Value();
        }
        target.drawBitmap(*pixels, {m.a, m.b, m.c, m.d, m.tx, m.ty}, options.color,
                          options.clipArea, options.smoothing);
        return Value();
    }
    DisplayRecord* r = DisplayOf(vm, source);
    if (!r) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter source must be non-null.");
    }
    if (r->clip) {
        state.host.paintClip(r->clip, target, options);
    } else {
        PaintOffList(state, *r, target, options);
    }
    return Value();
}

Value FloodFill(Vm& vm, const Value& self, std::span<const Value> args) {
    PixelsOf(vm, self).floodFill(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1)),
                                 ToUint32(vm, Arg(args, 2)));
    return Value();
}

Value Scroll(Vm& vm, const Value& self, std::span<const Value> args) {
    PixelsOf(vm, self).scroll(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1)));
    return Value();
}

Value CopyChannel(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels& target = PixelsOf(vm, self);
    target.copyChannel(PixelsOf(vm, Arg(args, 0)), RectArg(vm, Arg(args, 1)),
                       PointArg(vm, Arg(args, 2)), ToUint32(vm, Arg(args, 3)),
                       ToUint32(vm, Arg(args, 4)));
    return Value();
}

Value ColorBounds(Vm& vm, const Value& self, std::span<const Value> args) {
    const bool find = args.size() < 3 || ToBoolean(args[2]);
    const PixelRect r = PixelsOf(vm, self).colorBounds(ToUint32(vm, Arg(args, 0)),
                                                       ToUint32(vm, Arg(args, 1)), find);
    return NewGeom(vm, "Rectangle", {double(r.x), double(r.y), double(r.width), double(r.height)});
}

Value Threshold(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels& target = PixelsOf(vm, self);
    const std::uint32_t mask = args.size() < 7 ? 0xffffffffu : ToUint32(vm, args[6]);
    const int count = target.threshold(PixelsOf(vm, Arg(args, 0)), RectArg(vm, Arg(args, 1)),
                                       PointArg(vm, Arg(args, 2)), ToString(vm, Arg(args, 3)),
                                       ToUint32(vm, Arg(args, 4)), ToUint32(vm, Arg(args, 5)), mask,
                                       ToBoolean(Arg(args, 7)));
    return Value::unsignedInt(static_cast<std::uint32_t>(count));
}

Value Noise(Vm& vm, const Value& self, std::span<const Value> args) {
    const int high = args.size() < 3 ? 255 : ToInt32(vm, args[2]);
    const unsigned channels = args.size() < 4 ? 7u : ToUint32(vm, args[3]);
    PixelsOf(vm, self).noise(ToInt32(vm, Arg(args, 0)), ToInt32(vm, Arg(args, 1)), high, channels,
                             ToBoolean(Arg(args, 4)));
    return Value();
}

Value Merge(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::array<int, 4> multipliers{ToInt32(vm, Arg(args, 3)), ToInt32(vm, Arg(args, 4)),
                                         ToInt32(vm, Arg(args, 5)), ToInt32(vm, Arg(args, 6))};
    PixelsOf(vm, self).merge(PixelsOf(vm, Arg(args, 0)), RectArg(vm, Arg(args, 1)),
                             PointArg(vm, Arg(args, 2)), multipliers);
    return Value();
}

Value GetSnapping(Vm& vm, const Value& self, std::span<const Value>) {
    const Value* v = self.asObject()->props().find(vm.intern("$pixelSnapping"));
    return v ? *v : Value::string("auto");
}

Value SetSnapping(Vm& vm, const Value& self, std::span<const Value> args) {
    self.asObject()->props().set(vm.intern("$pixelSnapping"), Arg(args, 0), false);
    return Value();
}

Value BitmapInit(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayInit(vm, self, args);
    DisplayRecord& r = StateOf(vm).displays[self.asObject()];
    r.bitmapData = SharedPixels(vm, Arg(args, 0)) ? Arg(args, 0).asObject() : nullptr;
    // a Bitmap class bound to a bitmap of the movie shows it when given none
    if (!r.bitmapData) {
        if (std::shared_ptr<BitmapPixels> pixels = SymbolPixels(vm, self.asObject())) {
            Object* data = AllocateInstance(vm, BuiltinClass(vm, "flash.display", "BitmapData"));
            StateOf(vm).bitmaps[data] = std::move(pixels);
            StateOf(vm).displays[self.asObject()].bitmapData = data;
        }
    }
    DisplayRecord& shown = StateOf(vm).displays[self.asObject()];
    shown.smoothing = ToBoolean(Arg(args, 2));
    if (!Arg(args, 1).isUndefined()) {
        SetSnapping(vm, self, args.subspan(1, 1));
    }
    ShowBitmap(vm, self.asObject());
    return Value();
}

Value GetBitmapData(Vm& vm, const Value& self, std::span<const Value>) {
    const DisplayRecord* r = DisplayOf(vm, self);
    return r && r->bitmapData ? Value::object(r->bitmapData) : Value::null();
}

Value SetBitmapData(Vm& vm, const Value& self, std::span<const Value> args) {
    if (DisplayRecord* r = DisplayOf(vm, self)) {
        r->bitmapData = SharedPixels(vm, Arg(args, 0)) ? Arg(args, 0).asObject() : nullptr;
        ShowBitmap(vm, self.asObject());
    }
    return Value();
}

Value GetSmoothing(Vm& vm, const Value& self, std::span<const Value>) {
    const DisplayRecord* r = DisplayOf(vm, self);
    return Value::boolean(r && r->smoothing);
}

Value SetSmoothing(Vm& vm, const Value& self, std::span<const Value> args) {
    if (DisplayRecord* r = DisplayOf(vm, self)) {
        r->smoothing = ToBoolean(Arg(args, 0));
        ShowBitmap(vm, self.asObject());
    }
    return Value();
}

} // namespace

void ShowBitmap(Vm& vm, Object* bitmap) {
    StageState& state = StateOf(vm);
    const DisplayRecord& r = state.displays[bitmap];
    if (r.clip && r.bitmapData) {
        const auto it = state.bitmaps.find(r.bitmapData);
        state.host.setBitmap(r.clip, it == state.bitmaps.end() ? nullptr : it->second, r.smoothing);
    }
}

void InstallBitmapDataMethods(Vm&, NativeClass& cls) {
    InstallBitmapFilterMethods(cls);
    cls.methods({{"draw", Draw},
                 {"drawWithQuality", Draw},
                 {"floodFill", FloodFill},
                 {"scroll", Scroll},
                 {"copyChannel", CopyChannel},
                 {"getColorBoundsRect", ColorBounds},
                 {"threshold", Threshold},
                 {"noise", Noise},
                 {"merge", Merge}});
}

void InstallBitmapClass(Vm& vm, ClassObject* displayObject) {
    NativeClass(vm, "Bitmap", displayObject, "flash.display")
        .init(BitmapInit)
        .getter("bitmapData", GetBitmapData)
        .setter("bitmapData", SetBitmapData)
        .getter("smoothing", GetSmoothing)
        .setter("smoothing", SetSmoothing)
        .getter("pixelSnapping", GetSnapping)
        .setter("pixelSnapping", SetSnapping);
}

} // namespace quillon::engine::avm2stage
