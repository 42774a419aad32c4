// ExternalInterface: no container hosts the preview, so it is unavailable, calls give null,
// and only its XML helpers work.

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

// The XML a call to the page would carry: values as <string>, <number>, <true/> and the
// like, arrays as <array> of numbered properties, other objects as <object> of named ones.
// Nesting and the number of values are capped, so a looped or huge structure ends short.
class ValueXml {
public:
    explicit ValueXml(Vm& vm) : vm_(vm) {}

    std::string value(const Value& v, int depth) {
        if (depth > MaxDepth || ++written_ > MaxValues || textBytes_ > MaxTextBytes) {
            return "<null/>";
        }
        const std::string type = vm_.typeOf(v);
        if (type == "string") {
            // empty text escapes to null, and that is what is written
            const std::string text = vm_.toString(v);
            textBytes_ += text.size();
            return "<string>" + (text.empty() ? std::string("null") : EscapeXml(text)) +
                   "</string>";
        }
        if (type == "undefined") {
            return "<undefined/>";
        }
        if (type == "number") {
            return "<number>" + vm_.toString(v) + "</number>";
        }
        if (v.isNull()) {
            return "<null/>";
        }
        if (type == "boolean") {
            return vm_.toBool(v) ? "<true/>" : "<false/>";
        }
        if (type != "object") {
            return "<null/>"; // functions and clips
        }
        // anything with a numeric length (arrays, String objects) is written as an array
        if (vm_.get(v, "length").isNumber()) {
            return array(v, depth);
        }
        return object(v, depth);
    }

    std::string array(const Value& v, int depth) {
        return "<array>" + elements(v, 0, depth, true) + "</array>";
    }

    // The call's arguments after the method's name.
    std::string arguments(const Value& v) {
        return "<arguments>" + elements(v, 1, 0, false) + "</arguments>";
    }

    std::string object(const Value& v, int depth) {
        std::string out = "<object>";
        if (v.isObject()) {
            for (const std::string& name : vm_.enumerate(v.o)) {
                out += Property(name, value(vm_.get(v, name), depth + 1));
            }
        }
        return out + "</object>";
    }

private:
    static constexpr int MaxDepth = 64;
    static constexpr int MaxValues = 100000;
    static constexpr std::size_t MaxTextBytes = 1 << 24;

    static std::string Property(const std::string& id, const std::string& xml) {
        return "<property id=\"" + id + "\">" + xml + "</property>";
    }

    // The elements from `first` up to the value's length.
    std::string elements(const Value& v, int first, int depth, bool numbered) {
        std::string out;
        const double length = vm_.toNumber(vm_.get(v, "length"));
        for (int i = first; i < length && written_ < MaxValues; ++i) {
            const std::string index = std::to_string(i);
            const std::string xml = value(vm_.get(v, index), depth + 1);
            out += numbered ? Property(index, xml) : xml;
        }
        return out;
    }

    Vm& vm_;
    int written_ = 0;
    std::size_t textBytes_ = 0;
};

Value ToXml(Vm& vm, CallInfo& c) {
    ValueXml xml(vm);
    switch (c.callee->magic) {
    case 0:
        return vm.makeString(xml.value(c.arg(0), 0));
    case 1:
        return vm.makeString(xml.array(c.arg(0), 0));
    case 2:
        return vm.makeString(xml.object(c.arg(0), 0));
    default:
        return vm.makeString(xml.arguments(c.arg(0)));
    }
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
                          {"_unescapeXML", XmlText, 1},
                          {"_toXML", ToXml, 0},
                          {"_arrayToXML", ToXml, 1},
                          {"_objectToXML", ToXml, 2},
                          {"_argumentsToXML", ToXml, 3}});
}

} // namespace quillon::engine::avm1
