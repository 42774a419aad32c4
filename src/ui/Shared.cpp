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
AppPaths overridePaths;
} // namespace

QString ui::ExeFolder() {
    return exeFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath() + u'/'
                                       : exeFolderOverride;
}

void ui::SetExeFolder(const QString& folder) {
    exeFolderOverride = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
    PathFacts facts;
    facts.programFolder = QFile::encodeName(exeFolderOverride).toStdString();
    overridePaths = DecideAppPaths(facts);
}

const AppPaths& ui::Paths() {
    static const AppPaths decided = PrepareAppPaths(DecideAppPaths(
        GatherPathFacts(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString())));
    return exeFolderOverride.isEmpty() ? decided : overridePaths;
}

std::string ui::ProgramConfigPath() {
    return Paths().configFile();
}

} // namespace quillon
