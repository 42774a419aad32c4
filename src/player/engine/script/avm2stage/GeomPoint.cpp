// flash.geom.Point and Rectangle: positions and boxes kept in public fields.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/Geom.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// A missing argument is 0; one given as undefined is NaN, as typed parameters make it.
double Num(Vm& vm, std::span<const Value> args, std::size_t i) {
    return i < args.size() ? ToNumber(vm, args[i]) : 0;
}

// Sets the named fields from the arguments in order (missing ones are 0).
template <std::size_t N>
void SetFields(Vm& vm, const Value& self, const char* const (&names)[N],
               std::span<const Value> args) {
    for (std::size_t i = 0; i < N; ++i) {
        PutField(vm, self, names[i], Num(vm, args, i));
    }
}

constexpr const char* PointFields[] = {"x", "y"};
constexpr const char* RectFields[] = {"x", "y", "width", "height"};

using Box = GeomBox;
Box BoxOf(Vm& vm, const Value& r) {
    return {Field(vm, r, "x"), Field(vm, r, "y"), Field(vm, r, "width"), Field(vm, r, "height")};
}
Value NewBox(Vm& vm, const Box& b) {
    return NewGeom(vm, "Rectangle", {b.x, b.y, b.width, b.height});
}

Value PointInit(Vm& vm, const Value& self, std::span<const Value> args) {
    SetFields(vm, self, PointFields, args);
    return Value();
}
Value PointLength(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(std::hypot(Field(vm, self, "x"), Field(vm, self, "y")));
}
// add (Sign 1) and subtract (-1).
template <int Sign> Value PointSum(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& o = Arg(args, 0);
    return NewGeom(vm, "Point",
                   {Field(vm, self, "x") + Sign * Field(vm, o, "x"),
                    Field(vm, self, "y") + Sign * Field(vm, o, "y")});
}
Value PointClone(Vm& vm, const Value& self, std::span<const Value>) {
    return NewGeom(vm, "Point", {Field(vm, self, "x"), Field(vm, self, "y")});
}
Value PointEquals(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& o = Arg(args, 0);
    return Value::boolean(o.isObject() && Field(vm, self, "x") == Field(vm, o, "x") &&
                          Field(vm, self, "y") == Field(vm, o, "y"));
}
Value PointOffset(Vm& vm, const Value& self, std::span<const Value> args) {
    PutField(vm, self, "x", Field(vm, self, "x") + Num(vm, args, 0));
    PutField(vm, self, "y", Field(vm, self, "y") + Num(vm, args, 1));
    return Value();
}
Value PointNormalize(Vm& vm, const Value& self, std::span<const Value> args) {
    const double x = Field(vm, self, "x"), y = Field(vm, self, "y");
    const double length = std::hypot(x, y);
    if (length > 0) {
        const double k = Num(vm, args, 0) / length;
        PutField(vm, self, "x", x * k);
        PutField(vm, self, "y", y * k);
    }
    return Value();
}
Value PointSetTo(Vm& vm, const Value& self, std::span<const Value> args) {
    return PointInit(vm, self, args);
}
// copyFrom for both: the fields of another of the kind.
template <std::size_t N>
Value CopyFields(Vm& vm, const Value& self, const char* const (&names)[N], const Value& from) {
    for (const char* k : names) {
        PutField(vm, self, k, Field(vm, from, k));
    }
    return Value();
}
Value PointCopyFrom(Vm& vm, const Value& self, std::span<const Value> args) {
    return CopyFields(vm, self, PointFields, Arg(args, 0));
}
Value PointText(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(GeomText(vm, self, {{"x", "x"}, {"y", "y"}}));
}
Value Distance(Vm& vm, const Value&, std::span<const Value> args) {
    return NumberValue(std::hypot(Field(vm, Arg(args, 0), "x") - Field(vm, Arg(args, 1), "x"),
                                  Field(vm, Arg(args, 0), "y") - Field(vm, Arg(args, 1), "y")));
}
Value Interpolate(Vm& vm, const Value&, std::span<const Value> args) {
    const double f = Num(vm, args, 2);
    const auto mix = [&](const char* k) {
        const double a = Field(vm, Arg(args, 0), k), b = Field(vm, Arg(args, 1), k);
        return b + (a - b) * f;
    };
    return NewGeom(vm, "Point", {mix("x"), mix("y")});
}
Value Polar(Vm& vm, const Value&, std::span<const Value> args) {
    const double length = Num(vm, args, 0), angle = Num(vm, args, 1);
    return NewGeom(vm, "Point", {length * std::cos(angle), length * std::sin(angle)});
}

Value RectInit(Vm& vm, const Value& self, std::span<const Value> args) {
    SetFields(vm, self, RectFields, args);
    return Value();
}
// left, top, right, bottom: N picks one.
template <int N> Value RectEdge(Vm& vm, const Value& self, std::span<const Value>) {
    const Box b = BoxOf(vm, self);
    const double edges[] = {b.x, b.y, b.x + b.width, b.y + b.height};
    return NumberValue(edges[N]);
}
template <int N> Value SetRectEdge(Vm& vm, const Value& self, std::span<const Value> args) {
    const Box b = BoxOf(vm, self);
    const double v = Num(vm, args, 0);
    switch (N) {
    case 0:
        PutField(vm, self, "width", b.width + b.x - v);
        PutField(vm, self, "x", v);
        break;
    case 1:
        PutField(vm, self, "height", b.height + b.y - v);
        PutField(vm, self, "y", v);
        break;
    case 2:
        PutField(vm, self, "width", v - b.x);
        break;
    default:
        PutField(vm, self, "height", v - b.y);
    }
    return Value();
}
Value RectClone(Vm& vm, const Value& self, std::span<const Value>) {
    return NewBox(vm, BoxOf(vm, self));
}
Value RectIsEmpty(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(BoxOf(vm, self).empty());
}
Value RectContains(Vm& vm, const Value& self, std::span<const Value> args) {
    const Box b = BoxOf(vm, self);
    const double x = Num(vm, args, 0), y = Num(vm, args, 1);
    return Value::boolean(b.contains(x, y));
}
Value RectContainsPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value xy[] = {NumberValue(Field(vm, Arg(args, 0), "x")),
                        NumberValue(Field(vm, Arg(args, 0), "y"))};
    return RectContains(vm, self, xy);
}
Value RectIntersection(Vm& vm, const Value& self, std::span<const Value> args) {
    return NewBox(vm, BoxOf(vm, self).intersection(BoxOf(vm, Arg(args, 0))));
}
Value RectIntersects(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(!BoxOf(vm, self).intersection(BoxOf(vm, Arg(args, 0))).empty());
}
Value RectUnion(Vm& vm, const Value& self, std::span<const Value> args) {
    return NewBox(vm, BoxOf(vm, self).united(BoxOf(vm, Arg(args, 0))));
}
// offset (Grow false) moves the box; inflate grows it on every side.
template <bool Grow> Value RectMove(Vm& vm, const Value& self, std::span<const Value> args) {
    const Box b = BoxOf(vm, self);
    const double dx = Num(vm, args, 0), dy = Num(vm, args, 1);
    const Value moved =
        NewBox(vm, Grow ? Box{b.x - dx, b.y - dy, b.width + 2 * dx, b.height + 2 * dy}
                        : Box{b.x + dx, b.y + dy, b.width, b.height});
    for (const char* k : RectFields) {
        PutField(vm, self, k, Field(vm, moved, k));
    }
    return Value();
}
Value RectCopyFrom(Vm& vm, const Value& self, std::span<const Value> args) {
    return CopyFields(vm, self, RectFields, Arg(args, 0));
}
Value RectContainsRect(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(BoxOf(vm, self).containsBox(BoxOf(vm, Arg(args, 0))));
}
// offsetPoint and inflatePoint: offset and inflate by a point's x and y.
template <bool Grow> Value RectMoveByPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value xy[] = {NumberValue(Field(vm, Arg(args, 0), "x")),
                        NumberValue(Field(vm, Arg(args, 0), "y"))};
    return RectMove<Grow>(vm, self, xy);
}
Value RectSetEmpty(Vm& vm, const Value& self, std::span<const Value>) {
    return RectInit(vm, self, {});
}
Value RectEquals(Vm& vm, const Value& self, std::span<const Value> args) {
    const Box a = BoxOf(vm, self), b = BoxOf(vm, Arg(args, 0));
    return Value::boolean(Arg(args, 0).isObject() && a.x == b.x && a.y == b.y &&
                          a.width == b.width && a.height == b.height);
}
Value RectText(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(
        GeomText(vm, self, {{"x", "x"}, {"y", "y"}, {"w", "width"}, {"h", "height"}}));
}
Value RectTopLeft(Vm& vm, const Value& self, std::span<const Value>) {
    return PointClone(vm, self, {});
}
Value RectBottomRight(Vm& vm, const Value& self, std::span<const Value>) {
    const Box b = BoxOf(vm, self);
    return NewGeom(vm, "Point", {b.x + b.width, b.y + b.height});
}
Value RectSize(Vm& vm, const Value& self, std::span<const Value>) {
    return NewGeom(vm, "Point", {Field(vm, self, "width"), Field(vm, self, "height")});
}

} // namespace

void InstallPointClasses(Vm& vm) {
    NativeClass point(vm, "Point", vm.core.object, "flash.geom");
    point.slot("x", Value::number(0)).slot("y", Value::number(0));
    point.init(PointInit)
        .getter("length", PointLength)
        .methods({{"add", PointSum<1>},
                  {"subtract", PointSum<-1>},
                  {"clone", PointClone},
                  {"equals", PointEquals},
                  {"offset", PointOffset},
                  {"normalize", PointNormalize},
                  {"setTo", PointSetTo},
                  {"copyFrom", PointCopyFrom},
                  {"toString", PointText}})
        .staticMethod("distance", Distance)
        .staticMethod("interpolate", Interpolate)
        .staticMethod("polar", Polar);
    NativeClass rect(vm, "Rectangle", vm.core.object, "flash.geom");
    for (const char* k : RectFields) {
        rect.slot(k, Value::number(0));
    }
    rect.init(RectInit)
        .getter("left", RectEdge<0>)
        .setter("left", SetRectEdge<0>)
        .getter("top", RectEdge<1>)
        .setter("top", SetRectEdge<1>)
        .getter("right", RectEdge<2>)
        .setter("right", SetRectEdge<2>)
        .getter("bottom", RectEdge<3>)
        .setter("bottom", SetRectEdge<3>)
        .getters({{"topLeft", RectTopLeft}, {"bottomRight", RectBottomRight}, {"size", RectSize}})
        .methods({{"clone", RectClone},
                  {"isEmpty", RectIsEmpty},
                  {"contains", RectContains},
                  {"containsPoint", RectContainsPoint},
                  {"intersection", RectIntersection},
                  {"intersects", RectIntersects},
                  {"union", RectUnion},
                  {"offset", RectMove<false>},
                  {"inflate", RectMove<true>},
                  {"setEmpty", RectSetEmpty},
                  {"copyFrom", RectCopyFrom},
                  {"containsRect", RectContainsRect},
                  {"offsetPoint", RectMoveByPoint<false>},
                  {"inflatePoint", RectMoveByPoint<true>},
                  {"setTo", RectInit},
                  {"equals", RectEquals},
                  {"toString", RectText}});
}

} // namespace quillon::engine::avm2stage
