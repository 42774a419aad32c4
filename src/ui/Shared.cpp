#include "Shared.h"

#include <QCoreApplication>

namespace quillon {

std::string SourceFileName;
std::string TargetFileName;
double ZoomFactor = 1.0;

QString ui::ExeFolder() {
    return QCoreApplication::applicationDirPath() + u'/';
}

} // namespace quillon
