#pragma once
// Video packets decoded with libavcodec: Sorenson H.263, screen video (both versions),
// VP6, VP6 with alpha and H.264, from a movie's embedded streams or from FLV tags.

#include <QImage>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quillon::engine {

// Makes a premultiplied picture valid: no colour channel above the alpha. Decoded video
// with an alpha stream is premultiplied by its encoder, but lossy coding lets colours
// stray above their alpha.
void ClampToAlpha(QImage& image);

// A decoded picture and when it is shown (the time base of the packets sent).
struct TimedPicture {
    QImage picture;
    std::int64_t pts = 0;
};

class VideoDecoder {
public:
    // codec is the codec number of DefineVideoStream and FLV video tags (2 to 7);
    // setup is what the codec needs before its first packet: H.264's decoder
    // configuration record, or VP6's size adjustment byte.
    explicit VideoDecoder(int codec, std::span<const std::uint8_t> setup = {});
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    bool isOpen() const;
    // Feeds one packet; returns the picture it completes (null when none).
    QImage decode(std::span<const std::uint8_t> packet);
    // Feeds one packet with its decoding and presentation times. Pictures come out of
    // receive() in presentation order, some packets later when frames are reordered.
    void send(std::span<const std::uint8_t> packet, std::int64_t dts, std::int64_t pts);
    // No more packets come: the pictures held back for reordering come out too.
    void drain();
    std::vector<TimedPicture> receive();
    // Forgets all state, to start again from a key frame.
    void reset();
    const std::string& error() const { return error_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int codec_;
    std::vector<std::uint8_t> setup_;
    std::string error_;
};

} // namespace quillon::engine
