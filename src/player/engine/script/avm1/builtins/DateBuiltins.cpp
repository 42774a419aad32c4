// Date, in UTC (the headless runs fix the time zone as they fix the clock).

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon::engine::avm1 {

namespace {

constexpr double MsPerDay = 86400000.0;

double DaysFromCivil(double y, double m, double d) {
    // m is 0-based and may run past 11; fold it into the year first
    y += std::floor(m / 12);
    m = std::fmod(m, 12);
    if (m < 0) {
        m += 12;
    }
    const double yy = m < 2 ? y - 1 : y;
    const double era = std::floor(yy / 400);
    const double yoe = yy - era * 400;
    const double mp = std::fmod(m + 9, 12);
    const double doy = std::floor((153 * mp + 2) / 5) + d - 1;
    const double doe = yoe * 365 + std::floor(yoe / 4) - std::floor(yoe / 100) + doy;
    return era * 146097 + doe - 719468;
}

struct Parts {
    double year, month, day, hours, minutes, seconds, ms, weekday;
};

Parts Split(double t) {
    const double days = std::floor(t / MsPerDay);
    double rest = t - days * MsPerDay;
    const double z = days + 719468;
    const double era = std::floor(z / 146097);
    const double doe = z - era * 146097;
    const double yoe = std::floor(
        (doe - std::floor(doe / 1460) + std::floor(doe / 36524) - std::floor(doe / 146096)) / 365);
    const double doy = doe - (365 * yoe + std::floor(yoe / 4) - std::floor(yoe / 100));
    const double mp = std::floor((5 * doy + 2) / 153);
    const double d = doy - std::floor((153 * mp + 2) / 5) + 1;
    const double m = mp < 10 ? mp + 3 : mp - 9;
    const double y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    Parts p{};
    p.year = y;
    p.month = m - 1;
    p.day = d;
    p.hours = std::floor(rest / 3600000);
    rest -= p.hours * 3600000;
    p.minutes = std::floor(rest / 60000);
    rest -= p.minutes * 60000;
    p.seconds = std::floor(rest / 1000);
    p.ms = rest - p.seconds * 1000;
    p.weekday = std::fmod(std::fmod(days + 4, 7) + 7, 7);
    return p;
}

double Make(const Parts& p) {
    return DaysFromCivil(p.year, p.month, p.day) * MsPerDay + p.hours * 3600000 +
           p.minutes * 60000 + p.seconds * 1000 + p.ms;
}

double TimeOf(CallInfo& c) {
    Object* o = ThisObject(c);
    return o && o->kind == Kind::Date ? o->primitive.n : std::nan("");
}

double FromArgs(Vm& vm, CallInfo& c) {
    Parts p{};
    double* fields[] = {&p.year, &p.month, &p.day, &p.hours, &p.minutes, &p.seconds, &p.ms};
    p.day = 1;
    for (std::size_t i = 0; i < 7 && i < c.args.size(); ++i) {
        *fields[i] = vm.toNumber(c.args[i]);
    }
    if (p.year >= 0 && p.year < 100) {
        p.year += 1900;
    }
    return Make(p);
}

Value DateCtor(Vm& vm, CallInfo& c) {
    if (!c.construct) {
        Object* d = vm.newObject(vm.dateProto);
        d->kind = Kind::Date;
        d->primitive = Value(vm.dateMs);
        return Value(vm.toStr(Value(d)));
    }
    Object* o = ThisObject(c);
    o->kind = Kind::Date;
    o->className = "Date";
    double t = vm.dateMs;
    if (c.args.size() == 1) {
        t = vm.toNumber(c.args[0]);
    } else if (c.args.size() > 1) {
        t = FromArgs(vm, c);
    }
    o->primitive = Value(t);
    return c.thisValue;
}

Value DateUtc(Vm& vm, CallInfo& c) {
    return Value(FromArgs(vm, c));
}

Value DateGet(Vm&, CallInfo& c) {
    const double t = TimeOf(c);
    if (!(std::fabs(t) <= 8.64e15)) {
        return Value(std::nan(""));
    }
    const Parts p = Split(t);
    // by magic: the time, the parts, and last the time zone offset (UTC here)
    const double fields[] = {t,       p.year,    p.year - 1900, p.month, p.day, p.weekday,
                             p.hours, p.minutes, p.seconds,     p.ms,    0.0};
    return Value(fields[std::clamp(c.callee->magic, 0, 10)]);
}

Value DateSet(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o || o->kind != Kind::Date) {
        return Value();
    }
    if (c.callee->magic == 0) {
        o->primitive = Value(vm.toNumber(c.arg(0)));
        return o->primitive;
    }
    Parts p = Split(std::isnan(o->primitive.n) ? 0 : o->primitive.n);
    double* order[] = {&p.year, &p.month, &p.day, &p.hours, &p.minutes, &p.seconds, &p.ms};
    const int first = c.callee->magic - 1; // index into order
    const int counts[] = {3, 2, 1, 4, 3, 2, 1};
    for (int i = 0; i < counts[first] && static_cast<std::size_t>(i) < c.args.size(); ++i) {
        *order[first + i] = vm.toNumber(c.args[static_cast<std::size_t>(i)]);
    }
    o->primitive = Value(Make(p));
    return o->primitive;
}

Value DateToString(Vm&, CallInfo& c) {
    const double t = TimeOf(c);
    if (!(std::fabs(t) <= 8.64e15)) {
        return Value("Invalid Date");
    }
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const Parts p = Split(t);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s %s %d %02d:%02d:%02d GMT+0000 %d",
                  days[static_cast<int>(p.weekday)], months[static_cast<int>(p.month)],
                  static_cast<int>(p.day), static_cast<int>(p.hours), static_cast<int>(p.minutes),
                  static_cast<int>(p.seconds), static_cast<int>(p.year));
    return Value(std::string(buffer));
}

Value DateValueOf(Vm&, CallInfo& c) {
    return Value(TimeOf(c));
}

} // namespace

void InstallDateBuiltins(Vm& vm) {
    vm.dateProto = vm.defineClass("Date", DateCtor, {}, {{"UTC", DateUtc}});
    Object* p = vm.dateProto;
    const char* getters[] = {"getTime",    "getFullYear",     "getYear",          "getMonth",
                             "getDate",    "getDay",          "getHours",         "getMinutes",
                             "getSeconds", "getMilliseconds", "getTimezoneOffset"};
    for (int i = 0; i < 11; ++i) {
        vm.method(p, getters[i], DateGet, i);
        std::string name = getters[i];
        if (i >= 1 && i != 2 && i != 10) {
            vm.method(p, ("getUTC" + name.substr(3)).c_str(), DateGet, i);
        }
    }
    const char* setters[] = {"setTime",  "setFullYear", "setMonth",   "setDate",
                             "setHours", "setMinutes",  "setSeconds", "setMilliseconds"};
    for (int i = 0; i < 8; ++i) {
        vm.method(p, setters[i], DateSet, i);
        if (i >= 1) {
            vm.method(p, ("setUTC" + std::string(setters[i]).substr(3)).c_str(), DateSet, i);
        }
    }
    vm.methods(p, {{"setYear", DateSet, 1}, {"toString", DateToString}, {"valueOf", DateValueOf}});
}

} // namespace quillon::engine::avm1
