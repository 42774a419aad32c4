#include "PlayerPanel.h"

#include "CommandTable.h"
#include "Modal.h"
#include "PanelParts.h"
#include "player/ShockwaveFlash.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <stdexcept>

namespace quillon::ui {

namespace {

// The player area's margins and the control strip's height.
constexpr int PlayerAreaMargin = 4;
constexpr int PlayerAreaHeightMargin = 78;
constexpr int ControlStripHeight = 67;
constexpr int ScrollBarWidth = 19;
constexpr int ScrollBarHeight = 20;

} // namespace

PlayerPanel::PlayerPanel(QWidget* parent, const CommandSet& commands) : QFrame(parent) {
    setObjectName(QStringLiteral("TBXToolWindow5"));
    setFrameShape(QFrame::StyledPanel);
    buildArea();
    buildSlider();
    buildToolbar(commands);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this,
            [this] { RunGuarded(window(), [this] { followFrame(); }); });
}

void PlayerPanel::buildArea() {
    TBXAlignmentPanel2 = MakePanel(this, "TBXAlignmentPanel2");
    TBXAlignmentPanel2->setAutoFillBackground(true);
    QPalette area = TBXAlignmentPanel2->palette();
    area.setColor(QPalette::Window, area.color(QPalette::Base));
    TBXAlignmentPanel2->setPalette(area);
    TBXAlignmentPanel2->installEventFilter(this);
    SBVer = new QScrollBar(Qt::Vertical, TBXAlignmentPanel2);
    SBVer->setObjectName(QStringLiteral("SBVer"));
    SBHor = new QScrollBar(Qt::Horizontal, TBXAlignmentPanel2);
    SBHor->setObjectName(QStringLiteral("SBHor"));
    for (QScrollBar* bar : {SBHor, SBVer}) {
        bar->setRange(0, 100);
        bar->setSingleStep(1);
        bar->setEnabled(false);
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!settingBars_) {
                scroll();
            }
        });
    }
    SBHor->setPageStep(100);
    SBVer->setPageStep(10);
}

void PlayerPanel::buildSlider() {
    TBXAlignmentPanel1 = MakePanel(this, "TBXAlignmentPanel1");
    TBXAlignmentPanel3 = MakePanel(TBXAlignmentPanel1, "TBXAlignmentPanel3");
    TBXAlignmentPanel3->setAutoFillBackground(true);
    QPalette strip = TBXAlignmentPanel3->palette();
    strip.setColor(QPalette::Window, QColor(223, 223, 223));
    TBXAlignmentPanel3->setPalette(strip);
    TrackBar1 = new QSlider(Qt::Horizontal, TBXAlignmentPanel3);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 0);
    TrackBar1->setTickInterval(10);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setEnabled(false);
    connect(TrackBar1, &QSlider::sliderReleased, this,
            [this] { RunGuarded(window(), [this] { seek(); }); });
    Label1 = MakeLabel(TBXAlignmentPanel1, "Label1", QStringLiteral("0"));
    Label1->move(0, 30);
    Label2 = MakeLabel(TBXAlignmentPanel1, "Label2", QStringLiteral("0"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setFixedWidth(60);
}

void PlayerPanel::buildToolbar(const CommandSet& commands) {
    TBXToolbar1 = new QToolBar(QStringLiteral("Player"), TBXAlignmentPanel1);
    TBXToolbar1->setObjectName(QStringLiteral("TBXToolbar1"));
    TBXToolbar1->setMovable(false);
    TBXToolbar1->setFloatable(false);
    TBXToolbar1->setIconSize(QSize(16, 16));
    TBXToolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    LabelZoom = MakeLabel(TBXToolbar1, "LabelZoom", QStringLiteral("Zoom"));
    LabelZoom->setEnabled(false);
    SpinZoom = new QDoubleSpinBox(TBXToolbar1);
    SpinZoom->setObjectName(QStringLiteral("SpinZoom"));
    SpinZoom->setRange(0.1, 1000.0);
    SpinZoom->setSingleStep(0.1);
    SpinZoom->setDecimals(1);
    SpinZoom->setValue(1.0);
    SpinZoom->setFixedWidth(70);
    SpinZoom->setEnabled(false);
    connect(SpinZoom, &QDoubleSpinBox::valueChanged, this, &PlayerPanel::zoomTo);
    auto* gap = new QWidget(TBXToolbar1);
    gap->setObjectName(QStringLiteral("ZoomGap"));
    gap->setFixedWidth(10);
    FillToolbar(TBXToolbar1, commands,
                {{LabelZoom->objectName(), LabelZoom},
                 {SpinZoom->objectName(), SpinZoom},
                 {gap->objectName(), gap}});
}

bool PlayerPanel::createPlayer() {
    try {
        player::TSF* created = player::CreatePlayer(this);
        if (!created) {
            throw std::runtime_error("no player");
        }
        FlashPlayer = created;
        FlashPlayer->setObjectName(QStringLiteral("FlashPlayer"));
        FlashPlayer->setParent(TBXAlignmentPanel2);
        placePlayer();
        FlashPlayer->BackgroundColor(0xFFFFFF);
        FlashPlayer->show();
        FlashPlayer->setFocus();
        return true;
    } catch (const std::exception&) {
        delete FlashPlayer;
        FlashPlayer = nullptr;
        return false;
    }
}

// The player fills its area beside and above the two scroll bars.
void PlayerPanel::placePlayer() {
    const QSize area = TBXAlignmentPanel2->size();
    FlashPlayer->setGeometry(0, 0, std::max(0, area.width() - SBVer->width()),
                             std::max(0, area.height() - SBHor->height()));
}

void PlayerPanel::enableZoomBox() {
    SpinZoom->setEnabled(true);
    LabelZoom->setEnabled(true);
}

void PlayerPanel::showTransformItem(bool compressed) {
    auto* comp = TBXToolbar1->findChild<QAction*>(QStringLiteral("Comp"));
    auto* decomp = TBXToolbar1->findChild<QAction*>(QStringLiteral("Decomp"));
    comp->setVisible(!compressed);
    decomp->setVisible(compressed);
}

QImage PlayerPanel::picture() const {
    if (!FlashPlayer || FlashPlayer->width() == 0 || FlashPlayer->height() == 0) {
        return {};
    }
    return FlashPlayer->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool PlayerPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == TBXAlignmentPanel2) {
        if (FlashPlayer) {
            placePlayer();
        }
        const QSize area = TBXAlignmentPanel2->size();
        SBVer->setGeometry(area.width() - ScrollBarWidth, 0, ScrollBarWidth,
                           std::max(0, area.height() - ScrollBarHeight));
        SBHor->setGeometry(0, area.height() - ScrollBarHeight,
                           std::max(0, area.width() - ScrollBarWidth), ScrollBarHeight);
    }
    return QFrame::eventFilter(watched, event);
}

void PlayerPanel::applyWidth(int panelWidth) {
    const int areaWidth = std::max(0, panelWidth - PlayerAreaMargin);
    TBXAlignmentPanel2->setGeometry(2, 2, areaWidth, TBXAlignmentPanel2->height());
    TBXToolbar1->setGeometry(2, ControlStripHeight - 22, areaWidth, 22);
    applyHeight(height());
    if (FlashPlayer) {
        // Re-seating the player makes it take its area's size again.
        FlashPlayer->hide();
        FlashPlayer->resize(areaWidth, FlashPlayer->height());
        FlashPlayer->resize(std::max(0, areaWidth - SBVer->width()), FlashPlayer->height());
        FlashPlayer->show();
        FlashPlayer->setFocus();
    }
    TBXAlignmentPanel1->setGeometry(0, TBXAlignmentPanel1->y(), std::max(0, panelWidth),
                                    ControlStripHeight);
    TBXAlignmentPanel3->setGeometry(0, 0, std::max(0, panelWidth), 25);
    TrackBar1->setGeometry(0, 0, std::max(0, panelWidth), 25);
    Label2->move(panelWidth - Label2->width() - 15, 30);
}

void PlayerPanel::applyHeight(int bandHeight) {
    resize(width(), bandHeight);
    TBXAlignmentPanel2->resize(TBXAlignmentPanel2->width(),
                               std::max(0, bandHeight - PlayerAreaHeightMargin));
    TBXAlignmentPanel1->move(0, std::max(0, bandHeight - ControlStripHeight));
}

void PlayerPanel::setSoundEnabled(bool on) {
    if (FlashPlayer) {
        FlashPlayer->SetSoundEnabled(on);
    }
}

} // namespace quillon::ui
