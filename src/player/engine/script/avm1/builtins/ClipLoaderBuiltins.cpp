// MovieClipLoader: loads a movie into a clip or a level and tells its listeners how it
// went (onLoadStart, onLoadProgress, onLoadComplete, onLoadInit, onLoadError).

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cmath>

namespace quillon::engine::avm1 {

namespace {

// What a loader's target argument names: a clip, a level's number, or a target path;
// undefined when it names nothing.
Value LoaderTarget(Vm& vm, const Value& target) {
    if (vm.clipOf(target)) {
        return target;
    }
    if (target.isNumber()) {
        const double level = std::floor(target.n);
        return level >= 0 && level <= 1024 ? Value(level) : Value();
    }
    if (!target.isString()) {
        return Value();
    }
    const std::string path = vm.toString(target);
    if (const int level = LevelNumber(path); level >= 0) {
        return Value(static_cast<double>(level));
    }
    const Value found = vm.resolvePath(path, vm.host().root());
    return vm.clipOf(found) ? found : Value();
}

// The clip a target names now (a level that holds nothing names none).
ClipId TargetClip(Vm& vm, const Value& target) {
    return target.isNumber() ? vm.host().level(static_cast<int>(target.n)) : vm.clipOf(target);
}

Value LoaderCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->define("_listeners", Value(vm.newArray({c.thisValue})), DontEnum);
    }
    return c.thisValue;
}

Value LoadClip(Vm& vm, CallInfo& c) {
    const Value target = LoaderTarget(vm, c.arg(1));
    if (c.args.size() < 2 || target.isUndefined()) {
        return Value(false);
    }
    return Value(vm.queueLoad(target, vm.toString(c.arg(0)), Vm::Load::Clip, c.thisValue));
}

Value UnloadClip(Vm& vm, CallInfo& c) {
    const Value target = LoaderTarget(vm, c.arg(0));
    if (TargetClip(vm, target) == 0) {
        return Value(false);
    }
    if (target.isNumber()) {
        vm.host().loadLevel(static_cast<int>(target.n), std::string());
    } else {
        vm.host().loadMovie(vm.clipOf(target), std::string());
    }
    return Value(true);
}

// {bytesLoaded, bytesTotal} of the movie in a clip or level, the bytes of its file as
// they came: everything arrives at once.
Value GetProgress(Vm& vm, CallInfo& c) {
    const Value arg = c.arg(0);
    if (!arg.isNumber() && !arg.isString() && !vm.clipOf(arg)) {
        return Value();
    }
    const ClipId clip = TargetClip(vm, LoaderTarget(vm, arg));
    Object* progress = vm.newObject();
    const Value bytes =
        clip ? Value(static_cast<double>(vm.host().movieFacts(clip).fileBytes)) : Value();
    progress->put("bytesLoaded", bytes);
    progress->put("bytesTotal", bytes);
    return Value(progress);
}

} // namespace

void InstallClipLoaderBuiltins(Vm& vm) {
    Object* proto = vm.defineClass(
        "MovieClipLoader", LoaderCtor,
        {{"loadClip", LoadClip}, {"unloadClip", UnloadClip}, {"getProgress", GetProgress}});
    const Value broadcaster = vm.get(Value(vm.global), "AsBroadcaster");
    for (const char* method : {"addListener", "removeListener", "broadcastMessage"}) {
        proto->define(method, vm.get(broadcaster, method), DontEnum);
    }
}

} // namespace quillon::engine::avm1
