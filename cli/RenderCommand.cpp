#include "Commands.h"

namespace quillon::cli {

int RunRenderCommand(const Args&) {
    throw UsageError{"render is not available in this build"};
}

} // namespace quillon::cli
