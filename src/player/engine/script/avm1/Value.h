#pragma once
// One value representation for the whole interpreter: a tagged value that is undefined,
// null, a boolean, a number, a shared immutable string or an object.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quillon::engine::avm1 {

class Object;
using Str = std::shared_ptr<const std::string>;

Str MakeStr(std::string text);
const Str& EmptyStr();

enum class Type : std::uint8_t { Undefined, Null, Boolean, Number, String, Object };

struct Value {
    Type type = Type::Undefined;
    bool b = false;
    double n = 0;
    Object* o = nullptr;
    Str s;

    Value() = default;
    static Value null() {
        Value v;
        v.type = Type::Null;
        return v;
    }
    Value(bool flag) : type(Type::Boolean), b(flag) {}
    Value(double number) : type(Type::Number), n(number) {}
    Value(int number) : type(Type::Number), n(number) {}
    Value(Str text) : type(Type::String), s(std::move(text)) {}
    Value(std::string text) : type(Type::String), s(MakeStr(std::move(text))) {}
    Value(const char* text) : type(Type::String), s(MakeStr(text)) {}
    Value(Object* object) : type(object ? Type::Object : Type::Null), o(object) {}

    bool isUndefined() const { return type == Type::Undefined; }
    bool isNull() const { return type == Type::Null; }
    bool isNullish() const { return type == Type::Undefined || type == Type::Null; }
    bool isNumber() const { return type == Type::Number; }
    bool isString() const { return type == Type::String; }
    bool isObject() const { return type == Type::Object; }
    bool isBool() const { return type == Type::Boolean; }
    const std::string& str() const { return *s; }
};

// The player's number to text: 15 significant digits, exponent form below 1e-5 and from
// 1e15 on, "NaN", "Infinity", "-Infinity".
std::string NumberToString(double number);
// Number to text in a radix from 2 to 36 (integers only, as the player).
std::string NumberToRadix(double number, int radix);
// Text to number as the player reads it: blanks before, decimal or 0x hex; NaN otherwise.
double StringToNumber(std::string_view text, int version);
// ECMAScript ToInt32 / ToUint32 on a number.
std::int32_t ToInt32(double number);
std::uint32_t ToUint32(double number);
// A 1-based frame number as a 0-based index, negative for a number that names no frame:
// the player takes the number as a 32-bit integer and subtracts one in 32 bits, so 0
// names none and the lowest integer wraps round to past the last frame.
inline int FrameIndex(double number) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ToInt32(number)) - 1u);
}
// Scripts see depths shifted by this from the depths the timeline places at.
inline constexpr int ScriptDepthOffset = 16384;
// A script's depth (its number taken as a 32-bit integer) as a timeline depth, or -1
// where the player refuses to place a clip: below the timeline's own depths or past
// its highest.
inline int PlaceableDepth(std::int64_t timelineDepth) {
    constexpr std::int64_t Highest = 2130706428;
    return timelineDepth >= 0 && timelineDepth <= Highest ? static_cast<int>(timelineDepth) : -1;
}
inline int ScriptDepth(double number) {
    return PlaceableDepth(std::int64_t{ToInt32(number)} + ScriptDepthOffset);
}
// Text equal ignoring case, as identifiers up to version 6 compare: ASCII letters and the
// two-byte UTF-8 letters of Latin, Greek, Cyrillic and Armenian.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// The lower-case key EqualsIgnoringCase compares.
std::string FoldCase(std::string_view text);
std::string AsciiLower(std::string_view text);

} // namespace quillon::engine::avm1
