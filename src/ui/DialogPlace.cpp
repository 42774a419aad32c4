#include "DialogPlace.h"

#include <QFileInfo>

namespace quillon::ui {

void DialogPlace::remember(const QString& chosen) {
    if (chosen.isEmpty()) {
        return;
    }
    const QFileInfo info(chosen);
    start_ = keeps_ == Keeps::FolderAndName ? info.absoluteFilePath() : info.absolutePath();
}

} // namespace quillon::ui
