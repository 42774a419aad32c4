// flash.text.TextField as far as scripts read and set its text: through the display
// host for a field the timeline placed, kept on the record for one a script made.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

Value GetText(Vm& vm, const Value& self, std::span<const Value>) {
    const DisplayRecord* r = DisplayOf(vm, self);
    if (r && r->clip) {
        return Value::string(StateOf(vm).host.text(r->clip));
    }
    return Value::string(r ? r->text : std::string());
}

void PutText(Vm& vm, const Value& self, const std::string& text, bool html) {
    if (DisplayRecord* r = DisplayOf(vm, self)) {
        if (r->clip) {
            StateOf(vm).host.setText(r->clip, text, html);
        } else {
            r->text = text;
        }
    }
}

template <bool Html> Value SetText(Vm& vm, const Value& self, std::span<const Value> args) {
    PutText(vm, self, ToString(vm, Arg(args, 0)), Html);
    return Value();
}

Value AppendText(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::string before = ToString(vm, GetText(vm, self, {}));
    PutText(vm, self, before + ToString(vm, Arg(args, 0)), false);
    return Value();
}

Value TextFieldInit(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayInit(vm, self, args);
    if (DisplayRecord* r = DisplayOf(vm, self); r && !r->clip) {
        r->textField = true;
    }
    return Value();
}

} // namespace

void InstallTextFieldClass(Vm& vm, ClassObject* interactive) {
    NativeClass(vm, "TextField", interactive, "flash.text")
        .init(TextFieldInit)
        .getter("text", GetText)
        .setter("text", SetText<false>)
        .getter("htmlText", GetText)
        .setter("htmlText", SetText<true>)
        .method("appendText", AppendText);
}

} // namespace quillon::engine::avm2stage
