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
}

void AudioOutput::write(std::span<const std::int16_t> samples) {
    if (!device_) {
        return;
    }
    const auto bytes = static_cast<qint64>(samples.size_bytes());
    const qint64 room = sink_->bytesFree();
    const qint64 fits = std::min(bytes, room) & ~qint64{3};
    if (fits > 0) {
        device_->write(reinterpret_cast<const char*>(samples.data()), fits);
    }
}

std::int64_t AudioOutput::playedMicroseconds() const {
    return sink_ ? sink_->processedUSecs() : 0;
}

} // namespace quillon::player
