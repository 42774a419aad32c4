#pragma once
// The "Disk full!" notice. The transforms only report a full disk; the window's commands
// show this when they are told of one.

class QWidget;

namespace quillon::ui {

// A plain message box "Disk full!" over parent; returns once it is closed.
void DiskFullNotice(QWidget* parent);

} // namespace quillon::ui
