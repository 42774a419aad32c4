#include "Lang.h"

#include "About.h"
#include "CommandTable.h"
#include "Forms.h"
#include "HelpError.h"
#include "MainWindow.h"
#include "Messages.h"
#include "ProgramSettings.h"
#include "Shared.h"
#include "settings/IniFile.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStringList>
#include <QVariant>
#include <iterator>

namespace quillon::ui {

namespace {

constexpr const char* kKindProperty = "quillonTextKind";
constexpr const char* kColumnsProperty = "quillonColumnSections";

struct TranslatedComponent {
    const char* name;
    TextKind kind;
};

// The program's translated components besides the command table's, by object name,
// with the kind of text each takes. Everything else keeps its built-in text: plain
// labels, pop-up menu items, the commands themselves, the Options dialog's buttons and
// edits, the About dialog's body.
constexpr TranslatedComponent kProgramTexts[] = {
    // Main window: the panels' own components (the command table names the rest).
    {"TBXDPBatchOp", TextKind::Title},
    {"TBXLFLen", TextKind::Caption},
    {"TBXLCompStat", TextKind::Caption},
    {"TBXLFRate", TextKind::Caption},
    {"TBXLFStat", TextKind::Caption},
    {"TBXLFVer", TextKind::Caption},
    // Message dialog.
    {"MesLoad", TextKind::Caption},
    {"MesComp", TextKind::Caption},
    {"MesDecomp", TextKind::Caption},
    {"MesDam", TextKind::Caption},
    {"MesSS", TextKind::Caption},
    // Help-error dialog.
    {"buttonCloseHelpError", TextKind::Caption},
    {"labelErrorText", TextKind::Caption},
    {"labelAdobeLink", TextKind::Caption},
    // Options dialog.
    {"mbTBXGroupBox1", TextKind::Title},
    {"mbTBXGroupBox2", TextKind::Title},
    {"TBXLabel1", TextKind::Caption},
    {"labelCurrent", TextKind::Caption},
    {"labelPrefixComp", TextKind::Caption},
    {"labelPrefixDecomp", TextKind::Caption},
};

// The batch grid and the sections of its column headers, in column order.
constexpr const char* kBatchGrid = "NG";
constexpr const char* kBatchGridColumns[] = {"NxProceed",     "NxFileName", "NxStatus",
                                             "NxEndFileName", "NxFileSize", "NxEndFileSize"};

class LangTexts {
public:
    explicit LangTexts(const std::string& path) : file_(path) {}
    QString text(const QString& section) const {
        return QString::fromStdString(
            file_.readString(section.toStdString(), LanguageCode, std::string()));
    }

private:
    IniFile file_;
};

void SetCaption(QObject* component, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(component)) {
        action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(component)) {
        menu->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(component)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(component)) {
        label->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(component)) {
        box->setTitle(text);
    } else if (auto* widget = qobject_cast<QWidget*>(component)) {
        widget->setWindowTitle(text);
    }
}

void SetHint(QObject* component, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(component)) {
        action->setToolTip(text);
    } else if (auto* widget = qobject_cast<QWidget*>(component)) {
        widget->setToolTip(text);
    }
}

void SetTitle(QObject* component, const QString& text) {
    if (auto* box = qobject_cast<QGroupBox*>(component)) {
        box->setTitle(text);
    } else if (auto* dock = qobject_cast<QDockWidget*>(component)) {
        dock->setWindowTitle(text);
    } else {
        SetCaption(component, text);
    }
}

void TranslateComponent(QObject* component, const LangTexts& texts) {
    const QVariant kind = component->property(kKindProperty);
    if (kind.isValid()) {
        const QString text = texts.text(component->objectName());
        switch (static_cast<TextKind>(kind.toInt())) {
        case TextKind::Caption:
            SetCaption(component, text);
            break;
        case TextKind::HintThenCaption:
            SetHint(component, text);
            SetCaption(component, texts.text(component->objectName()));
            break;
        case TextKind::Title:
            SetTitle(component, text);
            break;
        case TextKind::Own:
            break;
        }
    }
    const QStringList columns = component->property(kColumnsProperty).toStringList();
    if (auto* grid = qobject_cast<QAbstractItemView*>(component); grid && grid->model()) {
        for (int column = 0; column < columns.size(); ++column) {
            if (!columns[column].isEmpty()) {
                grid->model()->setHeaderData(column, Qt::Horizontal, texts.text(columns[column]));
            }
        }
    }
}

// Marks a component of the program's table that carries no mark of its own yet.
void MarkFromTable(QObject* component) {
    if (component->property(kKindProperty).isValid()) {
        return;
    }
    const QString name = component->objectName();
    if (const CommandEntry* entry = FindCommandEntry(name); entry && entry->text != TextKind::Own) {
        MarkTranslated(component, entry->text);
        return;
    }
    for (const auto& entry : kProgramTexts) {
        if (name == QLatin1String(entry.name)) {
            MarkTranslated(component, entry.kind);
            return;
        }
    }
    if (auto* grid = qobject_cast<QAbstractItemView*>(component);
        grid && name == QLatin1String(kBatchGrid) && !grid->property(kColumnsProperty).isValid()) {
        for (int column = 0; column < static_cast<int>(std::size(kBatchGridColumns)); ++column) {
            MarkTranslatedColumn(grid, column, QLatin1String(kBatchGridColumns[column]));
        }
    }
}

// Every component a window owns, in the order of creation, but not what belongs to a
// dialog parented to it: that is a window of its own, translated on its own.
template <typename Visit> void ForEachOwned(QObject* owner, const Visit& visit) {
    for (QObject* child : owner->children()) {
        if (qobject_cast<QDialog*>(child)) {
            continue;
        }
        visit(child);
        ForEachOwned(child, visit);
    }
}

void SetVisible(QObject* component, bool visible) {
    if (!component) {
        return;
    }
    if (auto* action = qobject_cast<QAction*>(component)) {
        action->setVisible(visible);
    } else if (auto* widget = qobject_cast<QWidget*>(component)) {
        widget->setVisible(visible);
    }
}

} // namespace

void MarkTranslated(QObject* component, TextKind kind) {
    component->setProperty(kKindProperty, static_cast<int>(kind));
}

void MarkTranslatedColumn(QAbstractItemView* grid, int column, const QString& section) {
    QStringList columns = grid->property(kColumnsProperty).toStringList();
    while (columns.size() <= column) {
        columns.append(QString());
    }
    columns[column] = section;
    grid->setProperty(kColumnsProperty, columns);
}

std::string LangIniPath() {
    return Paths().langIni();
}

void TranslateForm(QWidget* window) {
    TranslateForm(window, LangIniPath());
}

void TranslateForm(QWidget* window, const std::string& langIniPath) {
    const LangTexts texts(langIniPath);
    ForEachOwned(window, [&texts](QObject* component) {
        MarkFromTable(component);
        TranslateComponent(component, texts);
    });
    window->setWindowTitle(texts.text(window->objectName()));
}

void ApplyLanguage() {
    ApplyLanguage(LanguageWindows{FMain, FMessages, FAbout, FHelpError}, LangIniPath());
}

void ApplyLanguage(const LanguageWindows& windows, const std::string& langIniPath) {
    const bool english = LanguageCode == "ENG";
    SetVisible(windows.main->findChild<QObject*>(QStringLiteral("LanguageEnglish")), !english);
    SetVisible(windows.main->findChild<QObject*>(QStringLiteral("LanguageFrench")), english);
    TranslateForm(windows.main, langIniPath);
    for (const CommandEntry& entry : CommandTable()) {
        QObject* item = (entry.flags & IconOnly)
                            ? windows.main->findChild<QObject*>(QString::fromLatin1(entry.name))
                            : nullptr;
        if (item) {
            SetCaption(item, QString());
        }
    }
    for (QWidget* dialog : {windows.messages, windows.about, windows.helpError}) {
        if (dialog) {
            TranslateForm(dialog, langIniPath);
        }
    }
}

} // namespace quillon::ui
