// A stream's script data (AMF0 values) as ActionScript 3 values, and the installation
// of the media classes.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/MediaState.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

Value ScriptValue(Vm& vm, const AmfValue& value, int depth) {
    if (depth > MaxAmfNesting) {
        return Value();
    }
    switch (value.type) {
    case AmfValue::Type::Null:
        return Value::null();
    case AmfValue::Type::Number:
        return NumberValue(value.number);
    case AmfValue::Type::Boolean:
        return Value::boolean(value.boolean);
    case AmfValue::Type::String:
        return Value::string(value.text);
    case AmfValue::Type::Date: {
        const Value date = FindDefinition(vm, NameFromText(vm, "Date"));
        const Value ms = NumberValue(value.number);
        return date.isObject() ? ConstructClass(vm, static_cast<ClassObject*>(date.asObject()),
                                                std::span(&ms, 1))
                               : ms;
    }
    case AmfValue::Type::StrictArray: {
        std::vector<Value> items;
        for (const AmfValue& item : value.items) {
            items.push_back(ScriptValue(vm, item, depth + 1));
        }
        return Value::object(vm.newArray(std::move(items)));
    }
    case AmfValue::Type::Object:
    case AmfValue::Type::EcmaArray: {
        const Value o = Value::object(vm.newObject());
        for (const auto& [name, member] : value.members) {
            SetPublic(vm, o, name, ScriptValue(vm, member, depth + 1));
        }
        return o;
    }
    case AmfValue::Type::Undefined:
        break;
    }
    return Value();
}

void InstallMediaClasses(Vm& vm) {
    InstallNetClasses(vm);
    InstallNetStreamClass(vm);
    InstallVideoClass(vm);
}

} // namespace quillon::engine::avm2stage
