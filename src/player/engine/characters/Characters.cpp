#include "player/engine/characters/Characters.h"

#include "player/engine/video/VideoFeed.h"

#include <optional>

namespace quillon::engine {

QRectF Character::bounds(int) const {
    return {};
}

QPainterPath Character::maskArea(const QTransform&, int) const {
    return {};
}

bool Character::covers(const QTransform& m, int ratio, const QPointF& point) const {
    return maskArea(m, ratio).contains(point);
}

void Character::draw(CharacterCanvas&, int) const {}

namespace {

// A device point in a shape's own twips; none under a matrix that flattens it.
std::optional<QPointF> ShapePoint(const QTransform& m, const QPointF& point) {
    bool invertible = false;
    const QTransform inverse = m.inverted(&invertible);
    return invertible ? std::optional<QPointF>(inverse.map(point)) : std::nullopt;
}

} // namespace

QRectF ShapeCharacter::bounds(int) const {
    return shape.bounds;
}

QPainterPath ShapeCharacter::maskArea(const QTransform& m, int) const {
    return m.map(ShapeOutline(shape));
}

bool ShapeCharacter::covers(const QTransform& m, int, const QPointF& point) const {
    const std::optional<QPointF> at = ShapePoint(m, point);
    return at && ShapeContains(shape, *at);
}

void ShapeCharacter::draw(CharacterCanvas& canvas, int) const {
    canvas.drawShape(shape);
}

QRectF MorphCharacter::bounds(int ratio) const {
    return at(ratio)->bounds;
}

QPainterPath MorphCharacter::maskArea(const QTransform& m, int ratio) const {
    return m.map(ShapeOutline(*at(ratio)));
}

bool MorphCharacter::covers(const QTransform& m, int ratio, const QPointF& point) const {
    const std::optional<QPointF> at = ShapePoint(m, point);
    return at && ShapeContains(*this->at(ratio), *at);
}

void MorphCharacter::draw(CharacterCanvas& canvas, int ratio) const {
    const std::shared_ptr<const Shape> shape = at(ratio);
    canvas.drawShape(*shape);
}

QRectF BitmapCharacter::bounds(int) const {
    return PictureRect(image.width(), image.height());
}

QPainterPath BitmapCharacter::maskArea(const QTransform& m, int) const {
    QPainterPath out;
    out.addPolygon(m.map(QPolygonF(PictureRect(image.width(), image.height()))));
    return out;
}

void BitmapCharacter::draw(CharacterCanvas& canvas, int) const {
    canvas.drawBitmap(image);
}

QRectF TextCharacter::bounds(int) const {
    return area;
}

QPainterPath TextCharacter::maskArea(const QTransform& m, int) const {
    QPainterPath out;
    out.addRect(m.mapRect(area));
    return out;
}

void TextCharacter::draw(CharacterCanvas& canvas, int) const {
    canvas.drawStaticText(*this);
}

QRectF EditTextCharacter::bounds(int) const {
    return field.area;
}

void EditTextCharacter::draw(CharacterCanvas& canvas, int) const {
    canvas.drawEditText(*this);
}

QRectF VideoCharacter::bounds(int) const {
    return PictureRect(width, height);
}

QImage VideoCharacter::frame(int number) const {
    std::lock_guard lock(state_->mutex);
    if (!state_->decoder) {
        state_->decoder = std::make_unique<VideoDecoder>(codec);
    }
    if (number < state_->decoded) {
        state_->decoder->reset();
        state_->decoded = -1;
        state_->picture = QImage();
    }
    for (auto it = frames.upper_bound(state_->decoded); it != frames.end() && it->first <= number;
         ++it) {
        QImage picture = state_->decoder->decode(it->second);
        if (!picture.isNull()) {
            state_->picture = picture;
        }
        state_->decoded = it->first;
    }
    if (state_->picture.width() > width && width > 0 && state_->picture.height() >= height) {
        return state_->picture.copy(0, 0, width, height);
    }
    return state_->picture;
}

void VideoCharacter::draw(CharacterCanvas& canvas, int ratio) const {
    const QImage picture = frame(ratio);
    if (!picture.isNull()) {
        canvas.drawVideoFrame(picture, PictureRect(width, height), smoothing);
    }
}

QRectF StreamVideoCharacter::bounds(int) const {
    return screen ? QRectF(0, 0, screen->width * TwipsPerPixel, screen->height * TwipsPerPixel)
                  : QRectF();
}

void StreamVideoCharacter::draw(CharacterCanvas& canvas, int) const {
    if (!screen || !screen->feed || screen->feed->serial() <= screen->hiddenUpTo) {
        return;
    }
    const QImage picture = screen->feed->picture();
    if (!picture.isNull()) {
        canvas.drawVideoFrame(picture, bounds(0), screen->smoothing);
    }
}

} // namespace quillon::engine
