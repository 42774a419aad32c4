// ExternalInterface: no container hosts the preview, so it is unavailable, calls give null,
// and only its XML text helpers work.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace quillon::engine::avm1 {

namespace {

// The five entities, exactly as written (no other spelling or case is read back).
constexpr std::array<std::pair<char, std::string_view>, 5> Entities = {
    {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&apos;"}}};

std::string EscapeXml(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto* entity = std::find_if(Entities.begin(), Entities.end(),
                                          [ch](const auto& e) { return e.first == ch; });
        if (entity == Entities.end()) {
            out += ch;
        } else {
            out += entity->second;
        }
    }
    return out;
}

std::string UnescapeXml(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto* entity = std::find_if(Entities.begin(), Entities.end(), [&](const auto& e) {
            return std::string_view(text).substr(i, e.second.size()) == e.second;
        });
        if (entity == Entities.end()) {
            out += text[i++];
        } else {
            out += entity->first;
            i += entity->second.size();
        }
    }
    return out;
}

// Both helpers give null for nothing or empty text, and convert anything else to text.
Value XmlText(Vm& vm, CallInfo& c) {
    if (c.args.empty()) {
        return Value::null();
    }
    const std::string text = vm.toString(c.arg(0));
    if (text.empty()) {
        return Value::null();
    }
    return vm.makeString(c.callee->magic == 0 ? EscapeXml(text) : UnescapeXml(text));
}

Value Unavailable(Vm&, CallInfo&) {
    return Value::null();
}

Value Refused(Vm&, CallInfo&) {
    return Value(false);
}

} // namespace

// The package objects flash.<name> hold the classes of later players; made on first use.
Object* FlashPackage(Vm& vm, const char* name) {
    // the packages came with version 8: older movies do not see them
    const Property* found = vm.global->findAny("flash");
    Value flash = found ? found->value : Value();
    if (!flash.isObject()) {
        flash = Value(vm.newObject());
        vm.global->define("flash", flash, DontEnum | FromVersion8);
    }
    Value package = vm.getOf(flash.o, name, flash);
    if (!package.isObject()) {
        package = Value(vm.newObject());
        flash.o->define(name, package, DontEnum);
    }
    return package.o;
}

void InstallExternalInterface(Vm& vm) {
    // a class of statics only: constructing one gives a plain object
    Object* external = vm.newClass(nullptr, "ExternalInterface", Unavailable, nullptr);
    FlashPackage(vm, "external")->define("ExternalInterface", Value(external), DontEnum);
    external->define("available", Value(false), DontEnum | DontDelete | ReadOnly);
    vm.methods(external, {{"call", Unavailable},
                          {"addCallback", Refused},
                          {"_escapeXML", XmlText, 0},
                          {"_unescapeXML", XmlText, 1}});
}

} // namespace quillon::engine::avm1
