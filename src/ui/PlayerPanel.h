#pragma once
// The player panel: the movie player in its area with two scroll bars, the frame slider
// with its two labels, and the player toolbar with the zoom box. It plays, follows,
// seeks, zooms and pans; the window's commands hand it that work.

#include <QFrame>
#include <QImage>
#include <string>

class QDoubleSpinBox;
class QLabel;
class QScrollBar;
class QSlider;
class QTimer;
class QToolBar;

namespace quillon::player {
class TSF;
}

namespace quillon::ui {

class CommandSet;

class PlayerPanel : public QFrame {
    Q_OBJECT
public:
    PlayerPanel(QWidget* parent, const CommandSet& commands);

    // Creates the player in its area; false when the machine has none.
    bool createPlayer();
    bool hasPlayer() const { return FlashPlayer != nullptr; }

    // Loads the movie and plays it, the slider and its labels following. Throws a
    // QuillonError when the player cannot take the movie; what played plays on.
    void play(const std::string& path);
    void stop();
    // Timer1's tick: the slider goes to the frame on show.
    void followFrame();
    // The slider was released: the movie goes to its position.
    void seek();
    // Whether the preview plays the movie's sound.
    void setSoundEnabled(bool on);
    // The zoom box and its label take input once a movie is open.
    void enableZoomBox();
    // A compressed movie offers Decompress, a plain one Compress.
    void showTransformItem(bool compressed);
    // What the player shows, at its own size; null when it shows nothing.
    QImage picture() const;

    void zoomIn();
    void zoomOut();
    void zoomTo(double factor);
    // 0: the whole movie fitted, 2: stretched to the area.
    void showFitted(int scaleMode);
    void scroll();

    // Widths follow the panel's width, heights the band's height.
    void applyWidth(int panelWidth);
    void applyHeight(int bandHeight);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildArea();
    void buildSlider();
    void buildToolbar(const CommandSet& commands);
    void placePlayer();
    void recomputeView();

    // Named as their objects are.
    QFrame* TBXAlignmentPanel2; // the player area
    QScrollBar *SBHor, *SBVer;
    player::TSF* FlashPlayer = nullptr;
    QFrame* TBXAlignmentPanel1; // the control strip
    QFrame* TBXAlignmentPanel3; // the slider strip
    QSlider* TrackBar1;
    QLabel *Label1, *Label2;
    QToolBar* TBXToolbar1;
    QLabel* LabelZoom;
    QDoubleSpinBox* SpinZoom;
    QTimer* Timer1;
    bool settingBars_ = false; // the zoom moves the scroll bars, not the user
};

} // namespace quillon::ui
