#include "Commands.h"
namespace quillon::cli {
int RunBatchCommand(const Args&) { throw UsageError{"not yet"}; }
} // namespace quillon::cli
