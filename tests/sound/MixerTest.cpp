// The mixer alone: transforms, clipping, completion and the channel limit.

#include "player/engine/sound/SoundMixer.h"

#include <gtest/gtest.h>

namespace quillon::engine {
namespace {

std::shared_ptr<const Pcm> Level(std::size_t frames, std::int16_t left, std::int16_t right) {
    auto pcm = std::make_shared<Pcm>();
    for (std::size_t i = 0; i < frames; ++i) {
        pcm->samples.push_back(left);
        pcm->samples.push_back(right);
    }
    return pcm;
}

std::vector<std::int16_t> Mix(SoundMixer& mixer, std::size_t frames) {
    std::vector<std::int16_t> out(frames * 2, 0);
    mixer.mix(out);
    return out;
}

TEST(SoundMixer, VolumeAndPanReachEachSide) {
    struct Case {
        double volume, pan;
        int left, right;
    };
    for (const Case c : {Case{100, 0, 10000, 8000}, Case{50, 0, 5000, 4000},
                         Case{100, -100, 10000, 0}, Case{100, 50, 5000, 8000}}) {
        SoundMixer mixer;
        PlayRequest request;
        request.pcm = Level(10, 10000, 8000);
        request.transform = VolumePanTransform(c.volume, c.pan);
        mixer.play(request);
        const auto out = Mix(mixer, 1);
        EXPECT_EQ(out[0], c.left) << c.volume << " " << c.pan;
        EXPECT_EQ(out[1], c.right) << c.volume << " " << c.pan;
    }
}

TEST(SoundMixer, SwappedSidesAndMasterVolume) {
    SoundMixer mixer;
    PlayRequest request;
    request.pcm = Level(10, 1000, 3000);
    request.transform = {0, 1, 1, 0, 1}; // left to right, right to left
    mixer.play(request);
    mixer.setMasterTransform({1, 0, 0, 1, 0.5f});
    const auto out = Mix(mixer, 1);
    EXPECT_EQ(out[0], 1500);
    EXPECT_EQ(out[1], 500);
}

TEST(SoundMixer, LoudSumsClipInsteadOfWrapping) {
    SoundMixer mixer;
    PlayRequest request;
    request.pcm = Level(10, 30000, -30000);
    mixer.play(request);
    mixer.play(request);
    const auto out = Mix(mixer, 1);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
}

TEST(SoundMixer, EndedChannelsAreReportedOnceAndStoppedOnesNot) {
    SoundMixer mixer;
    PlayRequest request;
    request.pcm = Level(10, 1, 1);
    const auto ends = mixer.play(request);
    const auto stopped = mixer.play(request);
    mixer.stop(stopped);
    EXPECT_TRUE(mixer.isPlaying(ends));
    Mix(mixer, 20);
    EXPECT_FALSE(mixer.isPlaying(ends));
    EXPECT_EQ(mixer.takeFinished(), std::vector<SoundMixer::Channel>{ends});
    EXPECT_TRUE(mixer.takeFinished().empty());
}

TEST(SoundMixer, RefusesStartsPastTheLimitAndEmptySounds) {
    SoundMixer mixer;
    PlayRequest request;
    request.pcm = Level(10, 1, 1);
    for (std::size_t i = 0; i < SoundMixer::MaxChannels; ++i) {
        ASSERT_NE(mixer.play(request), 0u);
    }
    EXPECT_EQ(mixer.play(request), 0u);
    mixer.stopAll();
    request.start = 10; // nothing left to play
    EXPECT_EQ(mixer.play(request), 0u);
    request.pcm = nullptr;
    EXPECT_EQ(mixer.play(request), 0u);
}

} // namespace
} // namespace quillon::engine
