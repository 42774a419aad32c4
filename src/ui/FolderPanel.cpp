#include "FolderPanel.h"

#include "FolderModel.h"
#include "Modal.h"
#include "batch/DriveList.h"
#include "batch/Threads.h"
#include "codec/Errors.h"
#include "codec/FolderSearch.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTreeView>

namespace quillon::ui {

void FillDriveList(QComboBox* box) {
    if (box) {
        box->addItems(DriveRoots());
    }
}

FolderPanel::FolderPanel(QComboBox* driveBox, QTreeView* tree, QObject* parent)
    : QObject(parent), driveBox_(driveBox), tree_(tree) {
    model_ = qobject_cast<FolderModel*>(tree->model());
    if (!model_) {
        model_ = new FolderModel(tree);
        tree->setModel(model_);
    }
    setListsFiles(true);
    root_ = QStringLiteral("/");
    tree->setRootIndex(model_->index(root_));
    tree->setCurrentIndex(tree->rootIndex());
    tree->setDragEnabled(true);
    tree->setDragDropMode(QAbstractItemView::DragOnly);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setContextMenuPolicy(Qt::PreventContextMenu);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column = 1; column < model_->columnCount(); ++column) {
        tree->setColumnHidden(column, true);
    }
    tree->setHeaderHidden(true);
    connect(tree, &QTreeView::expanded, model_, &FolderModel::refresh);
    connect(tree, &QTreeView::doubleClicked, this, [this] {
        RunGuarded(tree_ ? tree_->window() : nullptr, [this] { treeDoubleClick(); });
    });

    if (driveBox) {
        driveBox->setEditable(true);
        driveBox->setMaxVisibleItems(20);
        driveBox->setInsertPolicy(QComboBox::NoInsert);
        driveBox->setEditText(root_);
        connect(driveBox, &QComboBox::textActivated, this, [this](const QString& text) {
            RunGuarded(tree_ ? tree_->window() : nullptr, [this, text] { setRootFromText(text); });
        });
    }
}

QString FolderPanel::rootPath() const {
    return root_;
}

void FolderPanel::setRootFromText(const QString& text) {
    // Folder names differ by case here, so only the very same folder is "unchanged".
    if (!text.isEmpty() && QDir::cleanPath(text) == QDir::cleanPath(root_)) {
        return;
    }
    const QFileInfo info(text);
    if (text.isEmpty() || !info.isDir()) {
        throw QuillonError("Error setting path: \"" + PathBytes(text) + "\"");
    }
    root_ = QDir::cleanPath(info.absoluteFilePath());
    if (tree_) {
        tree_->setRootIndex(model_->index(root_));
        tree_->setCurrentIndex(tree_->rootIndex());
    }
}

QString FolderPanel::selectedPath() const {
    if (!tree_) {
        return {};
    }
    return model_->filePath(tree_->currentIndex());
}

std::string FolderPanel::selectedPathBytes() const {
    return tree_ ? model_->pathBytes(tree_->currentIndex()) : std::string();
}

void FolderPanel::setListsFiles(bool files) {
    listsFiles_ = files;
    const QDir::Filters folders = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;
    model_->setFilter(files ? folders | QDir::Files | QDir::Hidden | QDir::System : folders);
}

void FolderPanel::treeDoubleClick() {
    const std::string path = selectedPathBytes();
    // A folder named like a movie is searched, never opened.
    if (path.empty() || !HasSwfExtension(path) || model_->isDir(tree_->currentIndex())) {
        return;
    }
    emit movieChosen(path);
}

} // namespace quillon::ui
