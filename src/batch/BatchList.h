#pragma once
// The list of movies the last folder scan found, and the flags shared by the batch
// commands.

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

// Full paths in the order of the depth-first walk. Written by the scan's worker while a
// scan runs and by UI-thread commands otherwise; the disabled controls keep the two apart.
extern std::vector<std::string> BatchFiles;
extern int BatchFileCount;

// Takes entry row out of BatchFiles; later entries move up. A row the list does not hold
// (the grid and the list disagree after a mode switch or a movie opened from the tree)
// changes nothing.
void RemoveBatchFile(int row);

// Empties BatchFiles.
void ClearBatchFiles();

// Whether the last "Select all" marked the rows. Only "Select all" changes it.
extern bool BatchAllMarked;

} // namespace quillon
