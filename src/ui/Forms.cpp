#include "Forms.h"

#include "About.h"
#include "HelpError.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Modal.h"
#include "OptionsDialog.h"

#include <QApplication>

namespace quillon::ui {

TFMain* FMain = nullptr;
TFAbout* FAbout = nullptr;
TFMessages* FMessages = nullptr;
TFOutFolder* FOutFolder = nullptr;
TFHelpError* FHelpError = nullptr;

void CreateForms() {
    FMain = new TFMain();
    // The dialogs belong to the main window, so they are centred on it and go with it.
    FAbout = new TFAbout(FMain);
    FMessages = new TFMessages(FMain);
    FOutFolder = new TFOutFolder(FMain);
    FHelpError = new TFHelpError(FMain);
}

void DestroyForms() {
    delete FMain;
    FMain = nullptr;
    FAbout = nullptr;
    FMessages = nullptr;
    FOutFolder = nullptr;
    FHelpError = nullptr;
}

} // namespace quillon::ui
