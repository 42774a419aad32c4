// Reading and making flash.geom objects from C++, and their text.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <vector>

namespace quillon::engine::avm2stage {

using namespace avm2;

double Field(Vm& vm, const Value& o, const char* name) {
    return ToNumber(vm, GetPublic(vm, o, name));
}

void PutField(Vm& vm, const Value& o, const char* name, double value) {
    SetPublic(vm, o, name, NumberValue(value));
}

GeomMatrix ReadMatrix(Vm& vm, const Value& m) {
    if (!m.isObject()) {
        return {};
    }
    return {Field(vm, m, "a"), Field(vm, m, "b"),  Field(vm, m, "c"),
            Field(vm, m, "d"), Field(vm, m, "tx"), Field(vm, m, "ty")};
}

Value NewGeom(Vm& vm, const char* className, std::initializer_list<double> args) {
    std::vector<Value> values;
    for (double v : args) {
        values.push_back(NumberValue(v));
    }
    return ConstructClass(vm, BuiltinClass(vm, "flash.geom", className), values);
}

Value NewMatrix(Vm& vm, const GeomMatrix& m) {
    return NewGeom(vm, "Matrix", {m.a, m.b, m.c, m.d, m.tx, m.ty});
}

std::string GeomText(Vm& vm, const Value& o,
                     std::initializer_list<std::pair<const char*, const char*>> fields) {
    std::string out = "(";
    for (const auto& [shown, field] : fields) {
        if (out.size() > 1) {
            out += ", ";
        }
        out += std::string(shown) + "=" + ToString(vm, GetPublic(vm, o, field));
    }
    return out + ")";
}

} // namespace quillon::engine::avm2stage
