#include "ProgramSettings.h"

namespace quillon {

SettingsValues Settings;

} // namespace quillon
