// flash.display.Loader and LoaderInfo on local files. A picture (PNG, JPEG, GIF) beside
// the movie, or given as bytes, becomes the loader's Bitmap child; a movie becomes its
// content: an ActionScript 3 movie's code joins this machine and its document class is
// built on its root, an older movie plays without its scripts as an AVM1Movie. Loads
// end once the frame that asked for them has run, and the LoaderInfo tells their events.

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/script/avm2/ByteArrayCompression.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/UrlLoadClasses.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Loads waiting at once; more are refused with a warning.
constexpr std::size_t MaxDisplayLoads = 256;
// Movies loaded into movies loaded into ... go this deep at most.
constexpr int MaxMovieNesting = 8;
// The most LoaderInfo.bytes shows of a compressed movie in its plain form.
constexpr std::size_t MaxPlainMovieBytes = 16u << 20;
// How far a walk up the display tree goes.
constexpr int MaxWalk = 10000;

constexpr char InfoKey[] = "$contentLoaderInfo";
constexpr char LoaderKey[] = "$loader";
constexpr char ContentKey[] = "$content";
constexpr char LoadedKey[] = "$bytesLoaded";
constexpr char TotalKey[] = "$bytesTotal";
constexpr char UrlKey[] = "$url";
constexpr char LoaderUrlKey[] = "$loaderURL";
constexpr char TypeKey[] = "$contentType";
constexpr char WidthKey[] = "$width";
constexpr char HeightKey[] = "$height";
constexpr char BytesKey[] = "$bytes";
constexpr char ParametersKey[] = "$parameters";
constexpr char SharedKey[] = "$sharedEvents";
constexpr char DomainKey[] = "$applicationDomain";
constexpr char VersionKey[] = "$swfVersion";
constexpr char ScriptVersionKey[] = "$actionScriptVersion";
constexpr char RateKey[] = "$frameRate";
constexpr char AllowsKey[] = "$allows";

constexpr char MovieType[] = "application/x-shockwave-flash";

Value InfoOf(Vm& vm, const Value& loader) {
    return HiddenValue(vm, loader, InfoKey);
}

Value NewObject(Vm& vm) {
    return ConstructClass(vm, vm.core.object, {});
}

// LoaderInfo.bytes of a movie: its file, a zlib-compressed one as its plain form.
std::string PlainMovie(const std::string& file) {
    if (file.size() < 8 || file.compare(0, 3, "CWS") != 0) {
        return file;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    const auto body =
        UncompressBytes(std::span(bytes + 8, file.size() - 8), Algorithm::Zlib, MaxPlainMovieBytes);
    if (!body) {
        return file;
    }
    std::string plain = "FWS" + file.substr(3, 5);
    plain.append(body->begin(), body->end());
    return plain;
}

Value NewBytes(Vm& vm, const std::string& data) {
    const Value bytes = ConstructClass(vm, vm.core.byteArray, {});
    static_cast<ByteArrayObject*>(bytes.asObject())->bytes.assign(data.begin(), data.end());
    return bytes;
}

// What a LoaderInfo tells before anything is loaded.
void ResetInfo(Vm& vm, const Value& info) {
    for (const char* key : {ContentKey, UrlKey, TypeKey, BytesKey, DomainKey, VersionKey,
                            ScriptVersionKey, RateKey, WidthKey, HeightKey, AllowsKey}) {
        KeepHidden(vm, info, key, Value::null());
    }
    for (const char* key : {LoadedKey, TotalKey}) {
        KeepHidden(vm, info, key, Value::integer(0));
    }
    KeepHidden(vm, info, ParametersKey, NewObject(vm));
}

std::string MainUrl(StageState& state) {
    return state.host.movieFacts(state.host.root()).url;
}

Value NewInfo(Vm& vm, const Value& loader) {
    const Value info = ConstructClass(vm, BuiltinClass(vm, "flash.display", "LoaderInfo"), {});
    KeepHidden(vm, info, LoaderKey, loader);
    ResetInfo(vm, info);
    KeepHidden(vm, info, LoaderUrlKey, Value::string(MainUrl(StateOf(vm))));
    KeepHidden(vm, info, SharedKey,
               ConstructClass(vm, BuiltinClass(vm, "flash.events", "EventDispatcher"), {}));
    return info;
}

// What a loaded movie (or the main one) tells of itself.
void KeepMovieFacts(Vm& vm, const Value& info, int swfVersion, bool actionScript3, double frameRate,
                    double width, double height) {
    KeepHidden(vm, info, TypeKey, Value::string(MovieType));
    KeepHidden(vm, info, VersionKey, Value::integer(swfVersion));
    KeepHidden(vm, info, ScriptVersionKey, Value::integer(actionScript3 ? 3 : 2));
    KeepHidden(vm, info, RateKey, NumberValue(frameRate));
    KeepHidden(vm, info, WidthKey, Value::integer(static_cast<int>(width)));
    KeepHidden(vm, info, HeightKey, Value::integer(static_cast<int>(height)));
    KeepHidden(vm, info, DomainKey,
               ConstructClass(vm, BuiltinClass(vm, "flash.system", "ApplicationDomain"), {}));
}

// The main movie's LoaderInfo, or the stage's (which tells the same but never sends
// the main movie's events): no loader, the movie's own facts.
Object* MainInfo(Vm& vm, Object*& slot) {
    StageState& state = StateOf(vm);
    if (!slot) {
        const Value info = NewInfo(vm, Value::null());
        slot = info.asObject();
        const MovieFacts facts = state.host.movieFacts(state.host.root());
        KeepHidden(vm, info, ContentKey, Value::object(state.root));
        KeepHidden(vm, info, UrlKey, Value::string(facts.url));
        KeepHidden(vm, info, LoadedKey, NumberValue(static_cast<double>(facts.fileBytes)));
        KeepHidden(vm, info, TotalKey, NumberValue(static_cast<double>(facts.fileBytes)));
        KeepMovieFacts(vm, info, state.swfVersion, true, state.frameRate, state.stageWidth,
                       state.stageHeight);
        KeepHidden(vm, info, AllowsKey, Value::boolean(true));
    }
    return slot;
}

// A property only a loaded movie has: error 2099 before the load is that far, 2098
// when what was loaded is no movie.
template <const char* Key> Value GetMovieFact(Vm& vm, const Value& self, std::span<const Value>) {
    const Value v = HiddenValue(vm, self, Key);
    if (!v.isNull()) {
        return v;
    }
    if (HiddenValue(vm, self, ContentKey).isNull()) {
        vm.throwError(ErrorKind::Error, 2099,
                      "The loading object is not sufficiently loaded to provide this "
                      "information.");
    }
    vm.throwError(ErrorKind::Error, 2098,
                  "The loading object is not a .swf file, you cannot request SWF properties "
                  "from it.");
}

Value LoaderInit(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayInit(vm, self, args);
    KeepHidden(vm, self, InfoKey, NewInfo(vm, self));
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

// Takes the content away; its LoaderInfo hears unload when there was any.
Value Unload(Vm& vm, const Value& self, std::span<const Value>) {
    const Value info = InfoOf(vm, self);
    const Value content = HiddenValue(vm, info, ContentKey);
    if (DisplayRecord* r = DisplayOf(vm, content); r && r->parent == self.asObject()) {
        const Value arg = content;
        CallProperty(vm, self, PublicName(vm, "removeChild"), std::span<const Value>(&arg, 1));
    }
    ResetInfo(vm, info);
    if (!content.isNull() && info.isObject()) {
        Dispatch(vm, info.asObject(), NewEvent(vm, "Event", "unload"));
    }
    return Value();
}

Value Load(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value request = Arg(args, 0);
    if (!request.isObject()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter request must be non-null.");
    }
    Unload(vm, self, {});
    KeepHidden(vm, InfoOf(vm, self), BytesKey, NewBytes(vm, ""));
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
    KeepHidden(vm, InfoOf(vm, self), BytesKey, NewBytes(vm, ""));
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

// The url's query as the loaded movie's parameters.
void KeepParameters(Vm& vm, const Value& info, const std::string& url) {
    const Value parameters = NewObject(vm);
    const std::size_t query = url.find('?');
    if (query != std::string::npos) {
        try {
            DecodeVariables(vm, parameters, url.substr(query + 1, url.find('#') - query - 1));
        } catch (const ScriptException&) {
            // a query that is no list of pairs gives what it held before the damage
        }
    }
    KeepHidden(vm, info, ParametersKey, parameters);
}

// How many loaded movies hold the loader.
int MovieNesting(StageState& state, Object* o) {
    int nesting = 0;
    for (int walk = 0; o && walk < MaxWalk; ++walk) {
        const auto it = state.displays.find(o);
        if (it == state.displays.end()) {
            break;
        }
        nesting += it->second.loaderInfo ? 1 : 0;
        o = it->second.parent;
    }
    return nesting;
}

// The objects below o that scripts placed, parents first.
void CollectScriptChildren(StageState& state, Object* o, int nesting, std::vector<Object*>& out) {
    if (nesting > MaxMovieNesting * 8) {
        return;
    }
    for (Object* child : state.displays[o].children) {
        if (!state.displays[child].fromTimeline && out.size() < std::size_t{MaxWalk}) {
            out.push_back(child);
            CollectScriptChildren(state, child, nesting + 1, out);
        }
    }
}

void Attach(StageState& state, Object* loader, Object* content) {
    state.displays[content].parent = loader;
    auto& children = state.displays[loader].children;
    if (std::find(children.begin(), children.end(), content) == children.end()) {
        children.push_back(content);
    }
}

// The loaded movie's root as the loader's child: its clip plays the movie, the
// timeline's objects are made, then its document class is built on it (off the display
// list, as the player builds it), and it arrives in the loader.
void ShowMovie(Vm& vm, const Value& loader, const Value& info,
               const std::shared_ptr<const ScriptMovie>& movie) {
    StageState& state = StateOf(vm);
    ClassObject* cls = BuiltinClass(vm, "flash.display", "AVM1Movie");
    if (movie->actionScript3) {
        for (const auto& [code, body] : movie->abcBlocks) {
            LoadAbcBlock(vm, code, body);
        }
        cls = DocumentClass(vm, movie->symbolClasses);
    } else {
        state.warning("an ActionScript 1 or 2 movie a Loader shows plays without its scripts");
    }
    Object* content = AllocateInstance(vm, cls);
    DisplayRecord& r = state.displays[content];
    r.name = "instance" + std::to_string(++state.instanceNames);
    r.movie = movie;
    r.loaderInfo = info.asObject();
    KeepHidden(vm, info, ContentKey, Value::object(content));
    Object* loaderObject = loader.asObject();
    Attach(state, loaderObject, content);
    Realize(vm, content);
    if (movie->actionScript3) {
        BindTimelineOf(vm, content);
    }
    state.displays[content].parent = nullptr;
    std::erase(state.displays[loaderObject].children, content);
    if (movie->actionScript3) {
        Guarded(vm, [&] { RunInstanceInit(vm, cls, Value::object(content), {}); });
    }
    Attach(state, loaderObject, content);
    Guarded(vm, [&] { NotifyArrival(vm, content, "added", "addedToStage"); });
    if (OnStage(state, content)) {
        // what its constructor added, off the stage then, is on it now
        std::vector<Object*> added;
        CollectScriptChildren(state, content, 0, added);
        for (Object* child : added) {
            Guarded(vm, [&] { Dispatch(vm, child, NewEvent(vm, "Event", "addedToStage")); });
        }
    }
    RunFrameScripts(vm, content);
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
    if (!load.bytes) {
        Dispatch(vm, target, NewEvent(vm, "Event", "open")); // bytes are not opened
    }
    KeepHidden(vm, info, TotalKey, total);
    Dispatch(vm, target, NewNetEvent(vm, "ProgressEvent", "progress", Value::integer(0), total));
    KeepHidden(vm, info, LoadedKey, total);
    KeepHidden(vm, info, BytesKey, NewBytes(vm, IsMovieFile(*data) ? PlainMovie(*data) : *data));
    KeepParameters(vm, info, load.url);
    Dispatch(vm, target, NewNetEvent(vm, "ProgressEvent", "progress", total, total));
    const std::string shownUrl = load.url.empty() ? MainUrl(state) : load.url;
    if (IsMovieFile(*data)) {
        if (MovieNesting(state, load.loader) >= MaxMovieNesting) {
            state.warning("movies loaded into loaded movies nest too deep; " + load.url +
                          " is not loaded");
            return;
        }
        const std::shared_ptr<const ScriptMovie> movie = state.host.readMovie(load.url, &*data);
        if (!movie) {
            state.warning("a Loader could not load the movie " +
                          (load.url.empty() ? std::string("given as bytes") : load.url) +
                          ": too many movies loaded, or it cannot be read");
            SendIoError(vm, target, "Error #2124: Loaded file is an unknown type. URL: " + shownUrl,
                        2124);
            return;
        }
        KeepHidden(vm, info, UrlKey, Value::string(movie->facts->url));
        KeepMovieFacts(vm, info, movie->facts->version, movie->actionScript3, movie->frameRate,
                       movie->width, movie->height);
        KeepHidden(vm, info, AllowsKey, Value::boolean(true));
        ShowMovie(vm, loader, info, movie);
    } else {
        std::string type;
        const std::shared_ptr<BitmapPixels> pixels = DecodePictureFile(*data, &type);
        if (!pixels) {
            state.warning("not a picture or movie a Loader shows: " + load.url);
            SendIoError(vm, target, "Error #2124: Loaded file is an unknown type. URL: " + shownUrl,
                        2124);
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
        KeepHidden(vm, info, AllowsKey, Value::boolean(true));
        KeepHidden(vm, info, UrlKey, Value::string(shownUrl));
        CallProperty(vm, loader, PublicName(vm, "addChild"), std::span<const Value>(&bitmap, 1));
    }
    Dispatch(vm, target, NewEvent(vm, "Event", "init"));
    Dispatch(vm, target, NewEvent(vm, "Event", "complete"));
}

} // namespace

Object* MovieRootOf(StageState& state, Object* o) {
    for (int walk = 0; o && walk < MaxWalk; ++walk) {
        if (o == state.root || o == state.stage) {
            return state.root;
        }
        const auto it = state.displays.find(o);
        if (it == state.displays.end()) {
            return nullptr;
        }
        if (it->second.loaderInfo) {
            return o;
        }
        o = it->second.parent;
    }
    return nullptr;
}

Value GetLoaderInfo(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    Object* top = MovieRootOf(state, self.asObject());
    if (!top) {
        return Value::null();
    }
    if (self.asObject() == state.stage) {
        return Value::object(MainInfo(vm, state.stageInfo));
    }
    if (top == state.root) {
        return Value::object(MainInfo(vm, state.mainInfo));
    }
    return Value::object(state.displays[top].loaderInfo);
}

void MainMovieLoaded(Vm& vm) {
    if (Object* info = StateOf(vm).mainInfo) {
        Dispatch(vm, info, NewEvent(vm, "Event", "init"));
        Dispatch(vm, info, NewEvent(vm, "Event", "complete"));
    }
}

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
                  {"bytes", GetHidden<BytesKey>},
                  {"url", GetHidden<UrlKey>},
                  {"loaderURL", GetHidden<LoaderUrlKey>},
                  {"contentType", GetHidden<TypeKey>},
                  {"parameters", GetHidden<ParametersKey>},
                  {"sharedEvents", GetHidden<SharedKey>},
                  {"applicationDomain", GetHidden<DomainKey>},
                  {"width", GetMovieFact<WidthKey>},
                  {"height", GetMovieFact<HeightKey>},
                  {"frameRate", GetMovieFact<RateKey>},
                  {"swfVersion", GetMovieFact<VersionKey>},
                  {"actionScriptVersion", GetMovieFact<ScriptVersionKey>},
                  // local movies and pictures trust each other
                  {"childAllowsParent", GetMovieFact<AllowsKey>},
                  {"parentAllowsChild", GetMovieFact<AllowsKey>},
                  {"sameDomain", GetMovieFact<AllowsKey>}});
    NativeClass(vm, "Loader", container, "flash.display")
        .init(LoaderInit)
        .getter("content", Content)
        .getter("contentLoaderInfo", ContentInfo)
        .method("load", Load)
        .method("loadBytes", LoadBytes)
        .method("unload", Unload)
        .method("unloadAndStop", Unload)
        .method("close", Close);
    NativeClass(vm, "AVM1Movie", BuiltinClass(vm, "flash.display", "DisplayObject"),
                "flash.display")
        .init(DisplayInit);
}

} // namespace quillon::engine::avm2stage
