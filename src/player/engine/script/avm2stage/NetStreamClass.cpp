// flash.net.NetStream: plays a local FLV file beside the movie, or FLV bytes the script
// appends, on the movie's clock. Its status changes reach the script as netStatus
// events and its data tags as calls on its client, a frame after they happen.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/MediaState.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

Value StreamInit(Vm& vm, const Value& self, std::span<const Value> args) {
    MediaState& media = MediaOf(vm);
    const Value& connection = Arg(args, 0);
    const auto found = connection.isObject() ? media.connections.find(connection.asObject())
                                             : media.connections.end();
    if (found == media.connections.end() || !found->second.connected) {
        vm.throwError(ErrorKind::ArgumentError, 2126, "NetConnection object must be connected.");
    }
    if (media.streamOrder.size() >= MaxNetStreams) {
        vm.limitReached("the limit of streams");
    }
    media.streams[self.asObject()].playback = std::make_unique<FlvPlayback>(true);
    media.streamOrder.push_back(self.asObject());
    return Value();
}

Value Play(Vm& vm, const Value& self, std::span<const Value> args) {
    NetStreamRecord& s = StreamOf(vm, self);
    const Value& name = Arg(args, 0);
    if (name.isNullish()) {
        s.playback->playAppended();
        return Value();
    }
    const std::string url = ToString(vm, name);
    const auto& read = StateOf(vm).readFile;
    std::optional<std::string> file = read ? read(url) : std::nullopt;
    if (!file) {
        StateOf(vm).warning("NetStream.play: " + url + " cannot be read beside the movie");
        s.playback->play(std::nullopt);
        return Value();
    }
    s.playback->play(std::vector<std::uint8_t>(file->begin(), file->end()));
    return Value();
}

Value AppendBytes(Vm& vm, const Value& self, std::span<const Value> args) {
    NetStreamRecord& s = StreamOf(vm, self);
    const Value& bytes = Arg(args, 0);
    if (!bytes.isObject() || bytes.asObject()->kind != ObjectKind::ByteArray) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter bytes must be non-null.");
    }
    s.playback->append(static_cast<ByteArrayObject*>(bytes.asObject())->bytes);
    return Value();
}

Value AppendBytesAction(Vm& vm, const Value& self, std::span<const Value> args) {
    StreamOf(vm, self).playback->appendAction(ToString(vm, Arg(args, 0)));
    return Value();
}

// pause, resume, togglePause, close: numbered by the callee's place in the table below.
template <int Which> Value Control(Vm& vm, const Value& self, std::span<const Value>) {
    FlvPlayback& p = *StreamOf(vm, self).playback;
    if constexpr (Which == 0) {
        p.pause();
    } else if constexpr (Which == 1) {
        p.resume();
    } else if constexpr (Which == 2) {
        p.paused() ? p.resume() : p.pause();
    } else {
        p.close();
    }
    return Value();
}

Value Seek(Vm& vm, const Value& self, std::span<const Value> args) {
    StreamOf(vm, self).playback->seek(ToNumber(vm, Arg(args, 0)));
    return Value();
}

template <auto Measure> Value Reading(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(static_cast<double>((StreamOf(vm, self).playback.get()->*Measure)()));
}

Value GetClient(Vm& vm, const Value& self, std::span<const Value>) {
    const Value& client = StreamOf(vm, self).client;
    return client.isUndefined() ? self : client;
}
Value SetClient(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& client = Arg(args, 0);
    if (!client.isObject()) {
        vm.throwError(ErrorKind::TypeError, 2004, "One of the parameters is invalid.");
    }
    StreamOf(vm, self).client = client;
    return Value();
}
Value GetBufferTime(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberValue(StreamOf(vm, self).bufferTime);
}
Value SetBufferTime(Vm& vm, const Value& self, std::span<const Value> args) {
    StreamOf(vm, self).bufferTime = ToNumber(vm, Arg(args, 0));
    return Value();
}

// A data tag calls the client's handler of that name with the tag's value.
void CallClient(Vm& vm, Object* stream, const NetStreamRecord& s, const ScriptData& data) {
    const Value client = s.client.isUndefined() ? Value::object(stream) : s.client;
    const Value handler = GetPublic(vm, client, data.name);
    if (!handler.isObject() || handler.asObject()->kind != ObjectKind::Function) {
        StateOf(vm).warning("NetStream was unable to invoke callback " + data.name);
        return;
    }
    const Value arg = ScriptValue(vm, data.value);
    CallValue(vm, handler, client, std::span(&arg, 1));
}

void Deliver(Vm& vm, Object* stream, const StreamEvent& event) {
    MediaState& media = MediaOf(vm);
    const auto it = media.streams.find(stream);
    if (it == media.streams.end()) {
        return;
    }
    if (event.kind == StreamEvent::Kind::Data) {
        CallClient(vm, stream, it->second, event.data);
    } else {
        SendNetStatus(vm, stream, event.code, event.level, event.description);
    }
}

} // namespace

NetStreamRecord& StreamOf(Vm& vm, const Value& self) {
    MediaState& media = MediaOf(vm);
    const auto it = self.isObject() ? media.streams.find(self.asObject()) : media.streams.end();
    if (it == media.streams.end()) {
        vm.throwError(ErrorKind::TypeError, 1009,
                      "Cannot access a property or method of a null object reference.");
    }
    return it->second;
}

void AdvanceStreams(Vm& vm, double frameMs) {
    StageState& state = StateOf(vm);
    if (!state.media) {
        return;
    }
    const std::vector<Object*> order = state.media->streamOrder;
    for (Object* stream : order) {
        std::vector<StreamEvent> events;
        FlvPlayback& playback = *state.media->streams[stream].playback;
        playback.advance(frameMs, events);
        for (const std::string& warning : playback.takeWarnings()) {
            state.warning("NetStream: " + warning);
        }
        for (const StreamEvent& event : events) {
            Guarded(vm, [&] { Deliver(vm, stream, event); });
        }
    }
}

void InstallNetStreamClass(Vm& vm) {
    NativeClass(vm, "NetStream", BuiltinClass(vm, "flash.events", "EventDispatcher"), "flash.net")
        .init(StreamInit)
        .methods({{"play", Play},
                  {"appendBytes", AppendBytes},
                  {"appendBytesAction", AppendBytesAction},
                  {"pause", Control<0>},
                  {"resume", Control<1>},
                  {"togglePause", Control<2>},
                  {"close", Control<3>},
                  {"seek", Seek}})
        .getters({{"time", Reading<&FlvPlayback::time>},
                  {"bytesLoaded", Reading<&FlvPlayback::bytesLoaded>},
                  {"bytesTotal", Reading<&FlvPlayback::bytesTotal>},
                  {"client", GetClient},
                  {"bufferTime", GetBufferTime}})
        .setter("client", SetClient)
        .setter("bufferTime", SetBufferTime)
        .getter("bufferLength",
                [](Vm&, const Value&, std::span<const Value>) { return Value::integer(0); });
}

} // namespace quillon::engine::avm2stage
