// About, help, the maker's home page and the Options dialog.

#include "About.h"
#include "Forms.h"
#include "HelpError.h"
#include "MainWindow.h"
#include "Modal.h"
#include "OptionsDialog.h"
#include "ProgramSettings.h"
#include "Shared.h"

#include <QFile>
#include <QToolBar>
#include <QUrl>

namespace quillon::ui {

void TFMain::AAboutExecute() {
    Modal().execDialog(FAbout);
}

void TFMain::AHelpExecute() {
    try {
        const QString document = QFile::decodeName(Paths().helpDocument(LanguageCode).c_str());
        bool opened = false;
        if (!document.isEmpty()) {
            QString reason;
            opened = Modal().openUrl(QUrl::fromLocalFile(document), &reason);
            if (!opened) {
                Modal().errorBox(this, ErrorBoxText(reason));
            }
        }
        if (!opened) {
            Modal().execDialog(FHelpError);
        }
    } catch (const std::exception&) {
        // Help never fails loudly: its own dialog already said what was wrong.
    }
}

void TFMain::MHomeClick() {
    OpenLink(QString::fromLatin1(HomePageUrl));
}

void TFMain::OptionsExecute() {
    Modal().execDialog(FOutFolder);
    emit optionsClosed();
}

void TFMain::MOptionsClick() {
    Modal().execDialog(FOutFolder);
}

} // namespace quillon::ui
