// Text fields as scripts see them: every property of a field reads and changes the
// engine's model of it; fields bound to a variable follow that variable's value.

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/common/FieldSettings.h"

#include <cmath>

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

std::string Utf8(const QString& text) {
    return text.toStdString();
}

using Getter = Value (*)(Vm&, EditField&);
using Setter = void (*)(Vm&, EditField&, const Value&);

void ReadOnly(Vm&, EditField&, const Value&) {}

struct FieldProperty {
    const char* name;
    Getter get;
    Setter set; // ReadOnly: none
};

Value GetHtmlText(Vm&, EditField& f) {
    return Value(f.html ? f.htmlText() : Utf8(f.text()));
}
void SetAutoSize(Vm& vm, EditField& f, const Value& v) {
    if (v.type == Type::Boolean) {
        f.autoSize = v.b ? AutoSize::Left : AutoSize::None;
    } else {
        const std::string name = vm.toString(v);
        f.autoSize = AutoSize::None;
        for (int i = 1; i < 4; ++i) {
            if (EqualsIgnoringCase(name, AutoSizeNames[i])) {
                f.autoSize = static_cast<AutoSize>(i);
            }
        }
    }
    f.fitToText();
}
// Sizes read in whole pixels, the part pixel dropped.
Value Pixels(double value) {
    return Value(std::trunc(value));
}

// clang-format off
constexpr FieldProperty FieldProperties[] = {
    {"htmlText", GetHtmlText, ReadOnly},
    {"length", [](Vm&, EditField& f) { return Value(f.length()); }, ReadOnly},
    {"textColor", [](Vm&, EditField& f) {
         return Value(static_cast<double>(f.newFormat.color.value_or(0))); },
     [](Vm& vm, EditField& f, const Value& v) {
         SetFieldTextColor(f, ToUint32(vm.toNumber(v))); }},
    {"autoSize", [](Vm&, EditField& f) {
         return Value(AutoSizeNames[static_cast<int>(f.autoSize)]); }, SetAutoSize},
    {"type", [](Vm&, EditField& f) { return Value(f.editable ? "input" : "dynamic"); },
     [](Vm& vm, EditField& f, const Value& v) {
         const std::string type = vm.toString(v);
         if (EqualsIgnoringCase(type, "input") || EqualsIgnoringCase(type, "dynamic")) {
             f.editable = EqualsIgnoringCase(type, "input");
         } }},
    {"textWidth", [](Vm&, EditField& f) { return Pixels(f.textWidth()); }, ReadOnly},
    {"textHeight", [](Vm&, EditField& f) { return Pixels(f.textHeight()); }, ReadOnly},
    {"scroll", [](Vm&, EditField& f) {
         return Value(std::clamp(f.scroll, 1, f.maxScroll())); },
     [](Vm& vm, EditField& f, const Value& v) {
         // a 32-bit line number, counted from 0 inside the player: the lowest wraps round
         const std::uint32_t line = static_cast<std::uint32_t>(ToInt32(vm.toNumber(v)));
         const std::int32_t fromZero = static_cast<std::int32_t>(line - 1u);
         f.scroll = std::clamp(fromZero, 0, f.maxScroll() - 1) + 1; }},
    {"maxscroll", [](Vm&, EditField& f) { return Value(f.maxScroll()); }, ReadOnly},
    {"bottomScroll", [](Vm&, EditField& f) { return Value(f.bottomScroll()); }, ReadOnly},
    {"hscroll", [](Vm&, EditField& f) { return Value(f.hscroll); },
     [](Vm& vm, EditField& f, const Value& v) {
         const double x = vm.toNumber(v);
         f.hscroll = std::isfinite(x) ? std::clamp(std::trunc(x), 0.0, f.maxHScroll()) : 0;
     }},
    {"maxhscroll", [](Vm&, EditField& f) { return Value(f.maxHScroll()); }, ReadOnly},
    {"maxChars", [](Vm&, EditField& f) {
         return f.maxChars > 0 ? Value(f.maxChars) : Value::null(); },
     [](Vm& vm, EditField& f, const Value& v) {
         const double n = vm.toNumber(v);
         f.maxChars = std::isfinite(n) && n > 0 ? static_cast<int>(std::min(n, 1e9)) : 0; }},
    {"restrict", [](Vm&, EditField& f) {
         return f.hasRestrict ? Value(f.restrict) : Value::null(); },
     [](Vm& vm, EditField& f, const Value& v) {
         f.hasRestrict = !v.isNullish() && !vm.toString(v).empty();
         f.restrict = f.hasRestrict ? vm.toString(v) : std::string(); }},
};
// clang-format on

bool Named(Vm& vm, std::string_view name, const char* expected) {
    return vm.caseSensitive() ? name == expected : EqualsIgnoringCase(name, expected);
}

const FieldProperty* FindProperty(Vm& vm, std::string_view name) {
    for (const FieldProperty& p : FieldProperties) {
        if (Named(vm, name, p.name)) {
            return &p;
        }
    }
    return nullptr;
}

// The flags and colours both languages share (FieldSettings.h).
const FieldFlag* FindFlag(Vm& vm, std::string_view name) {
    for (const FieldFlag& flag : FieldFlags) {
        if (flag.as2Name && Named(vm, name, flag.as2Name)) {
            return &flag;
        }
    }
    return nullptr;
}

const FieldColor* FindColor(Vm& vm, std::string_view name) {
    for (const FieldColor& color : FieldColors) {
        if (Named(vm, name, color.name)) {
            return &color;
        }
    }
    return nullptr;
}

// Sets the field's text and the variable it follows.
void PutText(Vm& vm, ClipId field, EditField& f, const Value& value, bool html) {
    const std::string text = vm.toString(value);
    html&& f.html ? f.setHtmlText(text) : f.setText(QString::fromStdString(text));
    Frame frame;
    if (!f.variable.empty() && FieldFrame(vm, field, frame)) {
        SetVariable(vm, frame, f.variable, Value(text));
    }
}

// TextField.prototype's properties as scripts enumerate them; the last five are plain
// values before version 8.
constexpr const char* PrototypeNames[] = {"styleSheet",
                                          "mouseWheelEnabled",
                                          "condenseWhite",
                                          "restrict",
                                          "textHeight",
                                          "textWidth",
                                          "bottomScroll",
                                          "length",
                                          "selectable",
                                          "multiline",
                                          "password",
                                          "wordWrap",
                                          "background",
                                          "border",
                                          "html",
                                          "embedFonts",
                                          "maxChars",
                                          "maxhscroll",
                                          "hscroll",
                                          "variable",
                                          "htmlText",
                                          "type",
                                          "text",
                                          "autoSize",
                                          "tabIndex",
                                          "textColor",
                                          "backgroundColor",
                                          "borderColor",
                                          "maxscroll",
                                          "scroll",
                                          "filters",
                                          "sharpness",
                                          "thickness",
                                          "antiAliasType",
                                          "gridFitType"};
constexpr std::size_t FirstVersion8Name = 30;

// The field `this` stands for, or 0 (a TextField made with new is no field).
ClipId ThisField(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    return clip && vm.host().kind(clip) == ClipKind::Text ? clip : 0;
}

Value GetPrototypeProperty(Vm& vm, CallInfo& c) {
    Value out;
    const ClipId field = ThisField(vm, c);
    if (field) {
        GetTextFieldProperty(vm, field, PrototypeNames[c.callee->magic], out);
    }
    return out;
}

Value SetPrototypeProperty(Vm& vm, CallInfo& c) {
    if (const ClipId field = ThisField(vm, c)) {
        SetTextFieldProperty(vm, field, PrototypeNames[c.callee->magic], c.arg(0));
    }
    return Value();
}

} // namespace

void DefineTextFieldPrototype(Vm& vm) {
    Object* proto = vm.textFieldProto;
    // enumeration lists the newest first: define from the last name back
    for (std::size_t i = std::size(PrototypeNames); i-- > 0;) {
        const char* name = PrototypeNames[i];
        Object *getter = nullptr, *setter = nullptr;
        if (Property* had = proto->findAny(name)) {
            // one defined before keeps its functions and moves to its place here
            getter = had->getter;
            setter = had->setter;
            had->flags = 0;
            proto->remove(name);
        }
        proto->define(name, Value(), 0);
        if (i >= FirstVersion8Name && vm.version() < 8) {
            continue;
        }
        Property* p = proto->findAny(name);
        p->getter = getter ? getter : vm.newNative(GetPrototypeProperty, static_cast<int>(i));
        p->setter = setter ? setter : vm.newNative(SetPrototypeProperty, static_cast<int>(i));
    }
}

bool IsTextFieldPrototypeName(Vm& vm, std::string_view name) {
    for (const char* known : PrototypeNames) {
        if (Named(vm, name, known)) {
            return true;
        }
    }
    return false;
}

void SyncTextField(Vm& vm, ClipId field) {
    EditField* f = vm.host().textField(field);
    Frame frame;
    if (!f || f->variable.empty() || !FieldFrame(vm, field, frame)) {
        return;
    }
    const std::string variable = f->variable;
    const Value value = GetVariable(vm, frame, variable);
    f = vm.host().textField(field); // a getter may have changed the display list
    if (!f) {
        return;
    }
    if (value.isUndefined()) {
        // an unset variable takes the text the field was defined with, which the field
        // shows again; a field defined empty leaves it unset
        if (!f->definedText.empty()) {
            const std::string& defined = f->definedText;
            f->html ? f->setHtmlText(defined) : f->setText(QString::fromStdString(defined));
            SetVariable(vm, frame, variable, Value(Utf8(f->text())));
        }
    } else {
        const std::string text = vm.toString(value);
        f = vm.host().textField(field);
        if (f && (f->html ? text != f->htmlText() : text != Utf8(f->text()))) {
            f->html ? f->setHtmlText(text) : f->setText(QString::fromStdString(text));
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
    if (Named(vm, name, "text") || Named(vm, name, "htmlText") || Named(vm, name, "length")) {
        SyncTextField(vm, field);
    }
    EditField* f = vm.host().textField(field);
    if (!f) {
        return false;
    }
    if (Named(vm, name, "text")) {
        out = Value(Utf8(f->text()));
        return true;
    }
    if (Named(vm, name, "variable")) {
        out = f->variable.empty() ? Value::null() : Value(f->variable);
        return true;
    }
    if (const FieldProperty* p = FindProperty(vm, name)) {
        out = p->get(vm, *f);
        return true;
    }
    if (const FieldFlag* flag = FindFlag(vm, name)) {
        out = Value(f->*flag->member);
        return true;
    }
    if (const FieldColor* color = FindColor(vm, name)) {
        out = Value(static_cast<double>(f->*color->member));
        return true;
    }
    return GetTextFieldSetting(vm, vm.clipObject(field), *f, name, out);
}

bool SetTextFieldProperty(Vm& vm, ClipId field, std::string_view name, const Value& value) {
    EditField* f = vm.host().textField(field);
    if (!f) {
        return false;
    }
    if (Named(vm, name, "text") || Named(vm, name, "htmlText")) {
        PutText(vm, field, *f, value, Named(vm, name, "htmlText"));
        return true;
    }
    if (Named(vm, name, "variable")) {
        f->variable = value.isNullish() ? std::string() : vm.toString(value);
        SyncTextField(vm, field);
        return true;
    }
    if (const FieldProperty* p = FindProperty(vm, name)) {
        p->set(vm, *f, value);
        return true;
    }
    if (const FieldFlag* flag = FindFlag(vm, name)) {
        SetFieldFlag(*f, flag->member, vm.toBool(value));
        return true;
    }
    if (const FieldColor* color = FindColor(vm, name)) {
        SetFieldColor(*f, color->member, ToUint32(vm.toNumber(value)));
        return true;
    }
    return SetTextFieldSetting(vm, vm.clipObject(field), *f, name, value);
}

} // namespace quillon::engine::avm1
