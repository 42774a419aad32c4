#include "player/engine/MovieEngine.h"

#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/SwfHeader.h"
#include "codec/SwfImage.h"
#include "player/engine/display/DisplayList.h"
#include "player/engine/parse/ParseContext.h"
#include "player/engine/parse/TimelineParser.h"
#include "player/engine/render/Renderer.h"
#include "player/engine/script/FrameActions.h"

#include <QPainter>
#include <algorithm>

namespace quillon::engine {

struct MovieEngine::State {
    bool loaded = false;
    SwfHeaderFields header;
    ParseContext context;
    Timeline timeline;
    std::shared_ptr<Clip> root;
    std::unique_ptr<ClipRunner> runner;
    std::unique_ptr<Renderer> renderer;
};

MovieEngine::MovieEngine() : state_(std::make_unique<State>()) {}
MovieEngine::~MovieEngine() = default;

void MovieEngine::load(const std::string& path) {
    loadBytes(ReadWholeFile(path));
}

void MovieEngine::loadBytes(std::vector<std::uint8_t> fileBytes) {
    if (fileBytes.size() < 8) {
        throw QuillonError("Not a movie: the file is shorter than its header");
    }
    if (fileBytes[1] != 'W' || fileBytes[2] != 'S') {
        throw QuillonError("Not a movie: the file has no movie signature");
    }
    auto next = std::make_unique<State>();
    std::vector<std::uint8_t> image;
    if (fileBytes[0] == 'F') {
        image = std::move(fileBytes);
    } else {
        const InflateOutcome outcome = DecompressSwfImage(fileBytes, image);
        if (outcome != InflateOutcome::Complete) {
            next->context.warnings.push_back(
                "compressed data damaged or short; drawing what could be read");
        }
        if (image.size() < 8) {
            throw QuillonError("Not a movie: its compressed data cannot be read");
        }
    }
    next->header = ParseSwfHeaderFields(image);
    next->context.version = next->header.version;
    const std::size_t start = std::min(next->header.bodyStart, image.size());
    ParseTimeline(std::span<const std::uint8_t>(image).subspan(start), next->context,
                  next->timeline, 0);
    next->root = std::make_shared<Clip>();
    next->root->timeline = &next->timeline;
    next->runner = std::make_unique<ClipRunner>(next->context.dictionary, next->context.warnings);
    next->runner->setFrameScript(RunFrameActions);
    next->renderer = std::make_unique<Renderer>(next->context.dictionary);
    next->runner->start(next->root);
    next->runner->runQueuedActions();
    next->loaded = true;
    state_ = std::move(next);
}

bool MovieEngine::isLoaded() const {
    return state_->loaded;
}

int MovieEngine::frameCount() const {
    return state_->loaded ? std::max<int>(1, static_cast<int>(state_->timeline.frames.size())) : 0;
}

std::uint16_t MovieEngine::frameRate8_8() const {
    return state_->header.frameRate8_8;
}

QRectF MovieEngine::frameRect() const {
    const auto& r = state_->header.frameRect;
    return QRectF(r[0], r[2], r[1] - r[0], r[3] - r[2]);
}

QColor MovieEngine::backgroundColor() const {
    return state_->context.background.value_or(QColor(Qt::white));
}

int MovieEngine::currentFrame() const {
    return state_->loaded ? std::max(0, state_->root->frame) : 0;
}

bool MovieEngine::isPlaying() const {
    return state_->loaded && state_->root->playing;
}

void MovieEngine::advance() {
    if (!state_->loaded) {
        return;
    }
    state_->runner->beginFrame();
    state_->runner->tick(state_->root);
    state_->runner->runQueuedActions();
}

void MovieEngine::gotoFrame(int frame) {
    if (!state_->loaded) {
        return;
    }
    state_->runner->resetBudget();
    state_->runner->gotoFrame(state_->root, std::clamp(frame, 0, frameCount() - 1));
    state_->runner->dropQueuedActions();
}

void MovieEngine::render(QPainter& painter, const QRectF& target, const QRectF& viewTwips,
                         ScaleMode mode, std::optional<QColor> background) const {
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillRect(target, background.value_or(backgroundColor()));
    if (state_->loaded) {
        painter.setRenderHint(QPainter::Antialiasing, antialiasing_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const QTransform view =
            Renderer::ViewTransform(target, viewTwips, mode == ScaleMode::ShowAll);
        state_->renderer->draw(painter, *state_->root, view);
    }
    painter.restore();
}

std::size_t MovieEngine::bitmapBytes() const {
    return state_->context.bitmapBytes;
}

void MovieEngine::setAntialiasing(bool on) {
    antialiasing_ = on;
}
bool MovieEngine::antialiasing() const {
    return antialiasing_;
}

const std::vector<std::string>& MovieEngine::warnings() const {
    return state_->context.warnings;
}

} // namespace quillon::engine
