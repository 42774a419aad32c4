// Zoom, pan and the screenshot.

#include "GuiFixture.h"
#include "support/MovieBytes.h"
#include "Pictures.h"
#include "player/ShockwaveFlash.h"
#include "player/engine/MovieEngine.h"
#include "support/MovieWriter.h"

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
        WriteBytes(Path(name), PlainMovie({.frameCount = 20, .xmax = xmax, .ymax = ymax}));
        OpenMovie(Path(name));
        main->AStop->trigger(); // a still picture
    }
    void Type(double value) { main->SpinZoom->setValue(value); }
    QRectF Shown() const { return main->FlashPlayer->ViewRect(); }
};

TEST_F(ZoomTest, ZoomOutSequenceStopsAtTheFloor) {
    std::vector<double> seen;
    for (int i = 0; i < 4; ++i) {
        main->AZoomOut->trigger();
        seen.push_back(ZoomFactor);
    }
    EXPECT_EQ(seen, (std::vector<double>{0.7, 0.39999999999999997, 0.3, 0.3}));
    EXPECT_EQ(main->FlashPlayer->scaleMode(), 0);
}

TEST_F(ZoomTest, FloorsAfterTypedFactors) {
    Type(0.4);
    main->AZoomOut->trigger();
    EXPECT_GT(ZoomFactor, 0.1);
    EXPECT_LT(ZoomFactor, 0.1000001);
    main->AZoomOut->trigger();
    EXPECT_EQ(ZoomFactor, 0.3);
    Type(0.2);
    EXPECT_EQ(ZoomFactor, 0.2);
    main->AZoomOut->trigger();
    EXPECT_EQ(ZoomFactor, 0.3);
    // The commands never change the number in the box.
    EXPECT_DOUBLE_EQ(main->SpinZoom->value(), 0.2);
}

TEST_F(ZoomTest, ZoomInHasNoLimitAndEnablesTheBarsAboveOne) {
    EXPECT_FALSE(main->SBHor->isEnabled());
    std::vector<double> seen;
    for (int i = 0; i < 3; ++i) {
        main->AZoomIn->trigger();
        seen.push_back(ZoomFactor);
    }
    EXPECT_DOUBLE_EQ(seen[0], 1.3);
    EXPECT_DOUBLE_EQ(seen[1], 1.6);
    EXPECT_DOUBLE_EQ(seen[2], 1.9);
    EXPECT_TRUE(main->SBHor->isEnabled());
    EXPECT_TRUE(main->SBVer->isEnabled());
    for (int i = 0; i < 40; ++i) {
        main->AZoomIn->trigger();
    }
    EXPECT_GT(ZoomFactor, 13.0);
    EXPECT_DOUBLE_EQ(main->SpinZoom->value(), 1.0);
}

TEST_F(ZoomTest, MaximaBelowAtAndAboveOne) {
    Type(2.0);
    EXPECT_EQ(ViewRight, 5500);
    EXPECT_EQ(ViewBottom, 4000);
    EXPECT_EQ(main->SBHor->maximum(), 5500);
    EXPECT_EQ(main->SBVer->maximum(), 4000);
    EXPECT_EQ(Shown(), QRectF(0, 0, 5500, 4000));

    Type(1.0);
    EXPECT_FALSE(main->SBHor->isEnabled());
    EXPECT_FALSE(main->SBVer->isEnabled());
    EXPECT_EQ(main->SBHor->maximum(), 0);
    EXPECT_EQ(main->SBVer->maximum(), 0);
    EXPECT_EQ(Shown(), QRectF(0, 0, 11000, 8000));

    Type(2.0);
    Type(0.5);
    // The view is larger than the movie: negative maxima are ignored.
    EXPECT_EQ(ViewRight, 22000);
    EXPECT_EQ(main->SBHor->maximum(), 5500);
    EXPECT_EQ(main->SBVer->maximum(), 4000);
    EXPECT_FALSE(main->SBHor->isEnabled());
    EXPECT_EQ(Shown(), QRectF(0, 0, 22000, 16000));

    Type(1.1);
    EXPECT_TRUE(main->SBHor->isEnabled());
    EXPECT_EQ(ViewRight, 10000);
}

TEST_F(ZoomTest, HalvesRoundToTheEvenNeighbour) {
    Open(11001, 8003, "odd.swf");
    Type(2.0);
    EXPECT_EQ(ViewRight, 5500);  // 5500.5
    EXPECT_EQ(ViewBottom, 4002); // 4001.5
}

TEST_F(ZoomTest, PanReachesTheFrameEdges) {
    Type(2.0);
    main->SBHor->setValue(main->SBHor->maximum());
    main->SBVer->setValue(main->SBVer->maximum());
    EXPECT_EQ(Shown(), QRectF(QPointF(5500, 4000), QPointF(11000, 8000)));
    main->SBHor->setValue(100);
    EXPECT_EQ(Shown(), QRectF(QPointF(100, 4000), QPointF(5600, 8000)));
    // A new zoom puts the bars back at 0 without panning on the way.
    main->AZoomIn->trigger();
    EXPECT_EQ(main->SBHor->value(), 0);
    EXPECT_EQ(main->SBVer->value(), 0);
    EXPECT_EQ(Shown(), QRectF(QPointF(0, 0), QPointF(ViewRight, ViewBottom)));
}

TEST_F(ZoomTest, ExpandAndFitLeaveTheViewAlone) {
    Type(2.0);
    main->SBHor->setValue(300);
    const auto view = std::tuple(ViewLeft, ViewTop, ViewRight, ViewBottom);
    for (QAction* command : {main->AExpand, main->AFit}) {
        command->trigger();
        EXPECT_EQ(ZoomFactor, 1.0);
        EXPECT_EQ(std::tuple(ViewLeft, ViewTop, ViewRight, ViewBottom), view);
        EXPECT_EQ(main->SBHor->value(), 300);
        EXPECT_EQ(main->SBHor->maximum(), 5500);
        EXPECT_FALSE(main->SBHor->isEnabled());
        EXPECT_FALSE(main->SBVer->isEnabled());
        EXPECT_EQ(Shown(), QRectF(0, 0, 11000, 8000));
        EXPECT_DOUBLE_EQ(main->SpinZoom->value(), 2.0);
    }
    main->AExpand->trigger();
    EXPECT_EQ(main->FlashPlayer->scaleMode(), 2);
    main->AFit->trigger();
    EXPECT_EQ(main->FlashPlayer->scaleMode(), 0);
}

TEST_F(ZoomTest, OpeningResetsFactorAndViewButNotTheBox) {
    Type(2.0);
    main->AExpand->trigger();
    main->AZoomIn->trigger(); // 1.3, bars enabled
    main->SBHor->setValue(50);
    main->AExpand->trigger();
    Type(3.0);
    Open(4000, 3000, "other.swf");
    EXPECT_EQ(ZoomFactor, 1.0);
    EXPECT_EQ(std::tuple(ViewLeft, ViewTop, ViewRight, ViewBottom), std::tuple(0, 0, 4000, 3000));
    EXPECT_DOUBLE_EQ(main->SpinZoom->value(), 3.0);
    EXPECT_TRUE(main->SBHor->isEnabled()); // still on from the zoom before
    EXPECT_EQ(main->SBHor->maximum(), 11000 - 3667);
}

class ScreenshotTest : public ZoomTest {
protected:
    QImage RendererPicture() const {
        engine::MovieEngine reference;
        reference.load(Path("movie.swf"));
        reference.gotoFrame(main->FlashPlayer->CurrentFrame());
        // Drawn on the kind of surface the widget draws on, so blending is the same.
        const QImage::Format surface = main->FlashPlayer->grab().toImage().format();
        QImage picture(main->FlashPlayer->size(), surface);
        {
            QPainter painter(&picture);
            reference.render(painter, QRectF(picture.rect()), main->FlashPlayer->ViewRect(),
                             engine::ScaleMode::ShowAll, QColor(Qt::white));
        }
        return picture.convertToFormat(QImage::Format_RGB32);
    }
    void Shoot(const std::string& chosen) {
        modal.saveAnswers.push_back(QString::fromStdString(chosen));
        main->AScreenShot->trigger();
    }
};

TEST_F(ScreenshotTest, SavesThePlayersPictureAsBmp) {
    // A movie with shapes in it, so the picture is more than a background.
    WriteBytes(Path("movie.swf"), testing::MakeShapesMovie(550, 400, 12, 8));
    OpenMovie(Path("movie.swf"));
    main->AStop->trigger();
    main->FlashPlayer->FrameNum(5);
    const QImage expected = RendererPicture();
    // More than one colour: the comparison below is about a real picture.
    ASSERT_TRUE(HasSeveralColours(expected));
    // Whatever happens while the dialog is up is not in the picture.
    modal.onSave = [this] { main->FlashPlayer->BackgroundColor(0xFF0000); };
    Shoot(Path("shot"));
    ASSERT_TRUE(fs::exists(Path("shot.bmp")));
    const auto bytes = ReadBytes(Path("shot.bmp"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    const QImage saved(QString::fromStdString(Path("shot.bmp")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), main->FlashPlayer->size());
    EXPECT_LT(saved.width(), main->TBXAlignmentPanel2->width());
    EXPECT_LT(saved.height(), main->TBXAlignmentPanel2->height());
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
    main->AScreenShot->trigger();
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
    ui::FMain->AZoomIn->setEnabled(true);
    ui::FMain->AZoomIn->trigger();
    EXPECT_EQ(modal.errorBoxes.size(), 1u);
    ui::FMain->SpinZoom->setEnabled(true);
    ui::FMain->SpinZoom->setValue(4.0);
    ui::FMain->SBHor->setEnabled(true);
    ui::FMain->SBHor->setValue(5);
    EXPECT_EQ(modal.errorBoxes.size(), 1u);
}

} // namespace
} // namespace quillon::test
