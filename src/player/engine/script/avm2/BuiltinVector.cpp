// Vector.<T>: the generic class, its specialisations, element access by index and
// the constructor and conversion function.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/VectorObject.h"
#include "player/engine/script/avm2/Vm.h"

#include <cmath>

namespace quillon::avm2 {
namespace {

constexpr std::string_view kPackage = "__AS3__.vec";

[[noreturn]] void OutOfRange(Vm& vm, const std::string& index, std::size_t length) {
    vm.throwError(ErrorKind::RangeError, 1125,
                  "The index " + index + " is out of range " + std::to_string(length) + ".");
}

// A name that reads as a number addresses an element: true with its index, or -1
// when it is no valid index (negative, fractional) and must fail as out of range.
bool ElementName(Vm& vm, const PropName& name, std::int64_t& index, std::string& text) {
    if (name.attribute || !name.hasPublic) {
        return false;
    }
    if (name.index >= 0) {
        index = name.index;
        text = std::to_string(name.index);
        return true;
    }
    text = vm.atomText(name.atom);
    const char c = text.empty() ? 'x' : text[0];
    if (!((c >= '0' && c <= '9') || c == '-' || c == '.') || std::isnan(StringToNumber(text))) {
        return false;
    }
    index = -1;
    return true;
}

ClassObject* ElementType(const ClassObject* cls) {
    return cls->primitive.isObject() ? static_cast<ClassObject*>(cls->primitive.asObject())
                                     : nullptr;
}

ClassObject* VectorClassOf(Vm& vm, const Value& self) {
    if (!self.isObject() || self.asObject()->kind != ObjectKind::Class) {
        vm.throwError(ErrorKind::TypeError, 1007, "Instantiation attempted on a non-constructor.");
    }
    return static_cast<ClassObject*>(self.asObject());
}

Value Construct(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = NewVector(vm, VectorClassOf(vm, self));
    const Value& given = Arg(args, 0);
    const double length = given.isNumeric() ? given.asNumber() : ToUint32(vm, given);
    if (!(length >= 0 && std::trunc(length) == length)) {
        vm.throwError(ErrorKind::RangeError, 1005,
                      "Array index is not a positive integer (" + ToString(vm, args[0]) + ").");
    }
    CheckResize(vm, *v, static_cast<std::size_t>(std::min(length, 4294967295.0)));
    v->items.assign(static_cast<std::size_t>(length), VectorDefault(v->type));
    v->fixed = ToBoolean(Arg(args, 1));
    return Value::object(v);
}

// Vector.<T>(list): a new vector of the items of an Array or another vector.
Value ConvertTo(Vm& vm, const Value& self, std::span<const Value> args) {
    ClassObject* cls = VectorClassOf(vm, self);
    if (args.size() != 1) {
        vm.throwError(ErrorKind::ArgumentError, 1112,
                      "Argument count mismatch on class coercion.  Expected 1, got " +
                          std::to_string(args.size()) + ".");
    }
    const Value& from = args[0];
    if (from.isObject() && from.asObject()->cls == cls) {
        return from;
    }
    const ObjectKind kind = from.isObject() ? from.asObject()->kind : ObjectKind::Plain;
    if (kind != ObjectKind::Array && kind != ObjectKind::Vector) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, from) + " to " +
                          cls->name + ".");
    }
    VectorObject* v = NewVector(vm, cls);
    const std::vector<Value> items = kind == ObjectKind::Array
                                         ? static_cast<ArrayObject*>(from.asObject())->items
                                         : static_cast<VectorObject*>(from.asObject())->items;
    for (const Value& item : items) {
        v->items.push_back(VectorStore(vm, *v, item));
    }
    return Value::object(v);
}

Value NotConstructible(Vm& vm, const Value&, std::span<const Value>) {
    vm.throwError(ErrorKind::TypeError, 1007, "Instantiation attempted on a non-constructor.");
}

ClassObject* MakeVectorClass(Vm& vm, ClassObject* type) {
    const std::string param = type ? QualifiedClassName(type->name) : "*";
    NativeClass cls(vm, "Vector.<" + param + ">", vm.core.object, kPackage);
    cls.construct(Construct).call(ConvertTo).sealed();
    AddVectorMethods(cls);
    ExposeOnPrototype(vm, cls.get());
    cls.get()->primitive = type ? Value::object(type) : Value::null();
    vm.vectorTypes[type] = cls.get();
    return cls.get();
}

} // namespace

VectorObject* NewVector(Vm& vm, ClassObject* vectorClass) {
    auto* v = vm.make<VectorObject>();
    v->cls = vectorClass;
    v->proto = vectorClass->prototype;
    v->type = ElementType(vectorClass);
    InitSlots(v, *vectorClass->instanceTraits);
    return v;
}

Value VectorDefault(const ClassObject* type) {
    if (!type) {
        return Value();
    }
    const Coercion c = type->coercion;
    if (c == Coercion::Int || c == Coercion::Uint || c == Coercion::Number) {
        return Value::integer(0);
    }
    return Value::null(); // Boolean too: the player fills new places of a Vector.<Boolean> so
}

Value VectorStore(Vm& vm, const VectorObject& v, const Value& value) {
    return v.type ? CoerceToClass(vm, value, v.type) : value;
}

void CheckResize(Vm& vm, const VectorObject& v, std::size_t newLength) {
    if (v.fixed && newLength != v.items.size()) {
        vm.throwError(ErrorKind::RangeError, 1126, "Cannot change the length of a fixed Vector.");
    }
    if (newLength > vm.limits().maxArrayLength) {
        vm.limitReached("a vector longer than the limit");
    }
}

Value ApplyType(Vm& vm, const Value& generic, std::span<const Value> params) {
    const auto it = vm.vectorTypes.find(nullptr);
    if (it == vm.vectorTypes.end() || !generic.isObject() ||
        generic.asObject()->kind != ObjectKind::Class ||
        static_cast<ClassObject*>(generic.asObject())->name != std::string(kPackage) + ".Vector") {
        vm.throwError(ErrorKind::TypeError, 1127,
                      "Type application attempted on a non-parameterized type.");
    }
    if (params.size() != 1) {
        vm.throwError(ErrorKind::TypeError, 1128,
                      "Incorrect number of type parameters for Vector.<T>. Expected 1, got " +
                          std::to_string(params.size()) + ".");
    }
    if (params[0].isNullish()) {
        return Value::object(it->second);
    }
    if (!params[0].isObject() || params[0].asObject()->kind != ObjectKind::Class) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, params[0]) +
                          " to Class.");
    }
    auto* type = static_cast<ClassObject*>(params[0].asObject());
    const auto found = vm.vectorTypes.find(type);
    return Value::object(found != vm.vectorTypes.end() ? found->second : MakeVectorClass(vm, type));
}

bool VectorObject::getOwn(Vm& vm, PropName& name, Value& out) {
    std::int64_t index = -1;
    std::string text;
    if (!ElementName(vm, name, index, text)) {
        return false;
    }
    if (index < 0 || static_cast<std::uint64_t>(index) >= items.size()) {
        OutOfRange(vm, text, items.size());
    }
    out = items[index];
    return true;
}

bool VectorObject::setOwn(Vm& vm, PropName& name, const Value& value) {
    std::int64_t index = -1;
    std::string text;
    if (!ElementName(vm, name, index, text)) {
        return false;
    }
    if (index < 0 || static_cast<std::uint64_t>(index) > items.size() ||
        (fixed && static_cast<std::uint64_t>(index) == items.size())) {
        OutOfRange(vm, text, items.size());
    }
    Value stored = VectorStore(vm, *this, value);
    if (static_cast<std::uint64_t>(index) == items.size()) {
        CheckResize(vm, *this, items.size() + 1);
        items.push_back(std::move(stored));
    } else {
        items[index] = std::move(stored);
    }
    return true;
}

bool VectorObject::deleteOwn(Vm& vm, PropName& name, bool& deleted) {
    std::int64_t index = -1;
    std::string text;
    deleted = true; // elements stay: deleting one is allowed and changes nothing
    // Any other name is no element either; only the class's own properties refuse.
    return ElementName(vm, name, index, text) || !FindBinding(traits, name);
}

bool VectorObject::hasOwn(Vm& vm, PropName& name, bool& has) {
    std::int64_t index = -1;
    std::string text;
    if (!ElementName(vm, name, index, text)) {
        return false;
    }
    has = index >= 0 && static_cast<std::uint64_t>(index) < items.size();
    return true;
}

void InstallVectorClasses(Vm& vm) {
    NativeClass generic(vm, "Vector", vm.core.object, kPackage);
    generic.construct(NotConstructible).sealed();
    ClassObject* any = MakeVectorClass(vm, nullptr);
    const std::pair<const char*, ClassObject*> named[] = {{"Vector$int", vm.core.intClass},
                                                          {"Vector$uint", vm.core.uintClass},
                                                          {"Vector$double", vm.core.number}};
    for (const auto& [alias, type] : named) {
        DefineGlobal(vm, alias, Value::object(MakeVectorClass(vm, type)), kPackage);
    }
    DefineGlobal(vm, "Vector$object", Value::object(any), kPackage);
}

} // namespace quillon::avm2
