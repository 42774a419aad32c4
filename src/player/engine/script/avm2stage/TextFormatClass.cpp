// flash.text.TextFormat and TextLineMetrics, and turning a TextFormat into the engine's
// format and back.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/avm2stage/TextFields.h"
#include "player/engine/script/common/FormatParts.h"

#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Arguments the constructor takes, in the order of the parts.
constexpr int ConstructorParts = 13;

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
    void set(const Value& o, const char* name, const Value& v) { SetPublic(vm, o, name, v); }
};

Value TextFormatInit(Vm& vm, const Value& self, std::span<const Value> args) {
    for (int part = 0; part < ConstructorParts; ++part) {
        const Value& arg = Arg(args, static_cast<std::size_t>(part));
        if (!arg.isNullish()) {
            FormatBridge bridge{vm};
            const FormatKind kind = FormatPartKind(part);
            bridge.set(self, FormatPartNames[part],
                       ScriptValueOf(FormatValueOf(arg, kind, bridge), kind, bridge));
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
    for (int part = 0; part < FormatPartCount; ++part) {
        format.slot(FormatPartNames[part], Value::null());
    }
    format.slot("display", Value::string("block"));
    NativeClass metrics(vm, "TextLineMetrics", vm.core.object, "flash.text");
    metrics.init(LineMetricsInit);
    for (const char* name : {"x", "width", "height", "ascent", "descent", "leading"}) {
        metrics.slot(name, Value::number(0));
    }
}

} // namespace quillon::engine::avm2stage
