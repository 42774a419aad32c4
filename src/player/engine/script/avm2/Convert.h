#pragma once
// The conversions and comparisons of the language, with the exact rules for int,
// uint, Number, String, Boolean and *.

#include "player/engine/script/avm2/Object.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::avm2 {

class Vm;

double StringToNumber(std::string_view text);
std::int32_t NumberToInt32(double d);
inline std::uint32_t NumberToUint32(double d) {
    return static_cast<std::uint32_t>(NumberToInt32(d));
}

enum class Hint : std::uint8_t { Number, String };
Value ToPrimitive(Vm& vm, const Value& v, Hint hint = Hint::Number);
// The hint + and == use: String for dates, Number for the rest.
Hint DefaultHint(const Value& v);
double ToNumber(Vm& vm, const Value& v);
std::int32_t ToInt32(Vm& vm, const Value& v);
std::uint32_t ToUint32(Vm& vm, const Value& v);
bool ToBoolean(const Value& v);
std::string ToString(Vm& vm, const Value& v);
Value ToStringValue(Vm& vm, const Value& v); // keeps a string as it is
// The string form as UTF-16 units, which String's methods index, and back.
std::u16string ToUnits(Vm& vm, const Value& v);
Value FromUnits(std::u16string_view units);
Value ToNumeric(Vm& vm, const Value& v); // int stays int

// coerce_s and String-typed slots: null and undefined stay null.
Value CoerceString(Vm& vm, const Value& v);
Value Coerce(Vm& vm, const Value& v, Coercion coercion);
// coerce to a class: null passes, anything else must be an instance (TypeError #1034).
Value CoerceToClass(Vm& vm, const Value& v, ClassObject* cls);
struct TypedClass;
// A method's parameter or return value: converted by its coercion, and when its type is
// a class, checked against that class (TypeError #1034).
Value CoerceTyped(Vm& vm, const Value& v, Coercion coercion, const TypedClass& type);
// How a value that fails a coercion is named in the error's message.
std::string CoercedText(Vm& vm, const Value& v);

// An index argument of a String or Array method, clamped to 0..length; NaN is 0,
// undefined is fallback, and with fromEnd a negative index counts from the end.
std::size_t IndexArgument(Vm& vm, const Value& v, std::size_t length, double fallback,
                          bool fromEnd);

ClassObject* ClassOf(Vm& vm, const Value& v);
bool IsType(Vm& vm, const Value& v, const ClassObject* cls);
std::string TypeOf(const Value& v);
std::string ClassName(Vm& vm, const Value& v); // for messages: "Object", "Foo"...
// A class's dotted name as "package::Local", and its local part alone; a vector's
// type parameter stays whole ("__AS3__.vec::Vector.<a.b::C>").
std::string QualifiedClassName(const std::string& dotted);
std::string LocalClassName(const std::string& dotted);

bool StrictEquals(const Value& a, const Value& b);
bool LooseEquals(Vm& vm, const Value& a, const Value& b);
// a < b: 1 true, 0 false, -1 undefined (NaN involved).
int LessThan(Vm& vm, const Value& a, const Value& b);
Value Add(Vm& vm, const Value& a, const Value& b);
Value NumberValue(double d); // an int when the double is an int, but never -0

} // namespace quillon::avm2
