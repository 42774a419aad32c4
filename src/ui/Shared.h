#pragma once
// The single-file workflow's shared values and the folder the program keeps its own
// files in.

#include "settings/AppPaths.h"

#include <QString>
#include <string>

namespace quillon {

extern std::string SourceFileName; // the movie single-file mode works on
extern std::string TargetFileName; // what the last Compress or Decompress wrote
extern double ZoomFactor;          // the preview's magnification

namespace ui {
// The executable's folder, with a trailing "/": in portable mode config.ini, Lang.ini,
// the help documents and the scratch files live there.
QString ExeFolder();
// Where the program's own files live, decided once at the first call (or the test's
// folder, portable, while one is set).
const AppPaths& Paths();
// Where config.ini lives.
std::string ProgramConfigPath();
// Tests put the program's files in a folder of their own; empty: the executable's.
void SetExeFolder(const QString& folder);
} // namespace ui

} // namespace quillon
