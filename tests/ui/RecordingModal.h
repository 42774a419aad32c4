#pragma once
// A modal seam that shows nothing: it records the boxes and dialogs the program asked
// for and answers every dialog with a close.

#include "ui/Modal.h"

#include <QDialog>
#include <QString>
#include <QUrl>
#include <vector>

namespace quillon::test {

class RecordingModal : public ui::ModalSeam {
public:
    std::vector<QString> plainMessages;
    std::vector<QString> errorBoxes;
    std::vector<QString> dialogs; // object names of the dialogs shown

    QString openFileName(QWidget*, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&) override { return {}; }
    void plainMessage(QWidget*, const QString& text) override { plainMessages.push_back(text); }
    void errorBox(QWidget*, const QString& text) override { errorBoxes.push_back(text); }
    int execDialog(QDialog* dialog) override {
        dialogs.push_back(dialog->objectName());
        return QDialog::Rejected;
    }
    bool openUrl(const QUrl&, QString*) override { return true; }
};

} // namespace quillon::test
