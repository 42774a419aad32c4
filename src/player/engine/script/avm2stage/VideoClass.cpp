// flash.media.Video: a display object that shows the pictures of the NetStream attached
// to it, stretched over its size.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/MediaState.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// A Video's area in pixels must stay below 2^29 and each side below 2^31 twips.
constexpr double MaxVideoArea = 536870912.0;
constexpr double MaxVideoSide = 2147483648.0 / 20;

VideoScreen& ScreenOf(Vm& vm, const Value& self) {
    DisplayRecord* r = DisplayOf(vm, self);
    if (!r || !r->video) {
        vm.throwError(ErrorKind::TypeError, 1009,
                      "Cannot access a property or method of a null object reference.");
    }
    return *r->video;
}

Value VideoInit(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayInit(vm, self, {});
    // Missing sizes take their defaults; given ones are ints, and a zero in either
    // gives the default pair.
    double width = args.size() > 0 ? ToInt32(vm, args[0]) : 320;
    double height = args.size() > 1 ? ToInt32(vm, args[1]) : 240;
    if (width < 0 || height < 0) {
        vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
    }
    if (width == 0 || height == 0) {
        width = 320;
        height = 240;
    }
    if (width * height >= MaxVideoArea || width >= MaxVideoSide || height >= MaxVideoSide) {
        vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
    }
    auto screen = std::make_shared<VideoScreen>();
    screen->width = width;
    screen->height = height;
    StateOf(vm).displays[self.asObject()].video = std::move(screen);
    return Value();
}

Value AttachNetStream(Vm& vm, const Value& self, std::span<const Value> args) {
    VideoScreen& screen = ScreenOf(vm, self);
    MediaState& media = MediaOf(vm);
    const Value& stream = Arg(args, 0);
    if (stream.isNullish()) {
        screen.feed = nullptr;
        media.videoStreams.erase(self.asObject());
        return Value();
    }
    screen.feed = StreamOf(vm, stream).playback->feed();
    screen.hiddenUpTo = 0;
    media.videoStreams[self.asObject()] = stream.asObject();
    const DisplayRecord& r = *DisplayOf(vm, self);
    if (r.clip) {
        StateOf(vm).host.showVideo(r.clip, r.video); // a Video the timeline placed
    }
    return Value();
}

Value Clear(Vm& vm, const Value& self, std::span<const Value>) {
    VideoScreen& screen = ScreenOf(vm, self);
    const auto it = MediaOf(vm).videoStreams.find(self.asObject());
    if (it != MediaOf(vm).videoStreams.end()) {
        screen.hiddenUpTo = StreamOf(vm, Value::object(it->second)).playback->pictureSerial();
    }
    return Value();
}

template <bool Width> Value VideoSize(Vm& vm, const Value& self, std::span<const Value>) {
    ScreenOf(vm, self);
    const auto it = MediaOf(vm).videoStreams.find(self.asObject());
    if (it == MediaOf(vm).videoStreams.end()) {
        return Value::integer(0);
    }
    const FlvPlayback& p = *StreamOf(vm, Value::object(it->second)).playback;
    return Value::integer(Width ? p.videoWidth() : p.videoHeight());
}

Value GetSmoothing(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(ScreenOf(vm, self).smoothing);
}
Value SetSmoothing(Vm& vm, const Value& self, std::span<const Value> args) {
    ScreenOf(vm, self).smoothing = ToBoolean(Arg(args, 0));
    return Value();
}
Value GetDeblocking(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::integer(ScreenOf(vm, self).deblocking);
}
Value SetDeblocking(Vm& vm, const Value& self, std::span<const Value> args) {
    ScreenOf(vm, self).deblocking = ToInt32(vm, Arg(args, 0));
    return Value();
}

} // namespace

void InstallVideoClass(Vm& vm) {
    NativeClass(vm, "Video", BuiltinClass(vm, "flash.display", "DisplayObject"), "flash.media")
        .init(VideoInit)
        .methods({{"attachNetStream", AttachNetStream},
                  {"clear", Clear},
                  {"attachCamera",
                   [](Vm&, const Value&, std::span<const Value>) {
                       return Value(); // a preview has no camera
                   }}})
        .getters({{"videoWidth", VideoSize<true>},
                  {"videoHeight", VideoSize<false>},
                  {"smoothing", GetSmoothing},
                  {"deblocking", GetDeblocking}})
        .setter("smoothing", SetSmoothing)
        .setter("deblocking", SetDeblocking);
}

} // namespace quillon::engine::avm2stage
