// Play, stop, the follow timer and the seek on the frame slider.

#include "GuiFixture.h"
#include "support/MovieBytes.h"
#include "player/ShockwaveFlash.h"

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
        EXPECT_FALSE(main->PlaySource->isEnabled());
        EXPECT_TRUE(main->Stop->isEnabled());
        EXPECT_TRUE(main->TrackBar1->isEnabled());
        EXPECT_TRUE(main->Timer1->isActive());
        EXPECT_TRUE(main->FlashPlayer->IsPlaying());
    }
    void ExpectStopped() {
        EXPECT_TRUE(main->PlaySource->isEnabled());
        EXPECT_FALSE(main->Stop->isEnabled());
        EXPECT_TRUE(main->TrackBar1->isEnabled());
        EXPECT_FALSE(main->Timer1->isActive());
        EXPECT_FALSE(main->FlashPlayer->IsPlaying());
    }
};

TEST_F(PlaybackTest, PlayAndStopFollowTheStateTable) {
    LoadForPlay({.frameCount = 40});
    main->APlaySource->setEnabled(true);
    main->APlaySource->trigger();
    ExpectPlaying();
    EXPECT_EQ(main->TrackBar1->maximum(), 40);
    EXPECT_EQ(main->Label2->text(), QStringLiteral("40"));
    EXPECT_EQ(main->Label1->text(), QStringLiteral("0"));

    main->AStop->trigger();
    ExpectStopped();

    // Another movie restarts the cycle with its own frame count.
    LoadForPlay({.frameCount = 7}, "other.swf");
    main->APlaySource->trigger();
    ExpectPlaying();
    EXPECT_EQ(main->TrackBar1->maximum(), 7);
    EXPECT_EQ(main->Label2->text(), QStringLiteral("7"));
    EXPECT_EQ(main->Label1->text(), QStringLiteral("0"));
}

TEST_F(PlaybackTest, PlayAfterStopStartsAgainAtTheFirstFrame) {
    LoadForPlay({.frameCount = 50});
    main->APlaySource->setEnabled(true);
    main->APlaySource->trigger();
    main->FlashPlayer->FrameNum(20);
    main->AStop->trigger();
    EXPECT_EQ(main->FlashPlayer->CurrentFrame(), 20);
    // The file changed on disk meanwhile: playing reads it again.
    LoadForPlay({.frameCount = 60});
    main->APlaySource->trigger();
    EXPECT_EQ(main->FlashPlayer->CurrentFrame(), 0);
    EXPECT_EQ(main->TrackBar1->maximum(), 60);
    EXPECT_EQ(main->Label2->text(), QStringLiteral("60"));
}

TEST_F(PlaybackTest, TickPutsTheSliderOnTheCurrentFrame) {
    LoadForPlay({.frameCount = 50});
    main->APlaySource->setEnabled(true);
    main->APlaySource->trigger();
    main->FlashPlayer->FrameNum(17);
    main->TrackBar1->setValue(3); // dragged, without a seek
    EXPECT_EQ(main->FlashPlayer->CurrentFrame(), 17);
    main->Timer1Timer();
    EXPECT_EQ(main->TrackBar1->value(), 17);
    // While the user holds the slider the tick leaves it alone.
    main->TrackBar1->setSliderDown(true);
    main->FlashPlayer->FrameNum(30);
    main->Timer1Timer();
    EXPECT_EQ(main->TrackBar1->value(), 17);
    main->TrackBar1->setSliderDown(false);
}

TEST_F(PlaybackTest, ReleasingTheSliderSeeks) {
    LoadForPlay({.frameCount = 50});
    main->APlaySource->setEnabled(true);
    main->APlaySource->trigger();
    main->AStop->setEnabled(true);

    main->TrackBar1->setSliderDown(true);
    main->TrackBar1->setValue(25);
    main->TrackBar1->setSliderDown(false); // the release
    EXPECT_EQ(main->FlashPlayer->CurrentFrame(), 25);
    ExpectPlaying();

    // When stopped the movie shows the frame and stays stopped.
    main->AStop->trigger();
    main->TrackBar1->setSliderDown(true);
    main->TrackBar1->setValue(40);
    main->TrackBar1->setSliderDown(false);
    EXPECT_EQ(main->FlashPlayer->CurrentFrame(), 40);
    ExpectStopped();
    main->Timer1Timer(); // the timer is off: nothing else moves the slider
    EXPECT_EQ(main->TrackBar1->value(), 40);
}

TEST_F(PlaybackTest, FailureToLoadSaysWhyAndChangesNothing) {
    WriteBytes(Path("broken.swf"), {'x', 'y', 'z'});
    SourceFileName = Path("broken.swf");
    main->APlaySource->setEnabled(true);
    main->APlaySource->trigger();
    ASSERT_EQ(modal.visibleMessages.size(), 1u);
    EXPECT_EQ(modal.visibleMessages[0], std::vector<QString>{QStringLiteral("MesPlay")});
    EXPECT_FALSE(ui::FMessages->MesPlay->text().trimmed().isEmpty());
    EXPECT_TRUE(main->PlaySource->isEnabled());
    EXPECT_FALSE(main->Stop->isEnabled());
    EXPECT_FALSE(main->TrackBar1->isEnabled());
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_EQ(main->Label2->text(), QStringLiteral("0"));
}

} // namespace
} // namespace quillon::test
