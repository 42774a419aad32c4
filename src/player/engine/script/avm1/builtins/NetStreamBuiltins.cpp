// NetConnection, NetStream and Video.attachVideo. A movie reaches no server: connect(null)
// is the one connection that succeeds, and a stream plays a local FLV file beside the
// movie, on the movie's clock.

#include "player/engine/script/avm1/NetStreams.h"
#include "player/engine/script/avm1/builtins/Helpers.h"

#include <algorithm>

namespace quillon::engine::avm1 {

namespace {

NetStreams& StreamsOf(Vm& vm) {
    if (!vm.netStreams) {
        vm.netStreams = std::make_shared<NetStreams>();
    }
    return *vm.netStreams;
}

FlvPlayback* PlaybackOf(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    for (auto& [object, playback] : StreamsOf(vm).streams) {
        if (object == o) {
            return playback.get();
        }
    }
    return nullptr;
}

Object* StatusInfo(Vm& vm, const std::string& code, const std::string& level,
                   const std::string& description = {}) {
    Object* info = vm.newObject();
    info->put("code", vm.makeString(code));
    if (!description.empty()) {
        info->put("description", vm.makeString(description));
    }
    info->put("level", vm.makeString(level));
    return info;
}

Value Connect(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value(false);
    }
    const bool local = c.arg(0).isNull() || c.arg(0).isUndefined();
    o->put("isConnected", Value(local));
    if (!local) {
        vm.warn("NetConnection.connect to a server is refused: movies reach no network");
    }
    const Value info(
        StatusInfo(vm, local ? "NetConnection.Connect.Success" : "NetConnection.Connect.Failed",
                   local ? "status" : "error"));
    vm.callMethodSafely(c.thisValue, "onStatus", std::span(&info, 1));
    return Value(local);
}

Value ConnectionCtor(Vm&, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->put("isConnected", Value(false));
    }
    return c.thisValue;
}

Value StreamCtor(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    NetStreams& streams = StreamsOf(vm);
    if (o && streams.streams.size() < MaxNetStreams) {
        streams.streams.emplace_back(o, std::make_unique<FlvPlayback>(false));
    }
    return c.thisValue;
}

Value Play(Vm& vm, CallInfo& c) {
    FlvPlayback* p = PlaybackOf(vm, c);
    if (!p) {
        return Value();
    }
    const std::string url = vm.toString(c.arg(0));
    std::optional<std::string> file = vm.readFile ? vm.readFile(url) : std::nullopt;
    if (!file) {
        vm.warn("NetStream.play: " + url + " cannot be read beside the movie");
        p->play(std::nullopt);
    } else {
        p->play(std::vector<std::uint8_t>(file->begin(), file->end()));
    }
    return Value();
}

// pause() toggles, pause(true) pauses, pause(false) resumes.
Value Pause(Vm& vm, CallInfo& c) {
    if (FlvPlayback* p = PlaybackOf(vm, c)) {
        const bool pause =
            c.args.empty() || c.arg(0).isUndefined() ? !p->paused() : vm.toBool(c.arg(0));
        pause ? p->pause() : p->resume();
    }
    return Value();
}

Value Seek(Vm& vm, CallInfo& c) {
    if (FlvPlayback* p = PlaybackOf(vm, c)) {
        p->seek(vm.toNumber(c.arg(0)));
    }
    return Value();
}

Value Close(Vm& vm, CallInfo& c) {
    if (FlvPlayback* p = PlaybackOf(vm, c)) {
        p->close();
    }
    return Value();
}

// time, bytesLoaded and bytesTotal, by the getter's number.
Value Reading(Vm& vm, CallInfo& c) {
    FlvPlayback* p = PlaybackOf(vm, c);
    if (!p) {
        return Value(0.0);
    }
    switch (c.callee->magic) {
    case 0:
        return Value(p->time());
    case 1:
        return Value(static_cast<double>(p->bytesLoaded()));
    default:
        return Value(static_cast<double>(p->bytesTotal()));
    }
}

Value AttachVideo(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o || !o->clip) {
        return Value();
    }
    NetStreams& streams = StreamsOf(vm);
    auto& screen = streams.screens[o->clip];
    if (!screen) {
        screen = std::make_shared<VideoScreen>();
    }
    screen->feed = nullptr;
    screen->hiddenUpTo = 0;
    const Value& source = c.arg(0);
    for (auto& [object, playback] : streams.streams) {
        if (source.isObject() && source.o == object) {
            screen->feed = playback->feed();
        }
    }
    vm.host().showVideo(o->clip, screen);
    return Value();
}

// clear() takes the picture on show away; the stream's next one shows again.
Value ClearVideo(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    NetStreams& streams = StreamsOf(vm);
    const auto it = o ? streams.screens.find(o->clip) : streams.screens.end();
    if (it == streams.screens.end()) {
        return Value();
    }
    for (auto& [object, playback] : streams.streams) {
        if (playback->feed() == it->second->feed) {
            it->second->hiddenUpTo = playback->pictureSerial();
        }
    }
    return Value();
}

Value VideoCtor(Vm&, CallInfo& c) {
    return c.thisValue;
}

void Getters(Vm& vm, Object* proto, std::initializer_list<const char*> names) {
    int magic = 0;
    for (const char* name : names) {
        proto->define(name, Value(), DontEnum);
        proto->find(name)->getter = vm.newNative(Reading, magic++);
    }
}

} // namespace

void InstallNetStreamBuiltins(Vm& vm) {
    vm.defineClass("NetConnection", ConnectionCtor, {{"connect", Connect}});
    Object* stream =
        vm.defineClass("NetStream", StreamCtor,
                       {{"play", Play}, {"pause", Pause}, {"seek", Seek}, {"close", Close}});
    Getters(vm, stream, {"time", "bytesLoaded", "bytesTotal"});
    vm.videoProto =
        vm.defineClass("Video", VideoCtor, {{"attachVideo", AttachVideo}, {"clear", ClearVideo}});
}

} // namespace quillon::engine::avm1
