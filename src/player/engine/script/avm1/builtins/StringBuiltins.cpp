// String: its methods count in characters (UTF-16 units, as the player).

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

std::u16string ThisText(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (o && o->kind == Kind::Boxed) {
        return ToUtf16(vm.toString(o->primitive));
    }
    return ToUtf16(vm.toString(c.thisValue));
}

Value Out(Vm& vm, const std::u16string& text) {
    return vm.makeString(FromUtf16(text));
}

// A position argument clamped to [0, length]; negative counts from the end when asked.
std::size_t Position(Vm& vm, CallInfo& c, std::size_t i, std::size_t length, double fallback,
                     bool fromEnd) {
    double n = i < c.args.size() && !c.args[i].isUndefined() ? vm.toNumber(c.args[i]) : fallback;
    // taken as a 32-bit integer, so large ones wrap
    n = std::isnan(n) ? 0 : static_cast<double>(ToInt32(n));
    if (n < 0) {
        n = fromEnd ? std::max(0.0, static_cast<double>(length) + n) : 0;
    }
    return static_cast<std::size_t>(std::min(n, static_cast<double>(length)));
}

Value StringCtor(Vm& vm, CallInfo& c) {
    const Str text = c.args.empty() ? EmptyStr() : vm.toStr(c.arg(0));
    if (Object* o = c.construct ? ThisObject(c) : nullptr) {
        // a String object holds its length as a plain property scripts may overwrite
        o->define("length", Value(static_cast<double>(CharLength(*text))), DontEnum | DontDelete);
    }
    return BoxOrConvert(c, "String", Value(text));
}

Value StringValue(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (o && o->kind == Kind::Boxed) {
        return Value(vm.toStr(o->primitive));
    }
    return Value(vm.toStr(c.thisValue));
}

// A character index as the player takes it: a 32-bit integer (NaN is 0, large ones wrap).
std::int64_t CharIndex(Vm& vm, CallInfo& c) {
    return c.args.empty() ? 0 : ToInt32(vm.toNumber(c.arg(0)));
}

Value CharAt(Vm& vm, CallInfo& c) {
    const std::u16string s = ThisText(vm, c);
    const std::int64_t n = CharIndex(vm, c);
    if (n < 0 || n >= static_cast<std::int64_t>(s.size())) {
        return Value("");
    }
    return Out(vm, s.substr(static_cast<std::size_t>(n), 1));
}

Value CharCodeAt(Vm& vm, CallInfo& c) {
    const std::u16string s = ThisText(vm, c);
    const std::int64_t n = CharIndex(vm, c);
    if (n < 0 || n >= static_cast<std::int64_t>(s.size())) {
        // version 5 movies read 0 past the end
        return Value(vm.version() < 6 && n >= 0 ? 0.0 : std::nan(""));
    }
    return Value(static_cast<double>(s[static_cast<std::size_t>(n)]));
}

Value Concat(Vm& vm, CallInfo& c) {
    std::string out = FromUtf16(ThisText(vm, c));
    for (const Value& v : c.args) {
        out += vm.toString(v);
    }
    return vm.makeString(std::move(out));
}

Value IndexOf(Vm& vm, CallInfo& c) {
    const std::u16string s = ThisText(vm, c);
    if (c.args.empty()) {
        return Value();
    }
    const std::u16string what = ToUtf16(vm.toString(c.arg(0)));
    const bool last = c.callee->magic == 1;
    if (last) {
        const std::size_t from = Position(vm, c, 1, s.size(), static_cast<double>(s.size()), false);
        const std::size_t at = s.rfind(what, from);
        return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
    }
    const std::int64_t start = c.args.size() > 1 ? ToInt32(vm.toNumber(c.args[1])) : 0;
    if (start > static_cast<std::int64_t>(s.size())) {
        return Value(-1.0);
    }
    const std::size_t at = s.find(what, static_cast<std::size_t>(std::max<std::int64_t>(start, 0)));
    return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

// Version 5's slice, substr and substring called with nothing give undefined.
bool NothingToCut(Vm& vm, CallInfo& c) {
    return c.args.empty() && vm.version() < 6;
}

Value Slice(Vm& vm, CallInfo& c) {
    if (NothingToCut(vm, c)) {
        return Value();
    }
    const std::u16string s = ThisText(vm, c);
    const std::size_t start = Position(vm, c, 0, s.size(), 0, true);
    const std::size_t end = Position(vm, c, 1, s.size(), static_cast<double>(s.size()), true);
    return Out(vm, start < end ? s.substr(start, end - start) : std::u16string());
}

Value Substring(Vm& vm, CallInfo& c) {
    if (NothingToCut(vm, c)) {
        return Value();
    }
    const std::u16string s = ThisText(vm, c);
    std::size_t start = Position(vm, c, 0, s.size(), 0, false);
    std::size_t end = Position(vm, c, 1, s.size(), static_cast<double>(s.size()), false);
    if (start > end) {
        std::swap(start, end);
    }
    return Out(vm, s.substr(start, end - start));
}

Value Substr(Vm& vm, CallInfo& c) {
    if (NothingToCut(vm, c)) {
        return Value();
    }
    const std::u16string s = ThisText(vm, c);
    const std::size_t start = Position(vm, c, 0, s.size(), 0, true);
    double count = c.args.size() > 1 && !c.args[1].isUndefined() ? vm.toNumber(c.args[1])
                                                                 : static_cast<double>(s.size());
    count = std::isnan(count) ? count : static_cast<double>(ToInt32(count));
    if (count < 0) {
        // a negative count is taken from the length; reaching the end that way gives nothing
        count += static_cast<double>(s.size());
        if (static_cast<double>(start) + count >= static_cast<double>(s.size())) {
            count = 0;
        }
    }
    if (std::isnan(count) || count < 0) {
        count = 0;
    }
    return Out(vm, s.substr(start, static_cast<std::size_t>(std::min(count, 1e9))));
}

Value Split(Vm& vm, CallInfo& c) {
    const std::u16string s = ThisText(vm, c);
    Object* out = vm.newArray();
    const double limitValue =
        c.args.size() > 1 && !c.args[1].isUndefined() ? vm.toNumber(c.args[1]) : 4294967295.0;
    const auto limit = static_cast<std::size_t>(
        std::isnan(limitValue) || limitValue < 0 ? 0 : std::min(limitValue, 1e9));
    // Version 5 splits at commas when given no separator, and not at all at an empty one.
    const bool five = vm.version() < 6;
    if (c.arg(0).isUndefined() && !five) {
        out->elements.push_back(Out(vm, s));
        return Value(out);
    }
    const std::u16string sep = c.arg(0).isUndefined() ? u"," : ToUtf16(vm.toString(c.arg(0)));
    if (sep.empty() && five) {
        if (limit > 0) {
            out->elements.push_back(Out(vm, s));
        }
        return Value(out);
    }
    if (sep.empty()) {
        for (std::size_t i = 0; i < s.size() && out->elements.size() < limit; ++i) {
            out->elements.push_back(Out(vm, s.substr(i, 1)));
        }
        return Value(out);
    }
    std::size_t start = 0;
    while (out->elements.size() < limit) {
        const std::size_t at = s.find(sep, start);
        if (at == std::u16string::npos) {
            out->elements.push_back(Out(vm, s.substr(start)));
            break;
        }
        out->elements.push_back(Out(vm, s.substr(start, at - start)));
        start = at + sep.size();
        if (out->elements.size() > vm.limits().maxArrayLength) {
            throw ScriptAbort{"an array grew past its size cap"};
        }
    }
    return Value(out);
}

Value ChangeCase(Vm& vm, CallInfo& c) {
    std::u16string s = ThisText(vm, c);
    const bool upper = c.callee->magic == 1;
    for (char16_t& ch : s) {
        if (upper && ch >= 'a' && ch <= 'z') {
            ch = static_cast<char16_t>(ch - 32);
        } else if (!upper && ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char16_t>(ch + 32);
        } else if (ch >= 0xc0 && ch < 0x180) {
            // Latin-1 and Latin Extended-A letters
            if (ch >= 0x100) {
                ch = static_cast<char16_t>(upper ? (ch & ~1u) : (ch | 1u));
            } else if (ch != 0xd7 && ch != 0xf7 && ch != 0xdf && ch != 0xff) {
                ch = static_cast<char16_t>(upper ? (ch & ~0x20u) : (ch | 0x20u));
            }
        }
    }
    return Out(vm, s);
}

Value FromCharCode(Vm& vm, CallInfo& c) {
    std::u16string s;
    for (const Value& v : c.args) {
        const auto code = static_cast<char16_t>(ToUint32(vm.toNumber(v)) & 0xffff);
        if (code == 0) {
            break;
        }
        s += code;
    }
    return Out(vm, s);
}

} // namespace

void InstallStringBuiltins(Vm& vm) {
    // clang-format off
    vm.stringProto = vm.defineClass("String", StringCtor, {
        {"toString", StringValue}, {"valueOf", StringValue}, {"charAt", CharAt},
        {"charCodeAt", CharCodeAt}, {"concat", Concat}, {"indexOf", IndexOf, 0},
        {"lastIndexOf", IndexOf, 1}, {"slice", Slice}, {"substring", Substring},
        {"substr", Substr}, {"split", Split}, {"toLowerCase", ChangeCase, 0},
        {"toUpperCase", ChangeCase, 1}}, {{"fromCharCode", FromCharCode}});
    // clang-format on
}

} // namespace quillon::engine::avm1
