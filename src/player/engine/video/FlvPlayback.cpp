#include "player/engine/video/FlvPlayback.h"

#include "player/engine/video/FlvReader.h"
#include "player/engine/video/VideoDecoder.h"
#include "player/engine/video/VideoFeed.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

// Pictures decoded and waiting for their presentation time; more are shown at once.
constexpr std::size_t MaxWaitingPictures = 32;
// How far past the clock video tags are read while reordered frames hold the next
// picture back, and how many tags that reads at most.
constexpr std::uint32_t ReorderReadAheadMs = 2000;
constexpr int MaxReadAheadTags = 16;
// Tags handled in one advance; a longer run waits for the next.
constexpr int MaxTagsPerAdvance = 4096;
constexpr std::size_t MaxWarnings = 20;

StreamEvent Status(std::string code, std::string description = {}, std::string level = "status") {
    StreamEvent e;
    e.code = std::move(code);
    e.level = std::move(level);
    e.description = std::move(description);
    return e;
}

} // namespace

struct FlvPlayback::Impl {
    bool seekDetail = false;
    bool open = false, paused = false, appended = false;
    bool started = false; // Play.Start has been followed by Buffer.Full
    bool needHeader = true;
    bool dataEnded = false;  // no more tags can be read
    bool bytesEnded = false; // appended streams: endSequence came
    bool stopped = false;
    std::vector<std::uint8_t> bytes;
    std::size_t offset = 0, total = 0;
    std::vector<FlvSeekPoint> index;
    double clock = 0; // milliseconds of stream time
    std::unique_ptr<VideoDecoder> decoder;
    int codec = -1;
    std::vector<std::uint8_t> setup; // the decoder's configuration or adjustment byte
    std::vector<TimedPicture> waiting;
    std::shared_ptr<VideoFeed> feed = std::make_shared<VideoFeed>();
    int width = 0, height = 0;
    std::vector<StreamEvent> pending;
    std::vector<std::string> warnings;

    void warn(std::string text) {
        if (warnings.size() < MaxWarnings) {
            warnings.push_back(std::move(text));
        }
    }
    void restartDecoder() {
        decoder.reset();
        waiting.clear();
    }
    void start(bool fromAppends) {
        *this = Impl{seekDetail, feed};
        open = true;
        appended = fromAppends;
        pending.push_back(Status("NetStream.Play.Start"));
    }
    Impl() = default;
    Impl(bool detail, std::shared_ptr<VideoFeed> f) : seekDetail(detail), feed(std::move(f)) {}

    bool readHeader();
    FlvRead nextTag(FlvTag& tag);
    void handle(const FlvTag& tag, std::vector<StreamEvent>& out);
    void video(const FlvTag& tag);
    void decoderFor(const FlvVideoPacket& packet);
    void collect();
    void readDue(std::vector<StreamEvent>& out);
    void readAhead();
    void showDue();
    void finishIfDone(std::vector<StreamEvent>& out);
};

bool FlvPlayback::Impl::readHeader() {
    if (!needHeader) {
        return true;
    }
    const auto header = ReadFlvHeader(std::span(bytes).subspan(std::min(offset, bytes.size())));
    if (!header) {
        if (bytes.size() - offset >= 9 || !appended || bytesEnded) {
            warn("the stream is not FLV data");
            pending.push_back(Status("NetStream.Play.FileStructureInvalid", {}, "error"));
            dataEnded = stopped = true;
        }
        return false;
    }
    if (bytes.size() - offset < header->firstTag) {
        return false;
    }
    offset += header->firstTag;
    needHeader = false;
    return true;
}

FlvRead FlvPlayback::Impl::nextTag(FlvTag& tag) {
    if (!readHeader()) {
        return FlvRead::Incomplete;
    }
    const FlvRead read = ReadFlvTag(bytes, offset, tag);
    if (read == FlvRead::Damaged) {
        warn("a damaged FLV tag ends the stream");
        dataEnded = true;
        offset = bytes.size();
    } else if (read == FlvRead::Incomplete && (!appended || bytesEnded)) {
        if (offset < bytes.size()) {
            warn("the FLV data ends inside a tag");
        }
        dataEnded = true;
    }
    return read;
}

void FlvPlayback::Impl::handle(const FlvTag& tag, std::vector<StreamEvent>& out) {
    if (tag.type == static_cast<std::uint8_t>(FlvTagType::Video)) {
        video(tag);
    } else if (tag.type == static_cast<std::uint8_t>(FlvTagType::Script)) {
        std::optional<ScriptData> data = ReadScriptData(tag.body);
        if (!data) {
            warn("an FLV script data tag could not be read");
            return;
        }
        StreamEvent e;
        e.kind = StreamEvent::Kind::Data;
        e.data = std::move(*data);
        out.push_back(std::move(e));
    }
    // Audio tags are not played yet.
}

void FlvPlayback::Impl::decoderFor(const FlvVideoPacket& packet) {
    const bool configuration = packet.codec == 7 && packet.avcPacketType == 0;
    if (configuration) {
        setup.assign(packet.payload.begin(), packet.payload.end());
    } else if (packet.adjustment && setup.empty()) {
        setup = {*packet.adjustment};
    }
    if (configuration || packet.codec != codec) {
        restartDecoder();
        codec = packet.codec;
    }
    if (!decoder && !configuration) {
        decoder = std::make_unique<VideoDecoder>(codec, setup);
        if (!decoder->isOpen()) {
            warn(decoder->error());
        }
    }
}

void FlvPlayback::Impl::video(const FlvTag& tag) {
    const std::optional<FlvVideoPacket> packet = ReadFlvVideoPacket(tag.body);
    if (!packet || packet->frameType == 5) {
        return; // too short, or a command frame with no picture
    }
    decoderFor(*packet);
    if (!decoder || packet->avcPacketType != 1) {
        return;
    }
    const std::int64_t dts = tag.timestamp;
    decoder->send(packet->payload, dts, dts + packet->compositionTime);
    collect();
}

void FlvPlayback::Impl::collect() {
    if (!decoder) {
        return;
    }
    for (TimedPicture& p : decoder->receive()) {
        width = p.picture.width();
        height = p.picture.height();
        const auto at =
            std::upper_bound(waiting.begin(), waiting.end(), p.pts,
                             [](std::int64_t pts, const TimedPicture& w) { return pts < w.pts; });
        waiting.insert(at, std::move(p));
    }
    if (waiting.size() > MaxWaitingPictures) {
        const auto extra = static_cast<std::ptrdiff_t>(waiting.size() - MaxWaitingPictures);
        feed->show(waiting[static_cast<std::size_t>(extra - 1)].picture);
        waiting.erase(waiting.begin(), waiting.begin() + extra);
    }
}

void FlvPlayback::Impl::readDue(std::vector<StreamEvent>& out) {
    FlvTag tag;
    for (int n = 0; n < MaxTagsPerAdvance && !dataEnded; ++n) {
        if (nextTag(tag) != FlvRead::Tag || tag.timestamp > clock) {
            return;
        }
        offset = tag.next;
        handle(tag, out);
    }
}

// Reordered pictures come out of the decoder a few packets late: video tags a little
// ahead of the clock are read until the picture due now has come out.
void FlvPlayback::Impl::readAhead() {
    FlvTag tag;
    for (int n = 0; n < MaxReadAheadTags && !dataEnded; ++n) {
        const bool due = !waiting.empty() && waiting.front().pts <= clock;
        if (due || !decoder || nextTag(tag) != FlvRead::Tag ||
            tag.type != static_cast<std::uint8_t>(FlvTagType::Video) ||
            tag.timestamp > clock + ReorderReadAheadMs) {
            return;
        }
        offset = tag.next;
        video(tag);
    }
}

void FlvPlayback::Impl::showDue() {
    std::size_t shown = 0;
    while (shown < waiting.size() && waiting[shown].pts <= clock) {
        ++shown;
    }
    if (shown > 0) {
        feed->show(waiting[shown - 1].picture);
        waiting.erase(waiting.begin(), waiting.begin() + static_cast<std::ptrdiff_t>(shown));
    }
}

void FlvPlayback::Impl::finishIfDone(std::vector<StreamEvent>& out) {
    if (!dataEnded || stopped) {
        return;
    }
    if (decoder) {
        decoder->drain();
        collect();
        decoder.reset(); // drained: a new decoder starts if more comes
    }
    if (!waiting.empty()) {
        return; // the last pictures still wait for their time
    }
    stopped = true;
    out.push_back(Status("NetStream.Buffer.Flush"));
    out.push_back(Status("NetStream.Play.Stop"));
    out.push_back(Status("NetStream.Buffer.Empty"));
}

FlvPlayback::FlvPlayback(bool seekDetail) : impl_(std::make_unique<Impl>()) {
    impl_->seekDetail = seekDetail;
}

FlvPlayback::~FlvPlayback() = default;

void FlvPlayback::play(std::optional<std::vector<std::uint8_t>> file) {
    if (!file) {
        impl_->start(false);
        impl_->pending.back() = Status("NetStream.Play.StreamNotFound", {}, "error");
        impl_->open = false;
        return;
    }
    impl_->start(false);
    impl_->bytes = std::move(*file);
    impl_->total = impl_->bytes.size();
    if (const auto header = ReadFlvHeader(impl_->bytes)) {
        impl_->index = IndexFlv(impl_->bytes, header->firstTag);
    }
}

void FlvPlayback::playAppended() {
    impl_->start(true);
}

void FlvPlayback::append(std::span<const std::uint8_t> data) {
    Impl& s = *impl_;
    if (!s.open || !s.appended) {
        return;
    }
    if (s.offset > s.bytes.size() / 2) {
        // What was read is not needed again: appended streams do not seek back into it.
        s.bytes.erase(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(s.offset));
        s.offset = 0;
    }
    if (s.bytes.size() + data.size() > MaxStreamBytes) {
        s.warn("the appended stream is over its size limit; the rest is dropped");
        return;
    }
    s.bytes.insert(s.bytes.end(), data.begin(), data.end());
    s.total += data.size();
}

void FlvPlayback::appendAction(std::string_view action) {
    Impl& s = *impl_;
    if (action == "endSequence") {
        s.bytesEnded = true;
        return;
    }
    if (action == "resetBegin" || action == "resetSeek") {
        s.bytes.clear();
        s.offset = 0;
        s.needHeader = action == "resetBegin";
        s.dataEnded = s.bytesEnded = s.stopped = false;
        s.restartDecoder();
    }
}

void FlvPlayback::pause() {
    if (impl_->open && !impl_->paused) {
        impl_->paused = true;
        impl_->pending.push_back(Status("NetStream.Pause.Notify", "Pausing"));
    }
}

void FlvPlayback::resume() {
    if (impl_->open && impl_->paused) {
        impl_->paused = false;
        impl_->pending.push_back(Status("NetStream.Unpause.Notify", "Unpausing"));
    }
}

void FlvPlayback::seek(double seconds) {
    Impl& s = *impl_;
    if (!s.open) {
        return;
    }
    const double target = std::isfinite(seconds) ? std::clamp(seconds * 1000, 0.0, 4.0e9) : 0.0;
    if (s.seekDetail) {
        s.pending.push_back(Status("NetStream.SeekStart.Notify",
                                   "Start Seeking " + std::to_string(std::llround(target))));
    }
    s.restartDecoder();
    s.stopped = false;
    if (s.appended) {
        s.bytes.clear(); // the script appends from the new place after resetSeek
        s.offset = 0;
        s.dataEnded = s.bytesEnded = false;
        s.clock = target;
    } else if (const auto point = SeekPointFor(s.index, static_cast<std::uint32_t>(target))) {
        s.offset = point->offset;
        s.dataEnded = false;
        s.needHeader = false;
        s.clock = point->timestamp;
    }
    s.pending.push_back(Status("NetStream.Seek.Notify"));
    if (s.seekDetail) {
        s.pending.push_back(Status("NetStream.Seek.Complete", "Seek Complete -1"));
    }
}

void FlvPlayback::close() {
    impl_->restartDecoder();
    impl_->open = false;
    impl_->pending.clear();
}

void FlvPlayback::advance(double ms, std::vector<StreamEvent>& out) {
    Impl& s = *impl_;
    out.insert(out.end(), std::make_move_iterator(s.pending.begin()),
               std::make_move_iterator(s.pending.end()));
    s.pending.clear();
    if (!s.open || s.paused || s.stopped) {
        return;
    }
    if (!s.started && (!s.appended || !s.bytes.empty())) {
        s.started = true;
        out.push_back(Status("NetStream.Buffer.Full"));
    }
    s.readDue(out);
    s.readAhead();
    s.showDue();
    s.finishIfDone(out);
    if (std::isfinite(ms) && ms > 0) {
        s.clock = std::min(s.clock + ms, 4.0e9);
    }
}

bool FlvPlayback::paused() const {
    return impl_->paused;
}
double FlvPlayback::time() const {
    return impl_->clock / 1000;
}
std::size_t FlvPlayback::bytesLoaded() const {
    return impl_->total;
}
std::size_t FlvPlayback::bytesTotal() const {
    return impl_->total;
}
int FlvPlayback::videoWidth() const {
    return impl_->width;
}
int FlvPlayback::videoHeight() const {
    return impl_->height;
}
std::shared_ptr<const VideoFeed> FlvPlayback::feed() const {
    return impl_->feed;
}
std::uint64_t FlvPlayback::pictureSerial() const {
    return impl_->feed->serial();
}
std::vector<std::string> FlvPlayback::takeWarnings() {
    return std::exchange(impl_->warnings, {});
}

} // namespace quillon::engine
