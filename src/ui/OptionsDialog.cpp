#include "OptionsDialog.h"

namespace quillon::ui {

TFOutFolder::TFOutFolder(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FOutFolder"));
    setWindowTitle(QStringLiteral("Options"));
}

} // namespace quillon::ui
