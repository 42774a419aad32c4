#include "CommandTable.h"

#include "MainWindow.h"
#include "Modal.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <stdexcept>

namespace quillon::ui {

namespace {

using K = EntryKind;
using T = TextKind;
using I = IconKind;
using F = TFMain;
constexpr auto HT = TextKind::HintThenCaption;

// Commands first (their order is the order of creation), then each menu and toolbar
// in the order its entries show, then the panels' buttons.
constexpr CommandEntry kTable[] = {
    {K::Command, "AOpen", "Open", nullptr, nullptr, &F::AOpenExecute, I::None, T::Own, NoFlags},
    {K::Command, "ACompress", "Compress", nullptr, nullptr, &F::ACompressExecute, I::None, T::Own,
     OffAtStart},
    {K::Command, "ADecompress", "Decompress", nullptr, nullptr, &F::ADecompressExecute, I::None,
     T::Own, OffAtStart},
    {K::Command, "AEstimate", "Estimate", nullptr, nullptr, &F::AEstimateExecute, I::None, T::Own,
     OffAtStart},
    {K::Command, "APlaySource", "PlaySource", nullptr, nullptr, &F::APlaySourceExecute, I::None,
     T::Own, OffAtStart},
    {K::Command, "AStop", "Stop", nullptr, nullptr, &F::AStopExecute, I::None, T::Own, OffAtStart},
    {K::Command, "AZoomIn", "ZoomIn", nullptr, nullptr, &F::AZoomInExecute, I::None, T::Own,
     OffAtStart},
    {K::Command, "AZoomOut", "ZoomOut", nullptr, nullptr, &F::AZoomOutExecute, I::None, T::Own,
     OffAtStart},
    {K::Command, "AExpand", "Expand", nullptr, nullptr, &F::AExpandExecute, I::None, T::Own,
     OffAtStart},
    {K::Command, "AFit", "Fit", nullptr, nullptr, &F::AFitExecute, I::None, T::Own, OffAtStart},
    {K::Command, "AScreenShot", "ScreenShot", nullptr, nullptr, &F::AScreenShotExecute, I::None,
     T::Own, OffAtStart},
    {K::Command, "AAbout", "About", nullptr, nullptr, &F::AAboutExecute, I::None, T::Own, NoFlags},
    {K::Command, "AHelp", "Help", nullptr, nullptr, &F::AHelpExecute, I::None, T::Own, NoFlags},
    {K::Command, "AClose", "Close", nullptr, nullptr, &F::ACloseExecute, I::None, T::Own, NoFlags},
    {K::Command, "AEnglish", "English", nullptr, nullptr, &F::AEnglishExecute, I::None, T::Own,
     NoFlags},
    {K::Command, "AFrench", "French", nullptr, nullptr, &F::AFrenchExecute, I::None, T::Own,
     NoFlags},
    // The batch panel runs these four itself.
    {K::Command, "ABatchCompress", "ABatchCompress", nullptr, nullptr, nullptr, I::None, T::Own,
     OffAtStart},
    {K::Command, "ABatchDecompress", "ABatchDecompress", nullptr, nullptr, nullptr, I::None, T::Own,
     OffAtStart},
    {K::Command, "ABatchSelAll", "ABatchSelAll", nullptr, nullptr, nullptr, I::None, T::Own,
     OffAtStart},
    {K::Command, "ABatchClear", "ABatchClear", nullptr, nullptr, nullptr, I::None, T::Own,
     OffAtStart},
    {K::Command, "AModeSingle", "Single file mode", nullptr, nullptr, &F::AModeSingleExecute,
     I::None, T::Own, NoFlags},
    {K::Command, "AModeBatch", "Batch mode", nullptr, nullptr, &F::AModeBatchExecute, I::None,
     T::Own, NoFlags},

    {K::Menu, "MFile", "File", "TBXMENU", nullptr, nullptr, I::None, T::Caption, NoFlags},
    {K::Item, "MOpen", "Open", "MFile", "AOpen", nullptr, I::None, HT, NoFlags},
    {K::Item, "MOptions", "Options", "MFile", nullptr, &F::MOptionsClick, I::None, HT, NoFlags},
    {K::Menu, "MLanguage", "Set language", "MFile", nullptr, nullptr, I::None, T::Caption, NoFlags},
    {K::Item, "MLanguageEnglish", "English", "MLanguage", "AEnglish", nullptr, I::None, HT,
     NoFlags},
    {K::Item, "MLanguageFrench", "French", "MLanguage", "AFrench", nullptr, I::None, HT, NoFlags},
    {K::Item, "MClose", "Close", "MFile", "AClose", nullptr, I::None, HT, NoFlags},
    {K::Menu, "MWindow", "Window", "TBXMENU", nullptr, nullptr, I::None, T::Caption, NoFlags},
    {K::Item, "MSMovie", "Show Movie panel", "MWindow", nullptr, &F::MSMovieClick, I::None, HT,
     NoFlags},
    {K::Menu, "MHelp", "Help", "TBXMENU", nullptr, nullptr, I::None, T::Caption, NoFlags},
    {K::Item, "MHome", "Visit Morvane home page", "MHelp", nullptr, &F::MHomeClick, I::None, HT,
     NoFlags},
    {K::Item, "MHlp", "Help", "MHelp", "AHelp", nullptr, I::None, HT, NoFlags},
    {K::Item, "MAbout", "About", "MHelp", "AAbout", nullptr, I::None, HT, NoFlags},

    {K::Item, "Open", "Open file", "TBXMOVIE", "AOpen", nullptr, I::Open, HT, NoFlags},
    {K::Item, "buttonModeSingle", "Single file mode", "TBXMOVIE", "AModeSingle", nullptr,
     I::ModeSingle, HT, NoFlags},
    {K::Item, "buttonModeBatch", "Batch mode", "TBXMOVIE", "AModeBatch", nullptr, I::ModeBatch, HT,
     NoFlags},
    {K::Separator, "", "", "TBXMOVIE", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "Options", "Options", "TBXMOVIE", nullptr, &F::OptionsExecute, I::Options, HT,
     NoFlags},
    {K::Item, "LanguageEnglish", "English", "TBXMOVIE", "AEnglish", nullptr, I::English, HT,
     NoFlags},
    {K::Item, "LanguageFrench", "French", "TBXMOVIE", "AFrench", nullptr, I::French, HT, NoFlags},
    {K::Separator, "", "", "TBXMOVIE", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "About", "About", "TBXMOVIE", "AAbout", nullptr, I::About, HT, NoFlags},
    {K::Item, "Exit", "Close", "TBXMOVIE", "AClose", nullptr, I::Close, HT, NoFlags},

    {K::Item, "PlaySource", "PlaySource", "TBXToolbar1", "APlaySource", nullptr, I::Play, HT,
     IconOnly},
    {K::Item, "Stop", "Stop", "TBXToolbar1", "AStop", nullptr, I::Stop, HT, IconOnly},
    {K::Separator, "", "", "TBXToolbar1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Slot, "LabelZoom", "", "TBXToolbar1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Slot, "SpinZoom", "", "TBXToolbar1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "ZoomIn", "ZoomIn", "TBXToolbar1", "AZoomIn", nullptr, I::ZoomIn, HT, IconOnly},
    {K::Item, "ZoomOut", "ZoomOut", "TBXToolbar1", "AZoomOut", nullptr, I::ZoomOut, HT, IconOnly},
    {K::Item, "Expand", "Expand", "TBXToolbar1", "AExpand", nullptr, I::Expand, HT, IconOnly},
    {K::Item, "Fit", "Fit", "TBXToolbar1", "AFit", nullptr, I::Fit, HT, IconOnly},
    {K::Separator, "", "", "TBXToolbar1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "SS", "ScreenShot", "TBXToolbar1", "AScreenShot", nullptr, I::ScreenShot, HT,
     IconOnly},
    {K::Slot, "ZoomGap", "", "TBXToolbar1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "Comp", "Compress", "TBXToolbar1", "ACompress", nullptr, I::Compress, HT, NoFlags},
    {K::Item, "Decomp", "Decompress", "TBXToolbar1", "ADecompress", nullptr, I::Decompress, HT,
     StartsHidden},

    // The grid's context menu; the batch panel runs its row commands itself, and their
    // captions stay English whatever the language.
    {K::Menu, "PopupMenu1", "", "NG", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "Play1", "Play", "PopupMenu1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "Compress1", "Compress", "PopupMenu1", nullptr, nullptr, I::None, T::Own, NoFlags},
    {K::Item, "Decompress1", "Decompress", "PopupMenu1", nullptr, nullptr, I::None, T::Own,
     NoFlags},
    {K::Item, "Remove1", "Remove", "PopupMenu1", nullptr, nullptr, I::None, T::Own, NoFlags},

    {K::Button, "Estimate", "Estimate", "TBXToolWindow3", "AEstimate", nullptr, I::None, T::Caption,
     NoFlags},
    {K::Button, "BatchCompress", "Compress", "TBXDPBatchOp", "ABatchCompress", nullptr, I::None,
     T::Caption, NoFlags},
    {K::Button, "BatchDecompress", "Decompress", "TBXDPBatchOp", "ABatchDecompress", nullptr,
     I::None, T::Caption, NoFlags},
    {K::Button, "BatchSelect", "Select all", "TBXDPBatchOp", "ABatchSelAll", nullptr, I::None,
     T::Caption, NoFlags},
    {K::Button, "BatchClear", "Clear", "TBXDPBatchOp", "ABatchClear", nullptr, I::None, T::Caption,
     NoFlags},
};

bool SitsIn(const CommandEntry& entry, const QString& parent) {
    return entry.parent && parent == QLatin1String(entry.parent);
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

void Mark(QObject* component, const CommandEntry& entry) {
    if (entry.text != TextKind::Own) {
        MarkTranslated(component, entry.text);
    }
}

QAction* MakeItem(QObject* owner, const CommandEntry& entry, const CommandSet& commands) {
    auto* item = new QAction(QString::fromLatin1(entry.caption), owner);
    item->setObjectName(QString::fromLatin1(entry.name));
    if (entry.icon != IconKind::None) {
        item->setToolTip(item->text());
        item->setIcon(ToolIcon(entry.icon));
    }
    if (entry.command) {
        LinkToCommand(item, &QAction::triggered, commands[entry.command]);
    }
    item->setVisible(!(entry.flags & StartsHidden));
    Mark(item, entry);
    return item;
}

template <typename Container> void FillMenu(Container* menu, const CommandSet& commands) {
    for (const CommandEntry& entry : CommandTable()) {
        if (!SitsIn(entry, menu->objectName())) {
            continue;
        }
        if (entry.kind == EntryKind::Menu) {
            QMenu* sub = menu->addMenu(QString::fromLatin1(entry.caption));
            sub->setObjectName(QString::fromLatin1(entry.name));
            Mark(sub, entry);
            FillMenu(sub, commands);
        } else if (entry.kind == EntryKind::Item) {
            menu->addAction(MakeItem(menu, entry, commands));
        } else if (entry.kind == EntryKind::Separator) {
            menu->addSeparator();
        }
    }
}

} // namespace

std::span<const CommandEntry> CommandTable() {
    return kTable;
}

const CommandEntry* FindCommandEntry(QStringView name) {
    for (const CommandEntry& entry : kTable) {
        if (!name.isEmpty() && name == QLatin1String(entry.name)) {
            return &entry;
        }
    }
    return nullptr;
}

CommandSet::CommandSet(QObject* owner) {
    for (const CommandEntry& entry : kTable) {
        if (entry.kind != EntryKind::Command) {
            continue;
        }
        auto* action = new QAction(QString::fromLatin1(entry.caption), owner);
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setEnabled(!(entry.flags & OffAtStart));
        commands_.emplace(action->objectName(), action);
    }
}

QAction* CommandSet::operator[](const char* name) const {
    return commands_.at(QString::fromLatin1(name));
}

void FillMenuBar(QMenuBar* bar, const CommandSet& commands) {
    FillMenu(bar, commands);
}

QMenu* MakePopupMenu(QWidget* parent, const char* name, const CommandSet& commands) {
    const CommandEntry* entry = FindCommandEntry(QString::fromLatin1(name));
    if (!entry || entry->kind != EntryKind::Menu) {
        throw std::out_of_range(name);
    }
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromLatin1(name));
    FillMenu(menu, commands);
    return menu;
}

void FillToolbar(QToolBar* toolbar, const CommandSet& commands,
                 const std::map<QString, QWidget*>& placed) {
    for (const CommandEntry& entry : kTable) {
        if (!SitsIn(entry, toolbar->objectName())) {
            continue;
        }
        if (entry.kind == EntryKind::Separator) {
            toolbar->addSeparator();
        } else if (entry.kind == EntryKind::Slot) {
            toolbar->addWidget(placed.at(QString::fromLatin1(entry.name)));
        } else if (entry.kind == EntryKind::Item) {
            QAction* item = MakeItem(toolbar, entry, commands);
            toolbar->addAction(item);
            auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(item));
            if (button && (entry.flags & IconOnly)) {
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            }
        }
    }
}

QPushButton* MakeCommandButton(QWidget* panel, const char* name, const CommandSet& commands) {
    const CommandEntry* entry = FindCommandEntry(QString::fromLatin1(name));
    if (!entry || entry->kind != EntryKind::Button) {
        throw std::out_of_range(name);
    }
    auto* button = new QPushButton(QString::fromLatin1(entry->caption), panel);
    button->setObjectName(QString::fromLatin1(name));
    LinkToCommand(button, &QPushButton::clicked, commands[entry->command]);
    Mark(button, *entry);
    return button;
}

} // namespace quillon::ui
