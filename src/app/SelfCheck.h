#pragma once
// A check of an installed copy without a person at the keyboard: with QUILLON_SELF_CHECK
// naming a target file (".swf" is appended, as the save dialog's answer gets it), the
// program answers its own dialogs, compresses the movie named on its command line into
// that file, asks for help, prints where it found its files,
// then closes its window as a user would (which saves the settings) and ends.

namespace quillon::app {

// Arms the check when QUILLON_SELF_CHECK is set; call after the movie's opening has
// been queued. Returns whether it is armed.
bool StartSelfCheck();

} // namespace quillon::app
