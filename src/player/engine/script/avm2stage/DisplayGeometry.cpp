// Where display objects are: DisplayObject.transform (flash.geom.Transform), bounds,
// points between spaces and hit tests. Objects without a clip keep their place on
// their records and cover nothing.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr double Degrees = 180 / std::numbers::pi;

GeomMatrix MatrixOf(Vm& vm, Object* o) {
    const DisplayRecord* r = DisplayOf(vm, Value::object(o));
    if (!r) {
        return {};
    }
    if (r->clip) {
        const DrawMatrix m = StateOf(vm).host.matrix(r->clip);
        return {m[0], m[1], m[2], m[3], m[4] / TwipsPerPixel, m[5] / TwipsPerPixel};
    }
    if (const auto* k = r->keptLinear()) {
        return {k->a, k->b, k->c, k->d, r->x, r->y};
    }
    const double q = r->rotation / Degrees;
    return {r->scaleX * std::cos(q),
            r->scaleX * std::sin(q),
            -r->scaleY * std::sin(q),
            r->scaleY * std::cos(q),
            r->x,
            r->y};
}

void SetMatrixOf(Vm& vm, Object* o, const GeomMatrix& m) {
    DisplayRecord* r = DisplayOf(vm, Value::object(o));
    if (!r) {
        return;
    }
    if (r->clip) {
        StateOf(vm).host.setMatrix(
            r->clip, {m.a, m.b, m.c, m.d, m.tx * TwipsPerPixel, m.ty * TwipsPerPixel});
        return;
    }
    r->x = m.tx;
    r->y = m.ty;
    r->scaleX = std::hypot(m.a, m.b);
    r->scaleY = std::hypot(m.c, m.d);
    r->rotation = std::atan2(m.b, m.a) * Degrees;
    r->linear = DisplayRecord::Linear{m.a, m.b, m.c, m.d, r->scaleX, r->scaleY, r->rotation};
}

Object* OwnerOf(Vm& vm, const Value& transform) {
    const Value owner = GetPublic(vm, transform, "$owner");
    return DisplayOf(vm, owner) ? owner.asObject() : nullptr;
}

// The matrix from an object's space to the top of its tree (the stage, or the top of a
// tree off the list).
GeomMatrix ToTop(Vm& vm, Object* o) {
    StageState& state = StateOf(vm);
    GeomMatrix m;
    for (int guard = 0; o && o != state.stage && guard < 256; ++guard) {
        m = m.then(MatrixOf(vm, o));
        o = state.displays[o].parent;
    }
    return m;
}

DrawMatrix InTwips(const GeomMatrix& m) {
    return {m.a, m.b, m.c, m.d, m.tx * TwipsPerPixel, m.ty * TwipsPerPixel};
}

const std::vector<DrawCommand>& DrawingOf(Vm& vm, const DisplayRecord& r) {
    static const std::vector<DrawCommand> none;
    return r.graphics ? StateOf(vm).graphics[r.graphics].commands : none;
}

// The box (twips) an object off the list covers with its own drawing under m.
ClipBounds OffListBounds(Vm& vm, const DisplayRecord& r, const GeomMatrix& m) {
    // A Video covers its size and a Bitmap its pixels; neither has a drawing of its own.
    ClipBounds b =
        r.video ? ClipBounds{0, 0, r.video->width * TwipsPerPixel, r.video->height * TwipsPerPixel}
                : StateOf(vm).host.drawingBounds(DrawingOf(vm, r));
    if (const auto pixels = SharedPixels(vm, Value::object(r.bitmapData))) {
        b = {0, 0, pixels->width() * TwipsPerPixel, pixels->height() * TwipsPerPixel};
    }
    if (b.xMax <= b.xMin && b.yMax <= b.yMin) {
        return b;
    }
    ClipBounds out{1e300, 1e300, -1e300, -1e300};
    for (const double x : {b.xMin, b.xMax}) {
        for (const double y : {b.yMin, b.yMax}) {
            const double px = m.a * x + m.c * y + m.tx * TwipsPerPixel,
                         py = m.b * x + m.d * y + m.ty * TwipsPerPixel;
            out = {std::min(out.xMin, px), std::min(out.yMin, py), std::max(out.xMax, px),
                   std::max(out.yMax, py)};
        }
    }
    return out;
}

Value GetMatrix(Vm& vm, const Value& self, std::span<const Value>) {
    Object* owner = OwnerOf(vm, self);
    return owner ? NewMatrix(vm, MatrixOf(vm, owner)) : Value::null();
}

Value SetMatrix(Vm& vm, const Value& self, std::span<const Value> args) {
    if (Object* owner = OwnerOf(vm, self); owner && Arg(args, 0).isObject()) {
        SetMatrixOf(vm, owner, ReadMatrix(vm, Arg(args, 0)));
    }
    return Value();
}

constexpr const char* ColorFields[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                       "alphaMultiplier", "redOffset",       "greenOffset",
                                       "blueOffset",      "alphaOffset"};

Value GetColorTransform(Vm& vm, const Value& self, std::span<const Value>) {
    Object* owner = OwnerOf(vm, self);
    const DisplayRecord* r = owner ? DisplayOf(vm, Value::object(owner)) : nullptr;
    ClipColor color;
    if (r && r->clip) {
        color = StateOf(vm).host.color(r->clip);
    } else if (r) {
        color = r->color.value_or(ClipColor{});
        color.multiply[3] = r->alpha;
    }
    const ClipColor& c = color;
    return NewGeom(vm, "ColorTransform",
                   {c.multiply[0], c.multiply[1], c.multiply[2], c.multiply[3], c.add[0], c.add[1],
                    c.add[2], c.add[3]});
}

Value SetColorTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* owner = OwnerOf(vm, self);
    DisplayRecord* r = owner ? DisplayOf(vm, Value::object(owner)) : nullptr;
    const Value& from = Arg(args, 0);
    if (!r || !from.isObject()) {
        return Value();
    }
    ClipColor color;
    for (int i = 0; i < 4; ++i) {
        color.multiply[i] = Field(vm, from, ColorFields[i]);
        color.add[i] = Field(vm, from, ColorFields[4 + i]);
    }
    if (r->clip) {
        StateOf(vm).host.setColor(r->clip, color);
    } else {
        // kept until it gets a clip
        r->color = color;
        r->alpha = color.multiply[3];
    }
    return Value();
}

Value GetTransform(Vm& vm, const Value& self, std::span<const Value>) {
    const Value made = ConstructClass(vm, BuiltinClass(vm, "flash.geom", "Transform"), {});
    made.asObject()->props().set(vm.intern("$owner"), self, false);
    return made;
}

Value SetTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& from = Arg(args, 0);
    if (from.isObject()) {
        SetMatrixOf(vm, self.asObject(), ReadMatrix(vm, GetMatrix(vm, from, {})));
    }
    return Value();
}

ClipId ClipOfArg(Vm& vm, const Value& v) {
    const DisplayRecord* r = DisplayOf(vm, v);
    return r ? r->clip : 0;
}

// The sides are taken to pixels first and the size is their difference, with the
// rounding that brings (280.45 - 188.8 is 91.64999999999998).
Value BoundsRectangle(Vm& vm, const ClipBounds& b) {
    const double left = b.xMin / TwipsPerPixel, top = b.yMin / TwipsPerPixel;
    return NewGeom(vm, "Rectangle",
                   {left, top, b.xMax / TwipsPerPixel - left, b.yMax / TwipsPerPixel - top});
}

Value GetBounds(Vm& vm, const Value& self, std::span<const Value> args) {
    const ClipId clip = ClipOfArg(vm, self);
    if (!clip) {
        // off the list: in its own space, or on its parent for any other
        const DisplayRecord* r = DisplayOf(vm, self);
        const bool own = Arg(args, 0).isObject() && Arg(args, 0).asObject() == self.asObject();
        const ClipBounds b =
            r ? OffListBounds(vm, *r, own ? GeomMatrix{} : MatrixOf(vm, self.asObject()))
              : ClipBounds{};
        if (b.xMax < b.xMin) {
            return NewGeom(vm, "Rectangle", {0, 0, 0, 0});
        }
        return BoundsRectangle(vm, b);
    }
    const ClipId space = Arg(args, 0).isNullish() ? 0 : ClipOfArg(vm, Arg(args, 0));
    const ClipBounds b = StateOf(vm).host.bounds(clip, space);
    if (b.xMin > 1e8) {
        return NewGeom(vm, "Rectangle", {0, 0, 0, 0}); // covers nothing
    }
    return BoundsRectangle(vm, b);
}

// localToGlobal (Global true) and globalToLocal.
template <bool Global> Value MapPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    double x = Field(vm, Arg(args, 0), "x") * TwipsPerPixel,
           y = Field(vm, Arg(args, 0), "y") * TwipsPerPixel;
    if (const ClipId clip = ClipOfArg(vm, self)) {
        if (Global) {
            StateOf(vm).host.localToGlobal(clip, x, y);
        } else {
            StateOf(vm).host.globalToLocal(clip, x, y);
        }
    }
    return NewGeom(vm, "Point", {x / TwipsPerPixel, y / TwipsPerPixel});
}

Value HitTestPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    const double x = ToNumber(vm, Arg(args, 0)) * TwipsPerPixel,
                 y = ToNumber(vm, Arg(args, 1)) * TwipsPerPixel;
    const bool shapeFlag = ToBoolean(Arg(args, 2));
    const DisplayRecord* r = DisplayOf(vm, self);
    if (!r) {
        return Value::boolean(false);
    }
    if (r->clip) {
        return Value::boolean(StateOf(vm).host.hitTest(r->clip, x, y, shapeFlag));
    }
    const GeomMatrix m = ToTop(vm, self.asObject());
    if (shapeFlag) {
        return Value::boolean(StateOf(vm).host.drawingCovers(DrawingOf(vm, *r), InTwips(m), x, y));
    }
    const ClipBounds b = OffListBounds(vm, *r, m);
    return Value::boolean(x >= b.xMin && x <= b.xMax && y >= b.yMin && y <= b.yMax);
}

Value HitTestObject(Vm& vm, const Value& self, std::span<const Value> args) {
    const ClipId a = ClipOfArg(vm, self), b = ClipOfArg(vm, Arg(args, 0));
    if (!a || !b) {
        return Value::boolean(false);
    }
    const ClipBounds p = StateOf(vm).host.bounds(a, 0), q = StateOf(vm).host.bounds(b, 0);
    return Value::boolean(p.xMin < q.xMax && q.xMin < p.xMax && p.yMin < q.yMax && q.yMin < p.yMax);
}

Value GetConcatenated(Vm& vm, const Value& self, std::span<const Value>) {
    return NewMatrix(vm, ToTop(vm, OwnerOf(vm, self)));
}

} // namespace

double OffListSize(Vm& vm, Object* o, bool width) {
    const DisplayRecord* r = DisplayOf(vm, Value::object(o));
    if (!r) {
        return 0;
    }
    GeomMatrix m = MatrixOf(vm, o);
    m.tx = m.ty = 0;
    const ClipBounds b = OffListBounds(vm, *r, m);
    return std::max(0.0, width ? b.xMax - b.xMin : b.yMax - b.yMin) / TwipsPerPixel;
}

void InstallDisplayGeometry(Vm& vm, NativeClass& displayObject) {
    NativeClass transform(vm, "Transform", vm.core.object, "flash.geom");
    transform.getters({{"matrix", GetMatrix},
                       {"concatenatedMatrix", GetConcatenated},
                       {"colorTransform", GetColorTransform}});
    transform.setter("matrix", SetMatrix).setter("colorTransform", SetColorTransform);
    displayObject.getter("transform", GetTransform)
        .setter("transform", SetTransform)
        .methods({{"getBounds", GetBounds},
                  {"getRect", GetBounds},
                  {"localToGlobal", MapPoint<true>},
                  {"globalToLocal", MapPoint<false>},
                  {"hitTestPoint", HitTestPoint},
                  {"hitTestObject", HitTestObject}});
}

void InstallMatrixClass(Vm& vm);
void InstallPointClasses(Vm& vm);
void InstallColorTransformClass(Vm& vm);

void InstallGeomClasses(Vm& vm) {
    InstallMatrixClass(vm);
    InstallPointClasses(vm);
    InstallColorTransformClass(vm);
}

} // namespace quillon::engine::avm2stage
