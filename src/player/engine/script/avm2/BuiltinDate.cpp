// Date: a time value in milliseconds UTC, read and written field by field in local
// time or UTC, through methods and (as AS3 adds) properties.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/DateMath.h"
#include "player/engine/script/avm2/DateText.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace quillon::avm2 {
namespace {

using namespace date;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class DateObject : public Object {
public:
    double time = kNaN;
};

DateObject* DateOf(Vm& vm, const Value& self) {
    auto* d = self.isObject() ? dynamic_cast<DateObject*>(self.asObject()) : nullptr;
    if (!d) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) + " to Date.");
    }
    return d;
}

Object* Allocate(Vm& vm) {
    return vm.make<DateObject>();
}

// new Date(y, m, d...) and Date.UTC: fields from the arguments, a two-digit year in
// the 1900s.
double FromFields(Vm& vm, std::span<const Value> args) {
    Fields f = {kNaN, 0, 1, 0, 0, 0, 0};
    for (std::size_t i = 0; i < args.size() && i < FieldCount; ++i) {
        f[i] = ToNumber(vm, args[i]);
    }
    if (std::isfinite(f[Year]) && std::trunc(f[Year]) >= 0 && std::trunc(f[Year]) <= 99) {
        f[Year] = 1900 + std::trunc(f[Year]);
    }
    return Compose(f);
}

double FromValue(Vm& vm, const Value& v) {
    if (v.isObject()) {
        if (auto* d = dynamic_cast<DateObject*>(v.asObject())) {
            return d->time;
        }
    }
    // Only a string argument is read as text; an object's valueOf gives a number or NaN.
    return v.isString() ? Parse(v.asString()) : TimeClip(ToNumber(vm, v));
}

Value Init(Vm& vm, const Value& self, std::span<const Value> args) {
    DateObject* d = DateOf(vm, self);
    if (args.empty()) {
        d->time = TimeClip(vm.dateMs);
    } else if (args.size() == 1) {
        d->time = FromValue(vm, args[0]);
    } else {
        d->time = TimeClip(ToUtc(FromFields(vm, args)));
    }
    return Value();
}

Value CallAsFunction(Vm& vm, const Value&, std::span<const Value>) {
    return Value::string(Format(TimeClip(vm.dateMs), Style::Full));
}
Value Utc(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(TimeClip(FromFields(vm, args)));
}
Value ParseText(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(Parse(ToString(vm, Arg(args, 0))));
}

template <Field F, bool IsUtc> Value GetField(Vm& vm, const Value& self, std::span<const Value>) {
    const double t = DateOf(vm, self)->time;
    return Value::number(std::isnan(t) ? kNaN : Split(IsUtc ? t : ToLocal(t))[F]);
}

// setHours(h, m, s, ms) and the like: the fields from F to the end of its group (the
// date or the time of day), as many as given.
template <Field F, bool IsUtc>
Value SetField(Vm& vm, const Value& self, std::span<const Value> args) {
    DateObject* d = DateOf(vm, self);
    double t = d->time;
    if (std::isnan(t)) {
        if (F != Year) {
            return Value::number(kNaN);
        }
        t = 0;
    }
    Fields f = Split(IsUtc ? t : ToLocal(t));
    const std::size_t last = F <= Day ? Day : Millis;
    const std::size_t count = std::clamp<std::size_t>(args.size(), 1, last - F + 1);
    for (std::size_t i = 0; i < count; ++i) {
        f[F + i] = ToNumber(vm, Arg(args, i));
    }
    const double composed = Compose(f);
    d->time = TimeClip(IsUtc ? composed : ToUtc(composed));
    return Value::number(d->time);
}

template <bool IsUtc> Value WeekDayOf(Vm& vm, const Value& self, std::span<const Value>) {
    const double t = DateOf(vm, self)->time;
    return Value::number(std::isnan(t) ? kNaN : WeekDay(IsUtc ? t : ToLocal(t)));
}
Value Time(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::number(DateOf(vm, self)->time);
}
Value SetTime(Vm& vm, const Value& self, std::span<const Value> args) {
    DateObject* d = DateOf(vm, self);
    d->time = TimeClip(ToNumber(vm, Arg(args, 0)));
    return Value::number(d->time);
}
Value TimezoneOffset(Vm& vm, const Value& self, std::span<const Value>) {
    const double t = DateOf(vm, self)->time;
    return Value::number(std::isnan(t) ? kNaN : -LocalOffset(t) / 60000);
}
template <Style S> Value Text(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(Format(DateOf(vm, self)->time, S));
}

constexpr std::pair<const char*, const char*> kFieldNames[] = {{"FullYear", "fullYear"},
                                                               {"Month", "month"},
                                                               {"Date", "date"},
                                                               {"Hours", "hours"},
                                                               {"Minutes", "minutes"},
                                                               {"Seconds", "seconds"},
                                                               {"Milliseconds", "milliseconds"}};

template <Field F, bool IsUtc> void AddField(NativeClass& c) {
    const std::string utc = IsUtc ? "UTC" : "";
    const auto& [method, property] = kFieldNames[F];
    c.method("get" + utc + method, GetField<F, IsUtc>)
        .method("set" + utc + method, SetField<F, IsUtc>)
        .getter(property + utc, GetField<F, IsUtc>)
        .setter(property + utc, SetField<F, IsUtc>);
}

template <std::size_t... F> void AddFields(NativeClass& c, std::index_sequence<F...>) {
    (AddField<static_cast<Field>(F), false>(c), ...);
    (AddField<static_cast<Field>(F), true>(c), ...);
}

} // namespace

void InstallDateClass(Vm& vm) {
    NativeClass c(vm, "Date", vm.core.object);
    c.alloc(Allocate).init(Init).call(CallAsFunction);
    c.staticMethod("UTC", Utc).staticMethod("parse", ParseText);
    AddFields(c, std::make_index_sequence<FieldCount>());
    // clang-format off
    c.methods({
        {"getTime", Time}, {"valueOf", Time}, {"setTime", SetTime},
        {"getDay", WeekDayOf<false>}, {"getUTCDay", WeekDayOf<true>},
        {"getTimezoneOffset", TimezoneOffset}, {"toString", Text<Style::Full>},
        {"toDateString", Text<Style::DateOnly>}, {"toTimeString", Text<Style::TimeOnly>},
        {"toLocaleString", Text<Style::Locale>}, {"toLocaleDateString", Text<Style::LocaleDate>},
        {"toLocaleTimeString", Text<Style::LocaleTime>}, {"toUTCString", Text<Style::Utc>}});
    c.getters({
        {"time", Time}, {"day", WeekDayOf<false>}, {"dayUTC", WeekDayOf<true>},
        {"timezoneOffset", TimezoneOffset}});
    // clang-format on
    c.setter("time", SetTime);
    c.get()->stringHint = true;
    ExposeOnPrototype(vm, c.get());
}

} // namespace quillon::avm2
