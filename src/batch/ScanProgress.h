#pragma once
// The scan's progress counter and the bar position it drives.

#include <cstdint>

namespace quillon {

// Folders and listing reads counted by every scan since the program started.
extern std::int64_t ScanCounter;

// n / 200 taken to the nearest whole number, halves to the even neighbour.
int ScanBarPosition(std::int64_t n);

// The bar as the scan's worker sees it: it keeps the position it last set, so it never
// has to ask the UI thread while it walks.
class ScanProgress {
public:
    explicit ScanProgress(int barPosition) : position_(barPosition) {}
    // ScanProgressStep for the counter's new value: restarts the counter when the bar
    // stands above 98, then returns the bar's new position (clamped to 0..100).
    int step(std::int64_t n, std::int64_t& counter);
    int position() const { return position_; }

private:
    int position_;
};

} // namespace quillon
