#include "ScanProgress.h"

#include <algorithm>

namespace quillon {

std::int64_t ScanCounter = 0;

int ScanBarPosition(std::int64_t n) {
    std::int64_t quotient = n / 200;
    const std::int64_t remainder = n % 200;
    if (remainder > 100 || (remainder == 100 && quotient % 2 != 0)) {
        ++quotient;
    } else if (remainder < -100 || (remainder == -100 && quotient % 2 != 0)) {
        --quotient;
    }
    return static_cast<int>(std::clamp<std::int64_t>(quotient, 0, 100));
}

int ScanProgress::step(std::int64_t n, std::int64_t& counter) {
    if (position_ > 98) {
        counter = 1;
    }
    position_ = ScanBarPosition(n);
    return position_;
}

} // namespace quillon
