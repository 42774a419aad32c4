// The program's start-up and shutdown with the real windows: config.ini and Lang.ini in
// a folder of the test's own, the modal seam answering every box.

#include "support/TempDir.h"
#include "player/ShockwaveFlash.h"
#include "settings/IniFile.h"
#include "settings/SettingsValues.h"
#include "settings/TextFile.h"
#include "ui/Forms.h"
#include "ui/GuiFixture.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/Modal.h"
#include "ui/Shared.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace quillon::ui {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        SetModal(&modal_);
        SetExeFolder(QString::fromStdString(folder_.path()));
        LanguageCode = OutputFolder = CompressedPrefix = DecompressedPrefix = ModeName = "stale";
    }
    void TearDown() override {
        DestroyForms();
        player::SetPlayerFactory({});
        SetExeFolder(QString());
        SetModal(nullptr);
    }
    // Entry steps 3 and 4: the five windows, then the first showing of the main one.
    TFMain* Start() {
        CreateForms();
        FMain->show();
        return FMain;
    }
    void InstallLangIni() const {
        std::filesystem::copy_file(std::string(QUILLON_SOURCE_DIR) + "/resources/Lang.ini",
                                   folder_.file("Lang.ini"));
    }
    std::string ConfigText() const { return ReadText(ConfigFile()); }
    std::string ConfigFile() const { return folder_.file("config.ini"); }

    TempDir folder_;
    test::ScriptedModal modal_;
};

TEST_F(StartupTest, FirstStartUsesTheDefaultsAndTheFirstCloseWritesConfig) {
    TFMain* main = Start();
    EXPECT_EQ(LanguageCode, "");
    EXPECT_EQ(OutputFolder, "");
    EXPECT_EQ(CompressedPrefix, "");
    EXPECT_EQ(DecompressedPrefix, "");
    EXPECT_EQ(ModeName, "Batch");
    EXPECT_TRUE(main->buttonModeSingle->isVisible());
    EXPECT_FALSE(main->buttonModeBatch->isVisible());
    EXPECT_EQ(main->pos(), QPoint(100, 100));
    // 100 x 100, or as near as the window's layout lets it get.
    // The window cannot be made smaller than its content allows.
    const QSize size = main->size();
    EXPECT_LE(size.width(), 200);
    EXPECT_LE(size.height(), 200);
    EXPECT_FALSE(main->isMaximized());
    // No language code: every translated text is empty, the toolbar offers English.
    EXPECT_EQ(main->windowTitle(), "");
    EXPECT_EQ(main->Open->text(), "");
    EXPECT_EQ(main->Estimate->text(), "");
    EXPECT_TRUE(main->LanguageEnglish->isVisible());
    EXPECT_FALSE(main->LanguageFrench->isVisible());
    EXPECT_TRUE(modal_.errorBoxes.empty());
    EXPECT_FALSE(std::filesystem::exists(ConfigFile())) << "the start must not write";

    main->close();
    EXPECT_EQ(ConfigText(), "[Configuration]\n"
                            "DefaultLanguage=\n"
                            "Mode=Batch\n"
                            "Prefix for compressed=\n"
                            "Prefix for decompressed=\n"
                            "[Size]\n"
                            "Top=100\n"
                            "Left=100\n"
                            "Width=" +
                                std::to_string(size.width()) +
                                "\n"
                                "Heigth=" +
                                std::to_string(size.height()) +
                                "\n"
                                "[Form]\n"
                                "InitMax=0\n");
}

TEST_F(StartupTest, SavedSettingsComeBackInOrder) {
    InstallLangIni();
    WriteText(ConfigFile(), "[Configuration]\nDefaultLanguage=FRA\nOutputFolder=/out\n"
                            "Mode=Single\nPrefix for compressed=c_\nPrefix for decompressed=d_\n"
                            "[Size]\nTop=$20\nLeft=0x30\nWidth=913\nHeigth=593\n");
    TFMain* main = Start();
    EXPECT_EQ(LanguageCode, "FRA");
    EXPECT_EQ(OutputFolder, "/out");
    EXPECT_EQ(CompressedPrefix, "c_");
    EXPECT_EQ(DecompressedPrefix, "d_");
    EXPECT_EQ(ModeName, "Single");
    EXPECT_FALSE(main->buttonModeSingle->isVisible());
    EXPECT_TRUE(main->buttonModeBatch->isVisible());
    EXPECT_FALSE(main->NG->isEnabled());
    EXPECT_EQ(main->pos(), QPoint(0x30, 0x20));
    EXPECT_EQ(main->size(), QSize(913, 593));
    // The language came before the rest and reached the dialogs too.
    const IniFile lang(folder_.file("Lang.ini"));
    EXPECT_EQ(main->Open->text().toStdString(), lang.readString("Open", "FRA", ""));
    EXPECT_EQ(main->MFile->title().toStdString(), lang.readString("MFile", "FRA", ""));
    EXPECT_EQ(FMessages->MesLoad->text().toStdString(), lang.readString("MesLoad", "FRA", ""));
    EXPECT_EQ(FMessages->windowTitle().toStdString(), lang.readString("FMessages", "FRA", ""));
    EXPECT_TRUE(main->LanguageEnglish->isVisible());
    EXPECT_FALSE(main->LanguageFrench->isVisible());
    // The seven player items show their picture; the text is their tooltip.
    for (QAction* item : {main->PlaySource, main->Stop, main->ZoomIn, main->ZoomOut, main->Expand,
                          main->Fit, main->SS}) {
        EXPECT_EQ(item->text(), "") << item->objectName().toStdString();
        EXPECT_EQ(item->toolTip().toStdString(),
                  lang.readString(item->objectName().toStdString(), "FRA", ""));
    }
    EXPECT_EQ(main->Comp->text().toStdString(), lang.readString("Comp", "FRA", ""));
    EXPECT_EQ(main->Comp->toolTip(), main->Comp->text());

    main->close();
    const IniFile saved(ConfigFile());
    EXPECT_EQ(saved.readString("Size", "Top", ""), "32");
    EXPECT_EQ(saved.readString("Size", "Left", ""), "48");
    EXPECT_EQ(saved.readString("Configuration", "Mode", ""), "Single");
    EXPECT_EQ(saved.readString("Configuration", "OutputFolder", ""), "/out");
}

struct ModeCase {
    const char* mode;
    bool single;
};

TEST_F(StartupTest, OnlySingleInThatSpellingStartsInSingleFileMode) {
    for (const ModeCase& c : {ModeCase{"Single", true}, ModeCase{"single", false},
                              ModeCase{"", false}, ModeCase{"Batch", false}}) {
        WriteText(ConfigFile(), std::string("[Configuration]\nMode=") + c.mode + "\n");
        TFMain* main = Start();
        EXPECT_EQ(main->buttonModeBatch->isVisible(), c.single) << c.mode;
        EXPECT_EQ(ModeName, c.single ? "Single" : "Batch") << c.mode;
        DestroyForms();
    }
}

TEST_F(StartupTest, MaximisedWindowKeepsItsBounds) {
    WriteText(ConfigFile(), "[Size]\nTop=5\nLeft=6\nWidth=700\nHeigth=500\n[Form]\nInitMax=2\n");
    TFMain* main = Start();
    EXPECT_TRUE(main->isMaximized());
    const QRect bounds = main->geometry();
    main->close();
    const IniFile saved(ConfigFile());
    EXPECT_EQ(saved.readString("Form", "InitMax", ""), "1");
    EXPECT_EQ(saved.readInteger("Size", "Width", 0), bounds.width());
    EXPECT_EQ(saved.readInteger("Size", "Heigth", 0), bounds.height());
    DestroyForms();

    TFMain* again = Start();
    EXPECT_TRUE(again->isMaximized());
}

TEST_F(StartupTest, LowerCaseCodeFindsTheTextsButNotTheButtons) {
    InstallLangIni();
    WriteText(ConfigFile(), "[Configuration]\nDefaultLanguage=eng\n");
    TFMain* main = Start();
    EXPECT_EQ(LanguageCode, "eng");
    const IniFile lang(folder_.file("Lang.ini"));
    EXPECT_EQ(main->Open->text().toStdString(), lang.readString("Open", "ENG", ""));
    EXPECT_FALSE(main->Open->text().isEmpty());
    // Not "ENG": the toolbar offers English still.
    EXPECT_TRUE(main->LanguageEnglish->isVisible());
    EXPECT_FALSE(main->LanguageFrench->isVisible());
    main->close();
    EXPECT_EQ(IniFile(ConfigFile()).readString("Configuration", "DefaultLanguage", ""), "eng");
}

TEST_F(StartupTest, LanguageCommandsSwitchTheInterfaceAndWriteNothing) {
    InstallLangIni();
    TFMain* main = Start();
    const IniFile lang(folder_.file("Lang.ini"));
    main->AFrench->trigger();
    EXPECT_EQ(LanguageCode, "FRA");
    EXPECT_EQ(main->Estimate->text().toStdString(), lang.readString("Estimate", "FRA", ""));
    EXPECT_TRUE(main->LanguageEnglish->isVisible());
    EXPECT_FALSE(main->LanguageFrench->isVisible());
    main->AEnglish->trigger();
    EXPECT_EQ(LanguageCode, "ENG");
    EXPECT_EQ(main->Estimate->text().toStdString(), lang.readString("Estimate", "ENG", ""));
    EXPECT_FALSE(main->LanguageEnglish->isVisible());
    EXPECT_TRUE(main->LanguageFrench->isVisible());
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));

    // An edited Lang.ini takes effect at the next language command.
    WriteText(folder_.file("Lang.ini"), "[Estimate]\nFRA=Calculer\n");
    main->AFrench->trigger();
    EXPECT_EQ(main->Estimate->text(), "Calculer");
    EXPECT_EQ(main->Open->text(), "");
}

TEST_F(StartupTest, OnlyTheToolbarsOptionsAsksTheFolderTreeToFollow) {
    TFMain* main = Start();
    int followed = 0;
    QObject::connect(main, &TFMain::optionsClosed, [&followed] { ++followed; });
    main->MOptions->trigger();
    EXPECT_EQ(modal_.dialogs, std::vector<QString>{"FOutFolder"});
    EXPECT_EQ(followed, 0);
    main->Options->trigger();
    EXPECT_EQ(modal_.dialogs.size(), 2u);
    EXPECT_EQ(followed, 1);
}

TEST_F(StartupTest, WithoutAPlayerTheProgramEndsAndWritesNothing) {
    WriteText(ConfigFile(), "[Configuration]\nDefaultLanguage=FRA\nMode=Single\n");
    const std::string before = ConfigText();
    player::SetPlayerFactory([](QWidget*) -> player::TSF* { return nullptr; });
    TFMain* main = Start();
    ASSERT_EQ(modal_.plainMessages.size(), 1u);
    EXPECT_EQ(modal_.plainMessages[0], "PLEASE, INSTALL FLASH ACTIVEX!!!");
    EXPECT_TRUE(main->TerminationRequested());
    // The rest of the start-up still ran.
    EXPECT_EQ(LanguageCode, "FRA");
    EXPECT_EQ(ModeName, "Single");
    main->close();
    EXPECT_EQ(ConfigText(), before);
}

TEST_F(StartupTest, UnwritableConfigIsReportedAndTheWindowStillCloses) {
    std::filesystem::create_directory(ConfigFile());
    TFMain* main = Start();
    main->close();
    ASSERT_EQ(modal_.errorBoxes.size(), 1u);
    EXPECT_EQ(modal_.errorBoxes[0].toStdString(), "Unable to write to " + ConfigFile() + ".");
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(std::filesystem::is_directory(ConfigFile()));
}

} // namespace
} // namespace quillon::ui
