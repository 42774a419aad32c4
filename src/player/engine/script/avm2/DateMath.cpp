#include "player/engine/script/avm2/DateMath.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace quillon::avm2::date {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMsPerHour = 3600000, kMsPerMinute = 60000, kMsPerSecond = 1000;

double Modulo(double a, double b) {
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

double DayFromYear(double y) {
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) +
           std::floor((y - 1601) / 400);
}

bool IsLeap(double y) {
    return Modulo(y, 4) == 0 && (Modulo(y, 100) != 0 || Modulo(y, 400) == 0);
}

// Days before the first of each month, in a common year.
constexpr int kMonthStart[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

double MonthStart(int month, bool leap) {
    return kMonthStart[month] + (leap && month >= 2 ? 1 : 0);
}

double YearFromDay(double day) {
    double y = std::floor(day / 365.2425) + 1970;
    while (DayFromYear(y) > day) {
        --y;
    }
    while (DayFromYear(y + 1) <= day) {
        ++y;
    }
    return y;
}

double MakeDay(double year, double month, double date) {
    const double y = std::trunc(year) + std::floor(std::trunc(month) / 12);
    const int m = static_cast<int>(Modulo(std::trunc(month), 12));
    if (std::fabs(y) > 400000) {
        return kNaN; // far outside the range a time value can hold
    }
    return DayFromYear(y) + MonthStart(m, IsLeap(y)) + std::trunc(date) - 1;
}

} // namespace

Fields Split(double t) {
    const double day = std::floor(t / kMsPerDay);
    const double year = YearFromDay(day);
    const double inYear = day - DayFromYear(year);
    const bool leap = IsLeap(year);
    int month = 0;
    while (month < 11 && inYear >= MonthStart(month + 1, leap)) {
        ++month;
    }
    const double ms = Modulo(t, kMsPerDay);
    return {year,
            static_cast<double>(month),
            inYear - MonthStart(month, leap) + 1,
            std::floor(ms / kMsPerHour),
            Modulo(std::floor(ms / kMsPerMinute), 60),
            Modulo(std::floor(ms / kMsPerSecond), 60),
            Modulo(ms, 1000)};
}

double WeekDay(double t) {
    return Modulo(std::floor(t / kMsPerDay) + 4, 7);
}

double Compose(const Fields& f) {
    for (double v : f) {
        if (!std::isfinite(v)) {
            return kNaN;
        }
    }
    const double time = std::trunc(f[Hours]) * kMsPerHour + std::trunc(f[Minutes]) * kMsPerMinute +
                        std::trunc(f[Seconds]) * kMsPerSecond + std::trunc(f[Millis]);
    return MakeDay(f[Year], f[Month], f[Day]) * kMsPerDay + time;
}

double TimeClip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > kMaxTime) {
        return kNaN;
    }
    return std::trunc(t) + 0.0; // never -0
}

double LocalOffset(double utc) {
    if (!std::isfinite(utc)) {
        return 0;
    }
    const auto seconds = static_cast<std::time_t>(std::floor(utc / 1000));
    std::tm parts{};
    if (!localtime_r(&seconds, &parts)) {
        return 0;
    }
    return static_cast<double>(parts.tm_gmtoff) * 1000;
}

double ToLocal(double utc) {
    return utc + LocalOffset(utc);
}

double ToUtc(double local) {
    return local - LocalOffset(local - LocalOffset(local));
}

} // namespace quillon::avm2::date
