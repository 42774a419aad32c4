#pragma once
// What the batch workers change in the window. Implemented on the UI thread; a worker
// never calls it directly but has each call carried out there, in order.

#include <QString>
#include <string>

namespace quillon {

class BatchListModel;

enum class BatchControl {
    ModeBatch,
    ModeSingle,
    Tree,
    Compress,
    Clear,
    Select,
    Decompress,
    ContextMenu, // enabled means a right click on the grid opens the menu
    ProgressBar, // enabled means shown
    Wait,        // enabled means shown
};

class BatchControls {
public:
    virtual ~BatchControls() = default;
    virtual void setControlEnabled(BatchControl control, bool enabled) = 0;
    virtual void setWaitText(const QString& text) = 0;
    virtual int progressPosition() const = 0;
    // Clamps to 0..100 and repaints the bar at once.
    virtual void setProgressPosition(int position) = 0;
    // The path of the folder tree's selected item, empty when none.
    virtual std::string selectedFolder() const = 0;
    virtual BatchListModel& grid() = 0;
};

} // namespace quillon
