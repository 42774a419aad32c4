#pragma once
// The one application object of a widget test program. It is never destroyed: tearing it
// down after the libraries' own statics at exit would crash.

#include <QApplication>

namespace quillon::test {

inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "quillon-settings-ui-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* created = new QApplication(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));
        return created;
    }();
    return *app;
}

} // namespace quillon::test
