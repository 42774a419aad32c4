// flash.display.Loader and LoaderInfo on local files: a picture (PNG, JPEG, GIF) beside
// the movie, or given as bytes, becomes the loader's Bitmap child once the frame that
// asked for it has run, and its LoaderInfo tells the load's events. Movies are not
// loaded this way: they end in a warning and an error event.

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/UrlLoadClasses.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Loads waiting at once; more are refused with a warning.
constexpr std::size_t MaxDisplayLoads = 256;

constexpr char InfoKey[] = "$contentLoaderInfo";
constexpr char LoaderKey[] = "$loader";
constexpr char ContentKey[] = "$content";
constexpr char LoadedKey[] = "$bytesLoaded";
constexpr char TotalKey[] = "$bytesTotal";
constexpr char UrlKey[] = "$url";
constexpr char TypeKey[] = "$contentType";
constexpr char WidthKey[] = "$width";
constexpr char HeightKey[] = "$height";

Value InfoOf(Vm& vm, const Value& loader) {
    return HiddenValue(vm, loader, InfoKey);
}

void ResetInfo(Vm& vm, const Value& info) {
    for (const char* key : {ContentKey, UrlKey, TypeKey}) {
        KeepHidden(vm, info, key, Value::null());
    }
    for (const char* key : {LoadedKey, TotalKey, WidthKey, HeightKey}) {
        KeepHidden(vm, info, key, Value::integer(0));
    }
}

Value LoaderInit(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayInit(vm, self, args);
    const Value info = ConstructClass(vm, BuiltinClass(vm, "flash.display", "LoaderInfo"), {});
    KeepHidden(vm, info, LoaderKey, self);
    ResetInfo(vm, info);
    KeepHidden(vm, self, InfoKey, info);
    return Value();
}

void Queue(Vm& vm, const Value& self, const std::string& url, std::optional<std::string> bytes) {
    StageState& state = StateOf(vm);
    if (state.displayLoads.size() >= MaxDisplayLoads) {
        state.warning("too many loads waiting; " + url + " is not loaded");
        return;
    }
    std::erase_if(state.displayLoads, [&](const auto& l) { return l.loader == self.asObject(); });
    state.displayLoads.push_back({self.asObject(), url, std::move(bytes)});
}

Value Unload(Vm& vm, const Value& self, std::span<const Value>) {
    const Value info = InfoOf(vm, self);
    const Value content = HiddenValue(vm, info, ContentKey);
    if (DisplayRecord* r = DisplayOf(vm, content); r && r->parent == self.asObject()) {
        const Value arg = content;
        CallProperty(vm, self, PublicName(vm, "removeChild"), std::span<const Value>(&arg, 1));
    }
    ResetInfo(vm, info);
    return Value();
}

Value Load(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value request = Arg(args, 0);
    if (!request.isObject()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter request must be non-null.");
    }
    Unload(vm, self, {});
    Queue(vm, self, ToString(vm, GetPublic(vm, request, "url")), std::nullopt);
    return Value();
}

Value LoadBytes(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value bytes = Arg(args, 0);
    if (!bytes.isObject() || bytes.asObject()->kind != ObjectKind::ByteArray) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter bytes must be non-null.");
    }
    const auto& data = static_cast<ByteArrayObject*>(bytes.asObject())->bytes;
    Unload(vm, self, {});
    Queue(vm, self, "", std::string(data.begin(), data.end()));
    return Value();
}

Value Close(Vm& vm, const Value& self, std::span<const Value>) {
    std::erase_if(StateOf(vm).displayLoads,
                  [&](const auto& l) { return l.loader == self.asObject(); });
    return Value();
}

Value Content(Vm& vm, const Value& self, std::span<const Value>) {
    return HiddenValue(vm, InfoOf(vm, self), ContentKey);
}

Value ContentInfo(Vm& vm, const Value& self, std::span<const Value>) {
    return InfoOf(vm, self);
}

void FinishLoad(Vm& vm, const DisplayLoad& load) {
    StageState& state = StateOf(vm);
    const Value loader = Value::object(load.loader);
    const Value info = InfoOf(vm, loader);
    if (!info.isObject()) {
        return;
    }
    Object* target = info.asObject();
    const std::optional<std::string> data =
        load.bytes
            ? load.bytes
            : (state.readFile && !load.url.empty() ? state.readFile(load.url) : std::nullopt);
    if (!data) {
        SendIoError(vm, target, "Error #2035: URL Not Found. URL: " + load.url, 2035);
        return;
    }
    const Value total = NumberValue(static_cast<double>(data->size()));
    KeepHidden(vm, info, TotalKey, total);
    Dispatch(vm, target, NewEvent(vm, "Event", "open"));
    Dispatch(vm, target, NewNetEvent(vm, "ProgressEvent", "progress", Value::integer(0), total));
    KeepHidden(vm, info, LoadedKey, total);
    Dispatch(vm, target, NewNetEvent(vm, "ProgressEvent", "progress", total, total));
    std::string type;
    const std::shared_ptr<BitmapPixels> pixels = DecodePictureFile(*data, &type);
    if (!pixels) {
        state.warning(IsMovieFile(*data) ? "a script's Loader does not load movies: " + load.url
                                         : "not a picture a Loader shows: " + load.url);
        SendIoError(vm, target, "Error #2124: Loaded file is an unknown type.", 2124);
        return;
    }
    Object* bitmapData = AllocateInstance(vm, BuiltinClass(vm, "flash.display", "BitmapData"));
    state.bitmaps[bitmapData] = pixels;
    const Value dataArg = Value::object(bitmapData);
    const Value bitmap = ConstructClass(vm, BuiltinClass(vm, "flash.display", "Bitmap"),
                                        std::span<const Value>(&dataArg, 1));
    KeepHidden(vm, info, ContentKey, bitmap);
    KeepHidden(vm, info, TypeKey, Value::string(type));
    KeepHidden(vm, info, WidthKey, Value::integer(pixels->width()));
    KeepHidden(vm, info, HeightKey, Value::integer(pixels->height()));
    if (!load.url.empty()) {
        KeepHidden(vm, info, UrlKey, Value::string(load.url));
    }
    CallProperty(vm, loader, PublicName(vm, "addChild"), std::span<const Value>(&bitmap, 1));
    Dispatch(vm, target, NewEvent(vm, "Event", "init"));
    Dispatch(vm, target, NewEvent(vm, "Event", "complete"));
}

} // namespace

void FinishDisplayLoads(Vm& vm) {
    std::vector<DisplayLoad> loads;
    loads.swap(StateOf(vm).displayLoads);
    for (const DisplayLoad& load : loads) {
        Guarded(vm, [&] { FinishLoad(vm, load); });
    }
}

void InstallLoaderClasses(Vm& vm, ClassObject* container) {
    NativeClass info(vm, "LoaderInfo", BuiltinClass(vm, "flash.events", "EventDispatcher"),
                     "flash.display");
    info.getters({{"loader", GetHidden<LoaderKey>},
                  {"content", GetHidden<ContentKey>},
                  {"bytesLoaded", GetHidden<LoadedKey>},
                  {"bytesTotal", GetHidden<TotalKey>},
                  {"url", GetHidden<UrlKey>},
                  {"contentType", GetHidden<TypeKey>},
                  {"width", GetHidden<WidthKey>},
                  {"height", GetHidden<HeightKey>}});
    NativeClass(vm, "Loader", container, "flash.display")
        .init(LoaderInit)
        .getter("content", Content)
        .getter("contentLoaderInfo", ContentInfo)
        .method("load", Load)
        .method("loadBytes", LoadBytes)
        .method("unload", Unload)
        .method("unloadAndStop", Unload)
        .method("close", Close);
}

} // namespace quillon::engine::avm2stage
