#pragma once
// The calendar arithmetic of Date: time values are milliseconds since 1970 UTC, split
// into fields and put back together by the language's own rules (any field may run
// past its range and carries into the next), with the local zone taken from the C
// library so that scripts and their expectations agree on the machine's zone.

#include <array>

namespace quillon::avm2::date {

constexpr double kMsPerDay = 86400000.0;
constexpr double kMaxTime = 8.64e15;

// The fields of a time value, in the order the setters take them.
enum Field { Year, Month, Day, Hours, Minutes, Seconds, Millis, FieldCount };
using Fields = std::array<double, FieldCount>;

Fields Split(double t);        // t must be finite
double WeekDay(double t);      // 0 is Sunday
double Compose(const Fields&); // NaN when a field is not finite
double TimeClip(double t);     // NaN outside +-8.64e15, else an integer

// The local zone's offset from UTC at the UTC time t, in milliseconds (east positive).
double LocalOffset(double utc);
double ToLocal(double utc);
double ToUtc(double local);

} // namespace quillon::avm2::date
