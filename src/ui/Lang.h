#pragma once
// Interface texts from Lang.ini: section = a component's object name (or a window's, for
// its caption), key = LanguageCode. Which components take a text, and as what, is marked
// on each component: the program's own components are listed in a table by object name,
// and a window may mark further ones itself. Everything unmarked keeps its own text.

#include <QString>
#include <string>

class QAbstractItemView;
class QObject;
class QWidget;

namespace quillon::ui {

enum class TextKind {
    Caption,         // buttons, labels, submenus: their text
    HintThenCaption, // toolbar and menu items: tooltip, then text, both the same
    Title,           // group boxes and dockable panels: their frame or panel title
    Own,             // not translated: keeps its built-in text
};

// Marks a component (a widget or an action) as taking its text from Lang.ini, in the
// section of its object name.
void MarkTranslated(QObject* component, TextKind kind);

// Marks a grid column's header as taking its text from the section given.
void MarkTranslatedColumn(QAbstractItemView* grid, int column, const QString& section);

// Lang.ini in the data folder (beside the executable when portable).
std::string LangIniPath();

// Applies the current language's texts to one window: every marked component it owns
// (dialogs of their own excepted), then its caption. The file is read afresh at each call;
// a missing file, section or key gives the empty text, which is applied all the same.
void TranslateForm(QWidget* window);
void TranslateForm(QWidget* window, const std::string& langIniPath);

// The windows the whole interface switches with the language.
struct LanguageWindows {
    QWidget* main = nullptr;
    QWidget* messages = nullptr;
    QWidget* about = nullptr;
    QWidget* helpError = nullptr;
};

// The same for the program's own windows (FMain, FMessages, FAbout, FHelpError) and the
// Lang.ini of the data folder.
void ApplyLanguage();

// Switches the interface to LanguageCode: the toolbar offers the language not in use,
// the main window is translated, the seven player toolbar items are left with their
// images (the text stays their tooltip), then the three dialogs are translated.
void ApplyLanguage(const LanguageWindows& windows, const std::string& langIniPath);

} // namespace quillon::ui
