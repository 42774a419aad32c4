// Event sounds and streams as a movie plays them, read sample by sample from the frames
// the engine renders at 10 frames a second (4410 samples a frame).

#include "player/engine/MovieEngine.h"
#include "player/engine/characters/Sound.h"
#include "sound/SoundFixtures.h"

#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

constexpr std::size_t FrameSamples = 4410;
const SoundFormatSpec Mono44k{3, 3, true, false};

// A mono 44.1 kHz sound whose sample i is value(i).
template <class F> Bytes Samples(std::size_t count, F value) {
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(value(i));
    }
    return PcmBytes(samples, false);
}

// Left and right of each rendered sample, frames one after another.
struct Rendered {
    std::vector<std::int16_t> samples;
    int left(std::size_t i) const { return samples.at(2 * i); }
    int right(std::size_t i) const { return samples.at(2 * i + 1); }
};

Rendered Play(MovieWriter& writer, int frames, bool soundOn = true) {
    engine::MovieEngine movie;
    movie.setSoundEnabled(soundOn);
    movie.loadBytes(writer.bytes());
    Rendered out;
    for (int n = 0; n < frames; ++n) {
        if (n > 0) {
            movie.advance();
        }
        movie.renderSound(out.samples);
    }
    EXPECT_EQ(out.samples.size(), static_cast<std::size_t>(frames) * FrameSamples * 2);
    return out;
}

// A movie of one frame that starts a mono 44.1 kHz sound with this sound info, played
// for the frames given.
Rendered PlayStarted(const Bytes& samples, const SoundInfoSpec& info, int frames) {
    MovieWriter writer(100, 100, 10);
    const auto id =
        writer.defineSound(Mono44k, static_cast<std::uint32_t>(samples.size() / 2), samples);
    writer.startSound(id, info);
    writer.showFrame();
    return Play(writer, frames);
}

TEST(EventSound, InAndOutPointsCutTheSound) {
    SoundInfoSpec info;
    info.inPoint = 1000;
    info.outPoint = 3000;
    const Rendered out = PlayStarted(Samples(8000, [](auto i) { return i; }), info, 1);
    EXPECT_EQ(out.left(0), 1000);
    EXPECT_EQ(out.right(1999), 2999);
    EXPECT_EQ(out.left(2000), 0);
    EXPECT_EQ(out.left(4000), 0);
}

TEST(EventSound, LoopsPlayTheSoundAgain) {
    SoundInfoSpec info;
    info.loops = 3;
    const Rendered out = PlayStarted(Samples(1000, [](auto i) { return 1 + i; }), info, 1);
    EXPECT_EQ(out.left(0), 1);
    EXPECT_EQ(out.left(1000), 1);
    EXPECT_EQ(out.left(2999), 1000);
    EXPECT_EQ(out.left(3000), 0);
}

TEST(EventSound, EnvelopeShapesEachSide) {
    SoundInfoSpec info;
    info.envelope = {{0, 0, 32768}, {4000, 32768, 0}};
    const Rendered out = PlayStarted(Samples(8000, [](auto) { return 20000; }), info, 2);
    EXPECT_EQ(out.left(0), 0);
    EXPECT_EQ(out.right(0), 20000);
    EXPECT_NEAR(out.left(2000), 10000, 2);
    EXPECT_NEAR(out.right(2000), 10000, 2);
    EXPECT_EQ(out.left(5000), 20000);
    EXPECT_EQ(out.right(5000), 0);
}

struct SyncCase {
    const char* name;
    bool noMultiple;
    int expected; // level with the sound started twice in one frame
};

class SyncMultiple : public ::testing::TestWithParam<SyncCase> {};

TEST_P(SyncMultiple, StartsASecondCopyOnlyWhenAllowed) {
    MovieWriter writer(100, 100, 10);
    const auto id = writer.defineSound(Mono44k, 9000, Samples(9000, [](auto) { return 1000; }));
    writer.startSound(id);
    SoundInfoSpec second;
    second.noMultiple = GetParam().noMultiple;
    writer.startSound(id, second);
    writer.showFrame();
    const Rendered out = Play(writer, 1);
    EXPECT_EQ(out.left(100), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sync, SyncMultiple,
                         ::testing::Values(SyncCase{"Multiple", false, 2000},
                                           SyncCase{"NoMultiple", true, 1000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EventSound, SyncStopSilencesTheSound) {
    MovieWriter writer(100, 100, 10);
    const auto id = writer.defineSound(Mono44k, 44100, Samples(44100, [](auto) { return 500; }));
    writer.startSound(id);
    writer.showFrame();
    SoundInfoSpec stop;
    stop.syncStop = true;
    writer.startSound(id, stop);
    writer.showFrame();
    writer.doAction(actions::Block({actions::Stop()}));
    writer.showFrame();
    const Rendered out = Play(writer, 2);
    EXPECT_EQ(out.left(FrameSamples - 1), 500);
    EXPECT_EQ(out.left(FrameSamples), 0);
}

TEST(EventSound, StartSound2FindsTheSoundByItsName) {
    MovieWriter writer(100, 100, 10);
    const auto id = writer.defineSound(Mono44k, 100, Samples(100, [](auto) { return 700; }));
    writer.exportAsset(id, "Beep");
    writer.startSound2("Beep");
    writer.startSound2("Missing");
    writer.showFrame();
    const Rendered out = Play(writer, 1);
    EXPECT_EQ(out.left(50), 700);
    EXPECT_EQ(out.left(150), 0);
}

TEST(EventSound, SoundOffPlaysNothing) {
    MovieWriter writer(100, 100, 10);
    const auto id = writer.defineSound(Mono44k, 100, Samples(100, [](auto) { return 700; }));
    writer.startSound(id);
    writer.showFrame();
    const Rendered out = Play(writer, 1, false);
    EXPECT_EQ(out.left(50), 0);
}

TEST(EventSound, ButtonsSoundTheirRollOverAndRollOut) {
    MovieWriter writer(100, 100, 10);
    const auto over = writer.defineSound(Mono44k, 100, Samples(100, [](auto) { return 300; }));
    const auto out = writer.defineSound(Mono44k, 100, Samples(100, [](auto) { return 50; }));
    const std::uint16_t button = 40;
    writer.defineButtonSound(button, {{out, {}}, {over, {}}, {0, {}}, {0, {}}});
    writer.showFrame();
    engine::MovieEngine movie;
    movie.loadBytes(writer.bytes());
    const auto levelAfter = [&](engine::ButtonTransition transition) {
        movie.buttonStateChanged(button, transition);
        std::vector<std::int16_t> samples;
        movie.renderSound(samples);
        return static_cast<int>(samples.at(10));
    };
    EXPECT_EQ(levelAfter(engine::ButtonTransition::UpToOver), 300);
    EXPECT_EQ(levelAfter(engine::ButtonTransition::OverToUp), 50);
    EXPECT_EQ(levelAfter(engine::ButtonTransition::OverToDown), 0);
}

// A timeline of frames whose stream blocks hold the level 1000 * (frame + 1).
void StreamFrames(TagStream& timeline, int frames) {
    timeline.soundStreamHead(Mono44k, FrameSamples);
    for (int f = 0; f < frames; ++f) {
        timeline.soundStreamBlock(Samples(FrameSamples, [&](auto) { return 1000 * (f + 1); }));
        timeline.showFrame();
    }
}

TEST(StreamSound, BlocksStayWithTheirFramesAcrossSeeksAndLoops) {
    MovieWriter writer(100, 100, 10);
    StreamFrames(writer, 6);
    engine::MovieEngine movie;
    movie.loadBytes(writer.bytes());
    std::vector<std::int16_t> out;
    const auto level = [&] {
        out.clear();
        movie.renderSound(out);
        return static_cast<int>(out.at(FrameSamples));
    };
    EXPECT_EQ(level(), 1000);
    movie.advance();
    EXPECT_EQ(level(), 2000);
    movie.gotoFrame(4); // the slider's seek
    EXPECT_EQ(level(), 5000);
    movie.advance();
    EXPECT_EQ(level(), 6000);
    movie.advance(); // the player's loop back to the first frame
    EXPECT_EQ(level(), 1000);
    movie.gotoFrame(2);
    EXPECT_EQ(level(), 3000);
    movie.advance();
    EXPECT_EQ(level(), 4000);
}

TEST(StreamSound, SpriteStreamsPlayWhileTheSpriteIsOnShow) {
    MovieWriter writer(100, 100, 10);
    TagStream sprite;
    StreamFrames(sprite, 3);
    const auto id = writer.defineSprite(sprite);
    writer.place(Place{1, id});
    writer.showFrame();
    writer.showFrame();
    writer.remove(1);
    writer.showFrame();
    const Rendered out = Play(writer, 3);
    EXPECT_EQ(out.left(10), 1000);
    EXPECT_EQ(out.left(FrameSamples + 10), 2000);
    EXPECT_EQ(out.left(2 * FrameSamples + 10), 0); // removed: silent
}

TEST(StreamSound, AStoppedTimelineSilencesItsStream) {
    MovieWriter writer(100, 100, 10);
    writer.soundStreamHead(Mono44k, FrameSamples);
    writer.soundStreamBlock(Samples(2 * FrameSamples, [](auto) { return 900; }));
    writer.doAction(actions::Block({actions::Stop()}));
    writer.showFrame();
    writer.showFrame();
    const Rendered out = Play(writer, 2);
    EXPECT_EQ(out.left(10), 900);
    EXPECT_EQ(out.left(FrameSamples + 10), 0);
}

} // namespace
} // namespace quillon::testing
