#include "Shared.h"

#include "settings/ConfigFile.h"

#include <QCoreApplication>
#include <QFile>

namespace quillon {

std::string SourceFileName;
std::string TargetFileName;
double ZoomFactor = 1.0;

namespace {
QString exeFolderOverride;
}

QString ui::ExeFolder() {
    return exeFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath() + u'/'
                                       : exeFolderOverride;
}

void ui::SetExeFolder(const QString& folder) {
    exeFolderOverride = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

std::string ui::ProgramConfigPath() {
    return ConfigPath(QFile::encodeName(ExeFolder()).toStdString());
}

} // namespace quillon
