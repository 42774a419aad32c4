#include "player/engine/script/avm2/DateText.h"

#include "player/engine/script/avm2/DateMath.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace quillon::avm2::date {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Printf(const char* format, auto... args) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

int I(double d) {
    return static_cast<int>(d);
}

std::string DayText(double t, const Fields& f) {
    return Printf("%s %s %d", kDays[I(WeekDay(t))], kMonths[I(f[Month])], I(f[Day]));
}

std::string Clock(const Fields& f) {
    return Printf("%02d:%02d:%02d", I(f[Hours]), I(f[Minutes]), I(f[Seconds]));
}

std::string Clock12(const Fields& f) {
    const int h = I(f[Hours]) % 12;
    return Printf("%d:%02d:%02d %s", h == 0 ? 12 : h, I(f[Minutes]), I(f[Seconds]),
                  f[Hours] < 12 ? "AM" : "PM");
}

std::string Zone(double utc) {
    const int minutes = I(LocalOffset(utc) / 60000);
    const int a = std::abs(minutes);
    return Printf("GMT%c%02d%02d", minutes < 0 ? '-' : '+', a / 60, a % 60);
}

} // namespace

std::string Format(double t, Style style) {
    if (!std::isfinite(t)) {
        return "Invalid Date";
    }
    if (style == Style::Utc) {
        const Fields f = Split(t);
        return DayText(t, f) + " " + Clock(f) + Printf(" %.0f UTC", f[Year]);
    }
    const double local = ToLocal(t);
    const Fields f = Split(local);
    const std::string year = Printf("%.0f", f[Year]);
    switch (style) {
    case Style::DateOnly:
    case Style::LocaleDate:
        return DayText(local, f) + " " + year;
    case Style::TimeOnly:
        return Clock(f) + " " + Zone(t);
    case Style::Locale:
        return DayText(local, f) + " " + year + " " + Clock12(f);
    case Style::LocaleTime:
        return Clock12(f);
    default:
        return DayText(local, f) + " " + Clock(f) + " " + Zone(t) + " " + year;
    }
}

} // namespace quillon::avm2::date
