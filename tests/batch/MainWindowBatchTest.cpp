// The batch panel as the main window wires it.

#include "BatchFixtures.h"
#include "BatchTestWindow.h"
#include "batch/BatchList.h"
#include "batch/BatchListModel.h"
#include "batch/Threads.h"
#include "ui/BatchController.h"
#include "ui/FolderModel.h"
#include "ui/FolderPanel.h"
#include "ui/MainWindow.h"
#include "ui/ProgramSettings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(MainWindowBatch, TheWindowsGridAndModeCommandsGoThroughTheController) {
    test::TestApplication<QApplication>();
    ui::TFMain window;
    auto* grid = window.findChild<QTableView*>("NG");
    ASSERT_NE(grid, nullptr);
    auto* model = qobject_cast<BatchListModel*>(grid->model());
    ASSERT_NE(model, nullptr);
    EXPECT_NE(window.findChild<QMenu*>("PopupMenu1"), nullptr);
    EXPECT_FALSE(window.findChild<QPushButton*>("BatchSelect")->isEnabled());

    window.findChild<QAction*>("AModeBatch")->trigger();
    model->appendRows({"/a.swf"});
    BatchFiles = {"/a.swf"};
    window.findChild<QAction*>("AModeSingle")->trigger();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(BatchFiles.size(), 1u);
    EXPECT_FALSE(grid->isEnabled());
    auto* tree = window.findChild<QTreeView*>("ShellTreeView1");
    EXPECT_TRUE(static_cast<ui::FolderModel*>(tree->model())->filter() & QDir::Files);

    window.findChild<QAction*>("AModeBatch")->trigger();
    EXPECT_TRUE(grid->isEnabled());
    EXPECT_FALSE(static_cast<ui::FolderModel*>(tree->model())->filter() & QDir::Files);

    // One click on "Select all" runs the command once.
    model->appendRows({"/a.swf"});
    window.Batch().setControlEnabled(BatchControl::Select, true);
    const bool before = BatchAllMarked;
    window.findChild<QPushButton*>("BatchSelect")->click();
    EXPECT_NE(BatchAllMarked, before);
    EXPECT_EQ(model->marked(0), !before);
}

TEST(MainWindowBatch, AfterOptionsTheTreeComesBackToTheDriveBoxRoot) {
    test::TestApplication<QApplication>();
    test::ScriptedModal modal;
    ui::TFMain window;
    ui::FolderPanel& folders = window.Batch().folderPanel();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    OutputFolder = PathBytes(dir.path());
    emit window.optionsClosed();
    EXPECT_TRUE(modal.errors.isEmpty());
    EXPECT_EQ(folders.rootPath(), "/");

    OutputFolder = PathBytes(dir.path() + "/gone");
    emit window.optionsClosed();
    EXPECT_TRUE(modal.errors.isEmpty()); // a missing output folder is passed over
    EXPECT_EQ(folders.rootPath(), "/");

    window.findChild<QComboBox*>("mbTBXComboBox1")->setEditText(dir.path() + "/gone");
    emit window.optionsClosed();
    EXPECT_EQ(modal.errors, QStringList{"Error setting path: \"" + dir.path() + "/gone\""});
    EXPECT_EQ(folders.rootPath(), "/");
}

} // namespace
} // namespace quillon
