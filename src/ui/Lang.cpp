#include "Lang.h"

#include "settings/IniFile.h"
#include "settings/SettingsValues.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStringList>
#include <QVariant>

namespace quillon::ui {

namespace {

constexpr const char* kKindProperty = "quillonTextKind";
constexpr const char* kColumnsProperty = "quillonColumnSections";

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

// Every component a window owns, in the order of creation, but not what belongs to
// another window parented to it (a dialog); pop-up menus are part of their window.
void TranslateOwned(QObject* owner, const LangTexts& texts) {
    for (QObject* child : owner->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child);
            widget && widget->isWindow() && !qobject_cast<QMenu*>(widget)) {
            continue;
        }
        TranslateComponent(child, texts);
        TranslateOwned(child, texts);
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
    return QCoreApplication::applicationDirPath().toStdString() + "/Lang.ini";
}

void TranslateForm(QWidget* window) {
    TranslateForm(window, LangIniPath());
}

void TranslateForm(QWidget* window, const std::string& langIniPath) {
    const LangTexts texts(langIniPath);
    TranslateOwned(window, texts);
    window->setWindowTitle(texts.text(window->objectName()));
}

void ApplyLanguage(const LanguageWindows& windows, const std::string& langIniPath) {
    const bool english = LanguageCode == "ENG";
    SetVisible(windows.main->findChild<QObject*>(QStringLiteral("LanguageEnglish")), !english);
    SetVisible(windows.main->findChild<QObject*>(QStringLiteral("LanguageFrench")), english);
    TranslateForm(windows.main, langIniPath);
    for (const char* name : {"PlaySource", "Stop", "ZoomIn", "ZoomOut", "Expand", "Fit", "SS"}) {
        if (QObject* item = windows.main->findChild<QObject*>(QString::fromLatin1(name))) {
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
