#include "Modal.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <exception>

namespace quillon::ui {

namespace {

// Puts a dialog in the start folder and offers the start name, if any.
void PlaceDialog(QFileDialog& dialog, const QString& start) {
    if (start.isEmpty()) {
        return;
    }
    const QFileInfo place(start);
    if (place.isDir()) {
        dialog.setDirectory(start);
        return;
    }
    dialog.setDirectory(place.absolutePath());
    dialog.selectFile(place.fileName());
}

class DesktopModal : public ModalSeam {
public:
    QString openFileName(QWidget* parent, const QString& filter, const QString& start) override {
        QFileDialog dialog(parent, QString(), QString(), filter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        PlaceDialog(dialog, start);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
    QString saveFileName(QWidget* parent, const QString& filter, const QString& start) override {
        QFileDialog dialog(parent, QString(), QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        PlaceDialog(dialog, start);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }
    void plainMessage(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, parent);
        box.exec();
    }
    void errorBox(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, parent);
        box.exec();
    }
    int execDialog(QDialog* dialog) override { return dialog->exec(); }
    bool openUrl(const QUrl& url, QString* reason) override {
        if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
            if (reason) {
                *reason = QStringLiteral("The system cannot find the file specified");
            }
            return false;
        }
        if (!QDesktopServices::openUrl(url)) {
            if (reason) {
                *reason = QStringLiteral("No application is associated with this file");
            }
            return false;
        }
        return true;
    }
};

ModalSeam* installed = nullptr;

} // namespace

ModalSeam& Modal() {
    static DesktopModal desktop;
    return installed ? *installed : desktop;
}

void SetModal(ModalSeam* seam) {
    installed = seam;
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + u'.';
    }
    return message;
}

void RunGuarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        Modal().errorBox(parent, ErrorBoxText(QString::fromUtf8(error.what())));
    }
}

} // namespace quillon::ui
