#pragma once
// The batch engine the window and the command-line tool share: every row of a run
// handled as ProcessBatchRow handles it, on any number of threads, with the results of
// one. Rows that touch the same file run one after another in scan order, so the first
// of two rows that want one output name always gets it. Plain C++, no Qt.

#include "BatchRow.h"
#include "Parallel.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quillon {

struct BatchRowJob {
    std::string input;
    std::string target;
};

// A path as the chains compare it: made absolute with its links resolved as far as it
// exists, and its letters folded to one case, since on a case-insensitive mount (vfat,
// exFAT, CIFS) "A.swf" and "a.swf" are one file.
std::string ChainKey(const std::string& path);

// The rows that share an input or output (by ChainKey) grouped into chains, each in
// scan order, the chains ordered by their first row.
Chains BatchChains(const std::vector<BatchRowJob>& rows);

struct BatchRunHooks {
    // Asked on a worker before each row; true leaves that row and the rest unrun.
    std::function<bool()> stopRequested;
    // Called on a worker as a row begins.
    std::function<void(std::size_t row)> rowStarted;
};

// Runs the rows on up to `jobs` threads and calls done(i, result) on the calling thread
// for i = 0, 1, ... in order. A row left unrun by a stop has an empty status.
void RunBatch(const std::vector<BatchRowJob>& rows, const RowTransform& transform, int jobs,
              const BatchRunHooks& hooks,
              const std::function<void(std::size_t, const BatchRowResult&)>& done);

} // namespace quillon
