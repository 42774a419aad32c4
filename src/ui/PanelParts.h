#pragma once
// Small builders the window's panels share.

class QFrame;
class QLabel;
class QString;
class QWidget;

namespace quillon::ui {

// A plain frame of that object name.
QFrame* MakePanel(QWidget* parent, const char* name);
// A label showing its text as written ("&" and "<" included).
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text);

} // namespace quillon::ui
