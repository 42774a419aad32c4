// The methods of flash.text.TextField: text ranges, formats over ranges and lines.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/TextFields.h"

#include <cmath>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

[[noreturn]] void OutOfRange(Vm& vm) {
    vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
}

int IntArg(Vm& vm, std::span<const Value> args, std::size_t i, int fallback) {
    if (i >= args.size()) {
        return fallback;
    }
    const double n = ToNumber(vm, args[i]);
    return std::isfinite(n) ? static_cast<int>(std::clamp(n, -1e9, 1e9)) : 0;
}

// The range of beginIndex and endIndex, -1 meaning the whole text or one character.
bool RangeOf(Vm& vm, std::span<const Value> args, std::size_t first, const EditField& f, int& begin,
             int& end) {
    begin = IntArg(vm, args, first, -1);
    end = IntArg(vm, args, first + 1, -1);
    if (begin == -1) {
        begin = 0;
        end = end == -1 ? f.length() : end;
    } else if (end == -1) {
        end = begin + 1;
    }
    return begin >= 0 && end >= begin && end <= f.length();
}

Value AppendText(Vm& vm, const Value& self, std::span<const Value> args) {
    EditField& f = FieldOrThrow(vm, self);
    const QString text = QString::fromStdString(ToString(vm, Arg(args, 0)));
    f.replaceText(f.length(), f.length(), text);
    return Value();
}

Value ReplaceText(Vm& vm, const Value& self, std::span<const Value> args) {
    EditField& f = FieldOrThrow(vm, self);
    const int begin = IntArg(vm, args, 0, 0), end = IntArg(vm, args, 1, 0);
    const QString text = QString::fromStdString(ToString(vm, Arg(args, 2)));
    if (begin < 0 || end < begin || begin > f.length()) {
        OutOfRange(vm);
    }
    f.replaceText(begin, end, text);
    return Value();
}

Value GetTextFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    EditField& f = FieldOrThrow(vm, self);
    int begin = 0, end = 0;
    if (!RangeOf(vm, args, 0, f, begin, end) && !(f.length() == 0 && begin == 0)) {
        OutOfRange(vm);
    }
    return NewTextFormat(vm, f.format(begin, end));
}

Value SetTextFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    EditField& f = FieldOrThrow(vm, self);
    if (!Arg(args, 0).isObject()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter format must be non-null.");
    }
    const TextFormat format = ReadTextFormat(vm, Arg(args, 0));
    int begin = 0, end = 0;
    if (!RangeOf(vm, args, 1, f, begin, end)) {
        OutOfRange(vm);
    }
    f.setFormat(begin, end, format);
    return Value();
}

LineMetrics LineAt(Vm& vm, const EditField& f, std::span<const Value> args) {
    const std::vector<LineMetrics> lines = f.lines();
    const int index = IntArg(vm, args, 0, 0);
    if (index < 0 || index >= static_cast<int>(lines.size())) {
        OutOfRange(vm);
    }
    return lines[static_cast<std::size_t>(index)];
}

Value GetLineMetrics(Vm& vm, const Value& self, std::span<const Value> args) {
    return NewLineMetrics(vm, LineAt(vm, FieldOrThrow(vm, self), args));
}

Value GetLineText(Vm& vm, const Value& self, std::span<const Value> args) {
    const EditField& f = FieldOrThrow(vm, self);
    const LineMetrics line = LineAt(vm, f, args);
    return Value::string(f.text().mid(line.firstChar, line.length).toStdString());
}

Value GetLineOffset(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::integer(LineAt(vm, FieldOrThrow(vm, self), args).firstChar);
}

Value GetLineLength(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::integer(LineAt(vm, FieldOrThrow(vm, self), args).length);
}

Value GetLineIndexOfChar(Vm& vm, const Value& self, std::span<const Value> args) {
    const EditField& f = FieldOrThrow(vm, self);
    const int index = IntArg(vm, args, 0, 0);
    const std::vector<LineMetrics> lines = f.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (index >= lines[i].firstChar && index < lines[i].firstChar + lines[i].length) {
            return Value::integer(static_cast<int>(i));
        }
    }
    return Value::integer(-1);
}

} // namespace

void InstallTextFieldMethods(NativeClass& cls) {
    cls.methods({{"appendText", AppendText},
                 {"replaceText", ReplaceText},
                 {"getTextFormat", GetTextFormat},
                 {"setTextFormat", SetTextFormat},
                 {"getLineMetrics", GetLineMetrics},
                 {"getLineText", GetLineText},
                 {"getLineOffset", GetLineOffset},
                 {"getLineLength", GetLineLength},
                 {"getLineIndexOfChar", GetLineIndexOfChar}});
}

} // namespace quillon::engine::avm2stage
