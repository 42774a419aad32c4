#pragma once
// Small builders the window's panels share.

class QDialog;
class QFrame;
class QSize;
class QLabel;
class QString;
class QWidget;

namespace quillon::ui {

// A plain frame of that object name.
QFrame* MakePanel(QWidget* parent, const char* name);
// A label showing its text as written ("&" and "<" included).
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text);

// The program's dialogs: a fixed size, a title bar with a close box, no other buttons.
void SetUpFixedDialog(QDialog* dialog, const char* name, const QString& title, const QSize& size);

} // namespace quillon::ui
