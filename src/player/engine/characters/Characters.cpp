#include "player/engine/characters/Characters.h"

namespace quillon::engine {

QRectF Character::bounds(int) const {
    return {};
}

QPainterPath Character::maskArea(const QTransform&, int) const {
    return {};
}

void Character::draw(CharacterCanvas&, int) const {}

QRectF ShapeCharacter::bounds(int) const {
    return shape.bounds;
}

QPainterPath ShapeCharacter::maskArea(const QTransform& m, int) const {
    return m.map(ShapeOutline(shape));
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

void VideoCharacter::draw(CharacterCanvas& canvas, int ratio) const {
    const QImage picture = frame(ratio);
    if (!picture.isNull()) {
        canvas.drawVideoFrame(picture, PictureRect(width, height), smoothing);
    }
}

} // namespace quillon::engine
