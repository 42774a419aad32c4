#include "Theme.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

namespace quillon::ui {

namespace {

constexpr const char* StyleSheet = R"(
QMenuBar, QToolBar {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f2f3f5, stop:0.5 #dcdfe3,
                                stop:1 #c4c8ce);
    border: 1px solid #9aa0a8;
}
QMenu { background: #eceef1; border: 1px solid #8e949c; }
QMenu::item:selected, QMenuBar::item:selected { background: #b9c4d4; color: black; }
QToolButton { padding: 1px 3px; border: 1px solid transparent; border-radius: 2px; }
QToolButton:hover { border-color: #7d8796; background: #e6eaf0; }
QToolButton:pressed { background: #c3cad4; }
QDockWidget::title {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e8eaee, stop:1 #c8ccd2);
    padding-left: 4px;
}
)";

} // namespace

void ApplyAluminumLook(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette;
    const QColor silver(0xC0, 0xC0, 0xC0);
    palette.setColor(QPalette::Window, silver);
    palette.setColor(QPalette::Button, QColor(0xD4, 0xD6, 0xDA));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x5A, 0x78, 0xA8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, QColor(0xF4, 0xF5, 0xF7));
    palette.setColor(QPalette::Midlight, QColor(0xDC, 0xDE, 0xE2));
    palette.setColor(QPalette::Mid, QColor(0x9A, 0xA0, 0xA8));
    palette.setColor(QPalette::Dark, QColor(0x70, 0x76, 0x80));
    palette.setColor(QPalette::Link, Qt::blue);
    app.setPalette(palette);
    // The window's 8-point font; the system's sans font stands in when it is missing.
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
    app.setStyleSheet(QString::fromLatin1(StyleSheet));
}

} // namespace quillon::ui
