#pragma once
// Every modal interaction of the program (file dialogs, message boxes, modal dialogs,
// opening documents and links) goes through one seam, so tests can answer it.

#include <QString>
#include <functional>

class QDialog;
class QUrl;
class QWidget;

namespace quillon::ui {

class ModalSeam {
public:
    virtual ~ModalSeam() = default;
    // An existing file to open; empty when cancelled. The dialog opens in the folder
    // start names (empty: the working folder).
    virtual QString openFileName(QWidget* parent, const QString& filter, const QString& start) = 0;
    // A file name to save to (no default extension, no question before replacing);
    // empty when cancelled. The dialog opens at start: a folder, or a folder and the
    // name it offers.
    virtual QString saveFileName(QWidget* parent, const QString& filter, const QString& start) = 0;
    // A plain message box titled with the application title, with an OK button.
    virtual void plainMessage(QWidget* parent, const QString& text) = 0;
    // The standard error box: application title, error icon, OK button.
    virtual void errorBox(QWidget* parent, const QString& text) = 0;
    // Shows one of the program's own dialogs modally; returns its result code.
    virtual int execDialog(QDialog* dialog) = 0;
    // Opens a document or link with the desktop's handler. On failure returns false
    // and sets reason to the platform's explanation.
    virtual bool openUrl(const QUrl& url, QString* reason) = 0;
};

// The seam in use: the real dialogs unless a test installed its own.
ModalSeam& Modal();
// Installs a seam (nullptr restores the real one); the caller keeps ownership.
void SetModal(ModalSeam* seam);

// The text the standard error box shows for a message: a full stop is appended when
// the last character's code is greater than that of ".".
QString ErrorBoxText(const QString& message);

// Runs a command or event handler; an error escaping it is shown in the standard error
// box and the program goes on. Every slot that can fail runs through this, since Qt's
// libraries must never be unwound by an exception.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);

} // namespace quillon::ui
