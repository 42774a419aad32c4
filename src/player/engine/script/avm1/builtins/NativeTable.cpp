// The numbered table of native functions: ASnative(category, index) hands one out, and
// ASSetNative and ASSetNativeAccessor put a run of them on an object by name.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <limits>
#include <string_view>

namespace quillon::engine::avm1 {

namespace {

// A run of numbered functions: category, the index of the first, where the built-ins keep
// them (a global, or a global's prototype) and their names there in index order.
struct NativeRun {
    int category;
    int first;
    const char* holder;
    const char* names;
};

constexpr NativeRun NativeRuns[] = {
    {100, 0, "", "escape,unescape,parseInt,parseFloat,,updateAfterEvent"},
    {101, 0, "Object.prototype",
     "watch,unwatch,addProperty,valueOf,toString,hasOwnProperty,isPrototypeOf,"
     "isPropertyEnumerable"},
    {103, 0, "Date.prototype",
     "getFullYear,getYear,getMonth,getDate,getDay,getHours,getMinutes,getSeconds,"
     "getMilliseconds,setFullYear,setMonth,setDate,setHours,setMinutes,setSeconds,"
     "setMilliseconds,getTime,setTime,getTimezoneOffset,toString,setYear"},
    {103, 128, "Date.prototype",
     "getUTCFullYear,getUTCYear,getUTCMonth,getUTCDate,getUTCDay,getUTCHours,getUTCMinutes,"
     "getUTCSeconds,getUTCMilliseconds,setUTCFullYear,setUTCMonth,setUTCDate,setUTCHours,"
     "setUTCMinutes,setUTCSeconds,setUTCMilliseconds"},
    {103, 256, "", "Date"},
    {103, 257, "Date", "UTC"},
    {106, 0, "Number.prototype", "valueOf,toString"},
    {106, 2, "", "Number"},
    {107, 0, "Boolean.prototype", "valueOf,toString"},
    {107, 2, "", "Boolean"},
    {200, 0, "Math",
     "abs,min,max,sin,cos,atan2,tan,exp,log,sqrt,round,random,floor,ceil,atan,asin,acos,pow"},
    {200, 18, "", "isNaN,isFinite"},
    {251, 0, "", "String"},
    {251, 1, "String.prototype",
     "valueOf,toString,toUpperCase,toLowerCase,charAt,charCodeAt,concat,indexOf,lastIndexOf,"
     "slice,substring,split,substr"},
    {251, 14, "String", "fromCharCode"},
    {252, 0, "", "Array"},
    {252, 1, "Array.prototype",
     "push,pop,concat,shift,unshift,slice,join,splice,toString,sort,reverse,sortOn"},
    {901, 0, "MovieClip.prototype",
     "createEmptyMovieClip,beginFill,beginGradientFill,moveTo,lineTo,curveTo,lineStyle,endFill,"
     "clear"},
};

// trace as a function: the trace action's text, a line of the log.
constexpr int TraceCategory = 100, TraceIndex = 4;
// Whether the script function running was called by `new`: natives it calls (a getter, a
// valueOf) answer for it.
constexpr int NewCategory = 2, NewIndex = 0;

Value CalledByNew(Vm& vm, CallInfo&) {
    return Value(!vm.constructing.empty() && vm.constructing.back());
}

std::uint64_t NativeKey(std::int32_t category, std::int32_t index) {
    return (std::uint64_t{static_cast<std::uint32_t>(category)} << 32) |
           static_cast<std::uint32_t>(index);
}

// Calls fn on each part of list between separators, empty ones too.
template <typename Fn> void ForEachPart(std::string_view list, Fn&& fn, char separator = ',') {
    while (true) {
        const std::size_t comma = list.find(separator);
        fn(list.substr(0, comma));
        if (comma == std::string_view::npos) {
            return;
        }
        list.remove_prefix(comma + 1);
    }
}

Object* FindHolder(Vm& vm, std::string_view path) {
    Object* holder = vm.global;
    ForEachPart(
        path,
        [&](std::string_view part) {
            if (!part.empty() && holder) {
                const Property* p = holder->findAny(part);
                holder = p && p->value.isObject() ? p->value.o : nullptr;
            }
        },
        '.');
    return holder;
}

Value NativeTrace(Vm& vm, CallInfo& c) {
    vm.trace(c.arg(0));
    return Value();
}

// Math's numbers past its functions: the arguments convert as for any of them, and the
// answer is NaN.
constexpr int MathCategory = 200;
Value MathGap(Vm& vm, CallInfo& c) {
    for (std::size_t i = 0; i < c.args.size() && i < 2; ++i) {
        vm.toNumber(c.args[i]);
    }
    return Value(std::numeric_limits<double>::quiet_NaN());
}

// A fresh function object for an entry of the table, or undefined for a gap.
Value NativeFunction(Vm& vm, std::int32_t category, std::int32_t index) {
    const auto it = vm.nativeTable.find(NativeKey(category, index));
    if (it == vm.nativeTable.end()) {
        return category == MathCategory && index >= 0 ? Value(vm.newNative(MathGap)) : Value();
    }
    return Value(vm.newNative(it->second.fn, it->second.magic));
}

Value AsNative(Vm& vm, CallInfo& c) {
    if (c.args.size() != 2) {
        return Value();
    }
    return NativeFunction(vm, ToInt32(vm.toNumber(c.args[0])), ToInt32(vm.toNumber(c.args[1])));
}

// A name's leading version ("6name" .. "9name", "10name") as the flag that hides it from
// older movies; a lone leading "1" is dropped and hides nothing.
std::uint16_t TakeVersion(std::string_view& name) {
    constexpr std::uint16_t SixToNine[] = {FromVersion6, FromVersion7, FromVersion8, FromVersion9};
    if (name.empty()) {
        return 0;
    }
    if (name[0] >= '6' && name[0] <= '9') {
        const std::uint16_t flag = SixToNine[name[0] - '6'];
        name.remove_prefix(1);
        return flag;
    }
    if (name[0] == '1') {
        name.remove_prefix(1);
        if (!name.empty() && name[0] == '0') {
            name.remove_prefix(1);
            return FromVersion10;
        }
    }
    return 0;
}

// The run ASSetNative and ASSetNativeAccessor take: (object, category, "a,b,c"[, first]),
// each name put on the object with its version flag and number; a name takes step numbers,
// an empty one too.
template <typename Put> Value EachNamedNative(Vm& vm, CallInfo& c, int step, Put&& put) {
    if (c.args.size() < 3 || !c.args[0].isObject()) {
        return Value();
    }
    Object* o = c.args[0].o;
    const std::int32_t category = ToInt32(vm.toNumber(c.args[1]));
    std::int32_t index = c.args.size() > 3 ? ToInt32(vm.toNumber(c.args[3])) : 0;
    const std::string list = vm.toString(c.args[2]);
    ForEachPart(list, [&](std::string_view name) {
        const std::uint16_t flags = TakeVersion(name);
        if (!name.empty()) {
            put(o, name, flags, category, index);
        }
        index += step;
    });
    return Value();
}

// object.a = ASnative(category, first) and on; a property already there keeps its flags.
Value AsSetNative(Vm& vm, CallInfo& c) {
    return EachNamedNative(vm, c, 1,
                           [&vm](Object* o, std::string_view name, std::uint16_t flags,
                                 std::int32_t category, std::int32_t index) {
                               const Value fn = NativeFunction(vm, category, index);
                               if (Property* p = o->findAny(name)) {
                                   p->value = fn;
                                   p->getter = p->setter = nullptr;
                               } else {
                                   o->define(name, fn, flags);
                               }
                           });
}

// Each name a property read by ASnative(category, n) and written by n + 1, replacing what
// was there.
Value AsSetNativeAccessor(Vm& vm, CallInfo& c) {
    if (c.args.empty()) {
        return Value(c.callee);
    }
    return EachNamedNative(vm, c, 2,
                           [&vm](Object* o, std::string_view name, std::uint16_t flags,
                                 std::int32_t category, std::int32_t index) {
                               const Value getter = NativeFunction(vm, category, index);
                               const Value setter = NativeFunction(vm, category, index + 1);
                               Property* p = o->findAny(name);
                               if (!p) {
                                   o->define(name, Value(), flags);
                                   p = o->findAny(name);
                               }
                               p->value = Value();
                               p->flags = flags;
                               p->getter = getter.isObject() ? getter.o : nullptr;
                               p->setter = setter.isObject() ? setter.o : nullptr;
                           });
}

} // namespace

void InstallNativeTable(Vm& vm) {
    for (const NativeRun& run : NativeRuns) {
        Object* holder = FindHolder(vm, run.holder);
        int index = run.first;
        ForEachPart(run.names, [&](std::string_view name) {
            const Property* p = holder && !name.empty() ? holder->findAny(name) : nullptr;
            if (p && p->value.isObject() && p->value.o->native) {
                vm.nativeTable[NativeKey(run.category, index)] = {p->value.o->native,
                                                                  p->value.o->magic};
            }
            ++index;
        });
    }
    vm.nativeTable[NativeKey(TraceCategory, TraceIndex)] = {NativeTrace, 0};
    vm.nativeTable[NativeKey(NewCategory, NewIndex)] = {CalledByNew, 0};
    vm.global->define("ASnative", Value(vm.newNative(AsNative)), DontEnum);
    vm.global->define("ASSetNative", Value(vm.newNative(AsSetNative)), DontEnum);
    vm.global->define("ASSetNativeAccessor", Value(vm.newNative(AsSetNativeAccessor)), DontEnum);
}

} // namespace quillon::engine::avm1
