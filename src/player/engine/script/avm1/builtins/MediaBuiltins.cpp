// Key, Mouse, Stage, System and Sound. Sound is silent: it keeps what scripts set
// (volume, pan, transform) and hands calls to the mixer hook once one is attached.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

Value Nothing(Vm&, CallInfo&) {
    return Value();
}

Value False(Vm&, CallInfo&) {
    return Value(false);
}

Value Zero(Vm&, CallInfo&) {
    return Value(0.0);
}

Value SoundCtor(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->define("__volume", Value(100.0), DontEnum);
        o->define("__pan", Value(0.0), DontEnum);
        o->define("__target", c.arg(0), DontEnum);
        (void)vm;
    }
    return c.thisValue;
}

// Sound state lives in hidden properties; a mixer reads them through SoundHook.
Value SoundSet(Vm&, CallInfo& c) {
    Object* o = ThisObject(c);
    if (o) {
        static const char* names[] = {"__volume", "__pan", "__transform"};
        o->define(names[c.callee->magic], c.arg(0), DontEnum);
    }
    return Value();
}

Value SoundGet(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value();
    }
    static const char* names[] = {"__volume", "__pan", "__transform"};
    const Value v = vm.getOf(o, names[c.callee->magic], c.thisValue);
    if (c.callee->magic == 2 && !v.isObject()) {
        Object* t = vm.newObject();
        t->put("ll", Value(100.0));
        t->put("lr", Value(0.0));
        t->put("rr", Value(100.0));
        t->put("rl", Value(0.0));
        return Value(t);
    }
    return v;
}

void InstallSound(Vm& vm) {
    vm.soundProto = vm.newObject();
    vm.newClass(vm.global, "Sound", SoundCtor, vm.soundProto);
    Object* p = vm.soundProto;
    // clang-format off
    vm.methods(p, {
        {"setVolume", SoundSet, 0}, {"setPan", SoundSet, 1}, {"setTransform", SoundSet, 2},
        {"getVolume", SoundGet, 0}, {"getPan", SoundGet, 1}, {"getTransform", SoundGet, 2}});
    // clang-format on
    for (const char* name : {"attachSound", "start", "stop", "loadSound"}) {
        vm.method(p, name, Nothing);
    }
    for (const char* name : {"getBytesLoaded", "getBytesTotal"}) {
        vm.method(p, name, Zero);
    }
}

void InstallKeyAndMouse(Vm& vm) {
    Object* key = Broadcaster(vm, "Key");
    vm.methods(key, {{"isToggled", False}, {"getAscii", Zero}}); // isDown, getCode: Keyboard.cpp
    // clang-format off
    DefineConstants(key, {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
        {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},      {"INSERT", 45},
        {"LEFT", 37},     {"PGDN", 34},     {"PGUP", 33},    {"RIGHT", 39},     {"SHIFT", 16},
        {"SPACE", 32},    {"TAB", 9},       {"UP", 38},      {"ALT", 18}});
    // clang-format on
    Object* mouse = Broadcaster(vm, "Mouse");
    vm.methods(mouse, {{"show", Zero}, {"hide", Zero}});
}

void InstallStageAndSystem(Vm& vm) {
    Object* stage = Broadcaster(vm, "Stage");
    stage->put("scaleMode", Value("showAll"));
    stage->put("align", Value(""));
    stage->put("showMenu", Value(true));
    Object* system = vm.newObject();
    vm.global->define("System", Value(system), DontEnum);
    Object* capabilities = vm.newObject();
    system->put("capabilities", Value(capabilities));
    capabilities->put("version", Value("LNX 10,0,0,0"));
    capabilities->put("os", Value("Linux"));
    capabilities->put("playerType", Value("StandAlone"));
    capabilities->put("hasAudio", Value(true));
    capabilities->put("language", Value("en"));
    capabilities->put("screenResolutionX", Value(1024.0));
    capabilities->put("screenResolutionY", Value(768.0));
    Object* security = vm.newObject();
    system->put("security", Value(security));
    vm.methods(
        security,
        {{"allowDomain", Nothing}, {"allowInsecureDomain", Nothing}, {"loadPolicyFile", Nothing}});
    system->put("useCodepage", Value(false));
}

} // namespace

Object* Broadcaster(Vm& vm, const char* name, Object* holder, std::uint16_t flags) {
    Object* o = vm.newObject();
    (holder ? holder : vm.global)->define(name, Value(o), DontEnum | flags);
    const Value source = vm.get(Value(vm.global), "AsBroadcaster");
    for (const char* method : {"addListener", "removeListener", "broadcastMessage"}) {
        o->define(method, vm.get(source, method), DontEnum);
    }
    o->define("_listeners", Value(vm.newArray()), DontEnum);
    return o;
}

void Vm::setLocalSandbox(bool useNetwork) {
    const Value security = get(get(Value(global), "System"), "security");
    if (security.isObject()) {
        security.o->define("sandboxType", Value(useNetwork ? "localWithNetwork" : "localWithFile"),
                           DontDelete | ReadOnly);
    }
}

void InstallMediaBuiltins(Vm& vm) {
    InstallSound(vm);
    InstallKeyAndMouse(vm);
    InstallSelectionBuiltins(vm);
    InstallStageAndSystem(vm);
    InstallColorBuiltins(vm);
    InstallLoadVarsBuiltins(vm);
    InstallClipLoaderBuiltins(vm);
    InstallXmlBuiltins(vm);
    InstallExternalInterface(vm);
}

void Vm::setStageSize(double width, double height) {
    const Value stage = get(Value(global), "Stage");
    if (stage.isObject()) {
        stage.o->define("width", Value(width), DontDelete | ReadOnly);
        stage.o->define("height", Value(height), DontDelete | ReadOnly);
    }
}

} // namespace quillon::engine::avm1
