#include "player/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace quillon::player {

namespace {

constexpr int Rate = 44100;
constexpr int Channels = 2;
// A quarter of a second queued: enough to ride out a late frame, short enough that Stop
// is heard at once.
constexpr qsizetype BufferBytes = Rate * Channels * 2 / 4;

} // namespace

AudioOutput::AudioOutput() = default;

AudioOutput::~AudioOutput() {
    stop();
}

bool AudioOutput::DeviceAvailable() {
    return !QMediaDevices::defaultAudioOutput().isNull();
}

bool AudioOutput::start() {
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(Rate);
    format.setChannelCount(Channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        return false;
    }
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(BufferBytes);
    device_ = sink_->start();
    if (!device_ || sink_->error() != QAudio::NoError) {
        stop();
        return false;
    }
    return true;
}

void AudioOutput::stop() {
    if (sink_) {
        sink_->reset();
    }
    device_ = nullptr;
    sink_.reset();
    writtenBytes_ = 0;
    droppedBytes_ = 0;
}

void AudioOutput::write(std::span<const std::int16_t> samples, std::int64_t maxQueuedUs) {
    if (!device_) {
        return;
    }
    const auto bytes = static_cast<qint64>(samples.size_bytes());
    const qint64 free = sink_->bytesFree();
    const qint64 queued = std::max<qint64>(0, sink_->bufferSize() - free);
    const qint64 room = std::min(free, maxQueuedUs * BytesPerSecond / 1000000 - queued);
    const qint64 fits = std::clamp<qint64>(room, 0, bytes) & ~qint64{3};
    if (fits > 0) {
        device_->write(reinterpret_cast<const char*>(samples.data()), fits);
    }
    writtenBytes_ += std::max<qint64>(0, fits);
    droppedBytes_ += bytes - std::max<qint64>(0, fits);
}

std::int64_t AudioOutput::playedMicroseconds() const {
    if (!sink_) {
        return 0;
    }
    // What was written less what still waits in the buffer: the sink's own count of
    // processed sound includes the buffer.
    const qint64 queued = std::max<qint64>(0, sink_->bufferSize() - sink_->bytesFree());
    return std::max<std::int64_t>(0, writtenBytes_ - queued) * 1000000 / BytesPerSecond;
}

} // namespace quillon::player
