#include "SelfCheck.h"

#include "ui/Forms.h"
#include "ui/MainWindow.h"
#include "ui/Modal.h"
#include "ui/Shared.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <cstdio>

namespace quillon::app {

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Answers every modal interaction and says what was asked.
class ScriptedModal : public ui::ModalSeam {
public:
    explicit ScriptedModal(QString target) : target_(std::move(target)) {}
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return target_; }
    void plainMessage(QWidget*, const QString& text) override { Say("notice: " + text); }
    void errorBox(QWidget*, const QString& text) override { Say("error: " + text); }
    int execDialog(QDialog* dialog) override {
        QString shown;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->isVisibleTo(dialog) && !label->objectName().isEmpty()) {
                shown += " " + label->objectName();
            }
        }
        Say("dialog: " + dialog->objectName() + shown);
        return QDialog::Accepted;
    }
    bool openUrl(const QUrl& url, QString* reason) override {
        const bool found = QFileInfo::exists(url.toLocalFile());
        Say("help: " + url.toLocalFile() + (found ? " found" : " missing"));
        if (!found && reason) {
            *reason = QStringLiteral("The file is missing");
        }
        return found;
    }

private:
    QString target_;
};

void RunCheck() {
    const AppPaths& paths = ui::Paths();
    Say(QStringLiteral("mode: ") + (paths.mode == PathMode::Installed
                                        ? QStringLiteral("installed")
                                        : QStringLiteral("portable")));
    Say("config: " + QString::fromStdString(paths.configFile()));
    const QString texts = QString::fromStdString(paths.langIni());
    Say("texts: " + texts + (QFileInfo::exists(texts) ? " found" : " missing"));
    Say("scratch: " + QString::fromStdString(paths.scratchFolder));
    Say("caption: " + ui::FMain->windowTitle());
    ui::FMain->findChild<QAction*>(QStringLiteral("ACompress"))->trigger();
    ui::FMain->findChild<QAction*>(QStringLiteral("AHelp"))->trigger();
    ui::FMain->close();
}

} // namespace

bool StartSelfCheck() {
    const QString target = qEnvironmentVariable("QUILLON_SELF_CHECK");
    if (target.isEmpty()) {
        return false;
    }
    static ScriptedModal modal(target);
    ui::SetModal(&modal);
    QTimer::singleShot(0, ui::FMain, [] { RunCheck(); });
    return true;
}

} // namespace quillon::app
