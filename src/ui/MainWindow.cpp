#include "MainWindow.h"

#include "BatchController.h"
#include "FolderPanel.h"
#include "Icons.h"
#include "Lang.h"
#include "Modal.h"
#include "OptionsDialog.h"
#include "Shared.h"
#include "player/ShockwaveFlash.h"
#include "settings/SettingsValues.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace quillon::ui {

namespace {

// The fixed widths of the layout: the folder and information panels, the space the
// grid leaves for the buttons, and the player area's margins.
constexpr int SidePanelsWidth = 408;
constexpr int GridMargin = 122;
constexpr int ButtonsMargin = 120;
constexpr int PlayerAreaMargin = 4;
constexpr int PlayerAreaHeightMargin = 78;
constexpr int ControlStripHeight = 67;
constexpr int BatchPanelHeight = 133;

QAction* MakeAction(QObject* owner, const char* name, const QString& caption) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

// Makes a widget or item run a command and follow the command's enabled state, while
// its caption, hint and visibility stay its own.
template <typename Control, typename Signal>
void LinkToCommand(Control* control, Signal signal, QAction* command) {
    control->setEnabled(command->isEnabled());
    QObject::connect(control, signal, command, [command] { command->trigger(); });
    QObject::connect(command, &QAction::changed, control,
                     [control, command] { control->setEnabled(command->isEnabled()); });
}

QAction* MakeItem(QObject* owner, const char* name, const QString& caption, QAction* command,
                  IconKind icon) {
    QAction* item = MakeAction(owner, name, caption);
    item->setToolTip(caption);
    item->setIcon(ToolIcon(icon));
    LinkToCommand(item, &QAction::triggered, command);
    return item;
}

QAction* MakeMenuItem(QMenu* menu, const char* name, const QString& caption, QAction* command) {
    QAction* item = MakeAction(menu, name, caption);
    LinkToCommand(item, &QAction::triggered, command);
    menu->addAction(item);
    return item;
}

QPushButton* MakeCommandButton(QWidget* parent, const char* name, const QString& caption,
                               QAction* command) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    LinkToCommand(button, &QPushButton::clicked, command);
    return button;
}

QFrame* MakePanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TFMain::TFMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("Quillon"));
    resize(913, 593);
    setDockOptions(QMainWindow::AnimatedDocks);

    BuildActions();
    BuildMenus();
    BuildMainToolbar();

    TBXDock3 = new QWidget(this);
    TBXDock3->setObjectName(QStringLiteral("TBXDock3"));
    TBXDock3->installEventFilter(this);
    setCentralWidget(TBXDock3);
    BuildFolderPanel();
    BuildPlayerPanel();
    BuildInfoPanel();
    BuildBatchPanel();
    WireBatch();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this,
            [this] { RunGuarded(this, [this] { Timer1Timer(); }); });
}

TFMain::~TFMain() = default;

void TFMain::Wire(QAction* command, void (TFMain::*handler)()) {
    connect(command, &QAction::triggered, this,
            [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
}

void TFMain::BuildActions() {
    AOpen = MakeAction(this, "AOpen", QStringLiteral("Open"));
    ACompress = MakeAction(this, "ACompress", QStringLiteral("Compress"));
    ADecompress = MakeAction(this, "ADecompress", QStringLiteral("Decompress"));
    AEstimate = MakeAction(this, "AEstimate", QStringLiteral("Estimate"));
    APlaySource = MakeAction(this, "APlaySource", QStringLiteral("PlaySource"));
    AStop = MakeAction(this, "AStop", QStringLiteral("Stop"));
    AZoomIn = MakeAction(this, "AZoomIn", QStringLiteral("ZoomIn"));
    AZoomOut = MakeAction(this, "AZoomOut", QStringLiteral("ZoomOut"));
    AExpand = MakeAction(this, "AExpand", QStringLiteral("Expand"));
    AFit = MakeAction(this, "AFit", QStringLiteral("Fit"));
    AScreenShot = MakeAction(this, "AScreenShot", QStringLiteral("ScreenShot"));
    AAbout = MakeAction(this, "AAbout", QStringLiteral("About"));
    AHelp = MakeAction(this, "AHelp", QStringLiteral("Help"));
    AClose = MakeAction(this, "AClose", QStringLiteral("Close"));
    AEnglish = MakeAction(this, "AEnglish", QStringLiteral("English"));
    AFrench = MakeAction(this, "AFrench", QStringLiteral("French"));
    ABatchCompress = MakeAction(this, "ABatchCompress", QStringLiteral("ABatchCompress"));
    ABatchDecompress = MakeAction(this, "ABatchDecompress", QStringLiteral("ABatchDecompress"));
    ABatchSelAll = MakeAction(this, "ABatchSelAll", QStringLiteral("ABatchSelAll"));
    ABatchClear = MakeAction(this, "ABatchClear", QStringLiteral("ABatchClear"));
    AModeSingle = MakeAction(this, "AModeSingle", QStringLiteral("Single file mode"));
    AModeBatch = MakeAction(this, "AModeBatch", QStringLiteral("Batch mode"));

    // The player's commands wait for a movie; the batch commands for a list.
    for (QAction* waiting :
         {ACompress, ADecompress, AEstimate, APlaySource, AStop, AZoomIn, AZoomOut, AExpand, AFit,
          AScreenShot, ABatchCompress, ABatchDecompress, ABatchSelAll, ABatchClear}) {
        waiting->setEnabled(false);
    }

    Wire(AOpen, &TFMain::AOpenExecute);
    Wire(ACompress, &TFMain::ACompressExecute);
    Wire(ADecompress, &TFMain::ADecompressExecute);
    Wire(AEstimate, &TFMain::AEstimateExecute);
    Wire(APlaySource, &TFMain::APlaySourceExecute);
    Wire(AStop, &TFMain::AStopExecute);
    Wire(AZoomIn, &TFMain::AZoomInExecute);
    Wire(AZoomOut, &TFMain::AZoomOutExecute);
    Wire(AExpand, &TFMain::AExpandExecute);
    Wire(AFit, &TFMain::AFitExecute);
    Wire(AScreenShot, &TFMain::AScreenShotExecute);
    Wire(AAbout, &TFMain::AAboutExecute);
    Wire(AHelp, &TFMain::AHelpExecute);
    Wire(AClose, &TFMain::ACloseExecute);
    Wire(AEnglish, &TFMain::AEnglishExecute);
    Wire(AFrench, &TFMain::AFrenchExecute);
    Wire(AModeSingle, &TFMain::AModeSingleExecute);
    Wire(AModeBatch, &TFMain::AModeBatchExecute);
}

void TFMain::BuildMenus() {
    TBXMENU = new QMenuBar(this);
    TBXMENU->setObjectName(QStringLiteral("TBXMENU"));
    TBXMENU->setFixedHeight(23);
    setMenuBar(TBXMENU);

    MFile = TBXMENU->addMenu(QStringLiteral("File"));
    MFile->setObjectName(QStringLiteral("MFile"));
    MOpen = MakeMenuItem(MFile, "MOpen", QStringLiteral("Open"), AOpen);
    MOptions = MakeAction(MFile, "MOptions", QStringLiteral("Options"));
    connect(MOptions, &QAction::triggered, this,
            [this] { RunGuarded(this, [this] { MOptionsClick(); }); });
    MFile->addAction(MOptions);
    MLanguage = MFile->addMenu(QStringLiteral("Set language"));
    MLanguage->setObjectName(QStringLiteral("MLanguage"));
    MLanguageEnglish =
        MakeMenuItem(MLanguage, "MLanguageEnglish", QStringLiteral("English"), AEnglish);
    MLanguageFrench = MakeMenuItem(MLanguage, "MLanguageFrench", QStringLiteral("French"), AFrench);
    MClose = MakeMenuItem(MFile, "MClose", QStringLiteral("Close"), AClose);

    MWindow = TBXMENU->addMenu(QStringLiteral("Window"));
    MWindow->setObjectName(QStringLiteral("MWindow"));
    MSMovie = MakeAction(MWindow, "MSMovie", QStringLiteral("Show Movie panel"));
    connect(MSMovie, &QAction::triggered, this,
            [this] { RunGuarded(this, [this] { MSMovieClick(); }); });
    MWindow->addAction(MSMovie);

    MHelp = TBXMENU->addMenu(QStringLiteral("Help"));
    MHelp->setObjectName(QStringLiteral("MHelp"));
    MHome = MakeAction(MHelp, "MHome", QStringLiteral("Visit Morvane home page"));
    connect(MHome, &QAction::triggered, this,
            [this] { RunGuarded(this, [this] { MHomeClick(); }); });
    MHelp->addAction(MHome);
    MHlp = MakeMenuItem(MHelp, "MHlp", QStringLiteral("Help"), AHelp);
    MAbout = MakeMenuItem(MHelp, "MAbout", QStringLiteral("About"), AAbout);
}

void TFMain::BuildMainToolbar() {
    TBXMOVIE = new QToolBar(QStringLiteral("Main"), this);
    TBXMOVIE->setObjectName(QStringLiteral("TBXMOVIE"));
    TBXMOVIE->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    TBXMOVIE->setMovable(true);
    TBXMOVIE->setFloatable(true);
    TBXMOVIE->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    TBXMOVIE->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, TBXMOVIE);

    Open = MakeItem(this, "Open", QStringLiteral("Open file"), AOpen, IconKind::Open);
    buttonModeSingle = MakeItem(this, "buttonModeSingle", QStringLiteral("Single file mode"),
                                AModeSingle, IconKind::ModeSingle);
    buttonModeBatch = MakeItem(this, "buttonModeBatch", QStringLiteral("Batch mode"), AModeBatch,
                               IconKind::ModeBatch);
    Options = MakeAction(this, "Options", QStringLiteral("Options"));
    Options->setToolTip(QStringLiteral("Options"));
    Options->setIcon(ToolIcon(IconKind::Options));
    connect(Options, &QAction::triggered, this,
            [this] { RunGuarded(this, [this] { OptionsExecute(); }); });
    LanguageEnglish =
        MakeItem(this, "LanguageEnglish", QStringLiteral("English"), AEnglish, IconKind::English);
    LanguageFrench =
        MakeItem(this, "LanguageFrench", QStringLiteral("French"), AFrench, IconKind::French);
    About = MakeItem(this, "About", QStringLiteral("About"), AAbout, IconKind::About);
    Exit = MakeItem(this, "Exit", QStringLiteral("Close"), AClose, IconKind::Close);

    TBXMOVIE->addAction(Open);
    TBXMOVIE->addAction(buttonModeSingle);
    TBXMOVIE->addAction(buttonModeBatch);
    TBXMOVIE->addSeparator();
    TBXMOVIE->addAction(Options);
    TBXMOVIE->addAction(LanguageEnglish);
    TBXMOVIE->addAction(LanguageFrench);
    TBXMOVIE->addSeparator();
    TBXMOVIE->addAction(About);
    TBXMOVIE->addAction(Exit);

    // A docked toolbar shows a close button; a floating one is closed by its window.
    TBXMOVIEClose = MakeAction(this, "TBXMOVIEClose", QStringLiteral("\u00D7"));
    TBXMOVIEClose->setToolTip(QStringLiteral("Close"));
    TBXMOVIE->addAction(TBXMOVIEClose);
    connect(TBXMOVIEClose, &QAction::triggered, TBXMOVIE, &QToolBar::hide);
    if (auto* closeButton = qobject_cast<QToolButton*>(TBXMOVIE->widgetForAction(TBXMOVIEClose))) {
        closeButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    connect(TBXMOVIE, &QToolBar::topLevelChanged, this, [this](bool floating) {
        TBXMOVIEClose->setVisible(!floating);
        ApplyHeightRule();
    });
    connect(TBXMOVIE, &QToolBar::visibilityChanged, this, [this] { ApplyHeightRule(); });
}

void TFMain::BuildFolderPanel() {
    TBXToolWindow1 = MakePanel(TBXDock3, "TBXToolWindow1");
    TBXToolWindow1->setFrameShape(QFrame::StyledPanel);
    mbTBXComboBox1 = new QComboBox(TBXToolWindow1);
    mbTBXComboBox1->setObjectName(QStringLiteral("mbTBXComboBox1"));
    mbTBXComboBox1->setEditable(true);
    mbTBXComboBox1->setMaxVisibleItems(20);
    mbTBXComboBox1->setEditText(QStringLiteral("/"));
    ShellTreeView1 = new QTreeView(TBXToolWindow1);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeModel = new QFileSystemModel(ShellTreeView1);
    ShellTreeModel->setObjectName(QStringLiteral("ShellTreeModel"));
    ShellTreeModel->setRootPath(QStringLiteral("/"));
    ShellTreeView1->setModel(ShellTreeModel);
    ShellTreeView1->setRootIndex(ShellTreeModel->index(QStringLiteral("/")));
    for (int column = 1; column < ShellTreeModel->columnCount(); ++column) {
        ShellTreeView1->hideColumn(column);
    }
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setDragEnabled(true);
}

void TFMain::BuildPlayerPanel() {
    TBXToolWindow5 = MakePanel(TBXDock3, "TBXToolWindow5");
    TBXToolWindow5->setFrameShape(QFrame::StyledPanel);

    TBXAlignmentPanel2 = MakePanel(TBXToolWindow5, "TBXAlignmentPanel2");
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
                ScrollBarScroll();
            }
        });
    }
    SBHor->setPageStep(100);
    SBVer->setPageStep(10);

    TBXAlignmentPanel1 = MakePanel(TBXToolWindow5, "TBXAlignmentPanel1");
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
            [this] { RunGuarded(this, [this] { TrackBar1Seek(); }); });
    Label1 = MakeLabel(TBXAlignmentPanel1, "Label1", QStringLiteral("0"));
    Label1->move(0, 30);
    Label2 = MakeLabel(TBXAlignmentPanel1, "Label2", QStringLiteral("0"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setFixedWidth(60);
    BuildPlayerToolbar();
}

void TFMain::BuildPlayerToolbar() {
    TBXToolbar1 = new QToolBar(QStringLiteral("Player"), TBXAlignmentPanel1);
    TBXToolbar1->setObjectName(QStringLiteral("TBXToolbar1"));
    TBXToolbar1->setMovable(false);
    TBXToolbar1->setFloatable(false);
    TBXToolbar1->setIconSize(QSize(16, 16));
    TBXToolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    PlaySource =
        MakeItem(this, "PlaySource", QStringLiteral("PlaySource"), APlaySource, IconKind::Play);
    Stop = MakeItem(this, "Stop", QStringLiteral("Stop"), AStop, IconKind::Stop);
    ZoomIn = MakeItem(this, "ZoomIn", QStringLiteral("ZoomIn"), AZoomIn, IconKind::ZoomIn);
    ZoomOut = MakeItem(this, "ZoomOut", QStringLiteral("ZoomOut"), AZoomOut, IconKind::ZoomOut);
    Expand = MakeItem(this, "Expand", QStringLiteral("Expand"), AExpand, IconKind::Expand);
    Fit = MakeItem(this, "Fit", QStringLiteral("Fit"), AFit, IconKind::Fit);
    SS = MakeItem(this, "SS", QStringLiteral("ScreenShot"), AScreenShot, IconKind::ScreenShot);
    Comp = MakeItem(this, "Comp", QStringLiteral("Compress"), ACompress, IconKind::Compress);
    Decomp =
        MakeItem(this, "Decomp", QStringLiteral("Decompress"), ADecompress, IconKind::Decompress);
    Decomp->setVisible(false);

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
    connect(SpinZoom, &QDoubleSpinBox::valueChanged, this, &TFMain::ZoomSpinChange);
    auto* gap = new QWidget(TBXToolbar1);
    gap->setFixedWidth(10);

    TBXToolbar1->addAction(PlaySource);
    TBXToolbar1->addAction(Stop);
    TBXToolbar1->addSeparator();
    TBXToolbar1->addWidget(LabelZoom);
    TBXToolbar1->addWidget(SpinZoom);
    TBXToolbar1->addAction(ZoomIn);
    TBXToolbar1->addAction(ZoomOut);
    TBXToolbar1->addAction(Expand);
    TBXToolbar1->addAction(Fit);
    TBXToolbar1->addSeparator();
    TBXToolbar1->addAction(SS);
    TBXToolbar1->addWidget(gap);
    TBXToolbar1->addAction(Comp);
    TBXToolbar1->addAction(Decomp);
    // The seven playback and view items show their icons alone.
    for (QAction* iconOnly : {PlaySource, Stop, ZoomIn, ZoomOut, Expand, Fit, SS}) {
        if (auto* button = qobject_cast<QToolButton*>(TBXToolbar1->widgetForAction(iconOnly))) {
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
    }
}

void TFMain::BuildInfoPanel() {
    TBXToolWindow3 = MakePanel(TBXDock3, "TBXToolWindow3");
    TBXToolWindow3->setFrameShape(QFrame::StyledPanel);
    auto heading = [this](const char* name, const QString& text, int y) {
        QLabel* label = MakeLabel(TBXToolWindow3, name, text);
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        // 100 pixels, or what the system font needs for the text.
        label->setGeometry(8, y, std::max(100, label->sizeHint().width()), 17);
        return label;
    };
    auto value = [this](const char* name, int y) {
        QLabel* label = MakeLabel(TBXToolWindow3, name, QString());
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(8, y, 177, 17);
        return label;
    };
    TBXLCompStat = heading("TBXLCompStat", QStringLiteral("Compression status"), 8);
    CStatus = value("CStatus", 32);
    TBXLFVer = heading("TBXLFVer", QStringLiteral("Flash version"), 56);
    Ver = value("Ver", 80);
    TBXLFStat = heading("TBXLFStat", QStringLiteral("File status"), 104);
    FStatus = value("FStatus", 128);
    TBXLFLen = heading("TBXLFLen", QStringLiteral("File length"), 152);
    FLen = value("FLen", 176);
    TBXLFRate = heading("TBXLFRate", QStringLiteral("Frame rate"), 200);
    FR = value("FR", 224);
    Estimate = MakeCommandButton(TBXToolWindow3, "Estimate", QStringLiteral("Estimate"), AEstimate);
    Estimate->setGeometry(8, 256, 177, 25);
    Est = value("Est", 288);
}

void TFMain::BuildBatchPanel() {
    TBXDPBatchOp = new QDockWidget(QStringLiteral("Batch operations"), this);
    TBXDPBatchOp->setObjectName(QStringLiteral("TBXDPBatchOp"));
    TBXDPBatchOp->setFeatures(QDockWidget::NoDockWidgetFeatures);
    TBXDPBatchOp->setAllowedAreas(Qt::BottomDockWidgetArea);
    TBXDPBatchOp->setFixedHeight(BatchPanelHeight);
    auto* content = new QWidget(TBXDPBatchOp);
    content->setObjectName(QStringLiteral("TBXDPBatchOpContent"));
    TBXDPBatchOp->setWidget(content);
    addDockWidget(Qt::BottomDockWidgetArea, TBXDPBatchOp);

    NG = new QTableView(content);
    NG->setObjectName(QStringLiteral("NG"));
    // The batch controller installs the grid's model, headers and column widths.
    NG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    NG->horizontalHeader()->setSectionsMovable(false);
    NG->horizontalHeader()->setFixedHeight(20);
    NG->verticalHeader()->hide();
    NG->move(0, 2);
    NG->setFixedHeight(89);

    BatchCompress =
        MakeCommandButton(content, "BatchCompress", QStringLiteral("Compress"), ABatchCompress);
    BatchDecompress = MakeCommandButton(content, "BatchDecompress", QStringLiteral("Decompress"),
                                        ABatchDecompress);
    BatchSelect =
        MakeCommandButton(content, "BatchSelect", QStringLiteral("Select all"), ABatchSelAll);
    BatchClear = MakeCommandButton(content, "BatchClear", QStringLiteral("Clear"), ABatchClear);
    int y = 2;
    for (QPushButton* button : {BatchCompress, BatchDecompress, BatchSelect, BatchClear}) {
        button->setGeometry(0, y, 105, 21);
        y += 23;
    }

    auto* status = new QStatusBar(content);
    status->setObjectName(QStringLiteral("TBXStatusBar1"));
    status->setSizeGripEnabled(false);
    status->move(0, 93);
    status->setFixedHeight(20);
    ProgressBar1 = new QProgressBar(status);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFixedWidth(200);
    wait = MakeLabel(status, "wait", QString());
    status->addWidget(ProgressBar1);
    status->addWidget(wait, 1);
    ProgressBar1->hide();
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == TBXDock3 || watched == TBXAlignmentPanel2)) {
        if (watched == TBXDock3) {
            ApplyHeightRule();
        } else if (FlashPlayer) {
            // The player fills its area beside and above the two scroll bars.
            const QSize area = TBXAlignmentPanel2->size();
            FlashPlayer->setGeometry(0, 0, std::max(0, area.width() - SBVer->width()),
                                     std::max(0, area.height() - SBHor->height()));
        }
        if (watched == TBXAlignmentPanel2) {
            const QSize area = TBXAlignmentPanel2->size();
            SBVer->setGeometry(area.width() - 19, 0, 19, std::max(0, area.height() - 20));
            SBHor->setGeometry(0, area.height() - 20, std::max(0, area.width() - 19), 20);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyResizeRule();
}

void TFMain::ApplyResizeRule() {
    const int outer = frameGeometry().width();
    const int panelWidth = outer - SidePanelsWidth;
    const int bandHeight = TBXDock3->height();

    NG->setFixedWidth(std::max(0, outer - GridMargin));
    for (QPushButton* button : {BatchCompress, BatchDecompress, BatchSelect, BatchClear}) {
        button->move(outer - ButtonsMargin, button->y());
    }
    if (auto* status = TBXDPBatchOp->widget()->findChild<QStatusBar*>()) {
        status->setFixedWidth(std::max(0, outer - 8));
    }

    TBXToolWindow1->setGeometry(0, 0, 200, bandHeight);
    mbTBXComboBox1->setGeometry(2, 2, 195, 21);
    ShellTreeView1->setGeometry(2, 25, 196, std::max(0, bandHeight - 27));
    TBXToolWindow5->setGeometry(200, 0, std::max(0, panelWidth), bandHeight);
    TBXToolWindow3->setGeometry(200 + std::max(0, panelWidth), 0, 200, bandHeight);

    const int areaWidth = std::max(0, panelWidth - PlayerAreaMargin);
    TBXAlignmentPanel2->setGeometry(2, 2, areaWidth, TBXAlignmentPanel2->height());
    TBXToolbar1->setGeometry(2, ControlStripHeight - 22, areaWidth, 22);
    ApplyHeightRule();
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

void TFMain::ApplyHeightRule() {
    const int panelHeight = TBXDock3->height();
    TBXToolWindow1->resize(TBXToolWindow1->width(), panelHeight);
    ShellTreeView1->resize(ShellTreeView1->width(), std::max(0, panelHeight - 27));
    TBXToolWindow5->resize(TBXToolWindow5->width(), panelHeight);
    TBXToolWindow3->resize(TBXToolWindow3->width(), panelHeight);
    TBXAlignmentPanel2->resize(TBXAlignmentPanel2->width(),
                               std::max(0, panelHeight - PlayerAreaHeightMargin));
    TBXAlignmentPanel1->move(0, std::max(0, panelHeight - ControlStripHeight));
}

void TFMain::WireBatch() {
    BatchWidgets widgets;
    widgets.grid = NG;
    widgets.compress = BatchCompress;
    widgets.decompress = BatchDecompress;
    widgets.select = BatchSelect;
    widgets.clear = BatchClear;
    widgets.compressAction = ABatchCompress;
    widgets.decompressAction = ABatchDecompress;
    widgets.selectAllAction = ABatchSelAll;
    widgets.clearAction = ABatchClear;
    widgets.progressBar = ProgressBar1;
    widgets.wait = wait;
    widgets.driveBox = mbTBXComboBox1;
    widgets.tree = ShellTreeView1;
    widgets.modeSingle = buttonModeSingle;
    widgets.modeBatch = buttonModeBatch;
    BatchCallbacks callbacks;
    callbacks.openMovie = [this](const std::string& path) {
        SourceFileName = path;
        OpenSWFFile();
    };
    callbacks.playSource = [this] { APlaySourceExecute(); };
    Batch = new BatchController(widgets, std::move(callbacks), this);
    // After the Options dialog the tree passes through the output folder and comes back
    // to the drive box's root.
    connect(this, &TFMain::optionsClosed, this, [this] {
        RunGuarded(this, [this] {
            RerootAfterOptions(Batch->folderPanel(), mbTBXComboBox1->currentText());
        });
    });
}

void TFMain::AModeSingleExecute() {
    Batch->applySingleMode();
    buttonModeSingle->setVisible(false);
    buttonModeBatch->setVisible(true);
    ModeName = "Single";
}

void TFMain::AModeBatchExecute() {
    Batch->applyBatchMode();
    buttonModeSingle->setVisible(true);
    buttonModeBatch->setVisible(false);
    ModeName = "Batch";
}

void TFMain::MSMovieClick() {
    TBXMOVIE->show();
}

void TFMain::ACloseExecute() {
    close();
}

void TFMain::AEnglishExecute() {
    LanguageCode = "ENG";
    ApplyLanguage();
    emit languageChanged();
}

void TFMain::AFrenchExecute() {
    LanguageCode = "FRA";
    ApplyLanguage();
    emit languageChanged();
}

} // namespace quillon::ui
