// flash.text.Font: the movie's embedded fonts, each bound to its class or listed by
// enumerateFonts in the order of their names.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <QString>
#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// The embedded font a class stands for, through the movie's symbol classes.
std::optional<EmbeddedFont> FontOfClass(Vm& vm, const ClassObject* cls) {
    StageState& state = StateOf(vm);
    for (int guard = 0; cls && guard < 64; cls = cls->base, ++guard) {
        for (const auto& [id, name] : state.symbolClasses) {
            if (QualifiedClassName(name) != cls->name) {
                continue;
            }
            for (const EmbeddedFont& font : state.host.embeddedFonts()) {
                if (font.id == id) {
                    return font;
                }
            }
        }
    }
    return std::nullopt;
}

const EmbeddedFont* FontOf(Vm& vm, const Value& self) {
    auto& fonts = StateOf(vm).fonts;
    const auto it = self.isObject() ? fonts.find(self.asObject()) : fonts.end();
    return it == fonts.end() ? nullptr : &it->second;
}

Value FontInit(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.isObject()) {
        if (auto font = FontOfClass(vm, self.asObject()->cls)) {
            StateOf(vm).fonts[self.asObject()] = *font;
        }
    }
    return Value();
}

Value FontName(Vm& vm, const Value& self, std::span<const Value>) {
    const EmbeddedFont* font = FontOf(vm, self);
    return font ? Value::string(font->name) : Value::null();
}

Value FontStyle(Vm& vm, const Value& self, std::span<const Value>) {
    const EmbeddedFont* font = FontOf(vm, self);
    if (!font) {
        return Value::null();
    }
    const char* style =
        font->bold ? (font->italic ? "boldItalic" : "bold") : (font->italic ? "italic" : "regular");
    return Value::string(style);
}

Value FontType(Vm& vm, const Value& self, std::span<const Value>) {
    return FontOf(vm, self) ? Value::string("embedded") : Value::null();
}

Value HasGlyphs(Vm& vm, const Value& self, std::span<const Value> args) {
    const EmbeddedFont* font = FontOf(vm, self);
    return Value::boolean(font &&
                          StateOf(vm).host.fontHasGlyphs(font->id, ToString(vm, Arg(args, 0))));
}

Value EnumerateFonts(Vm& vm, const Value&, std::span<const Value>) {
    std::vector<EmbeddedFont> fonts = StateOf(vm).host.embeddedFonts();
    std::stable_sort(fonts.begin(), fonts.end(), [](const auto& a, const auto& b) {
        return QString::fromStdString(a.name).compare(QString::fromStdString(b.name),
                                                      Qt::CaseInsensitive) < 0;
    });
    ClassObject* cls = BuiltinClass(vm, "flash.text", "Font");
    std::vector<Value> items;
    for (const EmbeddedFont& font : fonts) {
        Object* made = AllocateInstance(vm, cls);
        StateOf(vm).fonts[made] = font;
        items.push_back(Value::object(made));
    }
    return Value::object(vm.newArray(std::move(items)));
}

Value RegisterFont(Vm&, const Value&, std::span<const Value>) {
    return Value(); // embedded fonts are known from the start
}

} // namespace

void InstallFontClass(Vm& vm) {
    NativeClass(vm, "Font", vm.core.object, "flash.text")
        .init(FontInit)
        .getter("fontName", FontName)
        .getter("fontStyle", FontStyle)
        .getter("fontType", FontType)
        .method("hasGlyphs", HasGlyphs)
        .staticMethod("enumerateFonts", EnumerateFonts)
        .staticMethod("registerFont", RegisterFont);
    NativeClass styles(vm, "FontStyle", vm.core.object, "flash.text");
    for (const auto& [name, value] : {std::pair{"REGULAR", "regular"},
                                      {"BOLD", "bold"},
                                      {"ITALIC", "italic"},
                                      {"BOLD_ITALIC", "boldItalic"}}) {
        styles.constant(name, Value::string(value));
    }
    NativeClass types(vm, "FontType", vm.core.object, "flash.text");
    for (const auto& [name, value] : {std::pair{"EMBEDDED", "embedded"},
                                      {"EMBEDDED_CFF", "embeddedCFF"},
                                      {"DEVICE", "device"}}) {
        types.constant(name, Value::string(value));
    }
}

} // namespace quillon::engine::avm2stage
