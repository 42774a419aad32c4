// flash.text.TextFormat and TextLineMetrics, and turning a TextFormat into the engine's
// format and back.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/avm2stage/TextFields.h"
#include "player/engine/script/common/FormatParts.h"

#include <climits>
#include <cmath>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Arguments the constructor takes, in the order of the parts.
constexpr int ConstructorParts = 13;
// Longest font name a format keeps from a script (in UTF-16 units); markup is not cut.
constexpr std::size_t MaxFontName = 64;

// Where each part is kept, in the order of FormatPartNames.
constexpr const char* PartKeys[FormatPartCount] = {
    "$font",    "$size",        "$color",  "$bold",       "$italic",        "$underline",
    "$url",     "$target",      "$align",  "$leftMargin", "$rightMargin",   "$indent",
    "$leading", "$blockIndent", "$bullet", "$kerning",    "$letterSpacing", "$tabStops"};
constexpr char DisplayKey[] = "$display";

const char* KeyOf(std::string_view name) {
    for (int part = 0; part < FormatPartCount; ++part) {
        if (name == FormatPartNames[part]) {
            return PartKeys[part];
        }
    }
    return DisplayKey;
}

// Pixel parts are ints: rounded to the nearest, halves to even, and anything out of an
// int's range reads as its lowest value.
Value RoundedInt(double n) {
    const double rounded = std::nearbyint(n);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) {
        return Value::integer(INT32_MIN);
    }
    return Value::integer(static_cast<std::int32_t>(rounded));
}

// A script's value for a part, coerced to the part's type; null unsets it.
Value CoercedPart(Vm& vm, int part, const Value& v) {
    if (v.isNullish()) {
        return Value::null();
    }
    switch (FormatPartKind(part)) {
    case FormatKind::Text:
        if (part == 0) {
            std::u16string units = ToUnits(vm, v);
            units.resize(std::min(units.size(), MaxFontName));
            return FromUnits(units);
        }
        return CoerceString(vm, v);
    case FormatKind::Align: {
        const std::string name = ToString(vm, v);
        for (TextAlign a :
             {TextAlign::Left, TextAlign::Right, TextAlign::Center, TextAlign::Justify}) {
            if (name == AlignName(a)) {
                return Value::string(name);
            }
        }
        return Value::null(); // no alignment of that name
    }
    case FormatKind::Flag:
        return Value::boolean(ToBoolean(v));
    case FormatKind::Color:
        return Value::integer(ToInt32(vm, v));
    case FormatKind::Fraction:
        return NumberValue(ToNumber(vm, v));
    case FormatKind::List: {
        auto* array = v.isObject() ? dynamic_cast<ArrayObject*>(v.asObject()) : nullptr;
        if (!array) {
            return Value::null();
        }
        std::vector<Value> stops;
        for (std::size_t i = 0; i < array->items.size() && i < 1024; ++i) {
            stops.push_back(RoundedInt(ToNumber(vm, array->items[i])));
        }
        return Value::object(vm.newArray(std::move(stops)));
    }
    default:
        return RoundedInt(ToNumber(vm, v));
    }
}

template <int Part> Value GetPart(Vm& vm, const Value& self, std::span<const Value>) {
    return HiddenValue(vm, self, PartKeys[Part]);
}

template <int Part> Value SetPart(Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, PartKeys[Part], CoercedPart(vm, Part, Arg(args, 0)));
    return Value();
}

template <int... Part> void BindParts(NativeClass& cls, std::integer_sequence<int, Part...>) {
    (cls.getter(FormatPartNames[Part], GetPart<Part>).setter(FormatPartNames[Part], SetPart<Part>),
     ...);
}

// display: "block" until set; a name the player does not know reads as null.
Value GetDisplay(Vm& vm, const Value& self, std::span<const Value>) {
    const Value kept = HiddenValue(vm, self, DisplayKey);
    if (kept.isUndefined()) {
        return Value::null();
    }
    return kept.isNull() ? Value::string("block") : kept;
}

Value SetDisplay(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& given = Arg(args, 0);
    if (given.isNullish()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter display must be non-null.");
    }
    const std::string name = ToString(vm, given);
    const bool known = name == "block" || name == "inline" || name == "none";
    // an unknown name is kept as undefined, which reads as null but not as the default
    KeepHidden(vm, self, DisplayKey, known ? Value::string(name) : Value());
    return Value();
}

// The format parts as this interpreter's values (see FormatParts.h).
struct FormatBridge {
    Vm& vm;
    Value null() { return Value::null(); }
    Value text(const std::string& t) { return Value::string(t); }
    Value flag(bool b) { return Value::boolean(b); }
    Value color(double n) { return Value::unsignedInt(static_cast<std::uint32_t>(n)); }
    Value number(double n) { return NumberValue(n); }
    Value list(const std::vector<double>& numbers) {
        std::vector<Value> items;
        for (double n : numbers) {
            items.push_back(NumberValue(n));
        }
        return Value::object(vm.newArray(std::move(items)));
    }
    bool nullish(const Value& v) { return v.isNullish(); }
    std::string text(const Value& v) { return ToString(vm, v); }
    bool flag(const Value& v) { return ToBoolean(v); }
    std::uint32_t color(const Value& v) { return ToUint32(vm, v); }
    double number(const Value& v) { return ToNumber(vm, v); }
    std::vector<double> list(const Value& v) {
        std::vector<double> out;
        auto* array = v.isObject() ? dynamic_cast<ArrayObject*>(v.asObject()) : nullptr;
        for (std::size_t i = 0; array && i < array->items.size() && i < 1024; ++i) {
            out.push_back(ToNumber(vm, array->items[i]));
        }
        return out;
    }
    Value get(const Value& o, const char* name) { return GetPublic(vm, o, name); }
    // a field's format is stored as it is, not coerced as a script's value would be
    void set(const Value& o, const char* name, const Value& v) {
        KeepHidden(vm, o, KeyOf(name), v);
    }
};

Value TextFormatInit(Vm& vm, const Value& self, std::span<const Value> args) {
    for (int part = 0; part < ConstructorParts; ++part) {
        const Value& arg = Arg(args, static_cast<std::size_t>(part));
        if (!arg.isNullish()) {
            SetPublic(vm, self, FormatPartNames[part], arg);
        }
    }
    return Value();
}

Value LineMetricsInit(Vm& vm, const Value& self, std::span<const Value> args) {
    const char* names[] = {"x", "width", "height", "ascent", "descent", "leading"};
    for (std::size_t i = 0; i < 6; ++i) {
        SetPublic(vm, self, names[i], NumberValue(ToNumber(vm, Arg(args, i))));
    }
    return Value();
}

} // namespace

Value NewTextFormat(Vm& vm, const TextFormat& format) {
    const Value made = ConstructClass(vm, BuiltinClass(vm, "flash.text", "TextFormat"), {});
    FormatBridge bridge{vm};
    StoreFormat(bridge, made, format);
    return made;
}

TextFormat ReadTextFormat(Vm& vm, const Value& from) {
    FormatBridge bridge{vm};
    return LoadFormat(bridge, from);
}

Value NewLineMetrics(Vm& vm, const LineMetrics& m) {
    const Value args[] = {NumberValue(m.x),      NumberValue(m.width),   NumberValue(m.height),
                          NumberValue(m.ascent), NumberValue(m.descent), NumberValue(m.leading)};
    return ConstructClass(vm, BuiltinClass(vm, "flash.text", "TextLineMetrics"), args);
}

void InstallTextFormatClasses(Vm& vm) {
    NativeClass format(vm, "TextFormat", vm.core.object, "flash.text");
    format.init(TextFormatInit);
    BindParts(format, std::make_integer_sequence<int, FormatPartCount>());
    format.getter("display", GetDisplay).setter("display", SetDisplay);
    NativeClass metrics(vm, "TextLineMetrics", vm.core.object, "flash.text");
    metrics.init(LineMetricsInit);
    for (const char* name : {"x", "width", "height", "ascent", "descent", "leading"}) {
        metrics.slot(name, Value::number(0));
    }
}

} // namespace quillon::engine::avm2stage
