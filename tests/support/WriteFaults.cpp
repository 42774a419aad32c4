#include "WriteFaults.h"

#include <mutex>

namespace quillon {

namespace {

std::mutex hookMutex;
WriteFaultHook faultHook;

} // namespace

void SetWriteFaultHook(WriteFaultHook hook) {
    std::lock_guard lock(hookMutex);
    faultHook = std::move(hook);
}

int InjectedWriteFault(WriteStep step) {
    std::lock_guard lock(hookMutex);
    return faultHook ? faultHook(step) : 0;
}

} // namespace quillon
