#include "player/engine/script/avm2/Properties.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/QName.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"

#include <charconv>
#include <optional>

namespace quillon::avm2 {
namespace {

std::int64_t IndexOf(std::string_view text) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) {
        return -1;
    }
    std::uint64_t value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value >= 0xffffffffu) {
        return -1;
    }
    return static_cast<std::int64_t>(value);
}

ArrayObject* AsArray(const Value& v) {
    return v.isObject() && v.asObject()->kind == ObjectKind::Array
               ? static_cast<ArrayObject*>(v.asObject())
               : nullptr;
}

// The object where dynamic lookups start: the object, or a primitive's prototype. An
// int or uint inherits from Number's prototype like any number.
Object* LookupStart(Vm& vm, const Value& v) {
    if (v.isObject()) {
        return v.asObject();
    }
    const ClassObject* cls = v.isNumeric() ? vm.core.number : ClassOf(vm, v);
    return cls ? cls->prototype : nullptr;
}

[[noreturn]] void NotFound(Vm& vm, const Value& obj, PropName& name) {
    vm.throwError(ErrorKind::ReferenceError, 1069,
                  "Property " + NameText(vm, name) + " not found on " + ClassName(vm, obj) +
                      " and there is no default value.");
}

[[noreturn]] void CannotCreate(Vm& vm, const Value& obj, PropName& name) {
    vm.throwError(ErrorKind::ReferenceError, 1056,
                  "Cannot create property " + NameText(vm, name) + " on " + ClassName(vm, obj) +
                      ".");
}

} // namespace

PropName PublicName(Vm& vm, std::string_view name) {
    PropName result;
    result.atom = vm.intern(name);
    result.index = IndexOf(name);
    return result;
}

PropName NameFromValue(Vm& vm, const Value& name) {
    PropName result;
    if (name.isInt() && name.asInt() >= 0) {
        result.index = name.asInt();
        return result;
    }
    if (name.kind() == Kind::Number && name.asNumber() >= 0 && name.asNumber() < 4294967295.0 &&
        static_cast<double>(static_cast<std::int64_t>(name.asNumber())) == name.asNumber()) {
        result.index = static_cast<std::int64_t>(name.asNumber());
        return result;
    }
    if (const QNameObject* q = AsQName(name)) {
        return QNamePropName(vm, *q);
    }
    if (name.isObject()) {
        result.key = name.asObject();
    }
    const Value text = ToStringValue(vm, name);
    result.atom = vm.atomOf(text);
    result.index = IndexOf(text.asString());
    return result;
}

std::uint32_t NameAtom(Vm& vm, PropName& name) {
    if (name.atom == 0) {
        name.atom = vm.intern(std::to_string(name.index));
    }
    return name.atom;
}

std::string NameText(Vm& vm, PropName name) {
    return vm.atomText(NameAtom(vm, name));
}

const Binding* FindBinding(const Traits* traits, const PropName& name) {
    if (!traits || name.atom == 0) {
        return nullptr;
    }
    for (std::uint32_t ns : name.ns()) {
        if (const Binding* b = traits->find(PropKey(ns, name.atom))) {
            return b;
        }
    }
    return nullptr;
}

const Traits* TraitsOf(Vm& vm, const Value& v) {
    if (v.isObject()) {
        return v.asObject()->traits;
    }
    const ClassObject* cls = ClassOf(vm, v);
    return cls ? cls->instanceTraits.get() : nullptr;
}

void ThrowNullAccess(Vm& vm, const Value& obj) {
    if (obj.isNull()) {
        vm.throwError(ErrorKind::TypeError, 1009,
                      "Cannot access a property or method of a null object reference.");
    }
    vm.throwError(ErrorKind::TypeError, 1010, "A term is undefined and has no properties.");
}

Value ReadBinding(Vm& vm, const Value& obj, const Binding& b, PropName& name) {
    switch (b.kind) {
    case Binding::Kind::Slot:
        return obj.asObject()->slots[b.slot];
    case Binding::Kind::Method: {
        FunctionObject* fn = vm.newFunction(b.method, nullptr);
        fn->boundThis = obj;
        fn->bound = true;
        return Value::object(fn);
    }
    case Binding::Kind::Accessor:
        if (!b.getter) {
            vm.throwError(ErrorKind::ReferenceError, 1077,
                          "Illegal read of write-only property " + NameText(vm, name) + " on " +
                              ClassName(vm, obj) + ".");
        }
        return InvokeMethod(vm, b.getter, obj, {});
    }
    return Value();
}

void WriteBinding(Vm& vm, const Value& obj, const Binding& b, PropName& name, const Value& value,
                  bool init) {
    const std::string where = " on " + ClassName(vm, obj) + ".";
    if (b.kind == Binding::Kind::Method) {
        vm.throwError(ErrorKind::ReferenceError, 1037,
                      "Cannot assign to a method " + NameText(vm, name) + where);
    }
    if (b.kind == Binding::Kind::Accessor) {
        if (!b.setter) {
            vm.throwError(ErrorKind::ReferenceError, 1074,
                          "Illegal write to read-only property " + NameText(vm, name) + where);
        }
        const Value args[1] = {value};
        InvokeMethod(vm, b.setter, obj, args);
        return;
    }
    Object* o = obj.asObject();
    const SlotDef& def = o->traits->slots[b.slot];
    if (def.constant && !init) {
        vm.throwError(ErrorKind::ReferenceError, 1074,
                      "Illegal write to read-only property " + NameText(vm, name) + where);
    }
    o->slots[b.slot] = Coerce(vm, value, def.coercion);
}

Value GetProperty(Vm& vm, const Value& obj, PropName name) {
    if (obj.isNullish()) {
        ThrowNullAccess(vm, obj);
    }
    if (obj.isObject() && obj.asObject()->exotic) {
        Value out;
        if (obj.asObject()->getOwn(vm, name, out)) {
            return out;
        }
    }
    if (name.index >= 0) {
        if (ArrayObject* array = AsArray(obj)) {
            if (static_cast<std::uint64_t>(name.index) < array->items.size() &&
                !array->items[name.index].isHole()) {
                return array->items[name.index];
            }
        }
    }
    if (const Binding* b = FindBinding(TraitsOf(vm, obj), name)) {
        return ReadBinding(vm, obj, *b, name);
    }
    if (name.hasPublic) {
        const std::uint32_t atom = NameAtom(vm, name);
        for (Object* o = LookupStart(vm, obj); o; o = o->proto) {
            if (o->dyn) {
                if (Value* found = o->dyn->find(atom)) {
                    return *found;
                }
            }
        }
    }
    if (!obj.isObject() || !obj.asObject()->dynamic) {
        NotFound(vm, obj, name);
    }
    return Value();
}

void SetProperty(Vm& vm, const Value& obj, PropName name, const Value& value, bool init) {
    if (obj.isNullish()) {
        ThrowNullAccess(vm, obj);
    }
    if (obj.isObject() && obj.asObject()->exotic && obj.asObject()->setOwn(vm, name, value)) {
        return;
    }
    if (ArrayObject* array = AsArray(obj); array && name.index >= 0) {
        if (static_cast<std::uint64_t>(name.index) >= vm.limits().maxArrayLength) {
            vm.limitReached("an array longer than the limit");
        }
        if (static_cast<std::uint64_t>(name.index) >= array->items.size()) {
            array->items.resize(name.index + 1, Value::hole());
        }
        array->items[name.index] = value;
        return;
    }
    if (const Binding* b = FindBinding(TraitsOf(vm, obj), name)) {
        WriteBinding(vm, obj, *b, name, value, init);
        return;
    }
    if (!obj.isObject() || !obj.asObject()->dynamic || !name.hasPublic) {
        CannotCreate(vm, obj, name);
    }
    obj.asObject()->props().set(NameAtom(vm, name), value);
}

bool DeleteProperty(Vm& vm, const Value& obj, PropName name) {
    if (obj.isNullish()) {
        ThrowNullAccess(vm, obj);
    }
    if (!obj.isObject()) {
        return false;
    }
    if (bool deleted = false;
        obj.asObject()->exotic && obj.asObject()->deleteOwn(vm, name, deleted)) {
        return deleted;
    }
    if (ArrayObject* array = AsArray(obj); array && name.index >= 0) {
        if (static_cast<std::uint64_t>(name.index) < array->items.size()) {
            array->items[name.index] = Value::hole();
        }
        return true;
    }
    Object* o = obj.asObject();
    // A sealed object (a ByteArray, say) has nothing to delete, not even its elements.
    if (!o->dynamic || FindBinding(o->traits, name)) {
        return false;
    }
    if (o->dyn) {
        o->dyn->erase(NameAtom(vm, name));
    }
    return true;
}

bool HasOwnProperty(Vm& vm, const Value& obj, PropName name) {
    if (bool has = false;
        obj.isObject() && obj.asObject()->exotic && obj.asObject()->hasOwn(vm, name, has)) {
        return has;
    }
    if (ArrayObject* array = AsArray(obj); array && name.index >= 0) {
        return static_cast<std::uint64_t>(name.index) < array->items.size() &&
               !array->items[name.index].isHole();
    }
    if (FindBinding(TraitsOf(vm, obj), name)) {
        return true;
    }
    return obj.isObject() && obj.asObject()->dyn && obj.asObject()->dyn->find(NameAtom(vm, name));
}

bool HasProperty(Vm& vm, const Value& obj, PropName name) {
    if (obj.isNullish()) {
        return false;
    }
    if (HasOwnProperty(vm, obj, name)) {
        return true;
    }
    const std::uint32_t atom = NameAtom(vm, name);
    for (Object* o = LookupStart(vm, obj); o; o = o->proto) {
        if (o->dyn && o->dyn->find(atom)) {
            return true;
        }
    }
    return false;
}

namespace {

// E4X: a method an XML list of one lacks is its item's, and one that XML with simple
// content lacks is its text's (x.name.toUpperCase()).
std::optional<Value> DelegatedXmlCall(Vm& vm, const Value& obj, PropName& name,
                                      std::span<const Value> args) {
    Object* o = obj.asObject();
    if (o->kind == ObjectKind::XmlList) {
        const auto& items = static_cast<XmlListObject*>(o)->items;
        if (items.size() == 1) {
            return CallProperty(vm, Value::object(items[0]), name, args);
        }
    } else if (HasSimpleContent(*static_cast<XmlObject*>(o))) {
        return CallProperty(vm, Value::string(XmlToString(vm, obj)), name, args);
    }
    return std::nullopt;
}

} // namespace

Value CallProperty(Vm& vm, const Value& obj, PropName name, std::span<const Value> args, bool lex) {
    if (obj.isNullish()) {
        ThrowNullAccess(vm, obj);
    }
    const Binding* b = FindBinding(TraitsOf(vm, obj), name);
    if (b && b->kind == Binding::Kind::Method) {
        return InvokeMethod(vm, b->method, obj, args);
    }
    if (Value result; obj.isObject() && obj.asObject()->exotic &&
                      obj.asObject()->callOwn(vm, name, args, result)) {
        return result;
    }
    // XML reads names as children: its calls find the prototypes' methods first.
    Value* inherited = nullptr;
    for (Object* o = obj.isObject() && obj.asObject()->exotic ? obj.asObject()->proto : nullptr;
         o && !inherited && name.hasPublic; o = o->proto) {
        inherited = o->dyn ? o->dyn->find(NameAtom(vm, name)) : nullptr;
    }
    const Value fn = inherited ? *inherited : GetProperty(vm, obj, name);
    if (!fn.isObject() ||
        (fn.asObject()->kind != ObjectKind::Function && fn.asObject()->kind != ObjectKind::Class)) {
        if (IsXml(obj)) {
            if (std::optional<Value> result = DelegatedXmlCall(vm, obj, name, args)) {
                return *result;
            }
        }
        vm.throwError(ErrorKind::TypeError, 1006, NameText(vm, name) + " is not a function.");
    }
    return CallValue(vm, fn, lex ? Value::null() : obj, args);
}

Value GetPublic(Vm& vm, const Value& obj, std::string_view name) {
    return GetProperty(vm, obj, PublicName(vm, name));
}

void SetPublic(Vm& vm, const Value& obj, std::string_view name, const Value& value) {
    SetProperty(vm, obj, PublicName(vm, name), value);
}

int NextIndex(Vm& vm, Object* obj, int index) {
    if (Value next; obj->exotic && obj->enumerate(vm, EnumQuery::NextIndex, index, next)) {
        return ToInt32(vm, next);
    }
    const int elements = static_cast<int>(obj->elementCount());
    for (; index < elements; ++index) {
        if (!obj->elementMissing(static_cast<std::uint32_t>(index))) {
            return index + 1;
        }
    }
    if (!obj->dyn) {
        return 0;
    }
    const auto& entries = obj->dyn->entries;
    for (int i = index - elements; i < static_cast<int>(entries.size()); ++i) {
        if (entries[i].live && entries[i].enumerable) {
            return elements + i + 1;
        }
    }
    return 0;
}

namespace {

// The dynamic property an enumeration index past the elements stands for.
const DynamicProps::Entry* EntryAt(Object* obj, int index) {
    const int entry = index - static_cast<int>(obj->elementCount()) - 1;
    if (!obj->dyn || entry < 0 || entry >= static_cast<int>(obj->dyn->entries.size())) {
        return nullptr;
    }
    return &obj->dyn->entries[entry];
}

} // namespace

namespace {

// The name (or value) an enumeration index stands for.
template <bool Names> Value EnumeratedAt(Vm& vm, Object* obj, int index) {
    const EnumQuery query = Names ? EnumQuery::Name : EnumQuery::Value;
    if (Value answer; obj->exotic && obj->enumerate(vm, query, index, answer)) {
        return answer;
    }
    if (index >= 1 && index <= static_cast<int>(obj->elementCount())) {
        const auto i = static_cast<std::uint32_t>(index - 1);
        return Names ? obj->elementName(vm, i) : obj->elementValue(vm, i);
    }
    const DynamicProps::Entry* entry = EntryAt(obj, index);
    if (!entry) {
        return Value();
    }
    return Names ? Value::string(vm.atomText(entry->atom)) : entry->value;
}

} // namespace

Value NameAt(Vm& vm, Object* obj, int index) {
    return EnumeratedAt<true>(vm, obj, index);
}

Value ValueAt(Vm& vm, Object* obj, int index) {
    return EnumeratedAt<false>(vm, obj, index);
}

} // namespace quillon::avm2
