#include "Commands.h"
namespace quillon::cli {
int RunInfoCommand(const Args&) { throw UsageError{"not yet"}; }
} // namespace quillon::cli
