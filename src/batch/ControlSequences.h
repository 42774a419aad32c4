#pragma once
// Every order in which the batch commands and workers switch the window's controls, in
// one table: the scan, the runs, Clear and the controller all take theirs from here.

#include "BatchControls.h"

#include <span>

namespace quillon {

struct ControlStep {
    BatchControl control;
    bool enabled;
};

enum class BatchMoment {
    Idle,            // the window's start, before any scan
    ScanStart,       // a folder dropped on the grid (UI thread)
    CompressStart,   // ABatchCompress (UI thread)
    DecompressStart, // ABatchDecompress (UI thread)
    ScanLock,        // a scan's first steps, before it empties the grid
    ScanLockRest,    // ... and after
    RunLock,         // a run's first steps
    ScanHide,        // a scan has walked the tree
    ScanFoundRows,   // ... and listed at least one movie
    ScanUnlock,      // a scan's last steps
    RunEnd,          // a run's last steps
    Clear,           // ABatchClear, before it empties the grid
    Emptied,         // the last row removed
};

std::span<const ControlStep> StepsOf(BatchMoment moment);

// Carries out the moment's steps in order.
void ApplySteps(BatchControls& controls, BatchMoment moment);

} // namespace quillon
