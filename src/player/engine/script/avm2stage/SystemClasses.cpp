// flash.system: System, Capabilities, Security, SecurityDomain, IME and LoaderContext. A
// preview keeps the machine to itself: memory figures are fixed, the clipboard is never
// written, exit and the garbage collector's calls do nothing, and the capabilities are
// those of a common screen, as the other interpreter reports them.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/common/PlayerFacts.h"

#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// The memory a movie is told it uses, in bytes.
constexpr double ReportedMemory = 64.0 * 1024 * 1024;

Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return Value();
}
template <bool B> Value Flag(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(B);
}
Value Memory(Vm&, const Value&, std::span<const Value>) {
    return Value::number(ReportedMemory);
}

Value SetClipboard(Vm& vm, const Value&, std::span<const Value> args) {
    if (Arg(args, 0).isNullish()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter text must be non-null.");
    }
    return Value();
}

Value SandboxType(Vm& vm, const Value&, std::span<const Value>) {
    return Value::string(StateOf(vm).useNetwork ? "localWithNetwork" : "localWithFile");
}

void InstallSystem(Vm& vm) {
    NativeClass(vm, "System", vm.core.object, "flash.system")
        .staticMethod("gc", Nothing)
        .staticMethod("pause", Nothing)
        .staticMethod("resume", Nothing)
        .staticMethod("exit", Nothing)
        .staticMethod("pauseForGCIfCollectionImminent", Nothing)
        .staticMethod("disposeXML", Nothing)
        .staticMethod("setClipboard", SetClipboard)
        .staticGetter("totalMemory",
                      [](Vm&, const Value&, std::span<const Value>) {
                          return Value::unsignedInt(static_cast<std::uint32_t>(ReportedMemory));
                      })
        .staticGetter("totalMemoryNumber", Memory)
        .staticGetter("privateMemory", Memory)
        .staticGetter("freeMemory",
                      [](Vm&, const Value&, std::span<const Value>) {
                          return Value::number(ReportedMemory / 4);
                      })
        .staticGetter("useCodePage", Flag<false>)
        .staticSetter("useCodePage", Nothing)
        .staticGetter("ime",
                      [](Vm&, const Value&, std::span<const Value>) { return Value::null(); });
    NativeClass(vm, "IME", BuiltinClass(vm, "flash.events", "EventDispatcher"), "flash.system")
        .staticGetter("enabled", Flag<false>)
        .staticSetter("enabled", Nothing)
        .staticGetter("isSupported", Flag<false>)
        .staticGetter(
            "conversionMode",
            [](Vm&, const Value&, std::span<const Value>) { return Value::string("UNKNOWN"); })
        .staticSetter("conversionMode", Nothing)
        .staticMethod("compositionAbandoned", Nothing)
        .staticMethod("compositionSelectionChanged", Nothing)
        .staticMethod("doConversion", Nothing)
        .staticMethod("setCompositionString", Nothing);
}

constexpr std::pair<const char*, const char*> CapabilityTexts[] = {
    {"version", player_facts::Version},
    {"os", player_facts::Os},
    {"playerType", player_facts::PlayerType},
    {"language", player_facts::Language},
    {"manufacturer", "Quillon Linux"},
    {"cpuArchitecture", "x86"},
    {"touchscreenType", "none"},
    {"screenColor", "color"},
    {"serverString", ""},
    {"maxLevelIDC", ""},
};
constexpr std::pair<const char*, double> CapabilityNumbers[] = {
    {"screenResolutionX", player_facts::ScreenWidth},
    {"screenResolutionY", player_facts::ScreenHeight},
    {"screenDPI", 72},
    {"pixelAspectRatio", 1},
};

template <std::size_t I> Value CapabilityText(Vm&, const Value&, std::span<const Value>) {
    return Value::string(CapabilityTexts[I].second);
}
template <std::size_t I> Value CapabilityNumber(Vm&, const Value&, std::span<const Value>) {
    return Value::number(CapabilityNumbers[I].second);
}
template <std::size_t... T, std::size_t... N>
void AddCapabilityFacts(NativeClass& cls, std::index_sequence<T...>, std::index_sequence<N...>) {
    (cls.staticGetter(CapabilityTexts[T].first, CapabilityText<T>), ...);
    (cls.staticGetter(CapabilityNumbers[N].first, CapabilityNumber<N>), ...);
}

void InstallCapabilities(Vm& vm) {
    NativeClass capabilities(vm, "Capabilities", vm.core.object, "flash.system");
    AddCapabilityFacts(capabilities, std::make_index_sequence<std::size(CapabilityTexts)>(),
                       std::make_index_sequence<std::size(CapabilityNumbers)>());
    for (const char* name :
         {"hasAudio", "hasMP3", "hasStreamingAudio", "hasStreamingVideo", "hasEmbeddedVideo",
          "hasTLS", "supports64BitProcesses", "avHardwareDisable"}) {
        capabilities.staticGetter(name, Flag<true>);
    }
    for (const char* name :
         {"hasAccessibility", "hasAudioEncoder", "hasIME", "hasPrinting", "hasScreenBroadcast",
          "hasScreenPlayback", "hasVideoEncoder", "isDebugger", "isEmbeddedInAcrobat",
          "localFileReadDisable", "supports32BitProcesses"}) {
        capabilities.staticGetter(name, Flag<false>);
    }
    capabilities.staticMethod("hasMultiChannelAudio", Flag<false>);
}

void InstallSecurity(Vm& vm) {
    NativeClass security(vm, "Security", vm.core.object, "flash.system");
    for (const char* name :
         {"allowDomain", "allowInsecureDomain", "loadPolicyFile", "showSettings"}) {
        security.staticMethod(name, Nothing);
    }
    security.staticGetter("sandboxType", SandboxType)
        .staticGetter("exactSettings", Flag<true>)
        .staticSetter("exactSettings", Nothing)
        .staticGetter("disableAVM1Loading", Flag<false>)
        .staticSetter("disableAVM1Loading", Nothing)
        .staticGetter("pageDomain",
                      [](Vm&, const Value&, std::span<const Value>) { return Value::null(); })
        .constant("REMOTE", Value::string("remote"))
        .constant("LOCAL_WITH_FILE", Value::string("localWithFile"))
        .constant("LOCAL_WITH_NETWORK", Value::string("localWithNetwork"))
        .constant("LOCAL_TRUSTED", Value::string("localTrusted"))
        .constant("APPLICATION", Value::string("application"));
    NativeClass(vm, "SecurityDomain", vm.core.object, "flash.system")
        .staticGetter("currentDomain",
                      [](Vm& vm, const Value&, std::span<const Value>) {
                          StageState& state = StateOf(vm);
                          if (!state.securityDomain) {
                              state.securityDomain = AllocateInstance(
                                  vm, BuiltinClass(vm, "flash.system", "SecurityDomain"));
                          }
                          return Value::object(state.securityDomain);
                      })
        .getter("domainID",
                [](Vm&, const Value&, std::span<const Value>) { return Value::string(""); });
}

// new LoaderContext(checkPolicyFile, applicationDomain, securityDomain): settings a load
// takes, kept as given.
Value LoaderContextInit(Vm& vm, const Value& self, std::span<const Value> args) {
    const char* names[] = {"checkPolicyFile", "applicationDomain", "securityDomain"};
    for (std::size_t i = 0; i < args.size() && i < std::size(names); ++i) {
        SetProperty(vm, self, PublicName(vm, names[i]), args[i]);
    }
    return Value();
}

void InstallLoaderContext(Vm& vm) {
    NativeClass(vm, "LoaderContext", vm.core.object, "flash.system")
        .slot("checkPolicyFile", Value::boolean(false))
        .slot("applicationDomain", Value::null())
        .slot("securityDomain", Value::null())
        .slot("allowCodeImport", Value::boolean(true))
        .slot("allowLoadBytesCodeExecution", Value::boolean(true))
        .slot("parameters", Value::null())
        .slot("requestedContentParent", Value::null())
        .slot("imageDecodingPolicy", Value::string("onDemand"))
        .init(LoaderContextInit);
}

} // namespace

void InstallSystemClasses(Vm& vm) {
    InstallSystem(vm);
    InstallCapabilities(vm);
    InstallSecurity(vm);
    InstallLoaderContext(vm);
}

} // namespace quillon::engine::avm2stage
