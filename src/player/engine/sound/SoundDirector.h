#pragma once
// Plays a running movie's sound: starts and stops the event sounds its frames and
// buttons name, keeps each timeline's stream sound in step with its playhead, and hands
// out the sound of each frame on the movie's clock. Sounds are decoded when first
// played and kept.

#include "player/engine/display/DisplayList.h"
#include "player/engine/parse/ParseContext.h"
#include "player/engine/sound/ScriptSound.h"
#include "player/engine/sound/SoundMixer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace quillon::engine {

class SoundDirector : public ScriptSound {
public:
    // The context's dictionary and sound library must outlive the director.
    explicit SoundDirector(ParseContext& context);
    ~SoundDirector() override;

    // The movie's frame rate (8.8 fixed point; 0 counts as 12 frames a second).
    void setFrameRate(std::uint16_t rate8_8);
    // Off: nothing is started or decoded, and every frame is silent.
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

    // After a frame has run: the sounds of the frames the timelines entered start, and
    // streams follow their playheads. A seek (seek = true) starts no event sound but puts
    // the streams at the frames shown.
    void frameDone(const std::shared_ptr<Clip>& root, bool seek);
    // Appends the sound of the next frame on the movie's clock: 44.1 kHz stereo, as many
    // samples as that frame lasts (the counts are spread so none is lost over time).
    void renderFrame(std::vector<std::int16_t>& out);
    // Samples per channel of the next frame.
    std::size_t nextFrameLength() const;
    // A button's state change, with the sound its DefineButtonSound names for it.
    void buttonTransition(std::uint16_t buttonId, ButtonTransition transition);

    SoundMixer& mixer() { return mixer_; }
    const SoundMixer& mixer() const { return mixer_; }

    // ScriptSound
    std::shared_ptr<const SoundCharacter> findSound(const std::string& name) const override;
    double duration(const SoundCharacter& sound) override;
    Channel start(const SoundCharacter& sound, double offsetSeconds, int loops,
                  const SoundTransform& transform) override;
    void stop(Channel channel) override { mixer_.stop(channel); }
    void stopSound(const SoundCharacter& sound) override { mixer_.stopKey(&sound); }
    void stopAll() override;
    bool isPlaying(Channel channel) const override { return mixer_.isPlaying(channel); }
    double position(Channel channel) const override;
    void setTransform(Channel channel, const SoundTransform& transform) override {
        mixer_.setTransform(channel, transform);
    }
    SoundTransform transform(Channel channel) const override { return mixer_.transform(channel); }
    void setGlobalTransform(const SoundTransform& transform) override {
        mixer_.setMasterTransform(transform);
    }
    SoundTransform globalTransform() const override { return mixer_.masterTransform(); }
    std::vector<Channel> takeCompleted() override { return mixer_.takeFinished(); }

private:
    struct StreamPcm;
    struct Watch {
        std::weak_ptr<Clip> clip;
        int frame = -1;
        Channel stream = 0;
        std::uint64_t seen = 0;
    };
    void visit(const std::shared_ptr<Clip>& clip, bool seek, int depth);
    void follow(Clip& clip, Watch& watch, bool entered, bool contiguous);
    void startEvent(const SoundStart& start);
    std::shared_ptr<const Pcm> eventPcm(const SoundCharacter& sound);
    std::shared_ptr<const StreamPcm> streamPcm(const StreamSound& stream);

    ParseContext& context_;
    SoundMixer mixer_;
    bool enabled_ = true;
    std::uint16_t rate8_8_ = 12 * 256;
    std::uint64_t framesRendered_ = 0;
    std::uint64_t step_ = 0;
    std::map<const Clip*, Watch> watched_;
    std::map<const SoundCharacter*, std::shared_ptr<const Pcm>> events_;
    std::map<const StreamSound*, std::shared_ptr<const StreamPcm>> streams_;
};

} // namespace quillon::engine
