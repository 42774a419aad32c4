// Text field settings that only scripts see (the mouse wheel, the style sheet, the tab
// order), kept on the field's object with the player's defaults and its coercions, and
// the glyph smoothing choices, kept on the field.

#include "player/engine/script/avm1/Frame.h"
#include "player/engine/script/common/FieldSettings.h"

#include <array>

namespace quillon::engine::avm1 {

namespace {

enum class Coerce { Color, Flag, Number, Choice, Keep, Index };

struct Setting {
    const char* name;
    Coerce coerce;
    double number;                        // the default of colours, flags and numbers
    std::array<const char*, 3> choices{}; // the first is the default
};

constexpr Setting Settings[] = {
    {"mouseWheelEnabled", Coerce::Flag, 1},
    // kept as given, undefined until set
    {"styleSheet", Coerce::Keep, 0},
    {"tabIndex", Coerce::Index, 0}, // an unsigned whole number, or undefined
};

const Setting* FindSetting(std::string_view name) {
    for (const Setting& s : Settings) {
        if (name == s.name) {
            return &s;
        }
    }
    return nullptr;
}

Value DefaultOf(const Setting& s) {
    switch (s.coerce) {
    case Coerce::Flag:
        return Value(s.number != 0);
    case Coerce::Choice:
        return Value(s.choices[0]);
    case Coerce::Keep:
    case Coerce::Index:
        return Value();
    default:
        return Value(s.number);
    }
}

// The value as the field keeps it; undefined when the field ignores it.
Value Coerced(Vm& vm, const Setting& s, const Value& value) {
    switch (s.coerce) {
    case Coerce::Color:
        return Value(static_cast<double>(ToUint32(vm.toNumber(value)) & 0xffffff));
    case Coerce::Flag:
        return Value(vm.toBool(value));
    case Coerce::Number:
        return Value(vm.toNumber(value));
    case Coerce::Keep:
        return value;
    case Coerce::Index:
        return value.isNullish() ? Value()
                                 : Value(static_cast<double>(ToUint32(vm.toNumber(value))));
    default:
        break;
    }
    const std::string text = vm.toString(value);
    for (const char* choice : s.choices) {
        if (choice && EqualsIgnoringCase(text, choice)) {
            return Value(choice);
        }
    }
    return Value();
}

// A choice by name, any case; -1 for none of them.
template <std::size_t N> int ChoiceOf(const std::string& name, const char* const (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (EqualsIgnoringCase(name, names[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool GetLook(const EditField& f, std::string_view name, Value& out) {
    if (name == "antiAliasType") {
        out = Value(AntiAliasNames[f.advancedAntiAlias ? 1 : 0]);
    } else if (name == "gridFitType") {
        out = Value(GridFitNames[f.gridFit]);
    } else if (name == "thickness" || name == "sharpness") {
        out = Value(name == "thickness" ? f.thickness : f.sharpness);
    } else {
        return false;
    }
    return true;
}

// An unknown choice leaves the field as it was; the numbers are kept as given.
bool SetLook(Vm& vm, EditField& f, std::string_view name, const Value& value) {
    if (name == "antiAliasType" || name == "gridFitType") {
        const std::string text = vm.toString(value);
        const bool antiAlias = name == "antiAliasType";
        const int choice =
            antiAlias ? ChoiceOf(text, AntiAliasNames) : ChoiceOf(text, GridFitNames);
        if (choice >= 0 && antiAlias) {
            f.advancedAntiAlias = choice == 1;
        } else if (choice >= 0) {
            f.gridFit = choice;
        }
        return true;
    }
    if (name == "thickness" || name == "sharpness") {
        (name == "thickness" ? f.thickness : f.sharpness) = vm.toNumber(value);
        return true;
    }
    return false;
}

} // namespace

bool GetTextFieldSetting(Vm&, Object* field, EditField& f, std::string_view name, Value& out) {
    if (GetLook(f, name, out)) {
        return true;
    }
    const Setting* s = FindSetting(name);
    if (!s || !field) {
        return false;
    }
    const Value* kept = field->keptSetting(s->name);
    out = kept ? *kept : DefaultOf(*s);
    return true;
}

bool SetTextFieldSetting(Vm& vm, Object* field, EditField& f, std::string_view name,
                         const Value& value) {
    if (SetLook(vm, f, name, value)) {
        return true;
    }
    const Setting* s = FindSetting(name);
    if (!s || !field) {
        return false;
    }
    Value kept = Coerced(vm, *s, value);
    if (kept.isUndefined() && s->coerce != Coerce::Keep && s->coerce != Coerce::Index) {
        return true; // an unknown choice leaves the setting as it was
    }
    field->keepSetting(s->name, std::move(kept));
    return true;
}

} // namespace quillon::engine::avm1
