// Video with an alpha stream: its colours come premultiplied, so a decoded picture is
// kept as premultiplied with each colour no higher than its alpha.

#include "player/engine/video/VideoDecoder.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace quillon;

TEST(EngineVideoAlpha, ColoursAboveTheirAlphaAreClampedAndOthersKept) {
    QImage image(4, 1, QImage::Format_ARGB32_Premultiplied);
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(0));
    line[0] = qRgba(200, 50, 128, 128); // red strays above the alpha
    line[1] = qRgba(250, 250, 250, 0);  // see-through: nothing of the colour is left
    line[2] = qRgba(10, 20, 30, 255);   // opaque: untouched
    line[3] = qRgba(40, 60, 90, 100);   // a valid premultiplied colour: untouched
    engine::ClampToAlpha(image);
    EXPECT_EQ(line[0], qRgba(128, 50, 128, 128));
    EXPECT_EQ(line[1], qRgba(0, 0, 0, 0));
    EXPECT_EQ(line[2], qRgba(10, 20, 30, 255));
    EXPECT_EQ(line[3], qRgba(40, 60, 90, 100));
}

TEST(EngineVideoAlpha, ClampedPictureDrawsAsPremultipliedOverTheStage) {
    // A half-transparent decoded pixel of colour (100, 0, 200) over a pink stage: the
    // colour adds to the stage's share, it is not scaled by the alpha a second time.
    QImage picture(1, 1, QImage::Format_ARGB32_Premultiplied);
    picture.setPixel(0, 0, qRgba(100, 0, 200, 128));
    engine::ClampToAlpha(picture);
    QImage stage(1, 1, QImage::Format_ARGB32_Premultiplied);
    stage.fill(QColor(255, 102, 153));
    QPainter painter(&stage);
    painter.drawImage(0, 0, picture);
    painter.end();
    const QColor c = stage.pixelColor(0, 0);
    const auto near = [](int value, double expected) { return std::abs(value - expected) <= 2; };
    EXPECT_TRUE(near(c.red(), 100 + 255 * 127 / 255.0)) << c.red();
    EXPECT_TRUE(near(c.green(), 0 + 102 * 127 / 255.0)) << c.green();
    EXPECT_TRUE(near(c.blue(), 128 + 153 * 127 / 255.0)) << c.blue();
}

TEST(EngineVideoAlpha, NonPremultipliedPicturesAreLeftAlone) {
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 50, 128, 128));
    engine::ClampToAlpha(image);
    EXPECT_EQ(image.pixel(0, 0), qRgba(200, 50, 128, 128));
}
