#include "support/EngineTestSupport.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>

namespace quillon::testing {

void LoadAndRun(engine::MovieEngine& engine, const Bytes& movie, int frames) {
    engine.loadBytes(movie);
    for (int i = 1; i < frames; ++i) {
        engine.advance();
    }
}

QImage Draw(const engine::MovieEngine& engine, QSize size, engine::ScaleMode mode,
            std::optional<QRectF> viewTwips) {
    const QRectF stage = engine.frameRect();
    if (size.isEmpty()) {
        size = QSize(static_cast<int>(std::lround(stage.width() / 20)),
                     static_cast<int>(std::lround(stage.height() / 20)));
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    engine.render(painter, QRectF(QPointF(0, 0), QSizeF(size)), viewTwips.value_or(stage), mode);
    painter.end();
    return image;
}

QImage RenderFrame(const Bytes& movie, int frames, QSize size) {
    engine::MovieEngine engine;
    LoadAndRun(engine, movie, frames);
    return Draw(engine, size);
}

bool PixelIs(const QImage& image, int x, int y, const QColor& expected, int tolerance) {
    if (!image.valid(x, y)) {
        return false;
    }
    const QColor c = image.pixelColor(x, y);
    return std::abs(c.red() - expected.red()) <= tolerance &&
           std::abs(c.green() - expected.green()) <= tolerance &&
           std::abs(c.blue() - expected.blue()) <= tolerance &&
           std::abs(c.alpha() - expected.alpha()) <= tolerance;
}

std::string Describe(const QImage& image, int x, int y) {
    if (!image.valid(x, y)) {
        return "outside the picture";
    }
    const QColor c = image.pixelColor(x, y);
    return "rgba(" + std::to_string(c.red()) + "," + std::to_string(c.green()) + "," +
           std::to_string(c.blue()) + "," + std::to_string(c.alpha()) + ")";
}

} // namespace quillon::testing
