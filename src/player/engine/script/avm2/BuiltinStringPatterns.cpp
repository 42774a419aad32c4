// The String methods that take a pattern, a RegExp or a plain string: match, replace,
// search and split.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/RegExp.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

std::u16string_view Part(const std::u16string& s, std::ptrdiff_t begin, std::ptrdiff_t end) {
    return begin < 0 ? std::u16string_view() : std::u16string_view(s).substr(begin, end - begin);
}

// Every match of re from 0 on (one unless global); an empty match moves on a unit.
std::vector<RegExpMatch> AllMatches(Vm& vm, const RegExpObject& re, const std::u16string& s,
                                    bool all) {
    std::vector<RegExpMatch> found;
    std::size_t at = 0;
    RegExpMatch m;
    while (at <= s.size() && re.match(vm, s, at, m)) {
        found.push_back(m);
        if (!all || found.size() >= vm.limits().maxArrayLength) {
            break;
        }
        at = static_cast<std::size_t>(m.end(0)) + (m.end(0) == m.begin(0) ? 1 : 0);
    }
    return found;
}

// A plain string pattern as a match: its first place in s.
std::vector<RegExpMatch> LiteralMatch(const std::u16string& s, const std::u16string& needle) {
    const std::size_t at = s.find(needle);
    if (at == std::u16string::npos) {
        return {};
    }
    const auto begin = static_cast<std::ptrdiff_t>(at);
    return {RegExpMatch{{begin, begin + static_cast<std::ptrdiff_t>(needle.size())}}};
}

Value Match(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    RegExpObject* re = ToRegExp(vm, Arg(args, 0));
    if (!re->flags.global) {
        RegExpMatch m;
        return re->match(vm, s, 0, m) ? MatchArray(vm, *re, s, m) : Value::null();
    }
    re->lastIndex = 0;
    std::vector<Value> items;
    for (const RegExpMatch& m : AllMatches(vm, *re, s, true)) {
        items.push_back(FromUnits(Part(s, m.begin(0), m.end(0))));
    }
    return items.empty() ? Value::null() : Value::object(vm.newArray(std::move(items)));
}

Value Search(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    RegExpMatch m;
    const bool found = ToRegExp(vm, Arg(args, 0))->match(vm, s, 0, m);
    return Value::integer(found ? static_cast<std::int32_t>(m.begin(0)) : -1);
}

// "$&", "$`", "$'", "$$" and "$1".."$99" in a replacement text.
void Expand(const std::u16string& with, const std::u16string& s, const RegExpMatch& m,
            std::u16string& out) {
    for (std::size_t i = 0; i < with.size(); ++i) {
        const char16_t next = i + 1 < with.size() ? with[i + 1] : 0;
        if (with[i] != u'$' || next == 0) {
            out.push_back(with[i]);
        } else if (next == u'$' || next == u'&' || next == u'`' || next == u'\'') {
            out += next == u'$'   ? u"$"
                   : next == u'&' ? Part(s, m.begin(0), m.end(0))
                   : next == u'`' ? std::u16string_view(s).substr(0, m.begin(0))
                                  : std::u16string_view(s).substr(m.end(0));
            ++i;
        } else if (next >= u'0' && next <= u'9') {
            std::size_t group = next - u'0', used = 1;
            const char16_t third = i + 2 < with.size() ? with[i + 2] : 0;
            if (third >= u'0' && third <= u'9' && group * 10 + (third - u'0') < m.groups()) {
                group = group * 10 + (third - u'0');
                used = 2;
            }
            if (group == 0 || group >= m.groups()) {
                out.push_back(with[i]);
                continue;
            }
            out += Part(s, m.begin(group), m.end(group));
            i += used;
        } else {
            out.push_back(with[i]);
        }
    }
}

std::u16string Replacement(Vm& vm, const Value& with, const std::u16string& s,
                           const RegExpMatch& m) {
    if (!with.isObject() || with.asObject()->kind != ObjectKind::Function) {
        std::u16string out;
        Expand(ToUnits(vm, with), s, m, out);
        return out;
    }
    std::vector<Value> args;
    for (std::size_t g = 0; g < m.groups(); ++g) {
        args.push_back(m.begin(g) < 0 ? Value::string("")
                                      : FromUnits(Part(s, m.begin(g), m.end(g))));
    }
    args.push_back(Value::integer(static_cast<std::int32_t>(m.begin(0))));
    args.push_back(FromUnits(s));
    return ToUnits(vm, CallValue(vm, with, Value::null(), args));
}

Value Replace(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    RegExpObject* re = AsRegExp(Arg(args, 0));
    const std::vector<RegExpMatch> matches =
        re ? AllMatches(vm, *re, s, re->flags.global) : LiteralMatch(s, ToUnits(vm, Arg(args, 0)));
    std::u16string out;
    std::size_t copied = 0;
    for (const RegExpMatch& m : matches) {
        out.append(s, copied, static_cast<std::size_t>(m.begin(0)) - copied);
        out += Replacement(vm, Arg(args, 1), s, m);
        copied = static_cast<std::size_t>(m.end(0));
        if (out.size() > vm.limits().maxStringLength) {
            vm.limitReached("a string longer than the limit");
        }
    }
    out.append(s, copied);
    if (re && re->flags.global) {
        re->lastIndex = 0;
    }
    return FromUnits(out);
}

std::vector<Value> SplitLiteral(const std::u16string& s, const std::u16string& sep,
                                std::size_t limit) {
    std::vector<Value> parts;
    if (sep.empty() && s.empty()) {
        return {Value::string("")};
    }
    if (sep.empty()) {
        for (std::size_t i = 0; i < s.size() && parts.size() < limit; ++i) {
            parts.push_back(FromUnits(s.substr(i, 1)));
        }
        return parts;
    }
    std::size_t start = 0;
    while (parts.size() < limit) {
        const std::size_t at = s.find(sep, start);
        if (at == std::u16string::npos) {
            parts.push_back(FromUnits(std::u16string_view(s).substr(start)));
            break;
        }
        parts.push_back(FromUnits(std::u16string_view(s).substr(start, at - start)));
        start = at + sep.size();
    }
    return parts;
}

// Splitting at the matches of a pattern: an empty match at the start or end of a
// piece does not split, and the groups of each match go in between the pieces.
std::vector<Value> SplitPattern(Vm& vm, const RegExpObject& re, const std::u16string& s,
                                std::size_t limit) {
    std::vector<Value> parts;
    if (s.empty()) {
        RegExpMatch m;
        if (!re.match(vm, s, 0, m)) {
            parts.push_back(FromUnits(s));
        }
        return parts;
    }
    std::size_t piece = 0, at = 0;
    RegExpMatch m;
    while (at < s.size() && parts.size() < limit && re.match(vm, s, at, m)) {
        const auto begin = static_cast<std::size_t>(m.begin(0));
        const auto end = static_cast<std::size_t>(m.end(0));
        if (begin >= s.size() || (end == begin && begin == piece) || end == piece) {
            at = std::max(at, begin) + 1;
            continue;
        }
        parts.push_back(FromUnits(std::u16string_view(s).substr(piece, begin - piece)));
        for (std::size_t g = 1; g < m.groups() && parts.size() < limit; ++g) {
            parts.push_back(m.begin(g) < 0 ? Value() : FromUnits(Part(s, m.begin(g), m.end(g))));
        }
        piece = at = end;
    }
    if (parts.size() < limit) {
        parts.push_back(FromUnits(std::u16string_view(s).substr(piece)));
    }
    return parts;
}

Value Split(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    const double limitArg = Arg(args, 1).isUndefined() ? 4294967295.0 : ToNumber(vm, args[1]);
    const std::size_t limit = std::min<std::size_t>(
        limitArg >= 0 ? static_cast<std::size_t>(std::min(limitArg, 4294967295.0)) : 0,
        vm.limits().maxArrayLength);
    if (Arg(args, 0).isUndefined()) {
        return Value::object(vm.newArray({FromUnits(s)}));
    }
    if (const RegExpObject* re = AsRegExp(args[0])) {
        return Value::object(vm.newArray(SplitPattern(vm, *re, s, limit)));
    }
    return Value::object(vm.newArray(SplitLiteral(s, ToUnits(vm, args[0]), limit)));
}

} // namespace

void InstallStringPatterns(Vm& vm) {
    NativeClass(vm, vm.core.string)
        .methods({{"match", Match}, {"replace", Replace}, {"search", Search}, {"split", Split}});
    ExposeOnPrototype(vm, vm.core.string);
}

} // namespace quillon::avm2
