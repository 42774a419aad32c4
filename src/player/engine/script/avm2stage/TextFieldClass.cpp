// flash.text.TextField: every property reads and changes the engine's model of the
// field, through the display host for a field with a clip, on the record for one a
// script made and has not shown yet.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/avm2stage/TextFields.h"
#include "player/engine/script/common/FieldSettings.h"

#include <cmath>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

void ReadOnly(Vm&, EditField&, const Value&) {}

struct FieldProperty {
    const char* name;
    Value (*get)(Vm&, EditField&);
    void (*set)(Vm&, EditField&, const Value&); // ReadOnly: none
};

Value Text(const QString& text) {
    return Value::string(text.toStdString());
}

void SetAutoSize(Vm& vm, EditField& f, const Value& v) {
    const std::string name = ToString(vm, v);
    for (int i = 0; i < 4; ++i) {
        if (name == AutoSizeNames[i]) {
            f.autoSize = static_cast<AutoSize>(i);
            f.fitToText();
            return;
        }
    }
    vm.throwError(ErrorKind::ArgumentError, 2008,
                  "Parameter autoSize must be one of the accepted values.");
}

// An unknown anti-aliasing name leaves the field as it was; an unknown grid fitting fits
// to nothing.
void SetAntiAliasType(Vm& vm, EditField& f, const Value& v) {
    const std::string name = ToString(vm, v);
    if (name == AntiAliasNames[0] || name == AntiAliasNames[1]) {
        f.advancedAntiAlias = name == AntiAliasNames[1];
    }
}

void SetGridFitType(Vm& vm, EditField& f, const Value& v) {
    const std::string name = ToString(vm, v);
    f.gridFit = 0;
    for (int i = 1; i < 3; ++i) {
        if (name == GridFitNames[i]) {
            f.gridFit = i;
        }
    }
}

// Thickness and sharpness keep to the ranges the smoothing takes; NaN stays.
double Limited(Vm& vm, const Value& v, double limit) {
    const double n = ToNumber(vm, v);
    return std::isnan(n) ? n : std::clamp(n, -limit, limit);
}

// clang-format off
constexpr FieldProperty FieldProperties[] = {
    {"text", [](Vm&, EditField& f) { return Text(f.text()); },
     [](Vm& vm, EditField& f, const Value& v) {
         f.setText(QString::fromStdString(ToString(vm, v))); }},
    {"htmlText", [](Vm&, EditField& f) { return Value::string(f.htmlText()); },
     [](Vm& vm, EditField& f, const Value& v) { f.setHtmlText(ToString(vm, v)); }},
    {"length", [](Vm&, EditField& f) { return Value::integer(f.length()); }, ReadOnly},
    {"textColor", [](Vm&, EditField& f) {
         return Value::unsignedInt(f.newFormat.color.value_or(0)); },
     [](Vm& vm, EditField& f, const Value& v) { SetFieldTextColor(f, ToUint32(vm, v)); }},
    {"autoSize", [](Vm&, EditField& f) {
         return Value::string(AutoSizeNames[static_cast<int>(f.autoSize)]); }, SetAutoSize},
    {"type", [](Vm&, EditField& f) { return Value::string(f.editable ? "input" : "dynamic"); },
     [](Vm& vm, EditField& f, const Value& v) {
         const std::string type = ToString(vm, v);
         if (type != "input" && type != "dynamic") {
             vm.throwError(ErrorKind::ArgumentError, 2008,
                           "Parameter type must be one of the accepted values.");
         }
         f.editable = type == "input"; }},
    {"textWidth", [](Vm&, EditField& f) { return NumberValue(f.textWidth()); }, ReadOnly},
    {"textHeight", [](Vm&, EditField& f) { return NumberValue(f.textHeight()); }, ReadOnly},
    {"numLines", [](Vm&, EditField& f) {
         return Value::integer(static_cast<int>(f.lines().size())); }, ReadOnly},
    {"scrollV", [](Vm&, EditField& f) {
         return Value::integer(std::clamp(f.scroll, 1, f.maxScroll())); },
     [](Vm& vm, EditField& f, const Value& v) {
         const double line = ToNumber(vm, v);
         f.scroll = std::isfinite(line) ? std::clamp(static_cast<int>(line), 1, f.maxScroll()) : 1; }},
    {"maxScrollV", [](Vm&, EditField& f) { return Value::integer(f.maxScroll()); }, ReadOnly},
    {"bottomScrollV", [](Vm&, EditField& f) { return Value::integer(f.bottomScroll()); }, ReadOnly},
    {"scrollH", [](Vm&, EditField& f) { return NumberValue(f.hscroll); },
     [](Vm& vm, EditField& f, const Value& v) {
         const double x = ToNumber(vm, v);
         f.hscroll = std::isfinite(x) ? std::clamp(std::trunc(x), 0.0, f.maxHScroll()) : 0; }},
    {"maxScrollH", [](Vm&, EditField& f) { return NumberValue(f.maxHScroll()); }, ReadOnly},
    {"maxChars", [](Vm&, EditField& f) { return Value::integer(f.maxChars); },
     [](Vm& vm, EditField& f, const Value& v) {
         f.maxChars = std::max(0, static_cast<int>(NumberToUint32(ToNumber(vm, v)) & 0x7fffffff)); }},
    {"restrict", [](Vm&, EditField& f) {
         return f.hasRestrict ? Value::string(f.restrict) : Value::null(); },
     [](Vm& vm, EditField& f, const Value& v) {
         f.hasRestrict = !v.isNullish();
         f.restrict = f.hasRestrict ? ToString(vm, v) : std::string(); }},
    {"antiAliasType", [](Vm&, EditField& f) {
         return Value::string(AntiAliasNames[f.advancedAntiAlias ? 1 : 0]); }, SetAntiAliasType},
    {"gridFitType", [](Vm&, EditField& f) { return Value::string(GridFitNames[f.gridFit]); },
     SetGridFitType},
    {"thickness", [](Vm&, EditField& f) { return NumberValue(f.thickness); },
     [](Vm& vm, EditField& f, const Value& v) { f.thickness = Limited(vm, v, 200); }},
    {"sharpness", [](Vm&, EditField& f) { return NumberValue(f.sharpness); },
     [](Vm& vm, EditField& f, const Value& v) { f.sharpness = Limited(vm, v, 400); }},
    {"defaultTextFormat", [](Vm& vm, EditField& f) { return NewTextFormat(vm, f.newFormat); },
     [](Vm& vm, EditField& f, const Value& v) {
         if (v.isObject()) {
             f.newFormat.apply(ReadTextFormat(vm, v));
         } }},
};
// clang-format on

constexpr std::size_t PropertyCount = std::size(FieldProperties);

template <std::size_t I> Value GetProperty(Vm& vm, const Value& self, std::span<const Value>) {
    return FieldProperties[I].get(vm, FieldOrThrow(vm, self));
}

template <std::size_t I> Value SetProperty(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value value = Arg(args, 0);
    FieldProperties[I].set(vm, FieldOrThrow(vm, self), value);
    return Value();
}

template <std::size_t... I> void AddProperties(NativeClass& cls, std::index_sequence<I...>) {
    ((cls.getter(FieldProperties[I].name, GetProperty<I>),
      FieldProperties[I].set != &ReadOnly
          ? (void)cls.setter(FieldProperties[I].name, SetProperty<I>)
          : void()),
     ...);
}

// The flags and colours both languages share (FieldSettings.h).
template <std::size_t I> Value GetFlag(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(FieldOrThrow(vm, self).*FieldFlags[I].member);
}

template <std::size_t I> Value SetFlag(Vm& vm, const Value& self, std::span<const Value> args) {
    const bool on = ToBoolean(Arg(args, 0));
    SetFieldFlag(FieldOrThrow(vm, self), FieldFlags[I].member, on);
    return Value();
}

template <std::size_t I> Value GetColor(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::unsignedInt(FieldOrThrow(vm, self).*FieldColors[I].member);
}

template <std::size_t I> Value SetColor(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::uint32_t rgb = ToUint32(vm, Arg(args, 0));
    SetFieldColor(FieldOrThrow(vm, self), FieldColors[I].member, rgb);
    return Value();
}

template <std::size_t I> void AddFlag(NativeClass& cls) {
    if constexpr (FieldFlags[I].as3Name != nullptr) {
        cls.getter(FieldFlags[I].as3Name, GetFlag<I>).setter(FieldFlags[I].as3Name, SetFlag<I>);
    }
}

template <std::size_t... I> void AddFlags(NativeClass& cls, std::index_sequence<I...>) {
    (AddFlag<I>(cls), ...);
}

template <std::size_t... I> void AddColors(NativeClass& cls, std::index_sequence<I...>) {
    ((cls.getter(FieldColors[I].name, GetColor<I>), cls.setter(FieldColors[I].name, SetColor<I>)),
     ...);
}

Value TextFieldInit(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayInit(vm, self, args);
    if (DisplayRecord* r = DisplayOf(vm, self); r && !r->clip) {
        r->textField = true;
        r->field = std::make_shared<EditField>();
        r->field->area = QRectF(0, 0, 2000, 2000);
        r->field->fonts = StateOf(vm).host.fieldFonts(); // it measures before it is shown
    }
    return Value();
}

// A field's width and height are its box: set, they resize the box (then autoSize may
// fit it to the text again) rather than scale what it shows.
double ScaleOn(Vm& vm, const DisplayRecord& r, bool width) {
    if (r.clip) {
        return StateOf(vm).host.property(r.clip,
                                         width ? ClipProperty::XScale : ClipProperty::YScale) /
               100;
    }
    return width ? r.scaleX : r.scaleY;
}

template <bool Width> Value GetBox(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayRecord* r = DisplayOf(vm, self);
    if (r && r->clip) {
        return NumberValue(
            StateOf(vm).host.property(r->clip, Width ? ClipProperty::Width : ClipProperty::Height));
    }
    const EditField& f = FieldOrThrow(vm, self);
    const double side = (Width ? f.area.width() : f.area.height()) / 20;
    return NumberValue(side * std::abs(ScaleOn(vm, *r, Width)));
}

template <bool Width> Value SetBox(Vm& vm, const Value& self, std::span<const Value> args) {
    EditField& f = FieldOrThrow(vm, self);
    const double scale = std::abs(ScaleOn(vm, *DisplayOf(vm, self), Width));
    const double v = ToNumber(vm, Arg(args, 0));
    if (!std::isfinite(v) || scale == 0) {
        return Value();
    }
    const double twips = std::clamp(v / scale, 0.0, 107374182.0) * 20;
    if (Width) {
        f.area.setWidth(twips);
    } else {
        f.area.setHeight(twips);
    }
    f.fitToText();
    return Value();
}

} // namespace

EditField* FieldOf(Vm& vm, const Value& self) {
    DisplayRecord* r = DisplayOf(vm, self);
    if (!r) {
        return nullptr;
    }
    if (r->clip) {
        return StateOf(vm).host.textField(r->clip);
    }
    return r->field.get();
}

EditField& FieldOrThrow(Vm& vm, const Value& self) {
    EditField* f = FieldOf(vm, self);
    if (!f) {
        vm.throwError(ErrorKind::TypeError, 1009,
                      "Cannot access a property or method of a null object reference.");
    }
    return *f;
}

void InstallTextFieldMethods(NativeClass& cls);
void InstallFontClass(Vm& vm);

void InstallTextFieldClass(Vm& vm, ClassObject* interactive) {
    InstallTextFormatClasses(vm);
    InstallFontClass(vm);
    NativeClass cls(vm, "TextField", interactive, "flash.text");
    cls.init(TextFieldInit);
    AddProperties(cls, std::make_index_sequence<PropertyCount>());
    AddFlags(cls, std::make_index_sequence<std::size(FieldFlags)>());
    AddColors(cls, std::make_index_sequence<std::size(FieldColors)>());
    cls.getter("width", GetBox<true>)
        .setter("width", SetBox<true>)
        .getter("height", GetBox<false>)
        .setter("height", SetBox<false>);
    InstallTextFieldMethods(cls);
}

} // namespace quillon::engine::avm2stage
