// Zoom, pan and the screenshot.

#include "GuiFixture.h"
#include "Pictures.h"
#include "player/ShockwaveFlash.h"
#include "player/engine/MovieEngine.h"
#include "support/MovieBytes.h"
#include "support/MovieWriter.h"
#include "ui/ZoomView.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

class ZoomTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        Open(11000, 8000);
    }
    void Open(std::int32_t xmax, std::int32_t ymax, const char* name = "movie.swf") {
        WriteBytes(Path(name),
                   PlainMovie(MovieParams{.frameCount = 20, .xmax = xmax, .ymax = ymax}));
        OpenMovie(Path(name));
        Child<QAction>(main, "AStop")->trigger(); // a still picture
    }
    void Type(double value) { Child<QDoubleSpinBox>(main, "SpinZoom")->setValue(value); }
    QRectF Shown() const { return Child<player::TSF>(main, "FlashPlayer")->ViewRect(); }
};

TEST_F(ZoomTest, ZoomOutSequenceStopsAtTheFloor) {
    std::vector<double> seen;
    for (int i = 0; i < 4; ++i) {
        Child<QAction>(main, "AZoomOut")->trigger();
        seen.push_back(ZoomFactor);
    }
    EXPECT_EQ(seen, (std::vector<double>{0.7, 0.39999999999999997, 0.3, 0.3}));
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->scaleMode(), 0);
}

TEST_F(ZoomTest, FloorsAfterTypedFactors) {
    Type(0.4);
    Child<QAction>(main, "AZoomOut")->trigger();
    EXPECT_GT(ZoomFactor, 0.1);
    EXPECT_LT(ZoomFactor, 0.1000001);
    Child<QAction>(main, "AZoomOut")->trigger();
    EXPECT_EQ(ZoomFactor, 0.3);
    Type(0.2);
    EXPECT_EQ(ZoomFactor, 0.2);
    Child<QAction>(main, "AZoomOut")->trigger();
    EXPECT_EQ(ZoomFactor, 0.3);
    // The commands never change the number in the box.
    EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(main, "SpinZoom")->value(), 0.2);
}

TEST_F(ZoomTest, ZoomInHasNoLimitAndEnablesTheBarsAboveOne) {
    EXPECT_FALSE(Child<QScrollBar>(main, "SBHor")->isEnabled());
    std::vector<double> seen;
    for (int i = 0; i < 3; ++i) {
        Child<QAction>(main, "AZoomIn")->trigger();
        seen.push_back(ZoomFactor);
    }
    EXPECT_DOUBLE_EQ(seen[0], 1.3);
    EXPECT_DOUBLE_EQ(seen[1], 1.6);
    EXPECT_DOUBLE_EQ(seen[2], 1.9);
    EXPECT_TRUE(Child<QScrollBar>(main, "SBHor")->isEnabled());
    EXPECT_TRUE(Child<QScrollBar>(main, "SBVer")->isEnabled());
    for (int i = 0; i < 40; ++i) {
        Child<QAction>(main, "AZoomIn")->trigger();
    }
    EXPECT_GT(ZoomFactor, 13.0);
    EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(main, "SpinZoom")->value(), 1.0);
}

TEST_F(ZoomTest, MaximaBelowAtAndAboveOne) {
    Type(2.0);
    EXPECT_EQ(ui::Zoom.ViewRight, 5500);
    EXPECT_EQ(ui::Zoom.ViewBottom, 4000);
    EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->maximum(), 5500);
    EXPECT_EQ(Child<QScrollBar>(main, "SBVer")->maximum(), 4000);
    EXPECT_EQ(Shown(), QRectF(0, 0, 5500, 4000));

    Type(1.0);
    EXPECT_FALSE(Child<QScrollBar>(main, "SBHor")->isEnabled());
    EXPECT_FALSE(Child<QScrollBar>(main, "SBVer")->isEnabled());
    EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->maximum(), 0);
    EXPECT_EQ(Child<QScrollBar>(main, "SBVer")->maximum(), 0);
    EXPECT_EQ(Shown(), QRectF(0, 0, 11000, 8000));

    Type(2.0);
    Type(0.5);
    // The view is larger than the movie: negative maxima are ignored.
    EXPECT_EQ(ui::Zoom.ViewRight, 22000);
    EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->maximum(), 5500);
    EXPECT_EQ(Child<QScrollBar>(main, "SBVer")->maximum(), 4000);
    EXPECT_FALSE(Child<QScrollBar>(main, "SBHor")->isEnabled());
    EXPECT_EQ(Shown(), QRectF(0, 0, 22000, 16000));

    Type(1.1);
    EXPECT_TRUE(Child<QScrollBar>(main, "SBHor")->isEnabled());
    EXPECT_EQ(ui::Zoom.ViewRight, 10000);
}

TEST_F(ZoomTest, HalvesRoundToTheEvenNeighbour) {
    Open(11001, 8003, "odd.swf");
    Type(2.0);
    EXPECT_EQ(ui::Zoom.ViewRight, 5500);  // 5500.5
    EXPECT_EQ(ui::Zoom.ViewBottom, 4002); // 4001.5
}

TEST_F(ZoomTest, PanReachesTheFrameEdges) {
    Type(2.0);
    Child<QScrollBar>(main, "SBHor")->setValue(Child<QScrollBar>(main, "SBHor")->maximum());
    Child<QScrollBar>(main, "SBVer")->setValue(Child<QScrollBar>(main, "SBVer")->maximum());
    EXPECT_EQ(Shown(), QRectF(QPointF(5500, 4000), QPointF(11000, 8000)));
    Child<QScrollBar>(main, "SBHor")->setValue(100);
    EXPECT_EQ(Shown(), QRectF(QPointF(100, 4000), QPointF(5600, 8000)));
    // A new zoom puts the bars back at 0 without panning on the way.
    Child<QAction>(main, "AZoomIn")->trigger();
    EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->value(), 0);
    EXPECT_EQ(Child<QScrollBar>(main, "SBVer")->value(), 0);
    EXPECT_EQ(Shown(), QRectF(QPointF(0, 0), QPointF(ui::Zoom.ViewRight, ui::Zoom.ViewBottom)));
}

TEST_F(ZoomTest, ExpandAndFitLeaveTheViewAlone) {
    Type(2.0);
    Child<QScrollBar>(main, "SBHor")->setValue(300);
    const auto view =
        std::tuple(ui::Zoom.ViewLeft, ui::Zoom.ViewTop, ui::Zoom.ViewRight, ui::Zoom.ViewBottom);
    for (QAction* command : {Child<QAction>(main, "AExpand"), Child<QAction>(main, "AFit")}) {
        command->trigger();
        EXPECT_EQ(ZoomFactor, 1.0);
        EXPECT_EQ(std::tuple(ui::Zoom.ViewLeft, ui::Zoom.ViewTop, ui::Zoom.ViewRight,
                             ui::Zoom.ViewBottom),
                  view);
        EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->value(), 300);
        EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->maximum(), 5500);
        EXPECT_FALSE(Child<QScrollBar>(main, "SBHor")->isEnabled());
        EXPECT_FALSE(Child<QScrollBar>(main, "SBVer")->isEnabled());
        EXPECT_EQ(Shown(), QRectF(0, 0, 11000, 8000));
        EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(main, "SpinZoom")->value(), 2.0);
    }
    Child<QAction>(main, "AExpand")->trigger();
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->scaleMode(), 2);
    Child<QAction>(main, "AFit")->trigger();
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->scaleMode(), 0);
}

TEST_F(ZoomTest, OpeningResetsFactorAndViewButNotTheBox) {
    Type(2.0);
    Child<QAction>(main, "AExpand")->trigger();
    Child<QAction>(main, "AZoomIn")->trigger(); // 1.3, bars enabled
    Child<QScrollBar>(main, "SBHor")->setValue(50);
    Child<QAction>(main, "AExpand")->trigger();
    Type(3.0);
    Open(4000, 3000, "other.swf");
    EXPECT_EQ(ZoomFactor, 1.0);
    EXPECT_EQ(
        std::tuple(ui::Zoom.ViewLeft, ui::Zoom.ViewTop, ui::Zoom.ViewRight, ui::Zoom.ViewBottom),
        std::tuple(0, 0, 4000, 3000));
    EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>(main, "SpinZoom")->value(), 3.0);
    EXPECT_TRUE(Child<QScrollBar>(main, "SBHor")->isEnabled()); // still on from the zoom before
    EXPECT_EQ(Child<QScrollBar>(main, "SBHor")->maximum(), 11000 - 3667);
}

class ScreenshotTest : public ZoomTest {
protected:
    QImage RendererPicture() const {
        engine::MovieEngine reference;
        reference.load(Path("movie.swf"));
        reference.gotoFrame(Child<player::TSF>(main, "FlashPlayer")->CurrentFrame());
        // Drawn on the kind of surface the widget draws on, so blending is the same.
        const QImage::Format surface =
            Child<player::TSF>(main, "FlashPlayer")->grab().toImage().format();
        QImage picture(Child<player::TSF>(main, "FlashPlayer")->size(), surface);
        {
            QPainter painter(&picture);
            reference.render(painter, QRectF(picture.rect()),
                             Child<player::TSF>(main, "FlashPlayer")->ViewRect(),
                             engine::ScaleMode::ShowAll, QColor(Qt::white));
        }
        return picture.convertToFormat(QImage::Format_RGB32);
    }
    void Shoot(const std::string& chosen) {
        modal.saveAnswers.push_back(QString::fromStdString(chosen));
        Child<QAction>(main, "AScreenShot")->trigger();
    }
};

TEST_F(ScreenshotTest, SavesThePlayersPictureAsBmp) {
    // A movie with shapes in it, so the picture is more than a background.
    WriteBytes(Path("movie.swf"), testing::MakeShapesMovie(550, 400, 12, 8));
    OpenMovie(Path("movie.swf"));
    Child<QAction>(main, "AStop")->trigger();
    Child<player::TSF>(main, "FlashPlayer")->FrameNum(5);
    const QImage expected = RendererPicture();
    // More than one colour: the comparison below is about a real picture.
    ASSERT_TRUE(HasSeveralColours(expected));
    // Whatever happens while the dialog is up is not in the picture.
    modal.onSave = [this] { Child<player::TSF>(main, "FlashPlayer")->BackgroundColor(0xFF0000); };
    Shoot(Path("shot"));
    ASSERT_TRUE(fs::exists(Path("shot.bmp")));
    const auto bytes = ReadBytes(Path("shot.bmp"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    const QImage saved(QString::fromStdString(Path("shot.bmp")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), Child<player::TSF>(main, "FlashPlayer")->size());
    EXPECT_LT(saved.width(), Child<QWidget>(main, "TBXAlignmentPanel2")->width());
    EXPECT_LT(saved.height(), Child<QWidget>(main, "TBXAlignmentPanel2")->height());
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), expected);
    EXPECT_EQ(modal.visibleMessages, std::vector<std::vector<QString>>{{QStringLiteral("MesSS")}});
    EXPECT_EQ(modal.filters.back(), QStringLiteral("Pictures (*.bmp)"));
}

TEST_F(ScreenshotTest, ExtensionIsAlwaysAppendedAndFilesAreReplaced) {
    WriteBytes(Path("shot.bmp"), {'k', 'e', 'e', 'p'});
    WriteBytes(Path("shot.bmp.bmp"), {'o', 'l', 'd'});
    Shoot(Path("shot.bmp"));
    EXPECT_EQ(ReadBytes(Path("shot.bmp")), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_GT(fs::file_size(Path("shot.bmp.bmp")), 3u);
}

TEST_F(ScreenshotTest, CancelWritesNothing) {
    const auto before = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    Child<QAction>(main, "AScreenShot")->trigger();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), before);
    EXPECT_TRUE(modal.visibleMessages.empty());
}

TEST_F(ScreenshotTest, UnwritableFolderReachesTheErrorBox) {
    Shoot(Path("missing-folder/shot"));
    ASSERT_EQ(modal.errorBoxes.size(), 1u);
    EXPECT_TRUE(modal.errorBoxes[0].startsWith(QStringLiteral("Cannot create file")));
    EXPECT_TRUE(modal.visibleMessages.empty());
}

TEST_F(NoPlayerTest, ZoomCommandsReportFailuresTheBoxAndThePanSwallowThem) {
    Start(NoPlayer);
    Child<QAction>(ui::FMain, "AZoomIn")->setEnabled(true);
    Child<QAction>(ui::FMain, "AZoomIn")->trigger();
    EXPECT_EQ(modal.errorBoxes.size(), 1u);
    Child<QDoubleSpinBox>(ui::FMain, "SpinZoom")->setEnabled(true);
    Child<QDoubleSpinBox>(ui::FMain, "SpinZoom")->setValue(4.0);
    Child<QScrollBar>(ui::FMain, "SBHor")->setEnabled(true);
    Child<QScrollBar>(ui::FMain, "SBHor")->setValue(5);
    EXPECT_EQ(modal.errorBoxes.size(), 1u);
}

} // namespace
} // namespace quillon::test
