// RegExp: construction from a pattern and flags, exec and test, and the flag
// properties.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/RegExp.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

#include <cmath>

namespace quillon::avm2 {
namespace {

RegExpObject* Self(Vm& vm, const Value& self) {
    RegExpObject* re = AsRegExp(self);
    if (!re) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) +
                          " to RegExp.");
    }
    return re;
}

Object* Allocate(Vm& vm) {
    return vm.make<RegExpObject>();
}

RegExpFlags ParseFlags(const std::string& text) {
    RegExpFlags f;
    for (char c : text) {
        f.global |= c == 'g';
        f.ignoreCase |= c == 'i';
        f.multiline |= c == 'm';
        f.dotall |= c == 's';
        f.extended |= c == 'x';
    }
    return f;
}

Value Init(Vm& vm, const Value& self, std::span<const Value> args) {
    RegExpObject* re = Self(vm, self);
    if (const RegExpObject* from = AsRegExp(Arg(args, 0))) {
        if (!Arg(args, 1).isUndefined()) {
            vm.throwError(ErrorKind::TypeError, 1100,
                          "Cannot supply flags when constructing one RegExp from another.");
        }
        re->compile(vm, from->source, from->flags);
        return Value();
    }
    const std::string source = Arg(args, 0).isUndefined() ? "" : ToString(vm, args[0]);
    re->compile(vm, source, ParseFlags(Arg(args, 1).isUndefined() ? "" : ToString(vm, args[1])));
    return Value();
}

Value CallAsFunction(Vm& vm, const Value& cls, std::span<const Value> args) {
    if (AsRegExp(Arg(args, 0)) && Arg(args, 1).isUndefined()) {
        return args[0];
    }
    return ConstructClass(vm, static_cast<ClassObject*>(cls.asObject()), args);
}

Value Exec(Vm& vm, const Value& self, std::span<const Value> args) {
    RegExpObject* re = Self(vm, self);
    const std::u16string subject = ToUtf16(ToString(vm, Arg(args, 0)));
    const double from = re->flags.global ? re->lastIndex : 0;
    RegExpMatch m;
    if (from < 0 || from > static_cast<double>(subject.size()) ||
        !re->match(vm, subject, static_cast<std::size_t>(from), m)) {
        re->lastIndex = 0;
        return Value::null();
    }
    if (re->flags.global) {
        re->lastIndex = static_cast<double>(m.end(0));
    }
    return MatchArray(vm, *re, subject, m);
}

Value Test(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(!Exec(vm, self, args).isNull());
}

Value ToText(Vm& vm, const Value& self, std::span<const Value>) {
    const RegExpObject* re = Self(vm, self);
    const RegExpFlags& f = re->flags;
    std::string text = "/" + re->source + "/";
    text += std::string(f.global ? "g" : "") + (f.ignoreCase ? "i" : "") +
            (f.multiline ? "m" : "") + (f.dotall ? "s" : "") + (f.extended ? "x" : "");
    return Value::string(text);
}

Value Source(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(Self(vm, self)->source);
}
template <bool RegExpFlags::*Flag> Value FlagOf(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(Self(vm, self)->flags.*Flag);
}
Value LastIndex(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(Self(vm, self)->lastIndex);
}
Value SetLastIndex(Vm& vm, const Value& self, std::span<const Value> args) {
    const double n = ToNumber(vm, Arg(args, 0));
    Self(vm, self)->lastIndex = std::isfinite(n) ? std::trunc(n) : 0;
    return Value();
}

} // namespace

RegExpObject* ToRegExp(Vm& vm, const Value& v) {
    if (RegExpObject* re = AsRegExp(v)) {
        return re;
    }
    auto* re = static_cast<RegExpObject*>(AllocateInstance(vm, vm.core.regExp));
    re->compile(vm, ToString(vm, v), {}); // undefined searches for "undefined"
    return re;
}

void InstallRegExpClass(Vm& vm) {
    NativeClass c(vm, "RegExp", vm.core.object);
    c.alloc(Allocate).init(Init).call(CallAsFunction);
    // clang-format off
    c.methods({{"exec", Exec}, {"test", Test}, {"toString", ToText}});
    c.getters({
        {"source", Source}, {"global", FlagOf<&RegExpFlags::global>},
        {"ignoreCase", FlagOf<&RegExpFlags::ignoreCase>},
        {"multiline", FlagOf<&RegExpFlags::multiline>}, {"dotall", FlagOf<&RegExpFlags::dotall>},
        {"extended", FlagOf<&RegExpFlags::extended>}, {"lastIndex", LastIndex}});
    // clang-format on
    c.setter("lastIndex", SetLastIndex);
    ExposeOnPrototype(vm, c.get());
    vm.core.regExp = c.get();
    InstallStringPatterns(vm);
}

} // namespace quillon::avm2
