#include "MovieEngine.h"

#include <QPainter>
#include <algorithm>

#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/SwfHeader.h"
#include "codec/SwfImage.h"

// A first engine: it reads the header and draws the stage's background. The timeline,
// shapes and the rest come with the full engine.

namespace quillon::engine {

struct MovieEngine::State {
    bool loaded = false;
    SwfHeaderFields header;
    int current = 0;
    std::vector<std::string> warnings;
};

MovieEngine::MovieEngine() : state_(std::make_unique<State>()) {}
MovieEngine::~MovieEngine() = default;

void MovieEngine::load(const std::string& path) { loadBytes(ReadWholeFile(path)); }

void MovieEngine::loadBytes(std::vector<std::uint8_t> fileBytes) {
    if (fileBytes.size() < 8) {
        throw QuillonError("Not a movie: the file is shorter than its header");
    }
    State next;
    std::vector<std::uint8_t> image;
    if (fileBytes[0] == 'C') {
        if (DecompressSwfImage(fileBytes, image) != InflateOutcome::Complete) {
            next.warnings.push_back("compressed data damaged; drawing what could be read");
        }
    } else {
        image = std::move(fileBytes);
    }
    next.header = ParseSwfHeaderFields(image);
    next.loaded = true;
    *state_ = std::move(next);
}

bool MovieEngine::isLoaded() const { return state_->loaded; }
int MovieEngine::frameCount() const {
    return state_->loaded ? std::max<int>(1, state_->header.frameCount) : 0;
}
std::uint16_t MovieEngine::frameRate8_8() const { return state_->header.frameRate8_8; }
QRectF MovieEngine::frameRect() const {
    const auto& r = state_->header.frameRect;
    return QRectF(r[0], r[2], r[1] - r[0], r[3] - r[2]);
}
QColor MovieEngine::backgroundColor() const { return Qt::white; }
int MovieEngine::currentFrame() const { return state_->current; }
void MovieEngine::advance() {
    if (frameCount() > 0) {
        state_->current = (state_->current + 1) % frameCount();
    }
}
void MovieEngine::gotoFrame(int frame) {
    state_->current = std::clamp(frame, 0, std::max(0, frameCount() - 1));
}
void MovieEngine::render(QPainter& painter, const QRectF& target, const QRectF& viewTwips,
                         ScaleMode mode, std::optional<QColor> background) const {
    (void)viewTwips;
    (void)mode;
    painter.fillRect(target, background.value_or(backgroundColor()));
}
const std::vector<std::string>& MovieEngine::warnings() const { return state_->warnings; }

} // namespace quillon::engine
