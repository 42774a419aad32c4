#pragma once
// The progress line of a long run: files done of the total, the rate and the time left,
// redrawn in place on standard error. Only a terminal sees it, and only once the run has
// taken a moment, so piped output and quick runs stay exactly as they were.

#include <chrono>
#include <cstddef>

namespace quillon::cli {

class ProgressLine {
public:
    ProgressLine(std::size_t total, bool quiet);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // One more file finished; redraws the line now and then.
    void fileDone();
    // Removes the line, so that a message can be written on a clean line.
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    bool shown_ = false;
    std::size_t total_;
    std::size_t done_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDrawn_ = start_;
};

} // namespace quillon::cli
