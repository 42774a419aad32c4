#pragma once
// The window's commands and every menu entry, toolbar item and button that runs one,
// in one table: what a command is called, its caption, icon and handler, where its
// items sit, and how Lang.ini translates them. Menus, toolbars, buttons, the
// translation and the tests all read this table, so a command is added here alone.

#include "Icons.h"
#include "Lang.h"

#include <QString>
#include <QStringView>
#include <map>
#include <span>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QPushButton;
class QToolBar;
class QWidget;

namespace quillon::ui {

class TFMain;

enum class EntryKind {
    Command,   // an action of the window; items follow its enabled state
    Menu,      // a submenu of the menu bar or of another menu
    Item,      // a menu entry or a toolbar item
    Button,    // a push button on a panel
    Separator, // a line between items
    Slot,      // a place in a toolbar for a widget of the panel's own
};

enum EntryFlag : unsigned {
    NoFlags = 0,
    OffAtStart = 1, // the command waits for a movie or a list
    IconOnly = 2,   // the toolbar item shows its picture alone, its caption as the hint
    StartsHidden = 4,
};

struct CommandEntry {
    EntryKind kind;
    const char* name;    // the object name, also the Lang.ini section
    const char* caption; // the built-in caption
    const char* parent;  // the menu, toolbar or panel it sits in; nullptr for commands
    const char* command; // the command an item or button runs; nullptr: its own handler
    void (TFMain::*handler)();
    IconKind icon;
    TextKind text;
    unsigned flags;
};

std::span<const CommandEntry> CommandTable();
// The row of that object name, or nullptr.
const CommandEntry* FindCommandEntry(QStringView name);

// The window's commands by object name, made from the table's Command rows.
class CommandSet {
public:
    explicit CommandSet(QObject* owner);
    // Throws std::out_of_range for a name the table does not have.
    QAction* operator[](const char* name) const;

private:
    std::map<QString, QAction*> commands_;
};

// Fills a menu bar with the table's menus and their entries.
void FillMenuBar(QMenuBar* bar, const CommandSet& commands);
// The table's popup menu of that name, with its entries.
QMenu* MakePopupMenu(QWidget* parent, const char* name, const CommandSet& commands);
// Fills a toolbar with the table's items for it; Slot rows take the widget of that
// object name from placed.
void FillToolbar(QToolBar* toolbar, const CommandSet& commands,
                 const std::map<QString, QWidget*>& placed = {});
// The table's button of that name on its panel, running its command.
QPushButton* MakeCommandButton(QWidget* panel, const char* name, const CommandSet& commands);

} // namespace quillon::ui
