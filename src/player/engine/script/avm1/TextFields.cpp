// Text fields as scripts see them: text, htmlText, length and variable, and the fields
// bound to a variable, whose text follows that variable's value.

#include "player/engine/script/avm1/Frame.h"

namespace quillon::engine::avm1 {

namespace {

// A frame on the timeline holding the field: the place its variable is looked up from.
bool FieldFrame(Vm& vm, ClipId field, Frame& frame) {
    const ClipId parent = vm.host().parent(field);
    Object* clip = vm.clipObject(parent);
    if (!clip) {
        return false;
    }
    frame.target = frame.original = parent;
    frame.scope = std::make_shared<const Scope>(
        Scope{clip, std::make_shared<const Scope>(Scope{vm.global, nullptr})});
    frame.baseScope = frame.scope;
    frame.thisValue = Value(clip);
    return true;
}

bool IsTextName(std::string_view name) {
    return name == "text" || name == "htmlText" || name == "length" || name == "variable";
}

} // namespace

void SyncTextField(Vm& vm, ClipId field) {
    const std::string variable = vm.host().variableOf(field);
    Frame frame;
    if (variable.empty() || !FieldFrame(vm, field, frame)) {
        return;
    }
    const Value value = GetVariable(vm, frame, variable);
    if (value.isUndefined()) {
        // an unset variable takes the field's own text, as the player starts it
        SetVariable(vm, frame, variable, Value(vm.host().text(field)));
    } else {
        const std::string text = vm.toString(value);
        if (text != vm.host().text(field)) {
            vm.host().setText(field, text, false);
        }
    }
}

void SyncTextFields(Vm& vm) {
    try {
        for (const ClipId field : vm.host().boundTextFields()) {
            SyncTextField(vm, field);
        }
    } catch (const ScriptThrow& thrown) {
        vm.warn("a text field's variable threw " + vm.toString(thrown.value));
    } catch (const ScriptAbort& abort) {
        vm.warn(abort.reason);
    }
}

bool GetTextFieldProperty(Vm& vm, ClipId field, std::string_view name, Value& out) {
    if (!IsTextName(name)) {
        return GetTextFieldSetting(vm, vm.clipObject(field), name, out);
    }
    if (name == "variable") {
        const std::string variable = vm.host().variableOf(field);
        out = variable.empty() ? Value::null() : Value(variable);
        return true;
    }
    SyncTextField(vm, field);
    const std::string text = vm.host().text(field);
    out = name == "length" ? Value(static_cast<double>(CharLength(text))) : Value(text);
    return true;
}

bool SetTextFieldProperty(Vm& vm, ClipId field, std::string_view name, const Value& value) {
    if (!IsTextName(name)) {
        return SetTextFieldSetting(vm, vm.clipObject(field), name, value);
    }
    if (name == "length") {
        return true; // read-only
    }
    if (name == "variable") {
        vm.host().setVariable(field, value.isNullish() ? std::string() : vm.toString(value));
        SyncTextField(vm, field);
        return true;
    }
    const std::string text = vm.toString(value);
    vm.host().setText(field, text, name == "htmlText");
    const std::string variable = vm.host().variableOf(field);
    Frame frame;
    if (!variable.empty() && FieldFrame(vm, field, frame)) {
        SetVariable(vm, frame, variable, Value(text));
    }
    return true;
}

} // namespace quillon::engine::avm1
