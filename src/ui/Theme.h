#pragma once
// The program's light metallic look: Fusion with a silver palette, flat menus and a
// small style sheet.

class QApplication;

namespace quillon::ui {

void ApplyAluminumLook(QApplication& app);

} // namespace quillon::ui
