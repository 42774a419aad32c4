#pragma once
// The sound device the player writes its mixed sound to: 44.1 kHz stereo 16-bit through
// Qt Multimedia. Without a device (a server, CI) everything written is dropped quietly.

#include <cstdint>
#include <memory>
#include <span>

class QAudioSink;
class QIODevice;

namespace quillon::player {

class AudioOutput {
public:
    AudioOutput();
    ~AudioOutput();

    // Whether the system offers an output device at all.
    static bool DeviceAvailable();
    // Opens the default device; false, and silent until the next start, when there is
    // none or it fails to open.
    bool start();
    // Drops what is queued and closes the device.
    void stop();
    bool active() const { return device_ != nullptr; }
    // Queues interleaved stereo samples, so that at most maxQueuedUs of sound wait in the
    // device's buffer; what does not fit is dropped (and counted).
    void write(std::span<const std::int16_t> samples, std::int64_t maxQueuedUs);
    // Microseconds of sound the device has played since start.
    std::int64_t playedMicroseconds() const;
    // Microseconds of sound written but dropped since start: with the played ones, how
    // far into what was written the device is.
    std::int64_t droppedMicroseconds() const { return droppedBytes_ * 1000000 / BytesPerSecond; }

    static constexpr std::int64_t BytesPerSecond = 44100 * 2 * 2;

private:
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;
    std::int64_t writtenBytes_ = 0;
    std::int64_t droppedBytes_ = 0;
};

} // namespace quillon::player
