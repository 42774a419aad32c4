// loadVariables, LoadVars, loadMovie and MovieClipLoader: files read through the movie's
// reader, never the network, finished at the start of the next frame.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

// Loads waiting at once; more are refused, so a script cannot queue without end.
constexpr std::size_t MaxPendingLoads = 256;
// Movies one run may load into clips and levels; the display side caps them as well.
constexpr int MaxMovieLoads = 64;

// The query of a url ("a.swf?x=1"): variables the loaded movie starts with.
std::string QueryOf(const std::string& url) {
    const std::size_t mark = url.find('?');
    return mark == std::string::npos ? std::string()
                                     : url.substr(mark + 1, url.find('#') - mark - 1);
}

// Calls loader.broadcastMessage(event, args...), as the player tells its listeners.
void Broadcast(Vm& vm, const Value& loader, const char* event, std::vector<Value> args) {
    args.insert(args.begin(), Value(event));
    vm.runGuarded([&] { vm.callMethod(loader, "broadcastMessage", args); });
}

} // namespace

void DecodeVariables(Vm& vm, const Value& into, const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string pair = text.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (!pair.empty()) {
            const std::string name = UnescapeText(pair.substr(0, equals));
            const std::string value =
                equals == std::string::npos ? std::string() : UnescapeText(pair.substr(equals + 1));
            vm.set(into, name, vm.makeString(value));
        }
        start = end + 1;
    }
}

bool Vm::queueLoad(Value into, std::string url, Load kind, Value loader) {
    if (loads_.size() >= MaxPendingLoads) {
        warn("too many loads waiting; " + url + " is not loaded");
        return false;
    }
    loads_.push_back(PendingLoad{std::move(into), std::move(url), kind, std::move(loader)});
    return true;
}

void Vm::finishLoads() {
    std::vector<PendingLoad> loads;
    loads.swap(loads_);
    for (const PendingLoad& load : loads) {
        if (load.kind == Load::Clip) {
            finishClipLoad(load);
        } else {
            finishLoad(load);
        }
    }
}

void Vm::finishLoad(const PendingLoad& load) {
    const bool level = load.into.isNumber();
    const ClipId clip = level ? host_.level(static_cast<int>(load.into.n)) : clipOf(load.into);
    if (load.kind == Load::Movie) {
        const bool done = loadedMovies_ < MaxMovieLoads || load.url.empty()
                              ? (level ? host_.loadLevel(static_cast<int>(load.into.n), load.url)
                                       : clip && host_.loadMovie(clip, load.url))
                              : false;
        if (!done && !load.url.empty()) {
            warn("not loaded (only movies beside the movie load, at most " +
                 std::to_string(MaxMovieLoads) + "): " + load.url);
        }
        if (done && load.url.empty() && !level) {
            // a clip whose movie is unloaded hears of it as of its own removal
            callMethodSafely(Value(clipObject(clip)), "onUnload", {});
        }
        if (done && !load.url.empty()) {
            ++loadedMovies_;
            if (!level) {
                resetClipObject(clip);
            }
            const ClipId into = level ? host_.level(static_cast<int>(load.into.n)) : clip;
            runGuarded([&] { DecodeVariables(*this, Value(clipObject(into)), QueryOf(load.url)); });
        }
        return;
    }
    std::optional<std::string> text = readFile ? readFile(load.url) : std::nullopt;
    if (!text) {
        warn("not loaded (only files beside the movie load): " + load.url);
    }
    const Value into = level ? (clip ? Value(clipObject(clip)) : Value()) : load.into;
    runGuarded([&] {
        if (load.kind == Load::LoadVars) {
            if (text && into.isObject()) {
                const Value bytes(static_cast<double>(text->size()));
                into.o->define("_bytesLoaded", bytes, DontEnum);
                into.o->define("_bytesTotal", bytes, DontEnum);
            }
            const Value arg = text ? makeString(std::move(*text)) : Value();
            callMethodSafely(into, "onData", std::span<const Value>(&arg, 1));
        } else if (text && into.isObject()) {
            DecodeVariables(*this, into, *text);
            callMethodSafely(into, "onData", {});
        }
    });
}

// MovieClipLoader.loadClip: start, progress and complete as the movie arrives, init
// once its first frame has run; an error when it cannot be loaded.
void Vm::finishClipLoad(const PendingLoad& load) {
    const bool level = load.into.isNumber();
    const int number = level ? static_cast<int>(load.into.n) : -1;
    ClipId clip = level ? host_.level(number) : clipOf(load.into);
    bool done = loadedMovies_ < MaxMovieLoads && (level ? host_.loadLevel(number, load.url)
                                                        : clip && host_.loadMovie(clip, load.url));
    if (!done) {
        warn("not loaded (only movies beside the movie load, at most " +
             std::to_string(MaxMovieLoads) + "): " + load.url);
        Broadcast(*this, load.loader, "onLoadError",
                  {clip ? Value(clipObject(clip)) : load.into, Value("URLNotFound")});
        return;
    }
    ++loadedMovies_;
    if (!level) {
        resetClipObject(clip);
    }
    clip = level ? host_.level(number) : clip;
    const Value target(clipObject(clip));
    runGuarded([&] { DecodeVariables(*this, target, QueryOf(load.url)); });
    const Value bytes(static_cast<double>(host_.movieFacts(clip).fileBytes));
    Broadcast(*this, load.loader, "onLoadStart", {target});
    Broadcast(*this, load.loader, "onLoadProgress", {target, bytes, bytes});
    Broadcast(*this, load.loader, "onLoadComplete", {target, Value(0.0)});
    inits_.emplace_back(load.loader, clip);
}

void Vm::resetClipObject(ClipId clip) {
    const auto it = clips_.find(clip);
    if (it == clips_.end()) {
        return;
    }
    Object* o = it->second;
    std::vector<std::string> names;
    for (const Property& p : o->properties()) {
        names.push_back(p.name);
    }
    for (const std::string& name : names) {
        o->remove(name);
    }
    o->watchers.clear();
    o->proto = movieClipProto;
    classed_.erase(clip);
}

void Vm::finishInits() {
    std::vector<std::pair<Value, ClipId>> inits;
    inits.swap(inits_);
    for (const auto& [loader, clip] : inits) {
        if (host_.exists(clip)) {
            Broadcast(*this, loader, "onLoadInit", {Value(clipObject(clip))});
        }
    }
}

} // namespace quillon::engine::avm1
