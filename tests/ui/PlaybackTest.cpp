// Play, stop, the follow timer and the seek on the frame slider.

#include "GuiFixture.h"
#include "player/ShockwaveFlash.h"
#include "support/MovieBytes.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace quillon::test {
namespace {

class PlaybackTest : public GuiTest {
protected:
    void LoadForPlay(const MovieParams& params, const char* name = "movie.swf") {
        WriteBytes(Path(name), PlainMovie(params));
        SourceFileName = Path(name);
    }
    void ExpectPlaying() {
        EXPECT_FALSE(Child<QAction>(main, "PlaySource")->isEnabled());
        EXPECT_TRUE(Child<QAction>(main, "Stop")->isEnabled());
        EXPECT_TRUE(Child<QSlider>(main, "TrackBar1")->isEnabled());
        EXPECT_TRUE(Child<QTimer>(main, "Timer1")->isActive());
        EXPECT_TRUE(Child<player::TSF>(main, "FlashPlayer")->IsPlaying());
    }
    void ExpectStopped() {
        EXPECT_TRUE(Child<QAction>(main, "PlaySource")->isEnabled());
        EXPECT_FALSE(Child<QAction>(main, "Stop")->isEnabled());
        EXPECT_TRUE(Child<QSlider>(main, "TrackBar1")->isEnabled());
        EXPECT_FALSE(Child<QTimer>(main, "Timer1")->isActive());
        EXPECT_FALSE(Child<player::TSF>(main, "FlashPlayer")->IsPlaying());
    }
};

TEST_F(PlaybackTest, PlayAndStopFollowTheStateTable) {
    LoadForPlay({.frameCount = 40});
    Child<QAction>(main, "APlaySource")->setEnabled(true);
    Child<QAction>(main, "APlaySource")->trigger();
    ExpectPlaying();
    EXPECT_EQ(Child<QSlider>(main, "TrackBar1")->maximum(), 40);
    EXPECT_EQ(Child<QLabel>(main, "Label2")->text(), QStringLiteral("40"));
    EXPECT_EQ(Child<QLabel>(main, "Label1")->text(), QStringLiteral("0"));

    Child<QAction>(main, "AStop")->trigger();
    ExpectStopped();

    // Another movie restarts the cycle with its own frame count.
    LoadForPlay({.frameCount = 7}, "other.swf");
    Child<QAction>(main, "APlaySource")->trigger();
    ExpectPlaying();
    EXPECT_EQ(Child<QSlider>(main, "TrackBar1")->maximum(), 7);
    EXPECT_EQ(Child<QLabel>(main, "Label2")->text(), QStringLiteral("7"));
    EXPECT_EQ(Child<QLabel>(main, "Label1")->text(), QStringLiteral("0"));
}

TEST_F(PlaybackTest, PlayAfterStopStartsAgainAtTheFirstFrame) {
    LoadForPlay({.frameCount = 50});
    Child<QAction>(main, "APlaySource")->setEnabled(true);
    Child<QAction>(main, "APlaySource")->trigger();
    Child<player::TSF>(main, "FlashPlayer")->FrameNum(20);
    Child<QAction>(main, "AStop")->trigger();
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->CurrentFrame(), 20);
    // The file changed on disk meanwhile: playing reads it again.
    LoadForPlay({.frameCount = 60});
    Child<QAction>(main, "APlaySource")->trigger();
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->CurrentFrame(), 0);
    EXPECT_EQ(Child<QSlider>(main, "TrackBar1")->maximum(), 60);
    EXPECT_EQ(Child<QLabel>(main, "Label2")->text(), QStringLiteral("60"));
}

TEST_F(PlaybackTest, TickPutsTheSliderOnTheCurrentFrame) {
    LoadForPlay({.frameCount = 50});
    Child<QAction>(main, "APlaySource")->setEnabled(true);
    Child<QAction>(main, "APlaySource")->trigger();
    Child<player::TSF>(main, "FlashPlayer")->FrameNum(17);
    Child<QSlider>(main, "TrackBar1")->setValue(3); // dragged, without a seek
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->CurrentFrame(), 17);
    main->Timer1Timer();
    EXPECT_EQ(Child<QSlider>(main, "TrackBar1")->value(), 17);
    // While the user holds the slider the tick leaves it alone.
    Child<QSlider>(main, "TrackBar1")->setSliderDown(true);
    Child<player::TSF>(main, "FlashPlayer")->FrameNum(30);
    main->Timer1Timer();
    EXPECT_EQ(Child<QSlider>(main, "TrackBar1")->value(), 17);
    Child<QSlider>(main, "TrackBar1")->setSliderDown(false);
}

TEST_F(PlaybackTest, ReleasingTheSliderSeeks) {
    LoadForPlay({.frameCount = 50});
    Child<QAction>(main, "APlaySource")->setEnabled(true);
    Child<QAction>(main, "APlaySource")->trigger();
    Child<QAction>(main, "AStop")->setEnabled(true);

    Child<QSlider>(main, "TrackBar1")->setSliderDown(true);
    Child<QSlider>(main, "TrackBar1")->setValue(25);
    Child<QSlider>(main, "TrackBar1")->setSliderDown(false); // the release
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->CurrentFrame(), 25);
    ExpectPlaying();

    // When stopped the movie shows the frame and stays stopped.
    Child<QAction>(main, "AStop")->trigger();
    Child<QSlider>(main, "TrackBar1")->setSliderDown(true);
    Child<QSlider>(main, "TrackBar1")->setValue(40);
    Child<QSlider>(main, "TrackBar1")->setSliderDown(false);
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->CurrentFrame(), 40);
    ExpectStopped();
    main->Timer1Timer(); // the timer is off: nothing else moves the slider
    EXPECT_EQ(Child<QSlider>(main, "TrackBar1")->value(), 40);
}

TEST_F(PlaybackTest, FailureToLoadSaysWhyAndChangesNothing) {
    WriteBytes(Path("broken.swf"), {'x', 'y', 'z'});
    SourceFileName = Path("broken.swf");
    Child<QAction>(main, "APlaySource")->setEnabled(true);
    Child<QAction>(main, "APlaySource")->trigger();
    ASSERT_EQ(modal.visibleMessages.size(), 1u);
    EXPECT_EQ(modal.visibleMessages[0], std::vector<QString>{QStringLiteral("MesPlay")});
    EXPECT_FALSE(ui::FMessages->MesPlay->text().trimmed().isEmpty());
    EXPECT_TRUE(Child<QAction>(main, "PlaySource")->isEnabled());
    EXPECT_FALSE(Child<QAction>(main, "Stop")->isEnabled());
    EXPECT_FALSE(Child<QSlider>(main, "TrackBar1")->isEnabled());
    EXPECT_FALSE(Child<QTimer>(main, "Timer1")->isActive());
    EXPECT_EQ(Child<QLabel>(main, "Label2")->text(), QStringLiteral("0"));
}

// Opening a movie the player cannot take, while another plays, leaves no half state:
// the one playing goes on, and everything says so.
TEST_F(PlaybackTest, FailedLoadLeavesTheMoviePlayingAndSaysSo) {
    LoadForPlay({.frameCount = 40});
    Child<QAction>(main, "APlaySource")->setEnabled(true);
    Child<QAction>(main, "APlaySource")->trigger();
    ExpectPlaying();

    WriteBytes(Path("broken.swf"), {'x', 'y', 'z'});
    modal.openAnswers.push_back(QString::fromStdString(Path("broken.swf")));
    Child<QAction>(main, "AOpen")->trigger();
    ASSERT_EQ(modal.visibleMessages.size(), 1u);
    EXPECT_EQ(modal.visibleMessages[0], std::vector<QString>{QStringLiteral("MesPlay")});
    ExpectPlaying();
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->TotalFrames(), 40);
    EXPECT_EQ(Child<QLabel>(main, "Label2")->text(), QStringLiteral("40"));
}

} // namespace
} // namespace quillon::test
