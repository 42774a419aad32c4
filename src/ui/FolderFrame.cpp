#include "FolderFrame.h"

#include "BatchController.h"
#include "FolderModel.h"
#include "FolderPanel.h"
#include "Layout.h"

#include <QComboBox>
#include <QTreeView>

namespace quillon::ui {

namespace {

constexpr int TreeTop = 25;

} // namespace

FolderFrame::FolderFrame(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("TBXToolWindow1"));
    setFrameShape(QFrame::StyledPanel);
    mbTBXComboBox1 = new QComboBox(this);
    mbTBXComboBox1->setObjectName(QStringLiteral("mbTBXComboBox1"));
    mbTBXComboBox1->setEditable(true);
    mbTBXComboBox1->setMaxVisibleItems(20);
    mbTBXComboBox1->setEditText(QStringLiteral("/"));
    mbTBXComboBox1->setGeometry(2, 2, layout::FolderPanelWidth - 5, 21);
    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeModel = new FolderModel(ShellTreeView1);
    ShellTreeModel->setObjectName(QStringLiteral("ShellTreeModel"));
    ShellTreeView1->setModel(ShellTreeModel);
    ShellTreeView1->setRootIndex(ShellTreeModel->index(QStringLiteral("/")));
    for (int column = 1; column < ShellTreeModel->columnCount(); ++column) {
        ShellTreeView1->hideColumn(column);
    }
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setDragEnabled(true);
}

void FolderFrame::lend(BatchWidgets& widgets) const {
    widgets.driveBox = mbTBXComboBox1;
    widgets.tree = ShellTreeView1;
}

QString FolderFrame::driveText() const {
    return mbTBXComboBox1->currentText();
}

void FolderFrame::fillDriveList() {
    FillDriveList(mbTBXComboBox1);
}

void FolderFrame::applyHeight(int bandHeight) {
    resize(layout::FolderPanelWidth, bandHeight);
    ShellTreeView1->setGeometry(2, TreeTop, layout::FolderPanelWidth - 4,
                                std::max(0, bandHeight - TreeTop - 2));
}

} // namespace quillon::ui
