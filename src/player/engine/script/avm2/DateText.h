#pragma once
// Date's text forms, as the player writes and reads them.

#include <string>
#include <string_view>

namespace quillon::avm2::date {

enum class Style { Full, DateOnly, TimeOnly, Locale, LocaleDate, LocaleTime, Utc };

// "Sat Feb 3 04:05:06 GMT+0545 2001" and its kin; "Invalid Date" for NaN.
std::string Format(double t, Style style);
// Date.parse: the forms Format writes and the loose forms the player accepts
// ("Apr/03/1988 15:30:17", "Sat Apr 30 77 GMT-0700"); NaN when it cannot read it.
double Parse(std::string_view text);

} // namespace quillon::avm2::date
