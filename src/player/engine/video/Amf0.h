#pragma once
// AMF0, the value encoding of FLV script data tags (onMetaData, onCuePoint): numbers,
// booleans, strings, objects, arrays and dates. Nesting, member counts and string
// lengths are bounded, and nothing is read past the bytes given.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quillon::engine {

struct AmfValue {
    enum class Type {
        Undefined,
        Null,
        Number,
        Boolean,
        String,
        Object,
        EcmaArray,
        StrictArray,
        Date
    };
    Type type = Type::Undefined;
    double number = 0; // a number, or a date's milliseconds since 1970 UTC
    bool boolean = false;
    std::string text;
    std::vector<std::pair<std::string, AmfValue>> members; // objects and ECMA arrays
    std::vector<AmfValue> items;                           // strict arrays

    const AmfValue* member(const std::string& name) const;
};

// Objects inside objects deeper than this, and more values than this in one data tag,
// end the reading.
inline constexpr int MaxAmfNesting = 32;
inline constexpr std::size_t MaxAmfValues = 100000;

// One value read at pos, which moves past it; nothing when the bytes end early or hold
// a type this reader does not know.
std::optional<AmfValue> ReadAmf0(std::span<const std::uint8_t> bytes, std::size_t& pos);

// A script data tag's body: the handler's name ("onMetaData") and its argument.
struct ScriptData {
    std::string name;
    AmfValue value;
};
std::optional<ScriptData> ReadScriptData(std::span<const std::uint8_t> body);

} // namespace quillon::engine
