// TextFormat, and the TextField methods that read and change formats and text ranges.

#include "player/engine/script/avm1/builtins/Helpers.h"
#include "player/engine/script/common/FormatParts.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

// The format parts as this interpreter's values (see FormatParts.h).
struct FormatBridge {
    Vm& vm;
    Value null() { return Value::null(); }
    Value text(const std::string& t) { return Value(t); }
    Value flag(bool b) { return Value(b); }
    Value color(double n) { return Value(n); }
    Value number(double n) { return Value(n); }
    Value list(const std::vector<double>& numbers) {
        std::vector<Value> items(numbers.begin(), numbers.end());
        return Value(vm.newArray(std::move(items)));
    }
    bool nullish(const Value& v) { return v.isNullish(); }
    std::string text(const Value& v) { return vm.toString(v); }
    bool flag(const Value& v) { return vm.toBool(v); }
    std::uint32_t color(const Value& v) { return ToUint32(vm.toNumber(v)); }
    double number(const Value& v) { return vm.toNumber(v); }
    std::vector<double> list(const Value& v) {
        std::vector<double> out;
        const std::size_t n = v.isObject() ? std::min<std::size_t>(vm.arrayLength(v.o), 1024) : 0;
        for (std::size_t i = 0; i < n; ++i) {
            out.push_back(vm.toNumber(vm.get(v, std::to_string(i))));
        }
        return out;
    }
    Value get(const Value& o, const char* name) { return vm.get(o, name); }
    void set(const Value& o, const char* name, const Value& v) { vm.set(o, name, v); }
};

Object* NewTextFormat(Vm& vm, const TextFormat& format) {
    const Value made = vm.construct(vm.get(Value(vm.global), "TextFormat"), {});
    if (!made.isObject()) {
        return nullptr;
    }
    FormatBridge bridge{vm};
    StoreFormat(bridge, made, format);
    return made.o;
}

TextFormat ReadTextFormat(Vm& vm, const Value& from) {
    FormatBridge bridge{vm};
    return LoadFormat(bridge, from);
}

// A TextFormat's parts are accessors on its prototype, as the player keeps them: each
// format object holds its values among its settings, made the part's kind when set.
constexpr std::size_t MaxFontName = 64;

Value FormatPartValue(Vm& vm, int part, const Value& v) {
    FormatBridge bridge{vm};
    const FormatKind kind = FormatPartKind(part);
    FormatValue value = FormatValueOf(v, kind, bridge);
    if (part == 0 && value.text.size() > MaxFontName) {
        value.text.resize(MaxFontName); // font names longer than this are cut
    }
    return ScriptValueOf(value, kind, bridge);
}

Value GetFormatPart(Vm&, CallInfo& c) {
    Object* o = ThisObject(c);
    const Value* kept = o ? o->keptSetting(FormatPartNames[c.callee->magic]) : nullptr;
    return kept ? *kept : Value::null();
}

Value SetFormatPart(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        const int part = c.callee->magic;
        o->keepSetting(FormatPartNames[part], FormatPartValue(vm, part, c.arg(0)));
    }
    return Value();
}

Value TextFormatCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        for (int part = 0; part < FormatPartCount; ++part) {
            const auto index = static_cast<std::size_t>(part);
            const Value arg = index < c.args.size() && part < 13 ? c.arg(index) : Value::null();
            o->keepSetting(FormatPartNames[part], FormatPartValue(vm, part, arg));
        }
    }
    return c.thisValue;
}

void DefineFormatParts(Vm& vm, Object* proto) {
    for (int part = 0; part < FormatPartCount; ++part) {
        const std::string_view name = FormatPartNames[part];
        // only the texts may be written over plainly
        const bool text = name == "font" || name == "url" || name == "target";
        proto->define(name, Value(), DontEnum | DontDelete | (text ? 0 : ReadOnly));
        Property* p = proto->findAny(name);
        p->getter = vm.newNative(GetFormatPart, part);
        p->setter = vm.newNative(SetFormatPart, part);
    }
}

EditField* ThisField(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    return clip ? vm.host().textField(clip) : nullptr;
}

// The range the first arguments name: none is the whole text, one a single character.
void RangeOf(Vm& vm, CallInfo& c, std::size_t count, const EditField& f, int& begin, int& end) {
    begin = 0;
    end = f.length();
    if (count >= 1) {
        const double at = vm.toNumber(c.arg(0));
        begin = std::isfinite(at) ? static_cast<int>(std::clamp(at, -1.0, 1e9)) : 0;
        end = begin + 1;
    }
    if (count >= 2) {
        const double to = vm.toNumber(c.arg(1));
        end = std::isfinite(to) ? static_cast<int>(std::clamp(to, -1.0, 1e9)) : end;
    }
}

Value GetTextFormatOf(Vm& vm, CallInfo& c) {
    EditField* f = ThisField(vm, c);
    if (!f) {
        return Value();
    }
    int begin = 0, end = 0;
    RangeOf(vm, c, std::min<std::size_t>(c.args.size(), 2), *f, begin, end);
    if (begin < 0 || end < begin) {
        return Value(NewTextFormat(vm, TextFormat{}));
    }
    return Value(NewTextFormat(vm, f->format(begin, std::max(end, begin))));
}

Value SetTextFormatOf(Vm& vm, CallInfo& c) {
    EditField* f = ThisField(vm, c);
    if (!f || c.args.empty() || !c.args.back().isObject()) {
        return Value();
    }
    const TextFormat format = ReadTextFormat(vm, c.args.back());
    f = ThisField(vm, c); // the getters may have changed the display list
    if (!f) {
        return Value();
    }
    int begin = 0, end = 0;
    RangeOf(vm, c, std::min<std::size_t>(c.args.size() - 1, 2), *f, begin, end);
    if (begin >= 0 && end > begin) {
        f->setFormat(begin, end, format);
    }
    return Value();
}

Value NewFormat(Vm& vm, CallInfo& c) {
    EditField* f = ThisField(vm, c);
    if (!f) {
        return Value();
    }
    if (c.callee->magic == 0) {
        return Value(NewTextFormat(vm, f->newFormat));
    }
    if (c.arg(0).isObject()) {
        const TextFormat format = ReadTextFormat(vm, c.arg(0));
        if ((f = ThisField(vm, c))) {
            f->newFormat.apply(format);
        }
    }
    return Value();
}

Value ReplaceText(Vm& vm, CallInfo& c) {
    EditField* f = ThisField(vm, c);
    if (!f || c.args.size() < 3) {
        return Value();
    }
    const double begin = vm.toNumber(c.arg(0)), end = vm.toNumber(c.arg(1));
    const std::string text = vm.toString(c.arg(2));
    if ((f = ThisField(vm, c)) && begin >= 0 && end >= begin) {
        f->replaceText(static_cast<int>(std::min(begin, 1e9)), static_cast<int>(std::min(end, 1e9)),
                       QString::fromStdString(text));
    }
    return Value();
}

// TextFormat.getTextExtent(text, width): the size the text takes in this format.
Value TextExtent(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value();
    }
    EditField probe;
    probe.newFormat.apply(ReadTextFormat(vm, c.thisValue));
    probe.multiline = true;
    const double width = c.args.size() > 1 ? vm.toNumber(c.arg(1)) : NAN;
    probe.wordWrap = std::isfinite(width) && width > 0;
    probe.area = QRectF(0, 0, probe.wordWrap ? std::min(width, 1e6) * 20 : 1e9, 1e9);
    probe.setText(QString::fromStdString(vm.toString(c.arg(0))));
    const double w = std::round(probe.textWidth()), h = std::round(probe.textHeight());
    Object* out = vm.newObject();
    out->put("width", Value(w));
    out->put("height", Value(h));
    out->put("ascent", Value(std::round(h * 0.8)));
    out->put("descent", Value(h - std::round(h * 0.8)));
    out->put("textFieldWidth", Value(probe.wordWrap ? width : w + 4));
    out->put("textFieldHeight", Value(h + 4));
    return Value(out);
}

} // namespace

void InstallTextBuiltins(Vm& vm) {
    DefineFormatParts(
        vm, vm.defineClass("TextFormat", TextFormatCtor, {{"getTextExtent", TextExtent}}));
    // clang-format off
    vm.methods(vm.textFieldProto, {
        {"getTextFormat", GetTextFormatOf}, {"setTextFormat", SetTextFormatOf},
        {"getNewTextFormat", NewFormat, 0}, {"setNewTextFormat", NewFormat, 1},
        {"replaceText", ReplaceText}});
    // clang-format on
    vm.textFieldProto->findAny("replaceText")->flags |= FromVersion7;
}

} // namespace quillon::engine::avm1
