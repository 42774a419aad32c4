// Each kind of character answers for its own area, its mask and its drawing.

#include "player/engine/characters/Characters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillon::engine {
namespace {

// Records what a character asked to have drawn.
class RecordingCanvas : public CharacterCanvas {
public:
    std::vector<std::string> calls;
    void drawShape(const Shape&) override { calls.push_back("shape"); }
    void drawStaticText(const TextCharacter&) override { calls.push_back("text"); }
    void drawEditText(const EditTextCharacter&) override { calls.push_back("edit"); }
    void drawBitmap(const QImage& image) override {
        calls.push_back("bitmap " + std::to_string(image.width()));
    }
    void drawVideoFrame(const QImage&, const QRectF& area, bool smooth) override {
        calls.push_back("video " + std::to_string(area.width()) + (smooth ? " smooth" : ""));
    }
};

// A square of side 100 with a square hole of side 50 drawn the same way round: the
// hole is empty by the even-odd rule and filled by the non-zero one.
ShapeCharacter SquareWithHole(bool windingFill) {
    ShapeData data;
    data.bounds = QRectF(0, 0, 100, 100);
    data.windingFill = windingFill;
    data.styleSets.push_back(StyleSet{{FillStyle{}}, {}});
    for (const double lo : {0.0, 25.0}) {
        const double hi = 100 - lo;
        ShapeRecord start;
        start.moveTo = true;
        start.to = QPointF(lo, lo);
        start.fill1 = 1;
        data.records.push_back(start);
        for (const QPointF to :
             {QPointF(hi, lo), QPointF(hi, hi), QPointF(lo, hi), QPointF(lo, lo)}) {
            ShapeRecord edge;
            edge.type = ShapeRecord::Type::Straight;
            edge.to = to;
            data.records.push_back(edge);
        }
    }
    ShapeCharacter shape;
    shape.shape = BuildShape(data);
    return shape;
}

TEST(Characters, ShapesCoverPointsByTheirFillRule) {
    struct Case {
        bool winding;
        QPointF point;
        bool covered;
    };
    const Case cases[] = {
        {false, {10, 10}, true}, {false, {50, 50}, false}, {false, {150, 50}, false},
        {true, {10, 10}, true},  {true, {50, 50}, true},   {true, {150, 50}, false},
    };
    for (const Case& c : cases) {
        const ShapeCharacter shape = SquareWithHole(c.winding);
        const QTransform doubled = QTransform::fromScale(2, 2);
        EXPECT_EQ(shape.covers(doubled, 0, c.point * 2), c.covered)
            << c.winding << " " << c.point.x();
    }
    EXPECT_FALSE(SquareWithHole(true).covers(QTransform::fromScale(0, 0), 0, QPointF(0, 0)))
        << "a flattened shape covers nothing";
}

TEST(Characters, PicturesCoverTwentyTwipsAPixel) {
    BitmapCharacter bitmap;
    bitmap.image = QImage(3, 2, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(bitmap.bounds(0), QRectF(0, 0, 60, 40));
    const QPainterPath mask = bitmap.maskArea(QTransform::fromScale(0.05, 0.05), 0);
    EXPECT_EQ(mask.boundingRect(), QRectF(0, 0, 3, 2));
    VideoCharacter video;
    video.width = 4;
    video.height = 5;
    EXPECT_EQ(video.bounds(7), QRectF(0, 0, 80, 100));
    EXPECT_TRUE(video.maskArea(QTransform(), 0).isEmpty()); // videos mask nothing
}

TEST(Characters, TextsCoverTheirAreaAndOnlyStaticTextMasks) {
    TextCharacter text;
    text.area = QRectF(10, 20, 100, 50);
    EditTextCharacter edit;
    edit.field.area = QRectF(-5, 0, 30, 30);
    EXPECT_EQ(text.bounds(0), text.area);
    EXPECT_EQ(edit.bounds(0), edit.field.area);
    // a rotated static text masks with the device rectangle around it
    QTransform turn;
    turn.rotate(90);
    EXPECT_EQ(text.maskArea(turn, 0).boundingRect(), turn.mapRect(text.area));
    EXPECT_TRUE(edit.maskArea(turn, 0).isEmpty());
}

TEST(Characters, SpritesAndButtonsHaveNothingOfTheirOwn) {
    SpriteCharacter sprite;
    ButtonCharacter button;
    RecordingCanvas canvas;
    for (const Character* c :
         {static_cast<const Character*>(&sprite), static_cast<const Character*>(&button)}) {
        EXPECT_TRUE(c->bounds(0).isNull());
        EXPECT_TRUE(c->maskArea(QTransform(), 0).isEmpty());
        c->draw(canvas, 0);
    }
    EXPECT_TRUE(canvas.calls.empty());
}

TEST(Characters, EachDrawsThroughItsOwnCanvasCall) {
    ShapeCharacter shape;
    TextCharacter text;
    EditTextCharacter edit;
    BitmapCharacter bitmap;
    bitmap.image = QImage(7, 1, QImage::Format_ARGB32_Premultiplied);
    VideoCharacter video; // no frames: nothing to show
    RecordingCanvas canvas;
    for (const Character* c :
         std::initializer_list<const Character*>{&shape, &text, &edit, &bitmap, &video}) {
        c->draw(canvas, 0);
    }
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"shape", "text", "edit", "bitmap 7"}));
}

} // namespace
} // namespace quillon::engine
