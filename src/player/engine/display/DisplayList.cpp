#include "player/engine/display/DisplayList.h"

#include <algorithm>

namespace quillon::engine {

namespace {

// A script that keeps jumping must not hold the frame forever.
constexpr int MaxActionsPerFrame = 1000;

// A placement sets what it gives and leaves the rest as it was.
template <class T> void Take(T& field, const std::optional<T>& given) {
    if (given) {
        field = *given;
    }
}

int FrameCountOf(const Clip& clip) {
    return clip.timeline ? static_cast<int>(clip.timeline->frames.size()) : 1;
}

} // namespace

void ClipRunner::warn(const std::string& text) {
    if (warnings_.size() < 100 &&
        std::find(warnings_.begin(), warnings_.end(), text) == warnings_.end()) {
        warnings_.push_back(text);
    }
}

void ClipRunner::start(const std::shared_ptr<Clip>& clip) {
    clip->list.clear();
    clip->frame = -1;
    gotoFrame(clip, 0);
}

void ClipRunner::gotoFrame(const std::shared_ptr<Clip>& clip, int frame) {
    frame = std::clamp(frame, 0, FrameCountOf(*clip) - 1);
    if (frame == clip->frame || !clip->timeline) {
        return;
    }
    if (frame < clip->frame) {
        clip->list.clear();
        clip->frame = -1;
    }
    for (int f = clip->frame + 1; f <= frame; ++f) {
        for (const PlaceCommand& command :
             clip->timeline->frames[static_cast<std::size_t>(f)].commands) {
            apply(*clip, command);
        }
    }
    clip->frame = frame;
    for (const auto& code : clip->timeline->frames[static_cast<std::size_t>(frame)].actions) {
        queue_.emplace_back(clip, &code);
    }
}

void ClipRunner::tick(const std::shared_ptr<Clip>& clip) {
    if (clip->playing && FrameCountOf(*clip) > 1) {
        const int next = clip->frame + 1;
        gotoFrame(clip, next >= FrameCountOf(*clip) ? 0 : next);
    }
    for (auto& [depth, instance] : clip->list) {
        if (instance.clip && instance.placedInFrame != frameNumber_) {
            tick(instance.clip);
        }
    }
}

void ClipRunner::runQueuedActions() {
    int budget = MaxActionsPerFrame;
    while (!queue_.empty() && budget-- > 0) {
        auto [weak, code] = queue_.front();
        queue_.pop_front();
        if (auto clip = weak.lock()) {
            if (script_) {
                script_(*this, clip, *code);
            }
        }
    }
    if (!queue_.empty()) {
        warn("frame actions kept jumping; the rest were dropped");
        queue_.clear();
    }
}

bool ClipRunner::makeInstance(Instance& instance, std::uint16_t id, std::uint32_t epoch) {
    auto character = dictionary_.find(id, epoch);
    if (!character) {
        warn("placed character " + std::to_string(id) + " is not defined");
        return false;
    }
    instance.characterId = id;
    instance.epoch = epoch;
    instance.character = character;
    instance.clip.reset();
    instance.placedInFrame = frameNumber_;
    instance.counted = LiveCount();
    if (*liveInstances_ >= MaxLiveInstances || placed_ >= MaxLiveInstances) {
        warn("more than " + std::to_string(MaxLiveInstances) +
             " characters on show or placed in one frame; the rest are not drawn");
        instance.character.reset();
        return true;
    }
    ++placed_;
    instance.counted = LiveCount(liveInstances_);
    if (nesting_ >= MaxClipNesting) {
        warn("clips nested deeper than " + std::to_string(MaxClipNesting) +
             " levels are not drawn");
        instance.character.reset();
        return true;
    }
    struct Nest {
        int& n;
        explicit Nest(int& v) : n(v) { ++n; }
        ~Nest() { --n; }
    } nest(nesting_);
    if (auto sprite = std::dynamic_pointer_cast<SpriteCharacter>(character)) {
        instance.clip = std::make_shared<Clip>();
        instance.clip->timeline = &sprite->timeline;
        start(instance.clip);
    } else if (auto button = std::dynamic_pointer_cast<ButtonCharacter>(character)) {
        instance.clip = std::make_shared<Clip>();
        instance.clip->frame = 0;
        for (const ButtonRecord& record : button->upState) {
            Instance child;
            if (!makeInstance(child, record.characterId, epoch)) {
                continue;
            }
            child.matrix = record.matrix;
            child.colorTransform = record.colorTransform;
            child.blendMode = record.blendMode;
            child.filters = record.filters;
            instance.clip->list[record.depth] = std::move(child);
        }
    }
    return true;
}

void ClipRunner::apply(Clip& clip, const PlaceCommand& command) {
    if (command.remove) {
        clip.list.erase(command.depth);
        return;
    }
    auto it = clip.list.find(command.depth);
    Instance* instance = nullptr;
    if (command.move) {
        if (it == clip.list.end()) {
            return; // nothing to move
        }
        instance = &it->second;
        if (command.characterId && *command.characterId != instance->characterId) {
            Instance replaced;
            if (makeInstance(replaced, *command.characterId, command.epoch)) {
                instance->character = replaced.character;
                instance->characterId = replaced.characterId;
                instance->epoch = replaced.epoch;
                instance->clip = replaced.clip;
                instance->placedInFrame = frameNumber_;
            }
        }
    } else {
        if (!command.characterId) {
            return;
        }
        Instance fresh;
        if (!makeInstance(fresh, *command.characterId, command.epoch)) {
            return;
        }
        clip.list[command.depth] = std::move(fresh);
        instance = &clip.list[command.depth];
    }
    Take(instance->matrix, command.matrix);
    Take(instance->colorTransform, command.colorTransform);
    Take(instance->ratio, command.ratio);
    Take(instance->clipDepth, command.clipDepth);
    Take(instance->blendMode, command.blendMode);
    Take(instance->filters, command.filters);
    Take(instance->visible, command.visible);
    if (!command.name.empty()) {
        instance->name = command.name;
    }
}

} // namespace quillon::engine
