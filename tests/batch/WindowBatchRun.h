#pragma once
// A batch run carried out from the window, as a user does it: the folder picked in the
// tree and dropped on the grid, every row marked, then the run; the rows' statuses
// counted afterwards. The stress test and the stress bench share it.

#include "BatchTestWindow.h"

#include <QMap>
#include <QString>

namespace quillon::test {

struct WindowRunResult {
    int rows = 0;             // rows the scan listed
    int withoutStatus = 0;    // rows the run left without one of its statuses
    QMap<QString, int> count; // rows per status
    double scanSeconds = 0;
    double runSeconds = 0;
};

// Scans folder and runs compress (or decompress) over every row into outputFolder.
WindowRunResult RunBatchFromWindow(BatchTestWindow& window, const QString& folder,
                                   const QString& outputFolder, bool compress);

} // namespace quillon::test
