// Types, equality, ordering and addition.

#include "player/engine/script/avm2/Code.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlObject.h"

#include <cmath>

namespace quillon::avm2 {

ClassObject* ClassOf(Vm& vm, const Value& v) {
    switch (v.kind()) {
    case Kind::Undefined:
    case Kind::Null:
        return nullptr;
    case Kind::Boolean:
        return vm.core.boolean;
    case Kind::Int:
        return vm.core.intClass;
    case Kind::Number: {
        const double d = v.asNumber();
        return std::trunc(d) == d && d >= -2147483648.0 && d <= 2147483647.0 ? vm.core.intClass
                                                                             : vm.core.number;
    }
    case Kind::String:
        return vm.core.string;
    case Kind::Object:
        return v.asObject()->cls;
    }
    return nullptr;
}

bool IsType(Vm& vm, const Value& v, const ClassObject* cls) {
    if (v.isNullish() || !cls) {
        return false;
    }
    const CoreClasses& c = vm.core;
    if (cls == c.object) {
        return true;
    }
    if (v.isNumeric()) {
        const double d = v.asNumber();
        if (cls == c.intClass) {
            return std::trunc(d) == d && d >= -2147483648.0 && d <= 2147483647.0;
        }
        if (cls == c.uintClass) {
            return std::trunc(d) == d && d >= 0 && d <= 4294967295.0;
        }
        return cls == c.number;
    }
    const ClassObject* own = ClassOf(vm, v);
    return own && own->isSubclassOf(cls);
}

Value CoerceToClass(Vm& vm, const Value& v, ClassObject* cls) {
    if (!cls || cls == vm.core.object) {
        return v.isUndefined() ? Value::null() : v;
    }
    if (cls->coercion != Coercion::Object) {
        return Coerce(vm, v, cls->coercion);
    }
    if (v.isNullish()) {
        return Value::null();
    }
    if (!IsType(vm, v, cls)) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + CoercedText(vm, v) + " to " +
                          cls->name + ".");
    }
    return v;
}

Value CoerceTyped(Vm& vm, const Value& v, Coercion coercion, const TypedClass& type) {
    if (!type.name || v.isNullish()) {
        return Coerce(vm, v, coercion);
    }
    if (!type.found) {
        type.found = DefinedClass(vm, *type.name);
    }
    // A class whose script has not run has no instances yet to tell apart.
    return type.found ? CoerceToClass(vm, v, type.found) : v;
}

// A primitive shows its value, a string in quotes; an object its class and a blank address.
std::string CoercedText(Vm& vm, const Value& v) {
    if (v.isString()) {
        return "\"" + ToString(vm, v) + "\"";
    }
    if (!v.isObject()) {
        return ToString(vm, v);
    }
    return QualifiedClassName(ClassName(vm, v)) + "@00000000000";
}

std::string TypeOf(const Value& v) {
    if (v.isObject()) {
        const ObjectKind kind = v.asObject()->kind;
        if (kind == ObjectKind::Xml || kind == ObjectKind::XmlList) {
            return "xml";
        }
        return kind == ObjectKind::Function ? "function" : "object";
    }
    // By Kind: Undefined, Null, Boolean, Int, Number, String.
    constexpr const char* names[] = {"undefined", "object", "boolean",
                                     "number",    "number", "string"};
    return names[static_cast<int>(v.kind())];
}

std::string ClassName(Vm& vm, const Value& v) {
    if (v.isNull()) {
        return "null";
    }
    if (v.isUndefined()) {
        return "undefined";
    }
    if (v.isObject() && v.asObject()->kind == ObjectKind::Class) {
        return static_cast<ClassObject*>(v.asObject())->name + "$";
    }
    const ClassObject* cls = ClassOf(vm, v);
    return cls ? cls->name : "Object";
}

namespace {

std::size_t PackageDot(const std::string& dotted) {
    return dotted.substr(0, dotted.find(".<")).rfind('.');
}

} // namespace

std::string QualifiedClassName(const std::string& dotted) {
    const std::size_t dot = PackageDot(dotted);
    return dot == std::string::npos ? dotted
                                    : dotted.substr(0, dot) + "::" + dotted.substr(dot + 1);
}

std::string LocalClassName(const std::string& dotted) {
    const std::size_t dot = PackageDot(dotted);
    return dot == std::string::npos ? dotted : dotted.substr(dot + 1);
}

bool StrictEquals(const Value& a, const Value& b) {
    if (a.isNumeric() && b.isNumeric()) {
        return a.asNumber() == b.asNumber();
    }
    if (a.kind() != b.kind()) {
        return false;
    }
    switch (a.kind()) {
    case Kind::Undefined:
    case Kind::Null:
        return true;
    case Kind::Boolean:
        return a.asBool() == b.asBool();
    case Kind::String:
        return a.stringData() == b.stringData() || a.asString() == b.asString();
    case Kind::Object:
        return a.asObject() == b.asObject();
    default:
        return false;
    }
}

bool LooseEquals(Vm& vm, const Value& a, const Value& b) {
    if (a.isNullish() || b.isNullish()) {
        return a.isNullish() && b.isNullish();
    }
    if (IsXml(a) && IsXml(b)) {
        return a.asObject() == b.asObject() || XmlEquals(vm, a, b);
    }
    if (a.kind() == b.kind() || (a.isNumeric() && b.isNumeric())) {
        return StrictEquals(a, b);
    }
    if (a.isObject() && b.isObject()) {
        return a.asObject() == b.asObject();
    }
    if (a.isObject() || b.isObject()) {
        return LooseEquals(vm, ToPrimitive(vm, a, DefaultHint(a)),
                           ToPrimitive(vm, b, DefaultHint(b)));
    }
    return ToNumber(vm, a) == ToNumber(vm, b);
}

int LessThan(Vm& vm, const Value& a, const Value& b) {
    if (a.isInt() && b.isInt()) {
        return a.asInt() < b.asInt();
    }
    const Value pa = ToPrimitive(vm, a), pb = ToPrimitive(vm, b);
    if (pa.isString() && pb.isString()) {
        return pa.asString() < pb.asString();
    }
    const double x = ToNumber(vm, pa), y = ToNumber(vm, pb);
    if (std::isnan(x) || std::isnan(y)) {
        return -1;
    }
    return x < y;
}

Value Add(Vm& vm, const Value& a, const Value& b) {
    if (a.isInt() && b.isInt()) {
        const std::int64_t sum = static_cast<std::int64_t>(a.asInt()) + b.asInt();
        return sum == static_cast<std::int32_t>(sum)
                   ? Value::integer(static_cast<std::int32_t>(sum))
                   : Value::number(static_cast<double>(sum));
    }
    if (IsXml(a) && IsXml(b)) {
        return XmlConcat(vm, a, b);
    }
    if (a.isNumeric() && b.isNumeric()) {
        return Value::number(a.asNumber() + b.asNumber());
    }
    // With a string on either side the other side is made a string directly, by its
    // toString rather than its valueOf.
    const bool text = a.isString() || b.isString();
    const Value pa = text ? a : ToPrimitive(vm, a, DefaultHint(a));
    const Value pb = text ? b : ToPrimitive(vm, b, DefaultHint(b));
    if (pa.isString() || pb.isString()) {
        std::string left = ToString(vm, pa);
        const std::string right = ToString(vm, pb);
        if (left.size() + right.size() > vm.limits().maxStringLength) {
            vm.limitReached("a string longer than the limit");
        }
        return Value::string(left + right);
    }
    return Value::number(ToNumber(vm, pa) + ToNumber(vm, pb));
}

} // namespace quillon::avm2
