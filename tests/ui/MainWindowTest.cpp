// The main window's objects, start states, modes, layout rules, dialogs and guards.

#include "GuiFixture.h"
#include "batch/BatchListModel.h"
#include "player/ShockwaveFlash.h"
#include "ui/About.h"
#include "ui/CommandTable.h"
#include "ui/FolderModel.h"
#include "ui/HelpError.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

namespace quillon::test {
namespace {

using ui::FMain;

// Where a table row's component sits: the object of its parent's name holds it.
bool SitsIn(const QObject* component, const char* parent) {
    for (const QObject* owner = component->parent(); owner; owner = owner->parent()) {
        if (owner->objectName() == QLatin1String(parent)) {
            return true;
        }
    }
    return false;
}

// An item or button follows its command's enabled state (a hidden item stays off).
template <typename Control>
void ExpectFollows(ui::TFMain* main, Control* control, const char* command, bool shown = true) {
    auto* action = Child<QAction>(main, command);
    const bool was = action->isEnabled();
    for (const bool state : {!was, was}) {
        action->setEnabled(state);
        EXPECT_EQ(control->isEnabled(), state && shown) << command;
    }
}

void ExpectTableRow(ui::TFMain* main, const ui::CommandEntry& entry) {
    SCOPED_TRACE(entry.name);
    const QString caption = QString::fromLatin1(entry.caption);
    switch (entry.kind) {
    case ui::EntryKind::Command: {
        auto* command = Child<QAction>(main, entry.name);
        EXPECT_EQ(command->text(), caption);
        EXPECT_EQ(command->isEnabled(), !(entry.flags & ui::OffAtStart));
        break;
    }
    case ui::EntryKind::Menu: {
        auto* menu = Child<QMenu>(main, entry.name);
        EXPECT_EQ(menu->title(), caption);
        EXPECT_TRUE(SitsIn(menu, entry.parent));
        break;
    }
    case ui::EntryKind::Item: {
        auto* item = Child<QAction>(main, entry.name);
        EXPECT_EQ(item->text(), caption);
        EXPECT_TRUE(SitsIn(item, entry.parent));
        EXPECT_EQ(item->icon().isNull(), entry.icon == ui::IconKind::None);
        EXPECT_EQ(item->isVisible(), !(entry.flags & ui::StartsHidden));
        if (entry.command) {
            ExpectFollows(main, item, entry.command, !(entry.flags & ui::StartsHidden));
        }
        break;
    }
    case ui::EntryKind::Button: {
        auto* button = Child<QPushButton>(main, entry.name);
        EXPECT_EQ(button->text(), caption);
        EXPECT_TRUE(SitsIn(button, entry.parent));
        ExpectFollows(main, button, entry.command);
        break;
    }
    case ui::EntryKind::Slot:
        EXPECT_TRUE(SitsIn(Child<QWidget>(main, entry.name), entry.parent));
        break;
    case ui::EntryKind::Separator:
        break;
    }
}

// Every row of the command table is in the window as built, before the first showing
// translates it.
TEST_F(GuiTest, EveryCommandTableRowIsInTheWindow) {
    Recreate();
    for (const ui::CommandEntry& entry : ui::CommandTable()) {
        ExpectTableRow(main, entry);
    }
    // An item runs its command.
    int opens = 0;
    QObject::connect(Child<QAction>(main, "AOpen"), &QAction::triggered, [&opens] { ++opens; });
    Child<QAction>(main, "MOpen")->trigger();
    Child<QAction>(main, "Open")->trigger();
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quillon"));
    EXPECT_EQ(Find<QToolBar>("TBXMOVIE")->windowTitle(), QStringLiteral("Main"));
    EXPECT_EQ(Find<QDockWidget>("TBXDPBatchOp")->windowTitle(), QStringLiteral("Batch operations"));
    for (const char* name :
         {"TBXLFLen", "TBXLCompStat", "TBXLFRate", "TBXLFStat", "TBXLFVer", "CStatus", "Ver",
          "FStatus", "FLen", "FR", "Est", "Label1", "Label2", "LabelZoom", "wait"}) {
        Find<QLabel>(name);
    }
    for (const char* name : {"TBXDock3", "TBXToolWindow1", "TBXToolWindow5", "TBXToolWindow3",
                             "TBXAlignmentPanel1", "TBXAlignmentPanel2", "TBXAlignmentPanel3"}) {
        Find<QWidget>(name);
    }
    Find<QComboBox>("mbTBXComboBox1");
    Find<QTreeView>("ShellTreeView1");
    Find<QTableView>("NG");
    Find<QTimer>("Timer1");
    Find<QToolBar>("TBXToolbar1");
    EXPECT_EQ(Find<QPushButton>("BatchSelect")->text(), QStringLiteral("Select all"));
    auto* grid = Child<QTableView>(main, "NG");
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Input file name"));
    EXPECT_EQ(grid->model()->headerData(5, Qt::Horizontal).toString(),
              QStringLiteral("Output file size"));
    main->show();
    ASSERT_NE(Child<player::TSF>(main, "FlashPlayer"), nullptr);
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->objectName(), QStringLiteral("FlashPlayer"));
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->parentWidget(),
              Find<QWidget>("TBXAlignmentPanel2"));
}

TEST_F(GuiTest, StartStates) {
    for (const char* name :
         {"PlaySource", "Stop", "ZoomIn", "ZoomOut", "Expand", "Fit", "SS", "Comp", "Decomp",
          "ABatchCompress", "ABatchDecompress", "ABatchSelAll", "ABatchClear"}) {
        EXPECT_FALSE(Find<QAction>(name)->isEnabled()) << name;
    }
    for (const char* name : {"Open", "MOpen", "About", "Exit", "MSMovie", "MHlp", "AModeBatch"}) {
        EXPECT_TRUE(Find<QAction>(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Find<QAction>("Decomp")->isVisible());
    EXPECT_TRUE(Find<QAction>("Comp")->isVisible());
    for (const char* name :
         {"BatchCompress", "BatchDecompress", "BatchSelect", "BatchClear", "Estimate"}) {
        EXPECT_FALSE(Find<QPushButton>(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Find<QDoubleSpinBox>("SpinZoom")->isEnabled());
    EXPECT_DOUBLE_EQ(Find<QDoubleSpinBox>("SpinZoom")->value(), 1.0);
    EXPECT_FALSE(Find<QLabel>("LabelZoom")->isEnabled());
    EXPECT_TRUE(Find<QProgressBar>("ProgressBar1")->isHidden());
    auto* slider = Find<QSlider>("TrackBar1");
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(slider->tickInterval(), 10);
    EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("0"));
    EXPECT_EQ(Find<QLabel>("Label2")->text(), QStringLiteral("0"));
    EXPECT_FALSE(Find<QTimer>("Timer1")->isActive());
    EXPECT_EQ(Find<QTimer>("Timer1")->interval(), 1000);
    for (const char* name : {"SBHor", "SBVer"}) {
        auto* bar = Find<QScrollBar>(name);
        EXPECT_FALSE(bar->isEnabled());
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->singleStep(), 1);
    }
    EXPECT_EQ(Find<QScrollBar>("SBHor")->pageStep(), 100);
    EXPECT_EQ(Find<QScrollBar>("SBVer")->pageStep(), 10);
    for (const char* name : {"CStatus", "Ver", "FStatus", "FLen", "FR", "Est"}) {
        EXPECT_TRUE(Find<QLabel>(name)->text().isEmpty()) << name;
    }
    auto* dock = Find<QDockWidget>("TBXDPBatchOp");
    EXPECT_EQ(dock->features(), QDockWidget::NoDockWidgetFeatures);
    EXPECT_EQ(dock->height(), 133);
    auto* grid = Find<QTableView>("NG");
    ASSERT_EQ(grid->model()->columnCount(), 6);
    // The four dialogs exist hidden, created after the main window.
    for (QDialog* dialog : std::initializer_list<QDialog*>{
             reinterpret_cast<QDialog*>(ui::FAbout), reinterpret_cast<QDialog*>(ui::FMessages),
             reinterpret_cast<QDialog*>(ui::FOutFolder),
             reinterpret_cast<QDialog*>(ui::FHelpError)}) {
        EXPECT_TRUE(dialog->isHidden());
    }
}

TEST_F(GuiTest, ModeSwitchEmptiesTheGridAndSwapsTheItems) {
    auto* grid = Find<QTableView>("NG");
    auto* model = qobject_cast<BatchListModel*>(grid->model());
    ASSERT_NE(model, nullptr);
    Child<QAction>(main, "ABatchSelAll")->setEnabled(true);

    Child<QAction>(main, "AModeBatch")->trigger();
    EXPECT_EQ(ModeName, "Batch");
    EXPECT_TRUE(grid->isEnabled());
    EXPECT_TRUE(Child<QAction>(main, "buttonModeSingle")->isVisible());
    EXPECT_FALSE(Child<QAction>(main, "buttonModeBatch")->isVisible());
    EXPECT_FALSE(Child<ui::FolderModel>(main, "ShellTreeModel")->filter() & QDir::Files);
    model->appendRows({QStringLiteral("a.swf"), QStringLiteral("b.swf")});

    Child<QAction>(main, "AModeSingle")->trigger();
    EXPECT_EQ(ModeName, "Single");
    EXPECT_FALSE(grid->isEnabled());
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_FALSE(Child<QAction>(main, "buttonModeSingle")->isVisible());
    EXPECT_TRUE(Child<QAction>(main, "buttonModeBatch")->isVisible());
    EXPECT_TRUE(Child<ui::FolderModel>(main, "ShellTreeModel")->filter() & QDir::Files);
    EXPECT_TRUE(Child<ui::FolderModel>(main, "ShellTreeModel")->filter() & QDir::Hidden);
    // The batch buttons keep their states; switching back brings no rows back.
    EXPECT_TRUE(Child<QPushButton>(main, "BatchSelect")->isEnabled());
    Child<QAction>(main, "AModeBatch")->trigger();
    EXPECT_EQ(model->rowCount(), 0);
}

void ExpectLayoutForWidth(ui::TFMain* main, int outer) {
    // The rule works on the outer width, frame included.
    const int frame = main->frameGeometry().width() - main->width();
    main->resize(outer - frame, 593);
    QCoreApplication::processEvents();
    ASSERT_EQ(main->frameGeometry().width(), outer);
    EXPECT_EQ(Child<QTableView>(main, "NG")->width(), outer - 122);
    for (QPushButton* button :
         {Child<QPushButton>(main, "BatchCompress"), Child<QPushButton>(main, "BatchDecompress"),
          Child<QPushButton>(main, "BatchSelect"), Child<QPushButton>(main, "BatchClear")}) {
        EXPECT_EQ(button->x(), outer - 120);
        EXPECT_EQ(button->size(), QSize(105, 21));
    }
    EXPECT_EQ(Child<QWidget>(main, "TBXToolWindow5")->width(), outer - 408);
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel2")->width(), outer - 412);
    EXPECT_EQ(Child<QToolBar>(main, "TBXToolbar1")->width(), outer - 412);
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel3")->width(), outer - 408);
    EXPECT_EQ(Child<QLabel>(main, "Label2")->x(),
              outer - 408 - Child<QLabel>(main, "Label2")->width() - 15);
    EXPECT_EQ(Child<QWidget>(main, "TBXToolWindow1")->width(), 200);
    EXPECT_EQ(Child<QWidget>(main, "TBXToolWindow3")->width(), 200);
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel2")->height(),
              Child<QWidget>(main, "TBXToolWindow5")->height() - 78);
    // The player fills its area beside the scroll bars and has the focus.
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->width(),
              outer - 412 - Child<QScrollBar>(main, "SBVer")->width());
    EXPECT_EQ(Child<player::TSF>(main, "FlashPlayer")->height(),
              Child<QWidget>(main, "TBXAlignmentPanel2")->height() -
                  Child<QScrollBar>(main, "SBHor")->height());
}

TEST_F(GuiTest, ResizeRuleAtTwoWidths) {
    ExpectLayoutForWidth(main, 913);
    EXPECT_EQ(Child<QTableView>(main, "NG")->width(), 791);
    EXPECT_EQ(Child<QPushButton>(main, "BatchCompress")->x(), 793);
    EXPECT_EQ(Child<QWidget>(main, "TBXToolWindow5")->width(), 505);
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel2")->width(), 501);
    ExpectLayoutForWidth(main, 1200);
}

TEST_F(GuiTest, HeightRuleFollowsTheMainToolbar) {
    QCoreApplication::processEvents();
    const int withToolbar = Child<QWidget>(main, "TBXAlignmentPanel2")->height();
    EXPECT_EQ(withToolbar, Child<QWidget>(main, "TBXToolWindow5")->height() - 78);

    Child<QAction>(main, "TBXMOVIEClose")->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Child<QToolBar>(main, "TBXMOVIE")->isHidden());
    EXPECT_GT(Child<QWidget>(main, "TBXAlignmentPanel2")->height(), withToolbar);
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel2")->height(),
              Child<QWidget>(main, "TBXToolWindow5")->height() - 78);

    Child<QAction>(main, "MSMovie")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Child<QToolBar>(main, "TBXMOVIE")->isHidden());
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel2")->height(), withToolbar);

    main->addToolBar(Qt::BottomToolBarArea, Child<QToolBar>(main, "TBXMOVIE"));
    QCoreApplication::processEvents();
    EXPECT_EQ(main->toolBarArea(Child<QToolBar>(main, "TBXMOVIE")), Qt::BottomToolBarArea);
    EXPECT_EQ(Child<QWidget>(main, "TBXAlignmentPanel2")->height(),
              Child<QWidget>(main, "TBXToolWindow5")->height() - 78);
}

TEST_F(GuiTest, MessageDialogShowsOnlyTheLabelAsked) {
    Recreate();
    ui::FMessages->ShowMessage(ui::FMessages->MesComp);
    ui::FMessages->ShowMessage(ui::FMessages->MesSS);
    ASSERT_EQ(modal.visibleMessages.size(), 2u);
    EXPECT_EQ(modal.visibleMessages[0], std::vector<QString>{QStringLiteral("MesComp")});
    EXPECT_EQ(modal.visibleMessages[1], std::vector<QString>{QStringLiteral("MesSS")});
    EXPECT_TRUE(ui::FMessages->MesSS->isHidden());
    EXPECT_EQ(ui::FMessages->MesLoad->text(), QStringLiteral("               You must load file!"));
    EXPECT_EQ(ui::FMessages->MesComp->text(),
              QStringLiteral("   File was compressed successfully!"));
    EXPECT_EQ(ui::FMessages->MesDecomp->text(),
              QStringLiteral(" File was decompressed successfully!"));
    EXPECT_EQ(ui::FMessages->MesDam->text(), QStringLiteral("                  File is damaged!"));
    EXPECT_EQ(ui::FMessages->MesSS->text(), QStringLiteral("            Screenshot was saved!"));
    // An "&" is shown as itself.
    for (QLabel* label : ui::FMessages->findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }
    EXPECT_EQ(ui::FMessages->windowTitle(), QStringLiteral("Message"));
    EXPECT_EQ(ui::FMessages->size(), QSize(315, 109));
}

TEST_F(GuiTest, HelpOpensTheDocumentOfTheLanguage) {
    LanguageCode = "ENG";
    Child<QAction>(main, "AHelp")->trigger();
    ASSERT_EQ(modal.urls.size(), 1u);
    EXPECT_EQ(modal.urls[0], QUrl::fromLocalFile(ui::ExeFolder() + "Help_eng.pdf"));
    EXPECT_TRUE(modal.dialogs.empty());

    LanguageCode = "FRA";
    Child<QAction>(main, "AHelp")->trigger();
    ASSERT_EQ(modal.urls.size(), 2u);
    EXPECT_EQ(modal.urls[1], QUrl::fromLocalFile(ui::ExeFolder() + "Help_fra.pdf"));
    EXPECT_TRUE(modal.errorBoxes.empty());
}

TEST_F(GuiTest, HelpForAnotherCodeGoesStraightToTheHelpError) {
    for (const char* code : {"", "eng", "DEU"}) {
        LanguageCode = code;
        modal.dialogs.clear();
        Child<QAction>(main, "AHelp")->trigger();
        EXPECT_TRUE(modal.urls.empty()) << code;
        EXPECT_TRUE(modal.errorBoxes.empty()) << code;
        EXPECT_EQ(modal.dialogs, std::vector<QString>{QStringLiteral("FHelpError")}) << code;
    }
}

TEST_F(GuiTest, MissingHelpDocumentGivesTheReasonThenTheHelpError) {
    LanguageCode = "FRA";
    modal.urlResult = false;
    modal.urlReason = QStringLiteral("The system cannot find the file specified");
    Child<QAction>(main, "AHelp")->trigger();
    EXPECT_EQ(modal.errorBoxes,
              std::vector<QString>{QStringLiteral("The system cannot find the file specified.")});
    EXPECT_EQ(modal.dialogs, std::vector<QString>{QStringLiteral("FHelpError")});
}

TEST_F(GuiTest, HelpErrorClosesOnlyByItsButton) {
    Recreate();
    auto* dialog = ui::FHelpError;
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    dialog->show();
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    dialog->reject();
    EXPECT_TRUE(dialog->isVisible());
    // The vendor's link opens the PDF reader's site.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog->labelAdobeLink, &release);
    EXPECT_EQ(modal.urls, std::vector<QUrl>{QUrl(QString::fromLatin1(ui::PdfReaderUrl))});
    dialog->buttonCloseHelpError->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Error"));
    EXPECT_EQ(dialog->buttonCloseHelpError->text(), QStringLiteral("Ok"));
}

TEST_F(GuiTest, AboutShowsItsPictureAndOpensItsLinks) {
    Child<QAction>(main, "AAbout")->trigger();
    EXPECT_EQ(modal.dialogs, std::vector<QString>{QStringLiteral("FAbout")});
    const QPixmap picture = ui::FAbout->Picture->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(233, 81));
    EXPECT_EQ(ui::FAbout->Picture->size(), QSize(233, 81));
    emit ui::FAbout->WebSite->linkActivated(QString::fromLatin1(ui::WebSiteUrl));
    Child<QAction>(main, "MHome")->trigger();
    ASSERT_EQ(modal.urls.size(), 2u);
    EXPECT_EQ(modal.urls[0], QUrl(QString::fromLatin1(ui::WebSiteUrl)));
    EXPECT_EQ(modal.urls[1], QUrl(QString::fromLatin1(ui::HomePageUrl)));
    bool hasBuild = false;
    for (QLabel* label : ui::FAbout->findChildren<QLabel*>()) {
        hasBuild = hasBuild || label->text() == QStringLiteral("Build 2.01");
    }
    EXPECT_TRUE(hasBuild);
}

TEST(ErrorBoxText, FullStopOnlyAfterCharactersAboveTheFullStop) {
    EXPECT_EQ(ui::ErrorBoxText(QStringLiteral("Stream read error")),
              QStringLiteral("Stream read error."));
    EXPECT_EQ(ui::ErrorBoxText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(ui::ErrorBoxText(QStringLiteral("Really!")), QStringLiteral("Really!"));
    EXPECT_EQ(ui::ErrorBoxText(QStringLiteral("path/")), QStringLiteral("path/."));
    EXPECT_EQ(ui::ErrorBoxText(QStringLiteral("size 12")), QStringLiteral("size 12."));
    EXPECT_EQ(ui::ErrorBoxText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(ui::ErrorBoxText(QString()), QString());
}

TEST_F(GuiTest, ErrorInACommandReachesTheErrorBoxAndTheProgramGoesOn) {
    SourceFileName = Path("missing.swf");
    Child<QAction>(main, "AEstimate")->setEnabled(true);
    Child<QAction>(main, "AEstimate")->trigger();
    ASSERT_EQ(modal.errorBoxes.size(), 1u);
    EXPECT_TRUE(modal.errorBoxes[0].startsWith(QStringLiteral("Cannot open file \"")));
    EXPECT_TRUE(modal.errorBoxes[0].endsWith(u'.'));
    EXPECT_TRUE(main->isVisible());
}

TEST_F(NoPlayerTest, MissingPlayerAsksToInstallItAndEndsTheProgram) {
    for (auto factory :
         std::vector<player::PlayerFactory>{NoPlayer, [](QWidget*) -> player::TSF* {
                                                throw std::runtime_error("not installed");
                                            }}) {
        Start(factory);
        EXPECT_EQ(modal.plainMessages.back(), QStringLiteral("PLEASE, INSTALL FLASH ACTIVEX!!!"));
        EXPECT_TRUE(ui::FMain->TerminationRequested());
        EXPECT_EQ(ui::FMain->findChild<player::TSF*>("FlashPlayer"), nullptr);
        // Playing then says a movie must be loaded; nothing else changes.
        Child<QAction>(ui::FMain, "APlaySource")->setEnabled(true);
        Child<QAction>(ui::FMain, "APlaySource")->trigger();
        ASSERT_EQ(modal.visibleMessages.size(), 1u);
        EXPECT_EQ(modal.visibleMessages[0], std::vector<QString>{QStringLiteral("MesLoad")});
        EXPECT_TRUE(Child<QAction>(ui::FMain, "APlaySource")->isEnabled());
        EXPECT_FALSE(Child<QTimer>(ui::FMain, "Timer1")->isActive());
        ui::DestroyForms();
        modal.visibleMessages.clear();
    }
    EXPECT_EQ(modal.plainMessages.size(), 2u);
}

} // namespace
} // namespace quillon::test
