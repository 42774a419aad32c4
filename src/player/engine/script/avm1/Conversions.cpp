// Conversions and comparisons, with the version differences of the player.

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/avm1/Vm.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace quillon::engine::avm1 {

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
}

double Vm::toWholeOrSmallest(const Value& v) {
    const double n = std::trunc(toNumber(v));
    constexpr double Smallest = std::numeric_limits<std::int32_t>::min();
    return n >= Smallest && n <= std::numeric_limits<std::int32_t>::max() ? n : Smallest;
}

double Vm::toNumber(const Value& v) {
    switch (v.type) {
    case Type::Undefined:
    case Type::Null:
        return version_ >= 7 ? NaN : 0.0;
    case Type::Boolean:
        return v.b ? 1.0 : 0.0;
    case Type::Number:
        return v.n;
    case Type::String:
        return StringToNumber(*v.s, version_);
    case Type::Object: {
        const Value p = toPrimitive(v);
        if (p.isObject()) {
            return NaN;
        }
        return toNumber(p);
    }
    }
    return NaN;
}

Str Vm::toStr(const Value& v) {
    static const Str undefinedText = MakeStr("undefined"), nullText = MakeStr("null"),
                     trueText = MakeStr("true"), falseText = MakeStr("false");
    switch (v.type) {
    case Type::Undefined:
        return version_ >= 7 ? undefinedText : EmptyStr();
    case Type::Null:
        return nullText;
    case Type::Boolean:
        return v.b ? trueText : falseText;
    case Type::Number:
        return MakeStr(NumberToString(v.n));
    case Type::String:
        return v.s;
    case Type::Object: {
        if (v.o->kind == Kind::Clip) {
            const ClipId clip = clipOf(v);
            return clip ? MakeStr(targetPath(clip, false)) : EmptyStr();
        }
        const Value p = toPrimitive(v, true);
        if (!p.isString()) { // a toString that gives no text
            return MakeStr(v.o->isFunction() ? "[type Function]" : "[type Object]");
        }
        return toStr(p);
    }
    }
    return EmptyStr();
}

bool Vm::toBool(const Value& v) {
    switch (v.type) {
    case Type::Undefined:
    case Type::Null:
        return false;
    case Type::Boolean:
        return v.b;
    case Type::Number:
        return v.n != 0 && !std::isnan(v.n);
    case Type::String:
        if (version_ >= 7) {
            return !v.s->empty();
        } else {
            const double n = StringToNumber(*v.s, version_);
            return n != 0 && !std::isnan(n);
        }
    case Type::Object:
        return true;
    }
    return false;
}

Value Vm::toPrimitive(const Value& v, bool preferString) {
    if (!v.isObject()) {
        return v;
    }
    // One method only: an object it returns (a clip, a plain object) stays an object, which
    // counts as NaN in arithmetic; an object without valueOf reads as undefined.
    // a Date gives its text first from version 6; version 5 asks it for valueOf like any object
    const bool asText = preferString || (v.o->kind == Kind::Date && version_ >= 6);
    // `super` converts by what lies past where it starts
    Object* from = v.o->kind == Kind::Super ? SuperBase(v.o) : v.o;
    Object* holder = v.o->kind == Kind::Super && from ? from->proto : from;
    const Value fn = getOf(holder, asText ? "toString" : "valueOf", v);
    if (fn.isObject() && fn.o->isFunction()) {
        return call(fn, v, {});
    }
    return asText ? v : Value();
}

namespace {

const char* BoxClassName(const Value& v) {
    return v.isString() ? "String" : v.isNumber() ? "Number" : "Boolean";
}

} // namespace

Object* Vm::builtinBoxProto(const Value& v) {
    Object* proto = v.isString() ? stringProto : v.isNumber() ? numberProto : booleanProto;
    const Property* p = global->find(BoxClassName(v));
    if (!p || p->getter || p->setter || !p->value.isObject()) {
        return nullptr;
    }
    const Property* kept = p->value.o->find("prototype");
    const bool builtin = p->value.o->native && kept && !kept->getter && kept->value.isObject() &&
                         kept->value.o == proto;
    return builtin ? proto : nullptr;
}

Object* Vm::toObject(const Value& v) {
    switch (v.type) {
    case Type::Object:
        return liveObject(v.o);
    case Type::String:
    case Type::Number:
    case Type::Boolean: {
        Object* proto = builtinBoxProto(v);
        if (!proto) {
            // the class as it is now, getter and all (yet no __resolve), made with the
            // primitive
            const Value ctor = getOf(global, BoxClassName(v), Value(global));
            if (!ctor.isObject() || !ctor.o->isFunction()) {
                return nullptr;
            }
            const Value made = construct(ctor, std::span<const Value>(&v, 1));
            return made.isObject() ? made.o : nullptr;
        }
        Object* box = newObject(proto);
        box->kind = Kind::Boxed;
        box->primitive = v;
        box->className = v.isString() ? "String" : v.isNumber() ? "Number" : "Boolean";
        return box;
    }
    default:
        return nullptr;
    }
}

std::string Vm::typeOf(const Value& v) {
    switch (v.type) {
    case Type::Undefined:
        return "undefined";
    case Type::Null:
        return "null";
    case Type::Boolean:
        return "boolean";
    case Type::Number:
        return "number";
    case Type::String:
        return "string";
    case Type::Object:
        if (v.o->kind == Kind::Clip) {
            // buttons and text fields are objects to typeof
            // a removed clip's reference stays one, whether its path leads anywhere or not
            const Object* o = liveObject(v.o);
            return (o ? o : v.o)->clipKind == ClipKind::Sprite ? "movieclip" : "object";
        }
        return v.o->isFunction() ? "function" : "object";
    }
    return "undefined";
}

bool Vm::strictEquals(const Value& a, const Value& b) {
    if (a.type != b.type) {
        return false;
    }
    switch (a.type) {
    case Type::Undefined:
    case Type::Null:
        return true;
    case Type::Boolean:
        return a.b == b.b;
    case Type::Number:
        // NaNs with the same bits (the NaN constant against itself) are equal; a NaN that
        // arithmetic made has other bits and stays unequal to it.
        return a.n == b.n ||
               (std::isnan(a.n) && std::isnan(b.n) &&
                std::bit_cast<std::uint64_t>(a.n) == std::bit_cast<std::uint64_t>(b.n));
    case Type::String:
        return *a.s == *b.s;
    case Type::Object:
        if (a.o != b.o && a.o->kind == Kind::Clip && b.o->kind == Kind::Clip) {
            // references to a removed clip equal those to the clip now at its path
            const Object* live = liveObject(a.o);
            return live && live == liveObject(b.o);
        }
        return a.o == b.o;
    }
    return false;
}

bool Vm::looseEquals(const Value& a, const Value& b) {
    if (a.isObject() && b.isObject() && a.o != b.o && version_ < 6) {
        // version 5 compares two objects by their valueOf: two Numbers of 1 are equal
        const Value pa = toPrimitive(a), pb = toPrimitive(b);
        return !pa.isObject() && !pb.isObject() && looseEquals(pa, pb);
    }
    if (a.type == b.type) {
        return strictEquals(a, b);
    }
    // An object meets a primitive (undefined and null too) through its valueOf.
    if (a.isObject() != b.isObject()) {
        const Value p = toPrimitive(a.isObject() ? a : b);
        return !p.isObject() && (a.isObject() ? looseEquals(p, b) : looseEquals(a, p));
    }
    if (a.isNullish() || b.isNullish()) {
        return a.isNullish() && b.isNullish();
    }
    if (a.isNumber() && b.isString()) {
        return a.n == toNumber(b);
    }
    if (a.isString() && b.isNumber()) {
        return toNumber(a) == b.n;
    }
    if (a.isBool()) {
        return looseEquals(Value(a.b ? 1.0 : 0.0), b);
    }
    if (b.isBool()) {
        return looseEquals(a, Value(b.b ? 1.0 : 0.0));
    }
    return false;
}

std::optional<Value> Vm::comparable(const Value& v, Value& out, bool objectEnds) {
    out = toPrimitive(v);
    if (!v.isObject() || !out.isObject()) {
        return std::nullopt;
    }
    // An object that stays an object: clips count as NaN; a plain object ends the comparison,
    // false, before the other side converts, except where it counts as 0 (up to version 6).
    if (out.o->kind == Kind::Clip) {
        return Value();
    }
    if (objectEnds || version_ >= 7) {
        return Value(false);
    }
    out = Value(0.0);
    return std::nullopt;
}

Value Vm::lessThan(const Value& a, const Value& b, bool leftObjectEnds) {
    Value pa, pb;
    if (auto stop = comparable(a, pa, leftObjectEnds)) {
        return *stop;
    }
    if (auto stop = comparable(b, pb, false)) {
        return *stop;
    }
    if (pa.isString() && pb.isString()) {
        return Value(*pa.s < *pb.s);
    }
    const double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) {
        return Value();
    }
    return Value(x < y);
}

Value Vm::add(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) {
        return Value(a.n + b.n);
    }
    const Value pb = toPrimitive(b);
    const Value pa = toPrimitive(a);
    // A side whose valueOf gave an object converts again from the operand itself.
    const Value& ua = pa.isObject() ? a : pa;
    const Value& ub = pb.isObject() ? b : pb;
    if (pa.isString() || pb.isString()) {
        const Str x = toStr(ua), y = toStr(ub);
        return makeString(*x + *y);
    }
    return Value(toNumber(ua) + toNumber(ub));
}

namespace {

// Whether target is on the chain from proto or among the prototypes of the interfaces its
// links implement, and of the interfaces those extend in turn.
bool ChainHolds(Vm& vm, Object* proto, Object* target, int depth) {
    int guard = 0;
    for (Object* p = proto; p && guard < 256 && depth < 16; p = p->proto, ++guard) {
        if (p == target) {
            return true;
        }
        for (Object* i : p->interfaces) {
            const Value ip = vm.getOf(i, "prototype", Value(i));
            if (ip.isObject() && ChainHolds(vm, ip.o, target, depth + 1)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool Vm::instanceOf(const Value& v, const Value& ctor) {
    // A primitive is an instance of nothing. The class and its prototype become objects
    // (a class a script put in place of String sees that); the prototype is the class's
    // own, as stored: no getter runs, and no version hides it.
    if (!v.isObject()) {
        return false;
    }
    Object* cls = toObject(ctor);
    const Property* kept = cls ? cls->findAny("prototype") : nullptr;
    Object* proto = kept && !kept->getter ? toObject(kept->value) : nullptr;
    // a removed clip's reference has no chain left to look along
    Object* object = liveObject(v.o);
    return proto && object && ChainHolds(*this, object->proto, proto, 0);
}

Value Vm::makeString(std::string text) {
    if (text.size() > limits_.maxStringLength) {
        throw ScriptAbort{"a string grew past " + std::to_string(limits_.maxStringLength) +
                          " bytes"};
    }
    return Value(std::move(text));
}

} // namespace quillon::engine::avm1
