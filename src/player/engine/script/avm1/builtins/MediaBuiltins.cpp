// Key, Mouse, Stage and System, and the other media classes installed in turn.

#include "player/engine/script/avm1/builtins/Helpers.h"
#include "player/engine/script/common/PlayerFacts.h"

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

// Stage.align keeps the edges named by the letters L, T, R and B (any case, anywhere in
// the text), written back in that order.
Value SetAlign(Vm& vm, CallInfo& c) {
    if (Object* stage = ThisObject(c)) {
        std::string edges;
        const std::string text = FoldCase(vm.toString(c.arg(0)));
        for (const char edge : {'l', 't', 'r', 'b'}) {
            if (text.find(edge) != std::string::npos) {
                edges.push_back(static_cast<char>(edge - 'a' + 'A'));
            }
        }
        stage->define("__align", Value(edges), DontEnum);
    }
    return Value();
}

constexpr const char* ScaleModes[] = {"showAll", "exactFit", "noBorder", "noScale"};

// Stage.scaleMode takes one of the modes in any case; anything else is showAll.
Value SetScaleMode(Vm& vm, CallInfo& c) {
    if (Object* stage = ThisObject(c)) {
        const std::string text = vm.toString(c.arg(0));
        const char* mode = ScaleModes[0];
        for (const char* known : ScaleModes) {
            if (EqualsIgnoringCase(text, known)) {
                mode = known;
            }
        }
        stage->define("__scaleMode", Value(mode), DontEnum);
    }
    return Value();
}

Value GetStageSetting(Vm&, CallInfo& c) {
    Object* stage = ThisObject(c);
    if (!stage) {
        return Value();
    }
    const Property* kept = stage->findAny(c.callee->magic == 0 ? "__align" : "__scaleMode");
    return kept ? kept->value : Value(c.callee->magic == 0 ? "" : ScaleModes[0]);
}

void InstallStageAndSystem(Vm& vm) {
    Object* stage = Broadcaster(vm, "Stage");
    Accessor(vm, stage, "scaleMode", GetStageSetting, SetScaleMode, 1);
    Accessor(vm, stage, "align", GetStageSetting, SetAlign, 0);
    stage->put("showMenu", Value(true));
    Object* system = vm.newObject();
    vm.global->define("System", Value(system), DontEnum);
    Object* capabilities = vm.newObject();
    system->put("capabilities", Value(capabilities));
    capabilities->put("version", Value(player_facts::Version));
    capabilities->put("os", Value(player_facts::Os));
    capabilities->put("playerType", Value(player_facts::PlayerType));
    capabilities->put("hasAudio", Value(true));
    capabilities->put("language", Value(player_facts::Language));
    capabilities->put("screenResolutionX", Value(player_facts::ScreenWidth));
    capabilities->put("screenResolutionY", Value(player_facts::ScreenHeight));
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
    InstallSoundBuiltins(vm);
    InstallPrintJobBuiltins(vm);
    InstallLocalConnectionBuiltins(vm);
    InstallKeyAndMouse(vm);
    InstallSelectionBuiltins(vm);
    InstallStageAndSystem(vm);
    InstallColorBuiltins(vm);
    InstallLoadVarsBuiltins(vm);
    InstallClipLoaderBuiltins(vm);
    InstallXmlBuiltins(vm);
    InstallExternalInterface(vm);
    InstallMenuBuiltins(vm);
    InstallFileBuiltins(vm);
}

void Vm::setStageSize(double width, double height) {
    const Value stage = get(Value(global), "Stage");
    if (stage.isObject()) {
        stage.o->define("width", Value(width), DontDelete | ReadOnly);
        stage.o->define("height", Value(height), DontDelete | ReadOnly);
    }
}

} // namespace quillon::engine::avm1
