#pragma once
// Embedded video streams decoded with libavcodec: Sorenson H.263, screen video, VP6
// and VP6 with alpha.

#include <QImage>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace quillon::engine {

// Makes a premultiplied picture valid: no colour channel above the alpha. Decoded video
// with an alpha stream is premultiplied by its encoder, but lossy coding lets colours
// stray above their alpha.
void ClampToAlpha(QImage& image);

class VideoDecoder {
public:
    // codec is the stream's codec number from DefineVideoStream.
    explicit VideoDecoder(int codec);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    bool isOpen() const;
    // Feeds one packet; returns the picture it completes (null when none).
    QImage decode(std::span<const std::uint8_t> packet);
    // Forgets all state, to start again from a key frame.
    void reset();
    const std::string& error() const { return error_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int codec_;
    std::string error_;
};

} // namespace quillon::engine
