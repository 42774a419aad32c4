#pragma once
// The picture a playing stream shows now. The stream replaces it as it plays; a Video
// object draws whatever is there when the frame is drawn.

#include <QImage>
#include <cstdint>
#include <mutex>

namespace quillon::engine {

struct VideoFeed {
    QImage picture() const {
        std::lock_guard lock(mutex_);
        return picture_;
    }
    // Counts the pictures shown, so that a Video can clear away the one on show.
    std::uint64_t serial() const {
        std::lock_guard lock(mutex_);
        return serial_;
    }
    void show(QImage picture) {
        std::lock_guard lock(mutex_);
        picture_ = std::move(picture);
        ++serial_;
    }

private:
    mutable std::mutex mutex_;
    QImage picture_;
    std::uint64_t serial_ = 0;
};

} // namespace quillon::engine
