#pragma once
// The one application object of a test program, offscreen: made on first use and never
// destroyed, since tearing it down among the exit handlers races Qt's own clean-up.
// Widget tests ask for a QApplication, the others for a QCoreApplication.

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

namespace quillon::test {

template <typename App> App& TestApplication() {
    static int argc = 1;
    static char name[] = "quillon-tests";
    static char* argv[] = {name, nullptr};
    static App* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        auto* created = new App(argc, argv);
        if constexpr (requires { App::setApplicationDisplayName(QString()); }) {
            App::setApplicationDisplayName(QStringLiteral("Quillon"));
        }
        return created;
    }();
    return *app;
}

} // namespace quillon::test
