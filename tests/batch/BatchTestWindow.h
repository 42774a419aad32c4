#pragma once

#include <string>
#include <vector>
// A small stand-in for the main window: the batch and folder panels' widgets under
// their object names, with the controller wired to them as the main window does.

#include "ui/BatchController.h"
#include "ui/Modal.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

namespace quillon::test {

class BatchTestWindow : public QMainWindow {
public:
    BatchTestWindow();
    template <typename T> T* child(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name));
    }
    ui::BatchController* controller = nullptr;
    QStringList opened;                   // movies handed to OpenSWFFile
    std::vector<std::string> openedPaths; // the same, as bytes
    int plays = 0;                        // APlaySource runs
};

// Answers every modal interaction and remembers what was shown.
class ScriptedModal : public ui::ModalSeam {
public:
    ScriptedModal() { ui::SetModal(this); }
    ~ScriptedModal() override { ui::SetModal(nullptr); }
    QString openFileName(QWidget*, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&) override { return {}; }
    void plainMessage(QWidget*, const QString& text) override { messages << text; }
    void errorBox(QWidget*, const QString& text) override { errors << text; }
    int execDialog(QDialog*) override { return 0; }
    bool openUrl(const QUrl&, QString*) override { return false; }
    QStringList messages;
    QStringList errors;
};

} // namespace quillon::test
