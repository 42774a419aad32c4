// The player component: loading, the frame timer, looping, the zoom rectangle, the
// scale modes and the swallowed button presses.

#include "codec/Errors.h"
#include "player/ShockwaveFlash.h"
#include "player/engine/MovieEngine.h"
#include "support/MovieBytes.h"
#include "support/MovieWriter.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication<QApplication>();
        folder = scratch.path();
        flash = std::make_unique<player::TSF>();
        flash->resize(200, 150);
    }

    QString Movie(const MovieParams& params, const char* name = "movie.swf") {
        const auto path = folder / name;
        WriteBytes(path, PlainMovie(params));
        return QString::fromStdString(path.string());
    }

    TempDir scratch;
    std::filesystem::path folder;
    std::unique_ptr<player::TSF> flash;
};

TEST_F(PlayerTest, LoadReadsTheFrameCountAndTheRate) {
    EXPECT_EQ(flash->TotalFrames(), 0);
    flash->LoadMovie(0, Movie({.frameRate8_8 = 25 * 256, .frameCount = 7}));
    EXPECT_EQ(flash->TotalFrames(), 7);
    EXPECT_EQ(flash->FrameInterval(), 40);
    EXPECT_DOUBLE_EQ(flash->FrameMs(), 40.0);
    EXPECT_EQ(flash->CurrentFrame(), 0);
    flash->LoadMovie(0, Movie({.frameRate8_8 = 0, .frameCount = 3}, "slow.swf"));
    EXPECT_EQ(flash->TotalFrames(), 3);
    EXPECT_GT(flash->FrameInterval(), 0);
}

TEST_F(PlayerTest, LoadOfSomethingElseFails) {
    const auto path = folder / "text.swf";
    WriteBytes(path, {'h', 'i'});
    EXPECT_THROW(flash->LoadMovie(0, QString::fromStdString(path.string())), QuillonError);
    EXPECT_THROW(flash->LoadMovie(0, QString::fromStdString((folder / "none.swf").string())),
                 EFOpenError);
}

TEST_F(PlayerTest, PlayAdvancesAndLoopsStopPlayHalts) {
    flash->LoadMovie(0, Movie({.frameRate8_8 = 120 * 256, .frameCount = 3}));
    flash->Play();
    EXPECT_TRUE(flash->IsPlaying());
    // At 120 frames a second the three frames come round again well within a second.
    bool looped = false;
    int previous = flash->CurrentFrame();
    QElapsedTimer clock;
    clock.start();
    while (!looped && clock.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const int now = flash->CurrentFrame();
        looped = now < previous;
        previous = now;
    }
    EXPECT_TRUE(looped);
    flash->StopPlay();
    EXPECT_FALSE(flash->IsPlaying());
    const int halted = flash->CurrentFrame();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(flash->CurrentFrame(), halted);
}

TEST_F(PlayerTest, StopAndFrameNumSeek) {
    flash->LoadMovie(0, Movie({.frameCount = 30}));
    flash->Play();
    flash->Stop();
    EXPECT_FALSE(flash->IsPlaying());
    flash->FrameNum(12);
    EXPECT_EQ(flash->CurrentFrame(), 12);
}

// A movie at 50 frames a second that starts a sound and streams one.
QString SoundMovie(const std::filesystem::path& folder) {
    quillon::testing::MovieWriter writer(100, 100, 50);
    const quillon::testing::SoundFormatSpec format{3, 3, true, false};
    const quillon::testing::Bytes tone(1764, 0x40);
    writer.startSound(writer.defineSound(format, 882, tone));
    writer.soundStreamHead(format, 882);
    for (int f = 0; f < 5; ++f) {
        writer.soundStreamBlock(tone);
        writer.showFrame();
    }
    const auto path = folder / "sound.swf";
    WriteBytes(path, writer.bytes());
    return QString::fromStdString(path.string());
}

TEST_F(PlayerTest, SoundOffPlaysTheMovieSilently) {
    flash->SetSoundEnabled(false);
    flash->LoadMovie(0, SoundMovie(folder));
    flash->Play();
    EXPECT_FALSE(flash->Engine().soundEnabled());
    EXPECT_FALSE(flash->SoundPlaying());
    QElapsedTimer clock;
    clock.start();
    while (flash->CurrentFrame() < 2 && clock.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_GE(flash->CurrentFrame(), 2);
}

TEST_F(PlayerTest, PlaysWithoutAnAudioDevice) {
    // The tests run with no sound server: the movie must play on, silently.
    flash->LoadMovie(0, SoundMovie(folder));
    EXPECT_NO_THROW(flash->Play());
    EXPECT_TRUE(flash->IsPlaying());
    EXPECT_EQ(flash->SoundPlaying(), player::AudioOutput::DeviceAvailable());
    EXPECT_EQ(flash->Engine().soundEnabled(), flash->SoundPlaying());
    QElapsedTimer clock;
    clock.start();
    bool looped = false;
    int previous = 0;
    while (!looped && clock.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        looped = flash->CurrentFrame() < previous;
        previous = flash->CurrentFrame();
    }
    EXPECT_TRUE(looped);
    flash->StopPlay();
    EXPECT_FALSE(flash->SoundPlaying());
    flash->FrameNum(3);
    EXPECT_EQ(flash->CurrentFrame(), 3);
}

TEST_F(PlayerTest, ZoomRectAndScaleModeReachTheDrawing) {
    flash->LoadMovie(0, Movie({.xmax = 11000, .ymax = 8000}));
    EXPECT_EQ(flash->ViewRect(), QRectF(0, 0, 11000, 8000));
    flash->SetZoomRect(100, 200, 5500, 4000);
    EXPECT_EQ(flash->ViewRect(), QRectF(100, 200, 5400, 3800));
    flash->ScaleMode(2);
    EXPECT_EQ(flash->scaleMode(), 2);
    // The widget's picture is the engine's picture of the same view and mode.
    engine::MovieEngine reference;
    reference.load((folder / "movie.swf").string());
    const QImage drawn = flash->grab().toImage();
    QImage expected(flash->size(), drawn.format());
    {
        QPainter painter(&expected);
        reference.render(painter, QRectF(expected.rect()), QRectF(100, 200, 5400, 3800),
                         engine::ScaleMode::ExactFit, QColor(Qt::white));
    }
    EXPECT_EQ(drawn, expected);
    // A new movie shows whole again; the scale mode stays.
    flash->LoadMovie(0, Movie({.xmax = 4000, .ymax = 3000}, "other.swf"));
    EXPECT_EQ(flash->ViewRect(), QRectF(0, 0, 4000, 3000));
    EXPECT_EQ(flash->scaleMode(), 2);
}

TEST_F(PlayerTest, ZoomAndScaleModeChangeWhatIsDrawn) {
    const auto path = folder / "shapes.swf";
    WriteBytes(path, testing::MakeShapesMovie(200, 150, 12, 4));
    flash->resize(300, 150); // wider than the movie, so the two modes differ
    flash->LoadMovie(0, QString::fromStdString(path.string()));
    flash->FrameNum(1);
    const QImage whole = flash->grab().toImage();
    ASSERT_TRUE(HasSeveralColours(whole));

    engine::MovieEngine reference;
    reference.load(path.string());
    reference.gotoFrame(1);
    auto expected = [&](const QRectF& view, engine::ScaleMode mode) {
        QImage picture(flash->size(), whole.format());
        QPainter painter(&picture);
        reference.render(painter, QRectF(picture.rect()), view, mode, QColor(Qt::white));
        return picture;
    };
    EXPECT_EQ(whole, expected(QRectF(0, 0, 4000, 3000), engine::ScaleMode::ShowAll));

    flash->SetZoomRect(0, 0, 2000, 1500);
    const QImage zoomed = flash->grab().toImage();
    EXPECT_NE(zoomed, whole);
    EXPECT_EQ(zoomed, expected(QRectF(0, 0, 2000, 1500), engine::ScaleMode::ShowAll));

    flash->ScaleMode(2);
    const QImage stretched = flash->grab().toImage();
    EXPECT_NE(stretched, zoomed);
    EXPECT_EQ(stretched, expected(QRectF(0, 0, 2000, 1500), engine::ScaleMode::ExactFit));
}

TEST_F(PlayerTest, BackgroundColourFillsAnEmptyPlayer) {
    flash->BackgroundColor(0x336699);
    const QImage picture = flash->grab().toImage();
    EXPECT_EQ(picture.pixelColor(10, 10), QColor(0x33, 0x66, 0x99));
}

// Records the presses that get past the flash->
class PressRecorder : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

TEST_F(PlayerTest, LeftAndRightPressesAreSwallowed) {
    PressRecorder parent;
    auto* inner = new player::TSF(&parent);
    int expected = 0;
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), button, button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(inner, &press);
        // A press the player does not use goes on to its parent, as any widget's does.
        expected += button == Qt::MiddleButton ? 1 : 0;
        EXPECT_EQ(parent.presses, expected);
    }
}

// The pointer reaches the movie through the view: a 100 x 100 pixel stage shown whole in
// 200 x 150 is 150 pixels square from x = 25; zoomed on its top left 50 x 50 pixels (the
// button), that quarter fills the same square.
TEST_F(PlayerTest, PointerMovesReachTheButtonsThroughTheZoom) {
    testing::MovieWriter writer(100, 100);
    const auto shape = writer.defineRectangle(0, 0, 1000, 1000, {255, 0, 0});
    const auto button = writer.defineButton2({{1 | 2 | 8, shape, 1, {}}});
    writer.place(testing::Place{1, button});
    writer.showFrame();
    const auto path = folder / "button.swf";
    WriteBytes(path, writer.bytes());
    flash->LoadMovie(0, QString::fromStdString(path.string()));
    const auto moveTo = [&](double x, double y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(flash.get(), &move);
        return flash->Engine().buttonUnderPointer();
    };
    EXPECT_EQ(moveTo(60, 40), button);
    EXPECT_EQ(moveTo(120, 40), 0);
    flash->SetZoomRect(0, 0, 1000, 1000);
    EXPECT_EQ(moveTo(120, 40), button);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(flash.get(), &leave);
    EXPECT_EQ(flash->Engine().buttonUnderPointer(), 0);
}

TEST_F(PlayerTest, FactoryCanBeReplaced) {
    bool asked = false;
    player::SetPlayerFactory([&asked](QWidget*) -> player::TSF* {
        asked = true;
        return nullptr;
    });
    EXPECT_EQ(player::CreatePlayer(nullptr), nullptr);
    EXPECT_TRUE(asked);
    player::SetPlayerFactory({});
    std::unique_ptr<player::TSF> real(player::CreatePlayer(nullptr));
    EXPECT_NE(real, nullptr);
}

} // namespace
} // namespace quillon::test
