// flash.geom for ActionScript 1/2: Point, Rectangle, Matrix, ColorTransform and
// Transform. The player writes the first three in ActionScript, so their fields hold
// whatever a script stores and their methods add and compare with the language's own
// operators; the arithmetic of matrices is shared with ActionScript 3.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm1/builtins/Helpers.h"
#include "player/engine/script/common/GeomMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace quillon::engine::avm1 {

namespace {

Value Get(Vm& vm, const Value& o, const char* name) {
    return vm.get(o, name);
}
double Num(Vm& vm, const Value& o, const char* name) {
    return vm.toNumber(vm.get(o, name));
}
Value Sum(Vm& vm, const Value& a, const Value& b) {
    return vm.add(a, b);
}
Value Diff(Vm& vm, const Value& a, const Value& b) {
    return Value(vm.toNumber(a) - vm.toNumber(b));
}

Value Construct(Vm& vm, const char* cls, std::span<const Value> args) {
    return vm.construct(vm.get(Value(FlashPackage(vm, "geom")), cls), args);
}
Value NewPoint(Vm& vm, Value x, Value y) {
    const std::array<Value, 2> args{std::move(x), std::move(y)};
    return Construct(vm, "Point", args);
}
Value NewRect(Vm& vm, const GeomBox& b) {
    const std::array<Value, 4> args{Value(b.x), Value(b.y), Value(b.width), Value(b.height)};
    return Construct(vm, "Rectangle", args);
}

// "(x=1, y=2)": each field as the language turns it into text.
Value Describe(Vm& vm, const Value& o,
               std::initializer_list<std::pair<const char*, const char*>> fields) {
    std::string out = "(";
    for (const auto& [shown, field] : fields) {
        if (out.size() > 1) {
            out += ", ";
        }
        out += std::string(shown) + "=" + vm.toString(vm.get(o, field));
    }
    return vm.makeString(out + ")");
}

// Fields set from the arguments when any are given (missing ones undefined), else to
// fallback values.
template <std::size_t N>
void Fill(Vm& vm, CallInfo& c, const char* const (&names)[N],
          const std::array<double, N>& fallback) {
    Object* o = ThisObject(c);
    if (!o) {
        return;
    }
    for (std::size_t i = 0; i < N; ++i) {
        vm.set(c.thisValue, names[i], c.args.empty() ? Value(fallback[i]) : c.arg(i));
    }
}

// ---- Point

constexpr const char* PointFields[] = {"x", "y"};

Value PointCtor(Vm& vm, CallInfo& c) {
    Fill(vm, c, PointFields, {0, 0});
    return c.thisValue;
}
Value PointLength(Vm& vm, CallInfo& c) {
    return Value(std::hypot(Num(vm, c.thisValue, "x"), Num(vm, c.thisValue, "y")));
}
// add (magic 0) and subtract (1).
Value PointSum(Vm& vm, CallInfo& c) {
    const Value& self = c.thisValue;
    const Value& p = c.arg(0);
    if (c.callee->magic == 0) {
        return NewPoint(vm, Sum(vm, Get(vm, self, "x"), Get(vm, p, "x")),
                        Sum(vm, Get(vm, self, "y"), Get(vm, p, "y")));
    }
    return NewPoint(vm, Diff(vm, Get(vm, self, "x"), Get(vm, p, "x")),
                    Diff(vm, Get(vm, self, "y"), Get(vm, p, "y")));
}
Value PointClone(Vm& vm, CallInfo& c) {
    return NewPoint(vm, Get(vm, c.thisValue, "x"), Get(vm, c.thisValue, "y"));
}
Value PointEquals(Vm& vm, CallInfo& c) {
    const Value& p = c.arg(0);
    if (!p.isObject()) {
        return Value(false);
    }
    return Value(vm.looseEquals(Get(vm, c.thisValue, "x"), Get(vm, p, "x")) &&
                 vm.looseEquals(Get(vm, c.thisValue, "y"), Get(vm, p, "y")));
}
Value PointOffset(Vm& vm, CallInfo& c) {
    vm.set(c.thisValue, "x", Sum(vm, Get(vm, c.thisValue, "x"), c.arg(0)));
    vm.set(c.thisValue, "y", Sum(vm, Get(vm, c.thisValue, "y"), c.arg(1)));
    return Value();
}
Value PointNormalize(Vm& vm, CallInfo& c) {
    const double x = Num(vm, c.thisValue, "x"), y = Num(vm, c.thisValue, "y");
    const double length = std::hypot(x, y);
    if (length > 0) {
        const double k = vm.toNumber(c.arg(0)) / length;
        vm.set(c.thisValue, "x", Value(x * k));
        vm.set(c.thisValue, "y", Value(y * k));
    }
    return Value();
}
Value PointText(Vm& vm, CallInfo& c) {
    return Describe(vm, c.thisValue, {{"x", "x"}, {"y", "y"}});
}
Value PointDistance(Vm& vm, CallInfo& c) {
    if (!c.arg(0).isObject() || !c.arg(1).isObject()) {
        return Value();
    }
    return Value(std::hypot(Num(vm, c.arg(0), "x") - Num(vm, c.arg(1), "x"),
                            Num(vm, c.arg(0), "y") - Num(vm, c.arg(1), "y")));
}
Value PointInterpolate(Vm& vm, CallInfo& c) {
    const double f = vm.toNumber(c.arg(2));
    const auto mix = [&](const char* k) {
        const double a = Num(vm, c.arg(0), k), b = Num(vm, c.arg(1), k);
        return Value(b + (a - b) * f);
    };
    return NewPoint(vm, mix("x"), mix("y"));
}
Value PointPolar(Vm& vm, CallInfo& c) {
    const double length = vm.toNumber(c.arg(0)), angle = vm.toNumber(c.arg(1));
    return NewPoint(vm, Value(length * std::cos(angle)), Value(length * std::sin(angle)));
}

// ---- Rectangle

constexpr const char* RectFields[] = {"x", "y", "width", "height"};

GeomBox BoxOf(Vm& vm, const Value& r) {
    return {Num(vm, r, "x"), Num(vm, r, "y"), Num(vm, r, "width"), Num(vm, r, "height")};
}

Value RectCtor(Vm& vm, CallInfo& c) {
    Fill(vm, c, RectFields, {0, 0, 0, 0});
    return c.thisValue;
}
// left (0), top (1), right (2), bottom (3).
Value RectEdge(Vm& vm, CallInfo& c) {
    const Value& self = c.thisValue;
    switch (c.callee->magic) {
    case 0:
        return Get(vm, self, "x");
    case 1:
        return Get(vm, self, "y");
    case 2:
        return Sum(vm, Get(vm, self, "x"), Get(vm, self, "width"));
    default:
        return Sum(vm, Get(vm, self, "y"), Get(vm, self, "height"));
    }
}
Value SetRectEdge(Vm& vm, CallInfo& c) {
    const Value& self = c.thisValue;
    const Value& v = c.arg(0);
    const bool across = c.callee->magic % 2 == 0;
    const char* at = across ? "x" : "y";
    const char* size = across ? "width" : "height";
    if (c.callee->magic < 2) {
        vm.set(self, size, Sum(vm, Get(vm, self, size), Diff(vm, Get(vm, self, at), v)));
        vm.set(self, at, v);
    } else {
        vm.set(self, size, Diff(vm, v, Get(vm, self, at)));
    }
    return Value();
}
// topLeft (0), bottomRight (1), size (2).
Value RectCorner(Vm& vm, CallInfo& c) {
    const Value& self = c.thisValue;
    switch (c.callee->magic) {
    case 0:
        return NewPoint(vm, Get(vm, self, "x"), Get(vm, self, "y"));
    case 1:
        return NewPoint(vm, Sum(vm, Get(vm, self, "x"), Get(vm, self, "width")),
                        Sum(vm, Get(vm, self, "y"), Get(vm, self, "height")));
    default:
        return NewPoint(vm, Get(vm, self, "width"), Get(vm, self, "height"));
    }
}
// topLeft and bottomRight set from a point; size sets width and height.
Value SetRectCorner(Vm& vm, CallInfo& c) {
    const Value& self = c.thisValue;
    const Value x = Get(vm, c.arg(0), "x"), y = Get(vm, c.arg(0), "y");
    switch (c.callee->magic) {
    case 0:
        vm.set(self, "width", Sum(vm, Get(vm, self, "width"), Diff(vm, Get(vm, self, "x"), x)));
        vm.set(self, "height", Sum(vm, Get(vm, self, "height"), Diff(vm, Get(vm, self, "y"), y)));
        vm.set(self, "x", x);
        vm.set(self, "y", y);
        break;
    case 1:
        vm.set(self, "width", Diff(vm, x, Get(vm, self, "x")));
        vm.set(self, "height", Diff(vm, y, Get(vm, self, "y")));
        break;
    default:
        vm.set(self, "width", x);
        vm.set(self, "height", y);
    }
    return Value();
}
Value RectClone(Vm& vm, CallInfo& c) {
    std::array<Value, 4> args;
    for (std::size_t i = 0; i < 4; ++i) {
        args[i] = Get(vm, c.thisValue, RectFields[i]);
    }
    return Construct(vm, "Rectangle", args);
}
Value RectIsEmpty(Vm& vm, CallInfo& c) {
    return Value(BoxOf(vm, c.thisValue).empty());
}
Value RectSetEmpty(Vm& vm, CallInfo& c) {
    for (const char* k : RectFields) {
        vm.set(c.thisValue, k, Value(0.0));
    }
    return Value();
}
// contains(x, y) and containsPoint(p): undefined when a coordinate is not a number.
Value Contains(Vm& vm, const Value& self, const Value& x, const Value& y) {
    const double px = vm.toNumber(x), py = vm.toNumber(y);
    if (px != px || py != py) {
        return Value();
    }
    return Value(BoxOf(vm, self).contains(px, py));
}
Value RectContains(Vm& vm, CallInfo& c) {
    return Contains(vm, c.thisValue, c.arg(0), c.arg(1));
}
Value RectContainsPoint(Vm& vm, CallInfo& c) {
    return Contains(vm, c.thisValue, Get(vm, c.arg(0), "x"), Get(vm, c.arg(0), "y"));
}
// Each edge is compared in turn as the language compares: a comparison with NaN gives
// undefined, and that or a false one ends the test.
Value RectContainsRect(Vm& vm, CallInfo& c) {
    if (!c.arg(0).isObject()) {
        return Value();
    }
    const GeomBox self = BoxOf(vm, c.thisValue), other = BoxOf(vm, c.arg(0));
    const std::array<std::pair<double, double>, 4> atLeast = {{
        {other.x, self.x},
        {other.y, self.y},
        {self.x + self.width, other.x + other.width},
        {self.y + self.height, other.y + other.height},
    }};
    for (const auto& [big, small] : atLeast) {
        if (big != big || small != small) {
            return Value();
        }
        if (big < small) {
            return Value(false);
        }
    }
    return Value(true);
}
bool HasNaN(const GeomBox& box) {
    return box.x != box.x || box.y != box.y || box.width != box.width || box.height != box.height;
}
// A box with a field that is not a number meets nothing.
Value RectIntersection(Vm& vm, CallInfo& c) {
    const GeomBox self = BoxOf(vm, c.thisValue), other = BoxOf(vm, c.arg(0));
    if (HasNaN(self) || HasNaN(other)) {
        return NewRect(vm, GeomBox{});
    }
    return NewRect(vm, self.intersection(other));
}
Value RectIntersects(Vm& vm, CallInfo& c) {
    const GeomBox self = BoxOf(vm, c.thisValue), other = BoxOf(vm, c.arg(0));
    return Value(!HasNaN(self) && !HasNaN(other) && !self.intersection(other).empty());
}
// A field that is not a number spreads to the edges it takes part in.
Value RectUnion(Vm& vm, CallInfo& c) {
    const GeomBox self = BoxOf(vm, c.thisValue), other = BoxOf(vm, c.arg(0));
    if (!HasNaN(self) && !HasNaN(other)) {
        return NewRect(vm, self.united(other));
    }
    const auto pick = [](double a, double b, bool least) {
        return a != a || b != b ? std::nan("") : least ? std::min(a, b) : std::max(a, b);
    };
    const double left = pick(self.x, other.x, true), top = pick(self.y, other.y, true);
    const double right = pick(self.x + self.width, other.x + other.width, false);
    const double bottom = pick(self.y + self.height, other.y + other.height, false);
    return NewRect(vm, GeomBox{left, top, right - left, bottom - top});
}
// Whether a value is an instance of a flash.geom class.
bool IsGeom(Vm& vm, const Value& v, const char* cls) {
    const Value ctor = vm.get(Value(FlashPackage(vm, "geom")), cls);
    return v.isObject() && ctor.isObject() && vm.instanceOf(v, ctor);
}

Value RectEquals(Vm& vm, CallInfo& c) {
    const Value& o = c.arg(0);
    if (!IsGeom(vm, o, "Rectangle")) {
        return Value(false);
    }
    for (const char* k : RectFields) {
        if (!vm.looseEquals(Get(vm, c.thisValue, k), Get(vm, o, k))) {
            return Value(false);
        }
    }
    return Value(true);
}
// offset (magic 0) moves the box; inflate (1) grows it on every side.
void Move(Vm& vm, const Value& self, bool grow, const Value& dx, const Value& dy) {
    vm.set(self, "x", grow ? Diff(vm, Get(vm, self, "x"), dx) : Sum(vm, Get(vm, self, "x"), dx));
    vm.set(self, "y", grow ? Diff(vm, Get(vm, self, "y"), dy) : Sum(vm, Get(vm, self, "y"), dy));
    if (grow) {
        vm.set(self, "width", Value(Num(vm, self, "width") + 2 * vm.toNumber(dx)));
        vm.set(self, "height", Value(Num(vm, self, "height") + 2 * vm.toNumber(dy)));
    }
}
Value RectMove(Vm& vm, CallInfo& c) {
    Move(vm, c.thisValue, c.callee->magic == 1, c.arg(0), c.arg(1));
    return Value();
}
Value RectMoveByPoint(Vm& vm, CallInfo& c) {
    Move(vm, c.thisValue, c.callee->magic == 1, Get(vm, c.arg(0), "x"), Get(vm, c.arg(0), "y"));
    return Value();
}
Value RectText(Vm& vm, CallInfo& c) {
    return Describe(vm, c.thisValue, {{"x", "x"}, {"y", "y"}, {"w", "width"}, {"h", "height"}});
}

// ---- Matrix

constexpr const char* MatrixFields[] = {"a", "b", "c", "d", "tx", "ty"};

GeomMatrix MatrixOf(Vm& vm, const Value& m) {
    return {Num(vm, m, "a"), Num(vm, m, "b"),  Num(vm, m, "c"),
            Num(vm, m, "d"), Num(vm, m, "tx"), Num(vm, m, "ty")};
}
void Write(Vm& vm, const Value& self, const GeomMatrix& m) {
    const double values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    for (std::size_t i = 0; i < 6; ++i) {
        vm.set(self, MatrixFields[i], Value(values[i]));
    }
}
Value NewMatrix(Vm& vm, const GeomMatrix& m) {
    const std::array<Value, 6> args{Value(m.a), Value(m.b),  Value(m.c),
                                    Value(m.d), Value(m.tx), Value(m.ty)};
    return Construct(vm, "Matrix", args);
}

Value MatrixCtor(Vm& vm, CallInfo& c) {
    Fill(vm, c, MatrixFields, {1, 0, 0, 1, 0, 0});
    return c.thisValue;
}
double ArgNum(Vm& vm, CallInfo& c, std::size_t i, double fallback) {
    return i < c.args.size() ? vm.toNumber(c.args[i]) : fallback;
}
// The methods that change the matrix, by magic.
Value MatrixChange(Vm& vm, CallInfo& c) {
    const GeomMatrix m = MatrixOf(vm, c.thisValue);
    GeomMatrix out;
    switch (c.callee->magic) {
    case 0: // identity
        break;
    case 1: // concat
        if (!c.arg(0).isObject()) {
            return Value();
        }
        out = m.then(MatrixOf(vm, c.arg(0)));
        break;
    case 2: // translate
        out = m.then({1, 0, 0, 1, ArgNum(vm, c, 0, 0), ArgNum(vm, c, 1, 0)});
        break;
    case 3: // scale
        out = m.then({ArgNum(vm, c, 0, 1), 0, 0, ArgNum(vm, c, 1, 1), 0, 0});
        break;
    case 4: // rotate
        out = m.then(GeomMatrix::rotation(ArgNum(vm, c, 0, 0)));
        break;
    case 5: // invert
        out = m.inverted();
        break;
    case 6: // createBox: a missing rotation is NaN, missing offsets 0
        out = GeomMatrix::box(ArgNum(vm, c, 0, 1), ArgNum(vm, c, 1, 1), ArgNum(vm, c, 2, NAN),
                              ArgNum(vm, c, 3, 0), ArgNum(vm, c, 4, 0));
        break;
    default: // createGradientBox
        out = GeomMatrix::gradientBox(ArgNum(vm, c, 0, 0), ArgNum(vm, c, 1, 0), ArgNum(vm, c, 2, 0),
                                      ArgNum(vm, c, 3, 0), ArgNum(vm, c, 4, 0));
    }
    Write(vm, c.thisValue, out);
    return Value();
}
// transformPoint (magic 0) and deltaTransformPoint (1).
Value MatrixMapPoint(Vm& vm, CallInfo& c) {
    double x = Num(vm, c.arg(0), "x"), y = Num(vm, c.arg(0), "y");
    MatrixOf(vm, c.thisValue).map(x, y, c.callee->magic == 0);
    return NewPoint(vm, Value(x), Value(y));
}
Value MatrixClone(Vm& vm, CallInfo& c) {
    std::array<Value, 6> args;
    for (std::size_t i = 0; i < 6; ++i) {
        args[i] = Get(vm, c.thisValue, MatrixFields[i]);
    }
    return Construct(vm, "Matrix", args);
}
Value MatrixText(Vm& vm, CallInfo& c) {
    return Describe(vm, c.thisValue,
                    {{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"tx", "tx"}, {"ty", "ty"}});
}

// ---- ColorTransform: numbers, as the player keeps them.

constexpr const char* ColorFields[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                       "alphaMultiplier", "redOffset",       "greenOffset",
                                       "blueOffset",      "alphaOffset"};

ChannelTransform ChannelsOf(Vm& vm, const Value& ct) {
    ChannelTransform out;
    for (int i = 0; i < 4; ++i) {
        out.multiply[i] = Num(vm, ct, ColorFields[i]);
        out.add[i] = Num(vm, ct, ColorFields[4 + i]);
    }
    return out;
}
void WriteChannels(Vm& vm, const Value& self, const ChannelTransform& cx) {
    for (int i = 0; i < 4; ++i) {
        vm.set(self, ColorFields[i], Value(cx.multiply[i]));
        vm.set(self, ColorFields[4 + i], Value(cx.add[i]));
    }
}
Value NewColorTransform(Vm& vm, const ChannelTransform& cx) {
    std::array<Value, 8> args;
    for (std::size_t i = 0; i < 4; ++i) {
        args[i] = Value(cx.multiply[i]);
        args[4 + i] = Value(cx.add[i]);
    }
    return Construct(vm, "ColorTransform", args);
}

Value ColorCtor(Vm& vm, CallInfo& c) {
    if (!ThisObject(c)) {
        return Value();
    }
    for (std::size_t i = 0; i < 8; ++i) {
        const double fallback = i < 4 ? 1 : 0;
        vm.set(c.thisValue, ColorFields[i],
               Value(c.args.empty() ? fallback : vm.toNumber(c.arg(i))));
    }
    return c.thisValue;
}
Value ColorRgb(Vm& vm, CallInfo& c) {
    const auto part = [&](const char* k, int shift) {
        return (static_cast<std::uint32_t>(ToInt32(Num(vm, c.thisValue, k))) & 0xff) << shift;
    };
    return Value(static_cast<double>(part("redOffset", 16) | part("greenOffset", 8) |
                                     part("blueOffset", 0)));
}
Value SetColorRgb(Vm& vm, CallInfo& c) {
    const std::uint32_t rgb = ToUint32(vm.toNumber(c.arg(0)));
    for (int i = 0; i < 3; ++i) {
        vm.set(c.thisValue, ColorFields[i], Value(0.0));
        vm.set(c.thisValue, ColorFields[4 + i],
               Value(static_cast<double>((rgb >> (16 - 8 * i)) & 0xff)));
    }
    return Value();
}
Value ColorConcat(Vm& vm, CallInfo& c) {
    if (!c.arg(0).isObject()) {
        return Value();
    }
    const ChannelTransform outer = ChannelsOf(vm, c.thisValue), inner = ChannelsOf(vm, c.arg(0));
    ChannelTransform out;
    for (int i = 0; i < 4; ++i) {
        out.add[i] = inner.add[i] * outer.multiply[i] + outer.add[i];
        out.multiply[i] = inner.multiply[i] * outer.multiply[i];
    }
    WriteChannels(vm, c.thisValue, out);
    return Value();
}
Value ColorText(Vm& vm, CallInfo& c) {
    return Describe(vm, c.thisValue,
                    {{ColorFields[0], ColorFields[0]},
                     {ColorFields[1], ColorFields[1]},
                     {ColorFields[2], ColorFields[2]},
                     {ColorFields[3], ColorFields[3]},
                     {ColorFields[4], ColorFields[4]},
                     {ColorFields[5], ColorFields[5]},
                     {ColorFields[6], ColorFields[6]},
                     {ColorFields[7], ColorFields[7]}});
}

// ---- Transform: a clip's place and colour, read from and written to the clip.

constexpr const char* TransformClip = "__clip";

ClipId TransformTarget(Vm& vm, const Value& transform) {
    if (!transform.isObject()) {
        return 0;
    }
    const Property* p = transform.o->find(TransformClip);
    return p ? vm.clipOf(p->value) : 0;
}

Value TransformCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        if (vm.clipOf(c.arg(0))) {
            o->define(TransformClip, c.arg(0), DontEnum);
        }
    }
    return c.thisValue;
}

GeomMatrix InPixels(const DrawMatrix& m) {
    return {m[0], m[1], m[2], m[3], m[4] / TwipsPerPixel, m[5] / TwipsPerPixel};
}
// The clip's matrix times those of its parents up to the stage.
GeomMatrix Concatenated(Vm& vm, ClipId clip) {
    GeomMatrix m;
    for (int guard = 0; clip && guard < 256; ++guard) {
        m = m.then(InPixels(vm.host().matrix(clip)));
        clip = vm.host().parent(clip);
    }
    return m;
}
ChannelTransform ConcatenatedColor(Vm& vm, ClipId clip) {
    ChannelTransform out;
    for (int guard = 0; clip && guard < 256; ++guard) {
        const ChannelTransform outer = vm.host().color(clip);
        for (int i = 0; i < 4; ++i) {
            out.add[i] = out.add[i] * outer.multiply[i] + outer.add[i];
            out.multiply[i] *= outer.multiply[i];
        }
        clip = vm.host().parent(clip);
    }
    return out;
}

// matrix (0), colorTransform (1), concatenatedMatrix (2), concatenatedColorTransform (3),
// pixelBounds (4).
Value TransformGet(Vm& vm, CallInfo& c) {
    const ClipId clip = TransformTarget(vm, c.thisValue);
    if (!clip) {
        return Value();
    }
    switch (c.callee->magic) {
    case 0:
        return NewMatrix(vm, InPixels(vm.host().matrix(clip)));
    case 1:
        return NewColorTransform(vm, vm.host().color(clip));
    case 2:
        return NewMatrix(vm, Concatenated(vm, clip));
    case 3:
        return NewColorTransform(vm, ConcatenatedColor(vm, clip));
    default: {
        // on the stage, through the main timeline's own placement too
        const ClipBounds b = vm.host().bounds(clip, 0);
        return NewRect(vm, {b.xMin / TwipsPerPixel, b.yMin / TwipsPerPixel,
                            (b.xMax - b.xMin) / TwipsPerPixel, (b.yMax - b.yMin) / TwipsPerPixel});
    }
    }
}
Value TransformSet(Vm& vm, CallInfo& c) {
    const ClipId clip = TransformTarget(vm, c.thisValue);
    if (!clip || !c.arg(0).isObject()) {
        return Value();
    }
    if (c.callee->magic == 0) {
        const GeomMatrix m = MatrixOf(vm, c.arg(0));
        vm.host().setMatrix(clip, {m.a, m.b, m.c, m.d, m.tx * TwipsPerPixel, m.ty * TwipsPerPixel});
    } else {
        vm.host().setColor(clip, ChannelsOf(vm, c.arg(0)));
    }
    return Value();
}

// MovieClip.transform: a new Transform of the clip; set, the clip takes another's matrix
// and colour transform.
Value ClipTransform(Vm& vm, CallInfo& c) {
    if (!vm.clipOf(c.thisValue)) {
        return Value();
    }
    const std::array<Value, 1> args{c.thisValue};
    return Construct(vm, "Transform", args);
}
Value SetClipTransform(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const Value& from = c.arg(0);
    const ClipId source = TransformTarget(vm, from);
    if (!clip || !source) {
        return Value();
    }
    vm.host().setMatrix(clip, vm.host().matrix(source));
    vm.host().setColor(clip, vm.host().color(source));
    return Value();
}

// scrollRect: a Rectangle (pixels) of the clip's own space that crops it, its corner
// moved to the clip's origin; anything but an object shows the clip whole again.
Value ClipScrollRect(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const std::optional<ClipBounds> r = clip ? vm.host().scrollRect(clip) : std::nullopt;
    if (!r) {
        return Value();
    }
    return NewRect(vm, {r->xMin / TwipsPerPixel, r->yMin / TwipsPerPixel,
                        (r->xMax - r->xMin) / TwipsPerPixel, (r->yMax - r->yMin) / TwipsPerPixel});
}

Value SetClipScrollRect(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    if (!clip) {
        return Value();
    }
    std::optional<ClipBounds> rect;
    if (c.arg(0).isObject()) {
        const GeomBox b = BoxOf(vm, c.arg(0));
        rect = ClipBounds{b.x * TwipsPerPixel, b.y * TwipsPerPixel, (b.x + b.width) * TwipsPerPixel,
                          (b.y + b.height) * TwipsPerPixel};
    }
    vm.host().setScrollRect(clip, rect);
    return Value();
}

Object* Class(Vm& vm, const char* name, NativeFn ctor) {
    Object* proto = vm.newObject();
    vm.newClass(FlashPackage(vm, "geom"), name, ctor, proto);
    return proto;
}

} // namespace

void InstallGeomBuiltins(Vm& vm) {
    Object* point = Class(vm, "Point", PointCtor);
    Accessor(vm, point, "length", PointLength, nullptr, 0);
    vm.methods(point, {{"add", PointSum, 0},
                       {"subtract", PointSum, 1},
                       {"clone", PointClone},
                       {"equals", PointEquals},
                       {"offset", PointOffset},
                       {"normalize", PointNormalize},
                       {"toString", PointText}});
    const Value pointClass = vm.get(Value(FlashPackage(vm, "geom")), "Point");
    vm.methods(
        pointClass.o,
        {{"distance", PointDistance}, {"interpolate", PointInterpolate}, {"polar", PointPolar}});

    Object* rect = Class(vm, "Rectangle", RectCtor);
    const char* edges[] = {"left", "top", "right", "bottom"};
    for (int i = 0; i < 4; ++i) {
        Accessor(vm, rect, edges[i], RectEdge, SetRectEdge, i);
    }
    const char* corners[] = {"topLeft", "bottomRight", "size"};
    for (int i = 0; i < 3; ++i) {
        Accessor(vm, rect, corners[i], RectCorner, SetRectCorner, i);
    }
    vm.methods(rect, {{"clone", RectClone},
                      {"isEmpty", RectIsEmpty},
                      {"setEmpty", RectSetEmpty},
                      {"contains", RectContains},
                      {"containsPoint", RectContainsPoint},
                      {"containsRectangle", RectContainsRect},
                      {"intersection", RectIntersection},
                      {"intersects", RectIntersects},
                      {"union", RectUnion},
                      {"equals", RectEquals},
                      {"offset", RectMove, 0},
                      {"inflate", RectMove, 1},
                      {"offsetPoint", RectMoveByPoint, 0},
                      {"inflatePoint", RectMoveByPoint, 1},
                      {"toString", RectText}});

    Object* matrix = Class(vm, "Matrix", MatrixCtor);
    vm.methods(matrix, {{"identity", MatrixChange, 0},
                        {"concat", MatrixChange, 1},
                        {"translate", MatrixChange, 2},
                        {"scale", MatrixChange, 3},
                        {"rotate", MatrixChange, 4},
                        {"invert", MatrixChange, 5},
                        {"createBox", MatrixChange, 6},
                        {"createGradientBox", MatrixChange, 7},
                        {"transformPoint", MatrixMapPoint, 0},
                        {"deltaTransformPoint", MatrixMapPoint, 1},
                        {"clone", MatrixClone},
                        {"toString", MatrixText}});

    Object* color = Class(vm, "ColorTransform", ColorCtor);
    Accessor(vm, color, "rgb", ColorRgb, SetColorRgb, 0);
    vm.methods(color, {{"concat", ColorConcat}, {"toString", ColorText}});

    Object* transform = Class(vm, "Transform", TransformCtor);
    const char* parts[] = {"matrix", "colorTransform", "concatenatedMatrix",
                           "concatenatedColorTransform", "pixelBounds"};
    for (int i = 0; i < 5; ++i) {
        Accessor(vm, transform, parts[i], TransformGet, i < 2 ? TransformSet : nullptr, i);
    }

    for (Object* proto : {vm.movieClipProto, vm.buttonProto, vm.textFieldProto}) {
        if (proto) {
            Accessor(vm, proto, "transform", ClipTransform, SetClipTransform, 0);
            proto->findAny("transform")->flags |= FromVersion8;
            Accessor(vm, proto, "scrollRect", ClipScrollRect, SetClipScrollRect, 0);
            proto->findAny("scrollRect")->flags |= FromVersion8;
        }
    }
}

} // namespace quillon::engine::avm1
