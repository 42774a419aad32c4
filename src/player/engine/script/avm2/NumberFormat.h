#pragma once
// Numbers to text as the player prints them.

#include <string>

namespace quillon::avm2 {

std::string NumberToString(double d);                // shortest round trip, 1e+21 style
std::string NumberToRadix(double d, int radix);      // toString(radix), 2..36
std::string NumberToFixed(double d, int digits);     // 0..20
std::string NumberToPrecision(double d, int digits); // 1..21
std::string NumberToExponential(double d, int digits);

} // namespace quillon::avm2
