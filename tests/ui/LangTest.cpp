#include "ui/Lang.h"

#include "support/TempDir.h"
#include "settings/IniFile.h"
#include "settings/SettingsValues.h"
#include "settings/TextFile.h"
#include "ui/GuiFixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace quillon::ui {
namespace {

using test::TempDir;
using test::WriteText;

template <typename T> T* Named(const char* name, T* object) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A window holding one component of every kind, marked as the real windows mark theirs,
// plus unmarked ones and a dialog of its own.
struct TestWindow {
    std::unique_ptr<QMainWindow> window = std::make_unique<QMainWindow>();
    QAction* open;
    QAction* english;
    QAction* french;
    QAction* play;
    QAction* zoomIn;
    QAction* comp;
    QMenu* fileMenu;
    QAction* menuOpen;
    QMenu* popup;
    QAction* popupPlay;
    QPushButton* estimate;
    QLabel* heading;
    QLabel* plainLabel;
    QDockWidget* batchPanel;
    QTableWidget* grid;
    QDialog* options;
    QGroupBox* optionsGroup;
    QPushButton* optionsOk;

    TestWindow() {
        QMainWindow* w = window.get();
        w->setObjectName("FMain");
        w->setWindowTitle("Quillon");
        auto* toolbar = w->addToolBar("Main");
        open = Named("Open", toolbar->addAction("Open file"));
        english = Named("LanguageEnglish", toolbar->addAction("English"));
        french = Named("LanguageFrench", toolbar->addAction("French"));
        play = Named("PlaySource", toolbar->addAction("PlaySource"));
        zoomIn = Named("ZoomIn", toolbar->addAction("ZoomIn"));
        comp = Named("Comp", toolbar->addAction("Compress"));
        fileMenu = Named("MFile", w->menuBar()->addMenu("File"));
        menuOpen = Named("MOpen", fileMenu->addAction("Open"));
        popup = Named("PopupMenu1", new QMenu(w));
        popupPlay = Named("Play1", popup->addAction("Play"));
        for (QAction* item : {open, english, french, play, zoomIn, comp, menuOpen}) {
            MarkTranslated(item, TextKind::HintThenCaption);
        }
        MarkTranslated(fileMenu, TextKind::Caption);

        auto* central = new QWidget(w);
        w->setCentralWidget(central);
        estimate = Named("Estimate", new QPushButton("Estimate", central));
        MarkTranslated(estimate, TextKind::Caption);
        heading = Named("TBXLFLen", new QLabel("File length", central));
        MarkTranslated(heading, TextKind::Caption);
        plainLabel = Named("Label1", new QLabel("0", central));

        batchPanel = Named("TBXDPBatchOp", new QDockWidget("Batch operations", w));
        w->addDockWidget(Qt::BottomDockWidgetArea, batchPanel);
        MarkTranslated(batchPanel, TextKind::Title);
        grid = Named("NG", new QTableWidget(0, 3, batchPanel));
        grid->setHorizontalHeaderLabels({"", "Input file name", "Status"});
        batchPanel->setWidget(grid);
        MarkTranslatedColumn(grid, 0, "NxProceed");
        MarkTranslatedColumn(grid, 1, "NxFileName");
        MarkTranslatedColumn(grid, 2, "NxStatus");

        options = Named("FOutFolder", new QDialog(w));
        options->setWindowTitle("Options");
        optionsGroup = Named("mbTBXGroupBox1", new QGroupBox("Select output folder", options));
        MarkTranslated(optionsGroup, TextKind::Title);
        optionsOk = Named("tbxOk", new QPushButton("Ok", options));
    }

    QString header(int column) const {
        return grid->model()->headerData(column, Qt::Horizontal).toString();
    }
};

const char* const kLangIni = "[FMain]\nENG=Quillon\nFRA=Quillon FR\n"
                             "[Open]\nENG=Open file\nFRA=Ouvrir un fichier\n"
                             "[LanguageEnglish]\nENG=English\nFRA=English\n"
                             "[LanguageFrench]\nENG=Francais\nFRA=Francais\n"
                             "[PlaySource]\nENG=Play\nFRA=Lire\n"
                             "[ZoomIn]\nENG=Zoom in\nFRA=Agrandir\n"
                             "[Comp]\nENG=Compress\nFRA=Compresser\n"
                             "[MFile]\nENG=File\nFRA=Fichier\n"
                             "[MOpen]\nENG=Open\nFRA=Ouvrir\n"
                             "[Play1]\nENG=Play row\nFRA=Lire la ligne\n"
                             "[Estimate]\nENG=Estimate\nFRA=Estimer\n"
                             "[TBXLFLen]\nENG=File length\nFRA=Taille du fichier\n"
                             "[Label1]\nENG=label one\nFRA=etiquette\n"
                             "[TBXDPBatchOp]\nENG=Batch operations\nFRA=Traitement par lots\n"
                             "[NxProceed]\nENG=\nFRA=\n"
                             "[NxFileName]\nENG=Input file name\nFRA=Fichier d'entree\n"
                             "[NxStatus]\nENG=Status\nFRA=Etat\n"
                             "[FOutFolder]\nENG=Options\nFRA=Options FR\n"
                             "[mbTBXGroupBox1]\nENG=Select output folder\nFRA=Dossier\n"
                             "[tbxOk]\nENG=Ok!\nFRA=D'accord\n"
                             "[FMessages]\nENG=Message\nFRA=Message FR\n"
                             "[MesLoad]\nENG=You must load a file!\nFRA=Ouvrez un fichier !\n";

class LangTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::App();
        LanguageCode = "FRA";
        WriteText(path_, kLangIni);
    }
    TempDir folder_;
    const std::string path_ = folder_.file("Lang.ini");
};

TEST_F(LangTest, MarkedComponentsTakeTheirTextsAndOthersKeepTheirs) {
    TestWindow t;
    TranslateForm(t.window.get(), path_);
    EXPECT_EQ(t.window->windowTitle(), "Quillon FR");
    // Toolbar and menu items: the same text as tooltip and as caption.
    EXPECT_EQ(t.open->text(), "Ouvrir un fichier");
    EXPECT_EQ(t.open->toolTip(), "Ouvrir un fichier");
    EXPECT_EQ(t.menuOpen->text(), "Ouvrir");
    EXPECT_EQ(t.menuOpen->toolTip(), "Ouvrir");
    EXPECT_EQ(t.fileMenu->title(), "Fichier");
    EXPECT_EQ(t.estimate->text(), "Estimer");
    EXPECT_EQ(t.heading->text(), "Taille du fichier");
    EXPECT_EQ(t.batchPanel->windowTitle(), "Traitement par lots");
    EXPECT_EQ(t.header(0), "");
    EXPECT_EQ(t.header(1), "Fichier d'entree");
    EXPECT_EQ(t.header(2), "Etat");
    // Unmarked components keep their texts even where Lang.ini has a section for them.
    EXPECT_EQ(t.plainLabel->text(), "0");
    EXPECT_EQ(t.popupPlay->text(), "Play");
    // The dialog is a window of its own, translated when it is shown, not with FMain.
    EXPECT_EQ(t.options->windowTitle(), "Options");
    EXPECT_EQ(t.optionsGroup->title(), "Select output folder");

    TranslateForm(t.options, path_);
    EXPECT_EQ(t.options->windowTitle(), "Options FR");
    EXPECT_EQ(t.optionsGroup->title(), "Dossier");
    EXPECT_EQ(t.optionsOk->text(), "Ok");
}

TEST_F(LangTest, ProgramComponentsAreKnownByNameWithoutMarks) {
    QMainWindow window;
    window.setObjectName("FMain");
    auto* toolbar = window.addToolBar("Main");
    QAction* open = Named("Open", toolbar->addAction("Open file"));
    QMenu* menu = Named("MFile", window.menuBar()->addMenu("File"));
    auto* central = new QWidget(&window);
    window.setCentralWidget(central);
    auto* estimate = Named("Estimate", new QPushButton("Estimate", central));
    auto* other = Named("Label1", new QPushButton("0", central));
    auto* dock = Named("TBXDPBatchOp", new QDockWidget("Batch operations", &window));
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    auto* grid = Named("NG", new QTableWidget(0, 3, dock));
    grid->setHorizontalHeaderLabels({"x", "Input file name", "Status"});
    dock->setWidget(grid);

    TranslateForm(&window, path_);
    EXPECT_EQ(open->text(), "Ouvrir un fichier");
    EXPECT_EQ(open->toolTip(), "Ouvrir un fichier");
    EXPECT_EQ(menu->title(), "Fichier");
    EXPECT_EQ(estimate->text(), "Estimer");
    EXPECT_EQ(other->text(), "0");
    EXPECT_EQ(dock->windowTitle(), "Traitement par lots");
    const auto header = [grid](int column) {
        return grid->model()->headerData(column, Qt::Horizontal).toString();
    };
    EXPECT_EQ(header(0), "");
    EXPECT_EQ(header(1), "Fichier d'entree");
    EXPECT_EQ(header(2), "Etat");
}

TEST_F(LangTest, MissingFileSectionOrKeyEmptiesTheTexts) {
    struct Case {
        const char* name;
        const char* code;
        const char* file; // nullptr: no Lang.ini
    };
    const Case cases[] = {
        {"no Lang.ini", "ENG", nullptr},
        {"empty language code", "", kLangIni},
        {"unknown language code", "DEU", kLangIni},
        {"no sections", "ENG", "[Other]\nENG=x\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path_);
        if (c.file) {
            WriteText(path_, c.file);
        }
        LanguageCode = c.code;
        TestWindow t;
        TranslateForm(t.window.get(), path_);
        EXPECT_EQ(t.window->windowTitle(), "") << c.name;
        EXPECT_EQ(t.open->text(), "") << c.name;
        EXPECT_EQ(t.open->toolTip(), "") << c.name;
        EXPECT_EQ(t.fileMenu->title(), "") << c.name;
        EXPECT_EQ(t.estimate->text(), "") << c.name;
        EXPECT_EQ(t.heading->text(), "") << c.name;
        EXPECT_EQ(t.batchPanel->windowTitle(), "") << c.name;
        EXPECT_EQ(t.header(1), "") << c.name;
        EXPECT_EQ(t.plainLabel->text(), "0") << c.name;
        EXPECT_EQ(t.popupPlay->text(), "Play") << c.name;
    }
}

TEST_F(LangTest, EditedFileTakesEffectAtTheNextTranslation) {
    TestWindow t;
    TranslateForm(t.window.get(), path_);
    EXPECT_EQ(t.estimate->text(), "Estimer");
    WriteText(path_, "[Estimate]\nfra=Calculer\n");
    TranslateForm(t.window.get(), path_);
    EXPECT_EQ(t.estimate->text(), "Calculer");
    EXPECT_EQ(t.heading->text(), "");
}

struct LanguageCase {
    const char* code;
    bool englishShown;
    const char* openText;
};

TEST_F(LangTest, ApplyLanguageSwitchesButtonsTextsAndDialogs) {
    const LanguageCase cases[] = {
        {"ENG", false, "Open file"},
        {"FRA", true, "Ouvrir un fichier"},
        {"eng", true, "Open file"}, // the texts ignore case, the buttons do not
        {"", true, ""},
    };
    for (const auto& c : cases) {
        LanguageCode = c.code;
        TestWindow t;
        QDialog messages;
        messages.setObjectName("FMessages");
        auto* mesLoad = new QLabel("               You must load file!", &messages);
        mesLoad->setObjectName("MesLoad");
        MarkTranslated(mesLoad, TextKind::Caption);
        QDialog about;
        about.setObjectName("FAbout");
        about.setWindowTitle("About");
        ApplyLanguage(LanguageWindows{t.window.get(), &messages, &about, nullptr}, path_);

        EXPECT_EQ(t.english->isVisible(), c.englishShown) << c.code;
        EXPECT_EQ(t.french->isVisible(), !c.englishShown) << c.code;
        EXPECT_EQ(t.open->text(), c.openText) << c.code;
        // Player items keep only their tooltip; the others keep their caption too.
        EXPECT_EQ(t.play->text(), "") << c.code;
        EXPECT_EQ(t.zoomIn->text(), "") << c.code;
        const IniFile lang(path_);
        EXPECT_EQ(t.play->toolTip().toStdString(), lang.readString("PlaySource", c.code, ""));
        EXPECT_EQ(t.comp->text().toStdString(), lang.readString("Comp", c.code, ""));
        EXPECT_EQ(mesLoad->text().toStdString(), lang.readString("MesLoad", c.code, ""));
        EXPECT_EQ(messages.windowTitle().toStdString(), lang.readString("FMessages", c.code, ""));
        EXPECT_EQ(about.windowTitle(), "") << "no FAbout section";
        // The Options dialog waits for its next showing.
        EXPECT_EQ(t.options->windowTitle(), "Options");
    }
}

TEST_F(LangTest, SwitchingBackAndForth) {
    TestWindow t;
    const LanguageWindows windows{t.window.get(), nullptr, nullptr, nullptr};
    LanguageCode = "FRA";
    ApplyLanguage(windows, path_);
    EXPECT_TRUE(t.english->isVisible());
    EXPECT_FALSE(t.french->isVisible());
    EXPECT_EQ(t.fileMenu->title(), "Fichier");
    LanguageCode = "ENG";
    ApplyLanguage(windows, path_);
    EXPECT_FALSE(t.english->isVisible());
    EXPECT_TRUE(t.french->isVisible());
    EXPECT_EQ(t.fileMenu->title(), "File");
    EXPECT_EQ(t.play->toolTip(), "Play");
}

// The Lang.ini the build installs holds both languages for every translated component
// and window.
TEST(LangIniResource, HasEveryTextInBothLanguages) {
    const IniFile lang(std::string(QUILLON_SOURCE_DIR) + "/resources/Lang.ini");
    const char* const sections[] = {"FMain",
                                    "Open",
                                    "buttonModeSingle",
                                    "buttonModeBatch",
                                    "Options",
                                    "LanguageEnglish",
                                    "LanguageFrench",
                                    "About",
                                    "Exit",
                                    "MOpen",
                                    "MOptions",
                                    "MLanguageEnglish",
                                    "MLanguageFrench",
                                    "MClose",
                                    "MSMovie",
                                    "MHome",
                                    "MHlp",
                                    "MAbout",
                                    "PlaySource",
                                    "Stop",
                                    "ZoomIn",
                                    "ZoomOut",
                                    "Expand",
                                    "Fit",
                                    "SS",
                                    "Comp",
                                    "Decomp",
                                    "MFile",
                                    "MLanguage",
                                    "MWindow",
                                    "MHelp",
                                    "TBXDPBatchOp",
                                    "NxFileName",
                                    "NxStatus",
                                    "NxEndFileName",
                                    "NxFileSize",
                                    "NxEndFileSize",
                                    "BatchCompress",
                                    "BatchClear",
                                    "BatchSelect",
                                    "BatchDecompress",
                                    "Estimate",
                                    "TBXLFLen",
                                    "TBXLCompStat",
                                    "TBXLFRate",
                                    "TBXLFStat",
                                    "TBXLFVer",
                                    "FMessages",
                                    "MesLoad",
                                    "MesComp",
                                    "MesDecomp",
                                    "MesDam",
                                    "MesSS",
                                    "FAbout",
                                    "FHelpError",
                                    "buttonCloseHelpError",
                                    "labelErrorText",
                                    "labelAdobeLink",
                                    "FOutFolder",
                                    "mbTBXGroupBox1",
                                    "mbTBXGroupBox2",
                                    "TBXLabel1",
                                    "labelCurrent",
                                    "labelPrefixComp",
                                    "labelPrefixDecomp"};
    for (const char* section : sections) {
        for (const char* code : {"ENG", "FRA"}) {
            EXPECT_NE(lang.readString(section, code, "<missing>"), "<missing>")
                << section << " " << code;
            EXPECT_NE(lang.readString(section, code, ""), "") << section << " " << code;
        }
    }
    // The check-box column has an empty header in both languages.
    EXPECT_EQ(lang.readString("NxProceed", "ENG", "<missing>"), "");
    EXPECT_EQ(lang.readString("NxProceed", "FRA", "<missing>"), "");
    EXPECT_EQ(lang.readString("MFile", "FRA", ""), "Fichier");
}

} // namespace
} // namespace quillon::ui
