// The Options dialog on its own, offscreen: what each showing fills in, OK, Cancel, the
// drive box, and what the toolbar's path does to the main folder tree afterwards.

#include "ui/OptionsDialog.h"

#include "settings/IniFile.h"
#include "settings/TextFile.h"
#include "support/TempDir.h"
#include "ui/FolderModel.h"
#include "ui/FolderPanel.h"
#include "ui/GuiFixture.h"
#include "ui/ProgramSettings.h"
#include "ui/Shared.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace quillon::ui {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        SetModal(&modal_);
        SetExeFolder(QString::fromStdString(folder_.path()));
        LanguageCode = "FRA";
        OutputFolder = CompressedPrefix = DecompressedPrefix = "";
        std::filesystem::create_directories(folder_.file("movies/out"));
        std::filesystem::create_directories(folder_.file("movies/.hidden"));
        WriteText(folder_.file("movies/a.swf"), "FWS");
        dialog_ = std::make_unique<TFOutFolder>();
    }
    void TearDown() override {
        dialog_.reset();
        SetExeFolder(QString());
        SetModal(nullptr);
    }
    void Show() { dialog_->show(); }
    // Types into the drive box as the keyboard would, one key at a time.
    void Type(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(dialog_->mbTBXComboBox1->lineEdit(), &press);
        }
    }
    void ChooseRoot(const std::string& path) {
        dialog_->mbTBXComboBox1->setEditText(QString::fromStdString(path));
    }
    QString Q(const std::string& path) const { return QString::fromStdString(path); }
    std::string ConfigFile() const { return folder_.file("config.ini"); }

    TempDir folder_;
    test::ScriptedModal modal_;
    std::unique_ptr<TFOutFolder> dialog_;
};

TEST_F(OptionsDialogTest, WithoutConfigTheShowingIsEmpty) {
    Show();
    EXPECT_EQ(dialog_->mbTBXEdit2->text(), "");
    EXPECT_EQ(dialog_->mbTBXEdit3->text(), "");
    EXPECT_EQ(dialog_->TBXLabel1->text(), "");
    // No Lang.ini: the translated texts are empty, the buttons keep theirs.
    EXPECT_EQ(dialog_->windowTitle(), "");
    EXPECT_EQ(dialog_->mbTBXGroupBox1->title(), "");
    EXPECT_EQ(dialog_->labelPrefixComp->text(), "");
    EXPECT_EQ(dialog_->tbxOk->text(), "Ok");
    EXPECT_EQ(dialog_->tbxCancel->text(), "Cancel");
    // The drive box lists the roots and keeps its text; the tree starts at "/".
    EXPECT_GE(dialog_->mbTBXComboBox1->findText("/"), 0);
    EXPECT_EQ(dialog_->mbTBXComboBox1->currentText(), "/");
    EXPECT_EQ(dialog_->folders()->rootPath(), "/");
    EXPECT_TRUE(modal_.errorBoxes.empty());
}

TEST_F(OptionsDialogTest, EachShowingTranslatesAndRefills) {
    std::filesystem::copy_file(std::string(QUILLON_SOURCE_DIR) + "/resources/Lang.ini",
                               folder_.file("Lang.ini"));
    OutputFolder = folder_.file("movies/out");
    CompressedPrefix = "c_";
    DecompressedPrefix = "d_";
    Show();
    const IniFile lang(folder_.file("Lang.ini"));
    EXPECT_EQ(dialog_->windowTitle().toStdString(), lang.readString("FOutFolder", "FRA", ""));
    EXPECT_EQ(dialog_->mbTBXGroupBox2->title().toStdString(),
              lang.readString("mbTBXGroupBox2", "FRA", ""));
    EXPECT_EQ(dialog_->labelCurrent->text().toStdString(),
              lang.readString("labelCurrent", "FRA", ""));
    // The folder label shows the folder, not its translated text.
    EXPECT_EQ(dialog_->TBXLabel1->text(), Q(OutputFolder));
    EXPECT_EQ(dialog_->mbTBXEdit2->text(), "c_");
    EXPECT_EQ(dialog_->mbTBXEdit3->text(), "d_");

    // What was typed and cancelled is replaced at the next showing, in the new language.
    dialog_->mbTBXEdit2->setText("typed");
    dialog_->tbxCancel->click();
    EXPECT_FALSE(dialog_->isVisible());
    LanguageCode = "ENG";
    Show();
    EXPECT_EQ(dialog_->mbTBXEdit2->text(), "c_");
    EXPECT_EQ(dialog_->windowTitle().toStdString(), lang.readString("FOutFolder", "ENG", ""));
}

TEST_F(OptionsDialogTest, OkStoresTheChosenFolderAndTakesThePrefixes) {
    WriteText(ConfigFile(), "[Configuration]\nMode=Single\n");
    Show();
    ChooseRoot(folder_.file("movies/out"));
    dialog_->mbTBXEdit2->setText("small-");
    dialog_->mbTBXEdit3->setText("");
    dialog_->tbxOk->click();
    EXPECT_FALSE(dialog_->isVisible());
    // Re-rooting selects the root, so confirming right away stores that folder.
    EXPECT_EQ(OutputFolder, folder_.file("movies/out"));
    EXPECT_EQ(CompressedPrefix, "small-");
    EXPECT_EQ(DecompressedPrefix, "");
    // Only the folder reaches config.ini now; the prefixes wait for the shutdown.
    EXPECT_EQ(ReadText(ConfigFile()),
              "[Configuration]\nMode=Single\nOutputFolder=" + folder_.file("movies/out") + "\n");
}

TEST_F(OptionsDialogTest, OkWithoutSelectionEmptiesTheFolder) {
    OutputFolder = "/old";
    Show();
    dialog_->Tree->setCurrentIndex(QModelIndex());
    dialog_->tbxOk->click();
    EXPECT_EQ(OutputFolder, "");
    EXPECT_EQ(ReadText(ConfigFile()), "[Configuration]\nOutputFolder=\n");
}

TEST_F(OptionsDialogTest, CancelChangesNoSettingButKeepsTheTree) {
    OutputFolder = "/old";
    CompressedPrefix = "c_";
    DecompressedPrefix = "d_";
    Show();
    ChooseRoot(folder_.file("movies"));
    dialog_->mbTBXEdit2->setText("x");
    dialog_->mbTBXEdit3->setText("y");
    dialog_->tbxCancel->click();
    EXPECT_EQ(OutputFolder, "/old");
    EXPECT_EQ(CompressedPrefix, "c_");
    EXPECT_EQ(DecompressedPrefix, "d_");
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
    Show();
    EXPECT_EQ(dialog_->folders()->rootPath(), Q(folder_.file("movies")));
    EXPECT_EQ(dialog_->mbTBXComboBox1->currentText(), Q(folder_.file("movies")));
}

TEST_F(OptionsDialogTest, TreeOffersFoldersAndHiddenFoldersOnly) {
    Show();
    ChooseRoot(folder_.file("movies"));
    ui::FolderModel* model = dialog_->folders()->model();
    EXPECT_TRUE(model->filter().testFlag(QDir::AllDirs));
    EXPECT_TRUE(model->filter().testFlag(QDir::Hidden));
    EXPECT_FALSE(model->filter().testFlag(QDir::Files));
    EXPECT_FALSE(dialog_->Tree->dragEnabled());
}

TEST_F(OptionsDialogTest, TypedKeyByKeyReportsEveryTextThatNamesNoFolder) {
    Show();
    const auto errors = [this] {
        std::vector<std::string> texts;
        for (const QString& text : modal_.errorBoxes) {
            texts.push_back(text.toStdString());
        }
        return texts;
    };
    dialog_->mbTBXComboBox1->lineEdit()->clear();
    EXPECT_EQ(errors(), std::vector<std::string>{"Error setting path: \"\""})
        << "the empty text names no folder; a closing quote takes no full stop";
    EXPECT_EQ(dialog_->folders()->rootPath(), "/");

    const std::string target = folder_.file("movies");
    std::vector<std::string> expected;
    for (std::size_t n = 1; n <= target.size(); ++n) {
        if (!std::filesystem::is_directory(target.substr(0, n))) {
            expected.push_back("Error setting path: \"" + target.substr(0, n) + "\"");
        }
    }
    modal_.errorBoxes.clear();
    Type(Q(target));
    EXPECT_EQ(errors(), expected);
    EXPECT_GT(expected.size(), 1u);
    EXPECT_EQ(dialog_->folders()->rootPath(), Q(target));
    EXPECT_EQ(dialog_->folders()->selectedPath(), Q(target));
}

TEST_F(OptionsDialogTest, UnwritableConfigKeepsTheDialogOpen) {
    std::filesystem::create_directory(ConfigFile());
    CompressedPrefix = "c_";
    Show();
    ChooseRoot(folder_.file("movies"));
    dialog_->mbTBXEdit2->setText("new_");
    dialog_->tbxOk->click();
    ASSERT_EQ(modal_.errorBoxes.size(), 1u);
    EXPECT_EQ(modal_.errorBoxes[0].toStdString(), "Unable to write to " + ConfigFile() + ".");
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(OutputFolder, folder_.file("movies")) << "already changed in memory";
    EXPECT_EQ(CompressedPrefix, "c_") << "not taken over";
}

// The main window's folder tree after the toolbar's Options.
TEST_F(OptionsDialogTest, ToolbarPathRebuildsTheMainTreeOnlyWhenTheFolderDiffers) {
    QComboBox driveBox;
    QTreeView tree;
    FolderPanel folders(&driveBox, &tree);
    const QString root = Q(folder_.file("movies"));
    const QString child = Q(folder_.file("movies/out"));
    const auto selectChild = [&] {
        folders.setRootFromText(root);
        tree.setCurrentIndex(folders.model()->index(child));
        ASSERT_EQ(folders.selectedPath(), child);
    };

    selectChild();
    OutputFolder = folder_.file("movies"); // the same as the root: untouched
    RerootAfterOptions(folders, root);
    EXPECT_EQ(folders.rootPath(), root);
    EXPECT_EQ(folders.selectedPath(), child);

    OutputFolder = folder_.file("movies/out"); // another folder: rebuilt at the root
    RerootAfterOptions(folders, root);
    EXPECT_EQ(folders.rootPath(), root);
    EXPECT_EQ(folders.selectedPath(), root);

    selectChild();
    OutputFolder = ""; // none chosen yet: nothing to report, nothing rebuilt
    RerootAfterOptions(folders, root);
    EXPECT_EQ(folders.selectedPath(), child);
    EXPECT_TRUE(modal_.errorBoxes.empty());
}

} // namespace
} // namespace quillon::ui
