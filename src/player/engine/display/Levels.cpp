// Levels: movies loaded above the main timeline, each a top clip of its own.

#include "player/engine/display/DisplayList.h"

namespace quillon::engine {

void ClipRunner::setLevel(int number, const std::shared_ptr<Clip>& clip) {
    removeLevel(number);
    clip->scriptId = nextId_++;
    levels_[number] = clip;
}

void ClipRunner::removeLevel(int number) {
    const auto it = levels_.find(number);
    if (it == levels_.end()) {
        return;
    }
    const std::shared_ptr<Clip> level = it->second;
    std::vector<int> depths;
    for (const auto& entry : level->list) {
        depths.push_back(entry.first);
    }
    for (const int depth : depths) {
        removeAt(*level, depth);
    }
    levels_.erase(number);
    if (events_) {
        events_->clipRemoved(level->scriptId);
    }
}

std::vector<std::shared_ptr<Clip>> ClipRunner::tops() const {
    std::vector<std::shared_ptr<Clip>> out{root_};
    for (const auto& [number, level] : levels_) {
        out.push_back(level);
    }
    return out;
}

} // namespace quillon::engine
