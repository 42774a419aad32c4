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

Value ToScript(Vm& vm, const FormatValue& v, FormatKind kind) {
    if (v.isNull) {
        return Value::null();
    }
    switch (kind) {
    case FormatKind::Text:
    case FormatKind::Align:
        return Value::string(v.text);
    case FormatKind::Flag:
        return Value::boolean(v.flag);
    case FormatKind::List: {
        std::vector<Value> items;
        for (double stop : v.list) {
            items.push_back(NumberValue(stop));
        }
        return Value::object(vm.newArray(std::move(items)));
    }
    case FormatKind::Color:
        return Value::unsignedInt(static_cast<std::uint32_t>(v.number));
    default:
        return NumberValue(v.number);
    }
}

FormatValue FromScript(Vm& vm, const Value& v, FormatKind kind) {
    FormatValue out;
    if (v.isNullish()) {
        return out;
    }
    out.isNull = false;
    switch (kind) {
    case FormatKind::Text:
    case FormatKind::Align:
        out.text = ToString(vm, v);
        break;
    case FormatKind::Flag:
        out.flag = ToBoolean(v);
        break;
    case FormatKind::List:
        if (v.isObject()) {
            if (auto* array = dynamic_cast<ArrayObject*>(v.asObject())) {
                for (std::size_t i = 0; i < array->items.size() && i < 1024; ++i) {
                    out.list.push_back(ToNumber(vm, array->items[i]));
                }
            }
        }
        break;
    case FormatKind::Color:
        out.number = ToUint32(vm, v) & 0xffffff;
        break;
    default:
        out.number = std::trunc(ToNumber(vm, v));
        out.isNull = !std::isfinite(out.number);
    }
    return out;
}

Value TextFormatInit(Vm& vm, const Value& self, std::span<const Value> args) {
    for (int part = 0; part < ConstructorParts; ++part) {
        const Value& arg = Arg(args, static_cast<std::size_t>(part));
        if (!arg.isNullish()) {
            SetPublic(vm, self, FormatPartNames[part],
                      ToScript(vm, FromScript(vm, arg, FormatPartKind(part)), FormatPartKind(part)));
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
    for (int part = 0; part < FormatPartCount; ++part) {
        SetPublic(vm, made, FormatPartNames[part],
                  ToScript(vm, ReadFormatPart(format, part), FormatPartKind(part)));
    }
    return made;
}

TextFormat ReadTextFormat(Vm& vm, const Value& from) {
    TextFormat format;
    for (int part = 0; part < FormatPartCount; ++part) {
        WriteFormatPart(format, part,
                        FromScript(vm, GetPublic(vm, from, FormatPartNames[part]), FormatPartKind(part)));
    }
    return format;
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
