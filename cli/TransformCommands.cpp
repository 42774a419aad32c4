#include "Commands.h"
namespace quillon::cli {
int RunCompressCommand(const Args&) { throw UsageError{"not yet"}; }
int RunDecompressCommand(const Args&) { throw UsageError{"not yet"}; }
int RunEstimateCommand(const Args&) { throw UsageError{"not yet"}; }
} // namespace quillon::cli
