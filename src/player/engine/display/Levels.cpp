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

const std::shared_ptr<Clip>& ClipRunner::offstage() {
    if (!offstage_) {
        offstage_ = std::make_shared<Clip>();
        offstage_->frame = 0;
    }
    return offstage_;
}

bool ClipRunner::moveInstance(ClipId id, Clip& to, int depth) {
    const Placed p = resolve(id);
    const auto registered = ids_.find(id);
    if (!p.instance || !p.parent || registered == ids_.end()) {
        return false;
    }
    const Clip* at = &to;
    for (int guard = 0; at; ++guard) {
        if (at == p.clip || guard > MaxClipNesting) {
            return false; // a clip cannot go inside itself
        }
        at = at->parent.lock().get();
    }
    const int from = registered->second.depth;
    if (p.parent == &to && from == depth) {
        return true;
    }
    removeAt(to, depth);
    Instance moving = std::move(*p.instance);
    p.parent->list.erase(from);
    moving.scripted = true;
    adopt(to, depth, moving);
    to.list.emplace(depth, std::move(moving));
    return true;
}

std::vector<std::shared_ptr<Clip>> ClipRunner::tops() const {
    std::vector<std::shared_ptr<Clip>> out{root_};
    for (const auto& [number, level] : levels_) {
        out.push_back(level);
    }
    return out;
}

} // namespace quillon::engine
