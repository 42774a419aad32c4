#pragma once
// The plain settings of a text field by the names each script language gives them, so
// that both interpreters read and change the same parts of the field the same way.

#include "player/engine/characters/EditField.h"

#include <cstdint>

namespace quillon::engine {

struct FieldFlag {
    const char* as2Name; // nullptr: not in ActionScript 1 and 2
    const char* as3Name; // nullptr: not in ActionScript 3
    bool EditField::*member;
};

inline constexpr FieldFlag FieldFlags[] = {
    {"html", nullptr, &EditField::html},
    {"multiline", "multiline", &EditField::multiline},
    {"wordWrap", "wordWrap", &EditField::wordWrap},
    {"border", "border", &EditField::border},
    {"background", "background", &EditField::background},
    {"password", "displayAsPassword", &EditField::password},
    {"selectable", "selectable", &EditField::selectable},
    {"embedFonts", "embedFonts", &EditField::embedFonts},
    {"condenseWhite", "condenseWhite", &EditField::condenseWhite},
    {nullptr, "useRichTextClipboard", &EditField::useRichText},
};

struct FieldColor {
    const char* name;
    std::uint32_t EditField::*member;
};

inline constexpr FieldColor FieldColors[] = {
    {"borderColor", &EditField::borderColor},
    {"backgroundColor", &EditField::backgroundColor},
};

inline constexpr const char* AutoSizeNames[] = {"none", "left", "right", "center"};
inline constexpr const char* AntiAliasNames[] = {"normal", "advanced"};
inline constexpr const char* GridFitNames[] = {"none", "pixel", "subpixel"};

// Any flag may change how much room the text takes.
inline void SetFieldFlag(EditField& f, bool EditField::*member, bool on) {
    f.*member = on;
    f.fitToText();
}

inline void SetFieldColor(EditField& f, std::uint32_t EditField::*member, std::uint32_t rgb) {
    f.*member = rgb & 0xffffff;
}

// textColor colours the whole text and what is typed next.
inline void SetFieldTextColor(EditField& f, std::uint32_t rgb) {
    TextFormat color;
    color.color = rgb & 0xffffff;
    f.newFormat.apply(color);
    f.setFormat(0, f.length(), color);
}

} // namespace quillon::engine
