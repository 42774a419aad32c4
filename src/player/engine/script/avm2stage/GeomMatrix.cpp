// flash.geom.Matrix: an affine transform kept in six public fields.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/Geom.h"

#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr const char* Fields[] = {"a", "b", "c", "d", "tx", "ty"};

double Num(Vm& vm, std::span<const Value> args, std::size_t i, double fallback) {
    return i < args.size() && !args[i].isUndefined() ? ToNumber(vm, args[i]) : fallback;
}

void Write(Vm& vm, const Value& self, const GeomMatrix& m) {
    const double values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    for (std::size_t i = 0; i < 6; ++i) {
        PutField(vm, self, Fields[i], values[i]);
    }
}

Value Init(Vm& vm, const Value& self, std::span<const Value> args) {
    Write(vm, self,
          {Num(vm, args, 0, 1), Num(vm, args, 1, 0), Num(vm, args, 2, 0), Num(vm, args, 3, 1),
           Num(vm, args, 4, 0), Num(vm, args, 5, 0)});
    return Value();
}

// Methods that change the matrix: each names the matrix it becomes.
template <GeomMatrix (*Change)(Vm&, const GeomMatrix&, std::span<const Value>)>
Value Changing(Vm& vm, const Value& self, std::span<const Value> args) {
    Write(vm, self, Change(vm, ReadMatrix(vm, self), args));
    return Value();
}

GeomMatrix Identity(Vm&, const GeomMatrix&, std::span<const Value>) {
    return {};
}
GeomMatrix SetTo(Vm& vm, const GeomMatrix&, std::span<const Value> args) {
    return {Num(vm, args, 0, 0), Num(vm, args, 1, 0), Num(vm, args, 2, 0),
            Num(vm, args, 3, 0), Num(vm, args, 4, 0), Num(vm, args, 5, 0)};
}
GeomMatrix CopyFrom(Vm& vm, const GeomMatrix&, std::span<const Value> args) {
    return ReadMatrix(vm, Arg(args, 0));
}
GeomMatrix Concat(Vm& vm, const GeomMatrix& m, std::span<const Value> args) {
    return m.then(ReadMatrix(vm, Arg(args, 0)));
}
GeomMatrix Translate(Vm& vm, const GeomMatrix& m, std::span<const Value> args) {
    return m.then({1, 0, 0, 1, Num(vm, args, 0, 0), Num(vm, args, 1, 0)});
}
GeomMatrix Scale(Vm& vm, const GeomMatrix& m, std::span<const Value> args) {
    return m.then({Num(vm, args, 0, 1), 0, 0, Num(vm, args, 1, 1), 0, 0});
}
GeomMatrix Rotate(Vm& vm, const GeomMatrix& m, std::span<const Value> args) {
    return m.then(GeomMatrix::rotation(Num(vm, args, 0, 0)));
}
GeomMatrix Invert(Vm&, const GeomMatrix& m, std::span<const Value>) {
    return m.inverted();
}
GeomMatrix CreateBox(Vm& vm, const GeomMatrix&, std::span<const Value> args) {
    return GeomMatrix::box(Num(vm, args, 0, 1), Num(vm, args, 1, 1), Num(vm, args, 2, 0),
                           Num(vm, args, 3, 0), Num(vm, args, 4, 0));
}
GeomMatrix CreateGradientBox(Vm& vm, const GeomMatrix&, std::span<const Value> args) {
    return GeomMatrix::gradientBox(Num(vm, args, 0, 0), Num(vm, args, 1, 0), Num(vm, args, 2, 0),
                                   Num(vm, args, 3, 0), Num(vm, args, 4, 0));
}

// transformPoint (Delta false) and deltaTransformPoint.
template <bool Delta> Value MapPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    double x = Field(vm, Arg(args, 0), "x"), y = Field(vm, Arg(args, 0), "y");
    ReadMatrix(vm, self).map(x, y, !Delta);
    return NewGeom(vm, "Point", {x, y});
}

Value Clone(Vm& vm, const Value& self, std::span<const Value>) {
    return NewMatrix(vm, ReadMatrix(vm, self));
}

Value Text(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(GeomText(
        vm, self, {{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"tx", "tx"}, {"ty", "ty"}}));
}

} // namespace

void InstallMatrixClass(Vm& vm) {
    NativeClass cls(vm, "Matrix", vm.core.object, "flash.geom");
    for (const char* field : Fields) {
        cls.slot(field, Value::number(0));
    }
    cls.init(Init).methods({{"identity", Changing<Identity>},
                            {"setTo", Changing<SetTo>},
                            {"copyFrom", Changing<CopyFrom>},
                            {"concat", Changing<Concat>},
                            {"translate", Changing<Translate>},
                            {"scale", Changing<Scale>},
                            {"rotate", Changing<Rotate>},
                            {"invert", Changing<Invert>},
                            {"createBox", Changing<CreateBox>},
                            {"createGradientBox", Changing<CreateGradientBox>},
                            {"transformPoint", MapPoint<false>},
                            {"deltaTransformPoint", MapPoint<true>},
                            {"clone", Clone},
                            {"toString", Text}});
}

} // namespace quillon::engine::avm2stage
