// flash.net on local files only: URLRequest, URLVariables and URLLoader, with the events
// a load sends (ProgressEvent, IOErrorEvent and their bases). Nothing is ever sent: a
// load reads a file beside the movie or below its folder, at the start of the next frame.

#include "player/engine/script/avm2stage/UrlLoadClasses.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Loads waiting at once; more fail at once with an error event.
constexpr std::size_t MaxUrlLoads = 256;

// A property kept on the object and read back as written.
template <const char* Key> NativeClass& Kept(NativeClass& cls, std::string_view name) {
    return cls.getter(name, GetHidden<Key>).setter(name, SetHidden<Key>);
}

constexpr char UrlKey[] = "$url";
constexpr char DataKey[] = "$data";
constexpr char MethodKey[] = "$method";
constexpr char TypeKey[] = "$contentType";
constexpr char FormatKey[] = "$dataFormat";
constexpr char LoadedKey[] = "$bytesLoaded";
constexpr char TotalKey[] = "$bytesTotal";
constexpr char TextKey[] = "$text";
constexpr char IdKey[] = "$errorID";
constexpr char StatusKey[] = "$status";
constexpr char RedirectedKey[] = "$redirected";
constexpr char ResponseUrlKey[] = "$responseURL";

Value RequestInit(Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, UrlKey,
               args.empty() ? Value::null() : Value::string(ToString(vm, args[0])));
    KeepHidden(vm, self, MethodKey, Value::string("GET"));
    KeepHidden(vm, self, TypeKey, Value::string("application/x-www-form-urlencoded"));
    return Value();
}

// The global function of a name (escape, unescape) called on one text.
std::string CallGlobal(Vm& vm, const char* name, const std::string& text) {
    const Value fn = FindDefinition(vm, NameFromText(vm, name));
    const Value arg = Value::string(text);
    return ToString(vm, CallValue(vm, fn, Value(), std::span<const Value>(&arg, 1)));
}

} // namespace

void DecodeVariables(Vm& vm, const Value& self, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('&', start), text.size());
        const std::string pair = text.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos) {
            vm.throwError(ErrorKind::Error, 2101,
                          "The String passed to URLVariables.decode() must be a "
                          "URL-encoded query string containing name/value pairs.");
        }
        const std::string name = CallGlobal(vm, "unescape", pair.substr(0, equals));
        self.asObject()->props().set(
            vm.intern(name), Value::string(CallGlobal(vm, "unescape", pair.substr(equals + 1))));
        start = end + 1;
    }
}

namespace {

Value VariablesDecode(Vm& vm, const Value& self, std::span<const Value> args) {
    DecodeVariables(vm, self, ToString(vm, Arg(args, 0)));
    return Value();
}

Value VariablesInit(Vm& vm, const Value& self, std::span<const Value> args) {
    return args.empty() || args[0].isNullish() ? Value() : VariablesDecode(vm, self, args);
}

Value VariablesText(Vm& vm, const Value& self, std::span<const Value>) {
    std::string out;
    for (const DynamicProps::Entry& e : self.asObject()->props().entries) {
        if (e.live && e.enumerable) {
            out += (out.empty() ? "" : "&") + CallGlobal(vm, "escape", vm.atomText(e.atom)) + "=" +
                   CallGlobal(vm, "escape", ToString(vm, e.value));
        }
    }
    return Value::string(out);
}

Value LoaderLoad(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    const Value request = Arg(args, 0);
    if (!request.isObject()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter request must be non-null.");
    }
    KeepHidden(vm, self, LoadedKey, Value::integer(0));
    KeepHidden(vm, self, TotalKey, Value::integer(0));
    const std::string url = ToString(vm, HiddenValue(vm, request, UrlKey));
    if (state.urlLoads.size() >= MaxUrlLoads) {
        state.warning("too many loads waiting; " + url + " is not loaded");
    }
    state.urlLoads.emplace_back(self.asObject(), state.urlLoads.size() < MaxUrlLoads ? url : "");
    return Value();
}

Value LoaderInit(Vm& vm, const Value& self, std::span<const Value> args) {
    KeepHidden(vm, self, FormatKey, Value::string("text"));
    KeepHidden(vm, self, LoadedKey, Value::integer(0));
    KeepHidden(vm, self, TotalKey, Value::integer(0));
    return args.empty() || args[0].isNullish() ? Value() : LoaderLoad(vm, self, args);
}

// The text and errorID of TextEvent, ErrorEvent and their kin: (type, bubbles,
// cancelable, text, id); ProgressEvent's counts: (type, bubbles, cancelable, loaded, total).
Value TextEventInit(Vm& vm, const Value& self, std::span<const Value> args) {
    EventInit(vm, self, args);
    KeepHidden(vm, self, TextKey, Value::string(args.size() > 3 ? ToString(vm, args[3]) : ""));
    KeepHidden(vm, self, IdKey, Value::integer(args.size() > 4 ? ToInt32(vm, args[4]) : 0));
    return Value();
}
Value ProgressInit(Vm& vm, const Value& self, std::span<const Value> args) {
    EventInit(vm, self, args);
    KeepHidden(vm, self, LoadedKey, NumberValue(args.size() > 3 ? ToNumber(vm, args[3]) : 0));
    KeepHidden(vm, self, TotalKey, NumberValue(args.size() > 4 ? ToNumber(vm, args[4]) : 0));
    return Value();
}

// HTTPStatusEvent: (type, bubbles, cancelable, status, redirected). Local loads send
// none, but movies name the class.
Value HttpStatusInit(Vm& vm, const Value& self, std::span<const Value> args) {
    EventInit(vm, self, args);
    KeepHidden(vm, self, StatusKey, Value::integer(args.size() > 3 ? ToInt32(vm, args[3]) : 0));
    KeepHidden(vm, self, RedirectedKey, Value::boolean(args.size() > 4 && ToBoolean(args[4])));
    return Value();
}

void InstallNetEvents(Vm& vm) {
    ClassObject* event = BuiltinClass(vm, "flash.events", "Event");
    NativeClass progress(vm, "ProgressEvent", event, "flash.events");
    progress.init(ProgressInit)
        .constant("PROGRESS", Value::string("progress"))
        .constant("SOCKET_DATA", Value::string("socketData"));
    Kept<LoadedKey>(progress, "bytesLoaded");
    Kept<TotalKey>(progress, "bytesTotal");
    NativeClass text(vm, "TextEvent", event, "flash.events");
    Kept<TextKey>(text.init(TextEventInit), "text");
    text.constant("LINK", Value::string("link")).constant("TEXT_INPUT", Value::string("textInput"));
    NativeClass error(vm, "ErrorEvent", text.get(), "flash.events");
    error.init(TextEventInit).getter("errorID", GetHidden<IdKey>);
    error.constant("ERROR", Value::string("error"));
    NativeClass(vm, "IOErrorEvent", error.get(), "flash.events")
        .init(TextEventInit)
        .constant("IO_ERROR", Value::string("ioError"));
    NativeClass(vm, "SecurityErrorEvent", error.get(), "flash.events")
        .init(TextEventInit)
        .constant("SECURITY_ERROR", Value::string("securityError"));
    NativeClass status(vm, "HTTPStatusEvent", event, "flash.events");
    status.init(HttpStatusInit)
        .constant("HTTP_STATUS", Value::string("httpStatus"))
        .constant("HTTP_RESPONSE_STATUS", Value::string("httpResponseStatus"))
        .getter("responseURL", GetHidden<ResponseUrlKey>);
    Kept<StatusKey>(status, "status");
    Kept<RedirectedKey>(status, "redirected");
}

// What a load gives as data: the text, a ByteArray of it, or URLVariables from it.
Value DataOf(Vm& vm, const Value& loader, std::string text) {
    const std::string format = ToString(vm, HiddenValue(vm, loader, FormatKey));
    if (format == "binary") {
        const Value bytes = ConstructClass(vm, BuiltinClass(vm, "flash.utils", "ByteArray"), {});
        auto* array = static_cast<ByteArrayObject*>(bytes.asObject());
        array->bytes.assign(text.begin(), text.end());
        return bytes;
    }
    const Value arg = Value::string(std::move(text));
    if (format == "variables") {
        return ConstructClass(vm, BuiltinClass(vm, "flash.net", "URLVariables"),
                              std::span<const Value>(&arg, 1));
    }
    return arg;
}

void FinishUrlLoad(Vm& vm, Object* loader, const std::string& url) {
    StageState& state = StateOf(vm);
    const Value self = Value::object(loader);
    std::optional<std::string> text =
        state.readFile && !url.empty() ? state.readFile(url) : std::nullopt;
    if (!text) {
        state.warning("not loaded (only files beside the movie load): " + url);
        SendIoError(vm, loader, "Error #2032: Stream Error. URL: " + url, 2032);
        return;
    }
    const Value size = NumberValue(static_cast<double>(text->size()));
    KeepHidden(vm, self, TotalKey, size);
    Dispatch(vm, loader, NewEvent(vm, "Event", "open"));
    KeepHidden(vm, self, LoadedKey, size);
    Dispatch(vm, loader, NewNetEvent(vm, "ProgressEvent", "progress", size, size));
    KeepHidden(vm, self, DataKey, DataOf(vm, self, std::move(*text)));
    Dispatch(vm, loader, NewEvent(vm, "Event", "complete"));
}

} // namespace

Value NewNetEvent(Vm& vm, const char* className, const char* type, Value a, Value b) {
    const Value args[] = {Value::string(type), Value::boolean(false), Value::boolean(false),
                          std::move(a), std::move(b)};
    return ConstructClass(vm, BuiltinClass(vm, "flash.events", className), args);
}

void SendIoError(Vm& vm, Object* target, const std::string& message, int id) {
    if (StateOf(vm).listeners[target]["ioError"].empty()) {
        vm.trace("Error #2044: Unhandled ioError:. text=" + message);
        return;
    }
    Dispatch(
        vm, target,
        NewNetEvent(vm, "IOErrorEvent", "ioError", Value::string(message), Value::integer(id)));
}

void FinishUrlLoads(Vm& vm) {
    std::vector<std::pair<Object*, std::string>> loads;
    loads.swap(StateOf(vm).urlLoads);
    for (const auto& [loader, url] : loads) {
        Guarded(vm, [&] { FinishUrlLoad(vm, loader, url); });
    }
}

void InstallUrlLoadClasses(Vm& vm) {
    InstallNetEvents(vm);
    NativeClass request(vm, "URLRequest", vm.core.object, "flash.net");
    request.init(RequestInit);
    Kept<UrlKey>(request, "url");
    Kept<DataKey>(request, "data");
    Kept<MethodKey>(request, "method");
    Kept<TypeKey>(request, "contentType");
    NativeClass(vm, "URLVariables", vm.core.object, "flash.net")
        .init(VariablesInit)
        .method("decode", VariablesDecode)
        .method("toString", VariablesText);
    NativeClass(vm, "URLLoaderDataFormat", vm.core.object, "flash.net")
        .constant("TEXT", Value::string("text"))
        .constant("BINARY", Value::string("binary"))
        .constant("VARIABLES", Value::string("variables"));
    NativeClass loader(vm, "URLLoader", BuiltinClass(vm, "flash.events", "EventDispatcher"),
                       "flash.net");
    Kept<DataKey>(loader, "data");
    Kept<FormatKey>(loader, "dataFormat");
    loader.init(LoaderInit)
        .getters({{"bytesLoaded", GetHidden<LoadedKey>}, {"bytesTotal", GetHidden<TotalKey>}})
        .method("load", LoaderLoad)
        .method("close", [](Vm& vm, const Value& self, std::span<const Value>) {
            std::erase_if(StateOf(vm).urlLoads,
                          [&](const auto& load) { return load.first == self.asObject(); });
            return Value();
        });
}

} // namespace quillon::engine::avm2stage
