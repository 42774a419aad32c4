#include "MainWindow.h"

#include "BatchController.h"
#include "BatchPanel.h"
#include "CommandTable.h"
#include "FolderFrame.h"
#include "FolderPanel.h"
#include "InfoPanel.h"
#include "Lang.h"
#include "Layout.h"
#include "Modal.h"
#include "OptionsDialog.h"
#include "PlayerPanel.h"
#include "ProgramSettings.h"
#include "Shared.h"
#include "player/ShockwaveFlash.h"

#include <QAction>
#include <QEvent>
#include <QMenuBar>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>

namespace quillon::ui {

TFMain::TFMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("Quillon"));
    resize(913, 593);
    setDockOptions(QMainWindow::AnimatedDocks);

    commands_ = std::make_unique<CommandSet>(this);
    BuildMenus();
    BuildMainToolbar();
    BuildPanels();
    WireHandlers();
}

TFMain::~TFMain() = default;

QAction* TFMain::Command(const char* name) const {
    return (*commands_)[name];
}

QAction* TFMain::Item(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

BatchController& TFMain::Batch() const {
    return batch_->controller();
}

// Every command and every item with a handler of its own runs it guarded.
void TFMain::WireHandlers() {
    for (const CommandEntry& entry : CommandTable()) {
        if (!entry.handler) {
            continue;
        }
        QAction* action = Item(entry.name);
        connect(action, &QAction::triggered, this, [this, handler = entry.handler] {
            RunGuarded(this, [this, handler] { (this->*handler)(); });
        });
    }
}

void TFMain::BuildMenus() {
    TBXMENU = new QMenuBar(this);
    TBXMENU->setObjectName(QStringLiteral("TBXMENU"));
    TBXMENU->setFixedHeight(23);
    setMenuBar(TBXMENU);
    FillMenuBar(TBXMENU, *commands_);
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
    FillToolbar(TBXMOVIE, *commands_);

    // A docked toolbar shows a close button; a floating one is closed by its window.
    TBXMOVIEClose = new QAction(QStringLiteral("\u00D7"), TBXMOVIE);
    TBXMOVIEClose->setObjectName(QStringLiteral("TBXMOVIEClose"));
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

void TFMain::BuildPanels() {
    TBXDock3 = new QWidget(this);
    TBXDock3->setObjectName(QStringLiteral("TBXDock3"));
    TBXDock3->installEventFilter(this);
    setCentralWidget(TBXDock3);
    folders_ = new FolderFrame(TBXDock3);
    player_ = new PlayerPanel(TBXDock3, *commands_);
    info_ = new InfoPanel(TBXDock3, *commands_);

    BatchCallbacks callbacks;
    callbacks.openMovie = [this](const std::string& path) {
        SourceFileName = path;
        OpenSWFFile();
    };
    callbacks.playSource = [this] { APlaySourceExecute(); };
    batch_ = new BatchPanel(this, *commands_, *folders_, Item("buttonModeSingle"),
                            Item("buttonModeBatch"), std::move(callbacks));
    addDockWidget(Qt::BottomDockWidgetArea, batch_);
    // After the Options dialog the tree passes through the output folder and comes back
    // to the drive box's root.
    connect(this, &TFMain::optionsClosed, this, [this] {
        RunGuarded(this,
                   [this] { RerootAfterOptions(Batch().folderPanel(), folders_->driveText()); });
    });
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == TBXDock3) {
        ApplyHeightRule();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyResizeRule();
}

void TFMain::ApplyResizeRule() {
    const int outer = frameGeometry().width();
    const int panelWidth = std::max(0, outer - layout::SidePanelsWidth);
    const int bandHeight = TBXDock3->height();
    batch_->applyWidth(outer);
    folders_->move(0, 0);
    folders_->applyHeight(bandHeight);
    player_->setGeometry(layout::FolderPanelWidth, 0, panelWidth, bandHeight);
    info_->setGeometry(layout::FolderPanelWidth + panelWidth, 0, layout::InfoPanelWidth,
                       bandHeight);
    player_->applyWidth(outer - layout::SidePanelsWidth);
}

void TFMain::ApplyHeightRule() {
    const int bandHeight = TBXDock3->height();
    folders_->applyHeight(bandHeight);
    player_->applyHeight(bandHeight);
    info_->resize(info_->width(), bandHeight);
}

void TFMain::AModeSingleExecute() {
    Batch().applySingleMode();
    Item("buttonModeSingle")->setVisible(false);
    Item("buttonModeBatch")->setVisible(true);
    ModeName = "Single";
}

void TFMain::AModeBatchExecute() {
    Batch().applyBatchMode();
    Item("buttonModeSingle")->setVisible(true);
    Item("buttonModeBatch")->setVisible(false);
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
