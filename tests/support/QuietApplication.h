#pragma once
// A benchmark's widget application: offscreen, and without the platform's notes (it notes
// every size-hint change of a label).

#include "support/TestApplication.h"

#include <QApplication>

namespace quillon::test {

inline void QuietOffscreenApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    TestApplication<QApplication>();
}

} // namespace quillon::test
