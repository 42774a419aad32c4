// TextSnapshot: the characters of the static texts a clip holds, as one string counted
// without line breaks, read afresh from the clip at each call.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

// The clip a snapshot reads (kept where functions keep their defining clip).
ClipId SnapshotClip(CallInfo& c) {
    Object* o = ThisObject(c);
    return o && o->kind == Kind::Plain ? o->target : 0;
}

// The snapshot's characters, and which of them start a new line.
struct SnapshotText {
    std::u16string chars;
    std::vector<bool> startsLine;
};

SnapshotText ReadSnapshot(Vm& vm, CallInfo& c) {
    SnapshotText out;
    const ClipId clip = SnapshotClip(c);
    if (!clip || !vm.host().exists(clip)) {
        return out;
    }
    for (const std::u16string& line : vm.host().staticTextLines(clip)) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            out.chars.push_back(line[i]);
            out.startsLine.push_back(i == 0);
        }
    }
    return out;
}

Value SnapshotCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->target = vm.clipOf(c.arg(0));
    }
    return c.thisValue;
}

Value GetCount(Vm& vm, CallInfo& c) {
    return Value(static_cast<double>(ReadSnapshot(vm, c).chars.size()));
}

int Index(Vm& vm, const Value& v) {
    const double n = vm.toNumber(v);
    return std::isfinite(n) ? static_cast<int>(std::clamp(n, -1e9, 1e9)) : 0;
}

// getText(from, to[, lineEndings]): at least one character from a start inside the text;
// a "\n" before each line after the first when asked.
Value GetText(Vm& vm, CallInfo& c) {
    if (c.args.size() < 2 || c.args.size() > 3) {
        return Value();
    }
    const SnapshotText text = ReadSnapshot(vm, c);
    const int count = static_cast<int>(text.chars.size());
    const int begin = std::clamp(Index(vm, c.arg(0)), 0, std::max(count - 1, 0));
    int end = std::min(Index(vm, c.arg(1)), count);
    end = std::min(std::max(end, begin + 1), count);
    const bool lineEndings = c.args.size() > 2 && vm.toBool(c.arg(2));
    std::u16string out;
    for (int i = begin; i < end; ++i) {
        if (lineEndings && i > begin && text.startsLine[static_cast<std::size_t>(i)]) {
            out.push_back(u'\n');
        }
        out.push_back(text.chars[static_cast<std::size_t>(i)]);
    }
    return Value(FromUtf16(out));
}

// findText(from, text, caseSensitive): where text first occurs at or after from, or -1.
Value FindText(Vm& vm, CallInfo& c) {
    if (c.args.size() < 3) {
        return Value(-1.0);
    }
    const std::u16string haystack = ReadSnapshot(vm, c).chars;
    const int from = Index(vm, c.arg(0));
    const std::u16string needle = ToUtf16(vm.toString(c.arg(1)));
    if (from < 0 || static_cast<std::size_t>(from) > haystack.size()) {
        return Value(-1.0);
    }
    std::u16string in = haystack, sought = needle;
    if (!vm.toBool(c.arg(2))) {
        const auto lower = [](char16_t ch) {
            return ch < 0x80 ? static_cast<char16_t>(std::tolower(ch)) : ch;
        };
        std::transform(in.begin(), in.end(), in.begin(), lower);
        std::transform(sought.begin(), sought.end(), sought.begin(), lower);
    }
    const std::size_t at = in.find(sought, static_cast<std::size_t>(from));
    return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value Constant(Vm& vm, CallInfo& c) {
    switch (c.callee->magic) {
    case 0:
        return Value(false); // getSelected: static text here is never selected
    case 1:
        return Value(std::string()); // getSelectedText
    case 2:
        return Value(-1.0); // hitTestTextNearPos: no pointer over the text
    case 3:
        return Value(vm.newArray()); // getTextRunInfo
    default:
        return Value(); // setSelected, setSelectColor
    }
}

Value GetTextSnapshot(Vm& vm, CallInfo& c) {
    const Value args[] = {c.thisValue};
    return vm.construct(vm.get(Value(vm.global), "TextSnapshot"), args);
}

} // namespace

void InstallSnapshotBuiltins(Vm& vm) {
    Object* proto = vm.defineClass("TextSnapshot", SnapshotCtor, {});
    // the methods are listed by enumeration, the newest first; movies before version 6
    // enumerate them but read them as undefined
    const std::pair<const char*, std::pair<NativeFn, int>> methods[] = {
        {"getCount", {GetCount, 0}},        {"setSelected", {Constant, 4}},
        {"getSelected", {Constant, 0}},     {"getText", {GetText, 0}},
        {"getSelectedText", {Constant, 1}}, {"hitTestTextNearPos", {Constant, 2}},
        {"findText", {FindText, 0}},        {"setSelectColor", {Constant, 4}},
        {"getTextRunInfo", {Constant, 3}}};
    for (const auto& [name, fn] : methods) {
        proto->define(name, Value(vm.newNative(fn.first, fn.second)), FromVersion6);
    }
    vm.method(vm.movieClipProto, "getTextSnapshot", GetTextSnapshot);
}

} // namespace quillon::engine::avm1
