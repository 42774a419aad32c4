#include "player/engine/script/avm2/NativeLengths.h"

#include <algorithm>
#include <array>

namespace quillon::avm2 {
namespace {

struct LengthEntry {
    std::string_view owner, method;
    int length;
};

// Methods not listed take no declared arguments (toString, valueOf, pop, getDay...), and
// those that take only a rest argument (push, concat) declare none either.
constexpr LengthEntry Lengths[] = {
    {"", "decodeURI", 1},
    {"", "decodeURIComponent", 1},
    {"", "encodeURI", 1},
    {"", "encodeURIComponent", 1},
    {"", "escape", 1},
    {"", "isFinite", 1},
    {"", "isNaN", 1},
    {"", "isXMLName", 1},
    {"", "parseFloat", 1},
    {"", "parseInt", 2},
    {"", "unescape", 1},
    {"Array", "", 1},
    {"Array", "every", 1},
    {"Array", "filter", 1},
    {"Array", "forEach", 1},
    {"Array", "indexOf", 1},
    {"Array", "insertAt", 2},
    {"Array", "join", 1},
    {"Array", "lastIndexOf", 1},
    {"Array", "map", 1},
    {"Array", "removeAt", 1},
    {"Array", "slice", 2},
    {"Array", "some", 1},
    {"Array", "sort", 1},
    {"Array", "sortOn", 1},
    {"Array", "splice", 2},
    {"Boolean", "", 1},
    {"Date", "", 7},
    {"Date", "UTC", 7},
    {"Date", "parse", 1},
    {"Date", "setDate", 1},
    {"Date", "setFullYear", 3},
    {"Date", "setHours", 4},
    {"Date", "setMilliseconds", 1},
    {"Date", "setMinutes", 3},
    {"Date", "setMonth", 2},
    {"Date", "setSeconds", 2},
    {"Date", "setTime", 1},
    {"Date", "setUTCDate", 1},
    {"Date", "setUTCFullYear", 3},
    {"Date", "setUTCHours", 4},
    {"Date", "setUTCMilliseconds", 1},
    {"Date", "setUTCMinutes", 3},
    {"Date", "setUTCMonth", 2},
    {"Date", "setUTCSeconds", 2},
    {"Error", "", 1},
    {"Function", "", 1},
    {"Function", "apply", 2},
    {"Function", "call", 1},
    {"JSON", "parse", 2},
    {"JSON", "stringify", 3},
    {"Math", "abs", 1},
    {"Math", "acos", 1},
    {"Math", "asin", 1},
    {"Math", "atan", 1},
    {"Math", "atan2", 2},
    {"Math", "ceil", 1},
    {"Math", "cos", 1},
    {"Math", "exp", 1},
    {"Math", "floor", 1},
    {"Math", "log", 1},
    {"Math", "max", 2},
    {"Math", "min", 2},
    {"Math", "pow", 2},
    {"Math", "round", 1},
    {"Math", "sin", 1},
    {"Math", "sqrt", 1},
    {"Math", "tan", 1},
    {"Namespace", "", 2},
    {"Number", "", 1},
    {"Number", "toExponential", 1},
    {"Number", "toFixed", 1},
    {"Number", "toPrecision", 1},
    {"Number", "toString", 1},
    {"Object", "", 1},
    {"Object", "hasOwnProperty", 1},
    {"Object", "isPrototypeOf", 1},
    {"Object", "propertyIsEnumerable", 1},
    {"Object", "setPropertyIsEnumerable", 2},
    {"QName", "", 2},
    {"RegExp", "", 1},
    {"RegExp", "exec", 1},
    {"RegExp", "test", 1},
    {"String", "", 1},
    {"String", "charAt", 1},
    {"String", "charCodeAt", 1},
    {"String", "indexOf", 1},
    {"String", "lastIndexOf", 1},
    {"String", "localeCompare", 1},
    {"String", "match", 1},
    {"String", "replace", 2},
    {"String", "search", 1},
    {"String", "slice", 2},
    {"String", "split", 2},
    {"String", "substr", 2},
    {"String", "substring", 2},
    {"Vector", "every", 1},
    {"Vector", "filter", 1},
    {"Vector", "forEach", 1},
    {"Vector", "indexOf", 1},
    {"Vector", "join", 1},
    {"Vector", "lastIndexOf", 1},
    {"Vector", "map", 1},
    {"Vector", "slice", 2},
    {"Vector", "some", 1},
    {"Vector", "sort", 1},
    {"Vector", "splice", 2},
};

constexpr bool Ordered() {
    for (std::size_t i = 1; i < std::size(Lengths); ++i) {
        const auto& a = Lengths[i - 1];
        const auto& b = Lengths[i];
        if (!(a.owner < b.owner || (a.owner == b.owner && a.method < b.method))) {
            return false;
        }
    }
    return true;
}
static_assert(Ordered(), "the lengths are looked up by binary search");

} // namespace

int NativeLength(std::string_view owner, std::string_view method) {
    // A typed vector's name carries its element type: Vector.<int> reads as Vector.
    owner = owner.substr(0, owner.find(".<"));
    if (owner == "Number" && !method.empty() && method.substr(0, 2) != "to") {
        owner = "Math"; // Number's statics are Math's functions
    }
    const auto* it = std::lower_bound(
        std::begin(Lengths), std::end(Lengths), LengthEntry{owner, method, 0},
        [](const LengthEntry& a, const LengthEntry& b) {
            return a.owner < b.owner || (a.owner == b.owner && a.method < b.method);
        });
    return it != std::end(Lengths) && it->owner == owner && it->method == method ? it->length : 0;
}

} // namespace quillon::avm2
