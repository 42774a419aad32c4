#include "Progress.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace quillon::cli {

namespace {

constexpr auto FirstShowing = std::chrono::milliseconds(1000);
constexpr auto Refresh = std::chrono::milliseconds(250);

std::string Duration(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    }
    return text;
}

} // namespace

ProgressLine::ProgressLine(std::size_t total, bool quiet)
    : enabled_(!quiet && ::isatty(STDERR_FILENO) == 1), total_(total) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::fileDone() {
    ++done_;
    if (!enabled_) {
        return;
    }
    const auto now = Clock::now();
    if (now - start_ < FirstShowing || (shown_ && now - lastDrawn_ < Refresh)) {
        return;
    }
    lastDrawn_ = now;
    shown_ = true;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = done_ / elapsed;
    const double left = rate > 0 ? (total_ - done_) / rate : 0;
    std::fprintf(stderr, "\r%zu of %zu files, %.0f files/s, %s left\033[K", done_, total_, rate,
                 Duration(left).c_str());
    std::fflush(stderr);
}

void ProgressLine::clear() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

} // namespace quillon::cli
