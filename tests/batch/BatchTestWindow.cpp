#include "BatchTestWindow.h"

#include "batch/PathText.h"
#include "ui/CommandTable.h"
#include "ui/FolderModel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillon::test {

namespace {

template <typename T> T* Named(QWidget* parent, const char* name) {
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    parent->layout()->addWidget(widget);
    return widget;
}

QAction* NamedAction(QObject* parent, const char* name) {
    auto* action = new QAction(QString::fromLatin1(name), parent);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

BatchTestWindow::BatchTestWindow() {
    auto* central = new QWidget(this);
    central->setLayout(new QVBoxLayout);
    setCentralWidget(central);
    auto* toolbar = addToolBar(QStringLiteral("Main"));

    ui::BatchWidgets w;
    w.driveBox = Named<QComboBox>(central, "mbTBXComboBox1");
    w.tree = Named<QTreeView>(central, "ShellTreeView1");
    w.tree->setModel(new ui::FolderModel(w.tree));
    w.grid = Named<QTableView>(central, "NG");
    w.compress = Named<QPushButton>(central, "BatchCompress");
    w.decompress = Named<QPushButton>(central, "BatchDecompress");
    w.select = Named<QPushButton>(central, "BatchSelect");
    w.clear = Named<QPushButton>(central, "BatchClear");
    w.compressAction = NamedAction(this, "ABatchCompress");
    w.decompressAction = NamedAction(this, "ABatchDecompress");
    w.selectAllAction = NamedAction(this, "ABatchSelAll");
    w.clearAction = NamedAction(this, "ABatchClear");
    w.popupMenu = ui::MakePopupMenu(w.grid, "PopupMenu1", ui::CommandSet(this));
    w.progressBar = Named<QProgressBar>(central, "ProgressBar1");
    w.wait = Named<QLabel>(central, "wait");
    w.modeSingle = NamedAction(this, "buttonModeSingle");
    w.modeBatch = NamedAction(this, "buttonModeBatch");
    toolbar->addAction(static_cast<QAction*>(w.modeSingle));
    toolbar->addAction(static_cast<QAction*>(w.modeBatch));

    // As the main window does: each batch button runs its command.
    const std::pair<QAbstractButton*, QAction*> commands[] = {{w.compress, w.compressAction},
                                                              {w.decompress, w.decompressAction},
                                                              {w.select, w.selectAllAction},
                                                              {w.clear, w.clearAction}};
    for (const auto& [button, action] : commands) {
        QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    }

    ui::BatchCallbacks callbacks;
    callbacks.openMovie = [this](const std::string& path) {
        opened << PathText(path);
        openedPaths.push_back(path);
    };
    callbacks.playSource = [this] { ++plays; };
    controller = new ui::BatchController(w, callbacks, this);
    resize(913, 593);
}

} // namespace quillon::test
