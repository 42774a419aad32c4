// The program entry: the application, its five windows, the message loop.

#include "ui/Forms.h"
#include "ui/MainWindow.h"
#include "ui/Modal.h"
#include "ui/Shared.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QTimer>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The title of every message box; not set as the display name, which the
    // desktop would append to every window's caption.
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    quillon::ui::ApplyAluminumLook(app);

    quillon::ui::CreateForms();
    using quillon::ui::FMain;
    FMain->show();
    if (FMain->TerminationRequested()) {
        // Without a player there is nothing to run; the settings stay untouched.
        quillon::ui::DestroyForms();
        return 1;
    }
    // A movie named on the command line is opened as if chosen in the open dialog. Its
    // bytes are taken as given (Qt's own options are gone from argv by now), so a name
    // that is not UTF-8 opens too.
    if (argc > 1) {
        const std::string movie = argv[1];
        QTimer::singleShot(0, FMain, [movie] {
            quillon::ui::RunGuarded(FMain, [&movie] {
                quillon::SourceFileName = movie;
                FMain->OpenSWFFile();
            });
        });
    }
    // The screenshot script asks for a picture of the window, a moment after start.
    const QString picture = qEnvironmentVariable("QUILLON_SCREENSHOT");
    if (!picture.isEmpty()) {
        QTimer::singleShot(2000, FMain, [picture] {
            FMain->grab().save(picture, "PNG");
            QApplication::quit();
        });
    }
    const int code = QApplication::exec();
    quillon::ui::DestroyForms();
    return code;
}
