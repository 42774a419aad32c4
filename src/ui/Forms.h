#pragma once
// The program's five windows, created once at start in a fixed order and reused until
// exit.

namespace quillon::ui {

class TFMain;
class TFAbout;
class TFMessages;
class TFOutFolder;
class TFHelpError;

extern TFMain* FMain;
extern TFAbout* FAbout;
extern TFMessages* FMessages;
extern TFOutFolder* FOutFolder;
extern TFHelpError* FHelpError;

// Creates FMain, FAbout, FMessages, FOutFolder and FHelpError in this order, all
// hidden, and installs the "Disk full!" notice.
void CreateForms();
// Destroys them (the dialogs belong to FMain).
void DestroyForms();

} // namespace quillon::ui
