// Streams played on a clock: the status codes in the player's order, pictures shown at
// their presentation time (H.264 with B-frames in presentation order), seeking, appended
// bytes, and damaged data ending the stream with a warning.

#include "player/engine/video/FlvPlayback.h"

#include "FlvTestStreams.h"
#include "player/engine/video/VideoFeed.h"

#include <gtest/gtest.h>

namespace {

using namespace quillon::engine;
namespace flv = quillon::testing;
using flv::FlvBytes;
using flv::FlvTagSpec;

constexpr int FrameMs = 100;
const std::vector<std::uint32_t> Colours = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00,
                                            0x00ffff, 0xff00ff, 0xffffff, 0x000000};

// The index in Colours nearest to the picture's middle pixel.
int ColourShown(const FlvPlayback& playback) {
    const QImage picture = playback.feed()->picture();
    if (picture.isNull()) {
        return -1;
    }
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    int best = -1, bestDistance = 1 << 30;
    for (std::size_t i = 0; i < Colours.size(); ++i) {
        const QColor want(QRgb(Colours[i]));
        const int d = std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                      std::abs(c.blue() - want.blue());
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return bestDistance < 60 ? best : -1;
}

FlvBytes ColourFile(int codec) {
    const flv::EncodedStream stream = flv::EncodeColours(codec, 32, 32, Colours);
    if (stream.packets.empty()) {
        return {};
    }
    std::vector<FlvTagSpec> tags = {{18, 0, flv::MetaDataBody(0.8, 32, 32)}};
    for (FlvTagSpec& tag : flv::VideoTags(codec, stream, FrameMs)) {
        tags.push_back(std::move(tag));
    }
    return flv::WriteFlv(tags);
}

std::vector<std::string> Codes(const std::vector<StreamEvent>& events) {
    std::vector<std::string> out;
    for (const StreamEvent& e : events) {
        out.push_back(e.kind == StreamEvent::Kind::Data ? "data " + e.data.name : e.code);
    }
    return out;
}

// Plays to the end, one advance a frame of the stream; the distinct colours shown.
std::vector<int> PlayThrough(FlvPlayback& playback, std::vector<StreamEvent>& events) {
    std::vector<int> shown;
    for (int step = 0; step < 40; ++step) {
        playback.advance(FrameMs, events);
        const int colour = ColourShown(playback);
        if (colour >= 0 && (shown.empty() || shown.back() != colour)) {
            shown.push_back(colour);
        }
    }
    return shown;
}

const std::vector<int> AllInOrder = {0, 1, 2, 3, 4, 5, 6, 7};

TEST(FlvPlayback, PlaysAFileWithTheStatusCodesInThePlayersOrder) {
    const FlvBytes file = ColourFile(2);
    ASSERT_FALSE(file.empty()) << "the Sorenson encoder is part of libavcodec";
    FlvPlayback playback(true);
    playback.play(file);
    std::vector<StreamEvent> events;
    EXPECT_EQ(PlayThrough(playback, events), AllInOrder);
    EXPECT_EQ(Codes(events),
              (std::vector<std::string>{"NetStream.Play.Start", "NetStream.Buffer.Full",
                                        "data onMetaData", "NetStream.Buffer.Flush",
                                        "NetStream.Play.Stop", "NetStream.Buffer.Empty"}));
    EXPECT_EQ(events[2].data.value.member("duration")->number, 0.8);
    EXPECT_EQ(playback.videoWidth(), 32);
    EXPECT_EQ(playback.bytesLoaded(), file.size());
    EXPECT_TRUE(playback.takeWarnings().empty());
}

TEST(FlvPlayback, H264WithBFramesShowsEveryPictureInPresentationOrder) {
    const FlvBytes file = ColourFile(7);
    if (file.empty()) {
        GTEST_SKIP() << "no H.264 encoder installed";
    }
    FlvPlayback playback(true);
    playback.play(file);
    std::vector<StreamEvent> events;
    EXPECT_EQ(PlayThrough(playback, events), AllInOrder);
    EXPECT_EQ(Codes(events).back(), "NetStream.Buffer.Empty");
    EXPECT_TRUE(playback.takeWarnings().empty());
}

TEST(FlvPlayback, AppendedBytesPlayLikeAFileWhateverTheirPieces) {
    const FlvBytes file = ColourFile(2);
    ASSERT_FALSE(file.empty());
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        FlvPlayback playback(true);
        playback.playAppended();
        for (std::size_t at = 0; at < file.size(); at += piece) {
            playback.append(std::span(file).subspan(at, std::min(piece, file.size() - at)));
        }
        playback.appendAction("endSequence");
        std::vector<StreamEvent> events;
        EXPECT_EQ(PlayThrough(playback, events), AllInOrder) << piece;
        EXPECT_EQ(Codes(events).back(), "NetStream.Buffer.Empty") << piece;
    }
}

TEST(FlvPlayback, SeekingLandsOnAKeyFrameAndReportsIt) {
    const FlvBytes file = ColourFile(2);
    ASSERT_FALSE(file.empty());
    FlvPlayback playback(true);
    playback.play(file);
    std::vector<StreamEvent> events;
    for (int i = 0; i < 5; ++i) {
        playback.advance(FrameMs, events);
    }
    events.clear();
    playback.seek(0.05);
    EXPECT_EQ(playback.time(), 0); // the only key frame is the first
    playback.pause();
    playback.advance(FrameMs, events);
    EXPECT_EQ(Codes(events),
              (std::vector<std::string>{"NetStream.SeekStart.Notify", "NetStream.Seek.Notify",
                                        "NetStream.Seek.Complete", "NetStream.Pause.Notify"}));
    EXPECT_EQ(events[0].description, "Start Seeking 50");
    EXPECT_EQ(playback.time(), 0); // paused: the clock stands
    FlvPlayback older(false);
    older.play(file);
    older.seek(0.3);
    events.clear();
    older.advance(0, events);
    EXPECT_EQ(Codes(events)[1], "NetStream.Seek.Notify"); // the only seek code it hears
    EXPECT_EQ(Codes(events)[2], "NetStream.Buffer.Full");
}

TEST(FlvPlayback, MissingCutAndForeignDataEndTheStreamWithAStatus) {
    FlvPlayback missing(true);
    missing.play(std::nullopt);
    std::vector<StreamEvent> events;
    missing.advance(FrameMs, events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, "NetStream.Play.StreamNotFound");
    EXPECT_EQ(events[0].level, "error");

    FlvPlayback foreign(true);
    foreign.play(FlvBytes(100, 'x'));
    events.clear();
    foreign.advance(FrameMs, events);
    foreign.advance(FrameMs, events);
    EXPECT_EQ(Codes(events).back(), "NetStream.Play.FileStructureInvalid");
    EXPECT_FALSE(foreign.takeWarnings().empty());

    FlvBytes file = ColourFile(2);
    ASSERT_FALSE(file.empty());
    file.resize(file.size() * 2 / 3);
    FlvPlayback cut(true);
    cut.play(file);
    events.clear();
    const std::vector<int> shown = PlayThrough(cut, events);
    EXPECT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), AllInOrder.size());
    EXPECT_EQ(Codes(events).back(), "NetStream.Buffer.Empty");
    EXPECT_FALSE(cut.takeWarnings().empty());
}

} // namespace
