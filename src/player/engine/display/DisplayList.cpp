#include "player/engine/display/DisplayList.h"

#include <algorithm>

namespace quillon::engine {

namespace {

// A script that keeps jumping must not hold the frame forever.
constexpr int MaxActionsPerFrame = 100000;

// A placement sets what it gives and leaves the rest as it was.
template <class T> void Take(T& field, const std::optional<T>& given) {
    if (given) {
        field = *given;
    }
}

int FrameCountOf(const Clip& clip) {
    return clip.timeline ? static_cast<int>(clip.timeline->frames.size()) : 1;
}

// Removed clips whose children stay reachable until the frame's actions are done.
constexpr std::size_t MaxUnloading = 4096;

std::vector<const std::vector<std::uint8_t>*> Matching(const ClipActions& actions,
                                                       std::uint32_t bit) {
    std::vector<const std::vector<std::uint8_t>*> out;
    if (actions) {
        for (const ClipAction& action : *actions) {
            if (action.events & bit) {
                out.push_back(&action.code);
            }
        }
    }
    return out;
}

std::uint32_t BitOf(ClipEvent event) {
    switch (event) {
    case ClipEvent::Construct:
        return EventConstruct;
    case ClipEvent::Initialize:
        return EventInitialize;
    case ClipEvent::Load:
        return EventLoad;
    case ClipEvent::EnterFrame:
        return EventEnterFrame;
    case ClipEvent::Unload:
        return EventUnload;
    }
    return 0;
}

// Whether scripts reach a character's instances, which the player names when the timeline
// gives no name: sprites, buttons, edit fields and videos, not shapes or static text.
bool Scriptable(const Character* c) {
    return dynamic_cast<const SpriteCharacter*>(c) || dynamic_cast<const ButtonCharacter*>(c) ||
           dynamic_cast<const EditTextCharacter*>(c) || dynamic_cast<const VideoCharacter*>(c) ||
           dynamic_cast<const StreamVideoCharacter*>(c);
}

} // namespace

void ClipRunner::warn(const std::string& text) {
    if (warnings_.size() < 100 &&
        std::find(warnings_.begin(), warnings_.end(), text) == warnings_.end()) {
        warnings_.push_back(text);
    }
}

ClipId ClipRunner::idOf(Clip& clip) {
    if (&clip == root_.get()) {
        return 1;
    }
    if (!clip.scriptId) {
        auto parent = clip.parent.lock();
        if (!parent) {
            return 0;
        }
        return idOf(*parent, clip.depth);
    }
    return clip.scriptId;
}

ClipId ClipRunner::idOf(Clip& parent, int depth) {
    auto it = parent.list.find(depth);
    if (it == parent.list.end()) {
        return 0;
    }
    Instance& instance = it->second;
    if (!instance.scriptId) {
        instance.scriptId = nextId_++;
        ids_[instance.scriptId] = Registered{parent.weak_from_this(), depth};
        if (instance.clip) {
            instance.clip->scriptId = instance.scriptId;
        }
    }
    return instance.scriptId;
}

Placed ClipRunner::resolve(ClipId id) {
    if (id == 1) {
        return Placed{nullptr, nullptr, root_.get()};
    }
    for (const auto& [number, level] : levels_) {
        if (level->scriptId == id) {
            return Placed{nullptr, nullptr, level.get()};
        }
    }
    auto it = ids_.find(id);
    if (it == ids_.end()) {
        return {};
    }
    auto parent = it->second.parent.lock();
    if (!parent) {
        ids_.erase(it);
        return {};
    }
    auto found = parent->list.find(it->second.depth);
    if (found == parent->list.end() || found->second.scriptId != id) {
        ids_.erase(it);
        return {};
    }
    if (!attached(*parent)) {
        return {};
    }
    return Placed{parent.get(), &found->second, found->second.clip.get()};
}

bool ClipRunner::attached(const Clip& clip, bool unloading) const {
    const Clip* at = &clip;
    for (int guard = 0; guard <= MaxClipNesting + 1; ++guard) {
        const std::shared_ptr<Clip> parent = at->parent.lock();
        if (!parent) {
            return at == root_.get() || at == offstage_.get() ||
                   std::any_of(levels_.begin(), levels_.end(),
                               [at](const auto& level) { return level.second.get() == at; });
        }
        const auto it = parent->list.find(at->depth);
        const bool placed = it != parent->list.end() && it->second.clip.get() == at;
        if (!placed &&
            (!unloading || std::none_of(unloading_.begin(), unloading_.end(),
                                        [at](const auto& c) { return c.get() == at; }))) {
            return false;
        }
        at = parent.get();
    }
    return false;
}

void ClipRunner::start(const std::shared_ptr<Clip>& clip) {
    clip->list.clear();
    clip->frame = -1;
    gotoFrame(clip, 0);
}

void ClipRunner::queueInitActions(const Frame& frame) {
    for (const InitAction& init : frame.initActions) {
        if (root_ && initDone_.insert(init.spriteId).second) {
            initActions_.push_back(Queued{root_, &init.code, std::nullopt, nullptr});
        }
    }
}

void ClipRunner::gotoFrame(const std::shared_ptr<Clip>& clip, int frame) {
    // past the last frame the playhead stops on it, yet that frame's script does not run
    const bool past = frame > FrameCountOf(*clip) - 1;
    frame = std::clamp(frame, 0, FrameCountOf(*clip) - 1);
    if (frame == clip->frame || !clip->timeline) {
        return;
    }
    const std::size_t position = queue_.size();
    const bool back = frame < clip->frame;
    const int first = back ? 0 : clip->frame + 1;
    for (int f = first; f <= frame; ++f) {
        queueInitActions(clip->timeline->frames[static_cast<std::size_t>(f)]);
    }
    if (!back && first == frame) {
        for (const PlaceCommand& command :
             clip->timeline->frames[static_cast<std::size_t>(frame)].commands) {
            apply(*clip, command, frame);
        }
    } else {
        jump(clip, frame);
    }
    clip->frame = frame;
    // the clip's own script runs before those of the clips it just placed
    const auto& actions = clip->timeline->frames[static_cast<std::size_t>(frame)].actions;
    std::vector<Queued> mine;
    for (std::size_t i = 0; !past && i < actions.size(); ++i) {
        mine.push_back(Queued{clip, &actions[i], std::nullopt, nullptr});
    }
    // an empty range inserted mid-deque would move its elements onto themselves
    if (!mine.empty()) {
        queue_.insert(queue_.begin() + static_cast<long>(std::min(position, queue_.size())),
                      mine.begin(), mine.end());
    }
}

void ClipRunner::tick(const std::shared_ptr<Clip>& clip) {
    std::vector<std::shared_ptr<Clip>> children;
    for (auto& [depth, instance] : clip->list) {
        if (instance.clip && instance.placedInFrame != frameNumber_) {
            children.push_back(instance.clip);
        }
    }
    // the player moves the highest depth on first, as it runs their enterFrame, and the
    // clips a clip held already before the clip itself: their frame scripts run first
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        tick(*it);
    }
    if (clip->playing && FrameCountOf(*clip) > 1 && clip->loadedInFrame != frameNumber_) {
        const int next = clip->frame + 1;
        if (next < FrameCountOf(*clip) || clip->timeline->loops) {
            gotoFrame(clip, next >= FrameCountOf(*clip) ? 0 : next);
        }
    }
}

void ClipRunner::queueEnterFrame(const std::shared_ptr<Clip>& clip) {
    std::vector<std::pair<std::shared_ptr<Clip>, ClipActions>> children;
    for (auto& [depth, instance] : clip->list) {
        if (instance.clip && instance.clip->timeline) {
            children.emplace_back(instance.clip, instance.clipActions);
        }
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        queueEnterFrame(it->first);
        queue_.push_back(Queued{it->first, nullptr, ClipEvent::EnterFrame, it->second});
    }
    if (clip->parent.expired()) { // the main timeline or a level
        queue_.push_back(Queued{clip, nullptr, ClipEvent::EnterFrame, nullptr});
    }
}

void ClipRunner::runItem(Queued& item) {
    auto clip = item.clip.lock();
    if (!clip || !events_) {
        return;
    }
    const ClipId id = idOf(*clip);
    // what a clip waiting for its unload handler holds is reachable, yet runs no more
    if (!id || (!unloading_.empty() && attached(*clip) && !attached(*clip, false))) {
        return;
    }
    if (item.code) {
        events_->runActions(id, *item.code);
    } else if (item.event) {
        events_->clipEvent(id, *item.event, Matching(item.actions, BitOf(*item.event)));
    }
}

void ClipRunner::runQueuedActions() {
    int budget = MaxActionsPerFrame;
    while (budget-- > 0) {
        std::deque<Queued>& from = !initActions_.empty()  ? initActions_
                                   : !initialize_.empty() ? initialize_
                                   : !construct_.empty()  ? construct_
                                                          : queue_;
        if (from.empty()) {
            break;
        }
        Queued item = std::move(from.front());
        from.pop_front();
        runItem(item);
    }
    initActions_.clear();
    initialize_.clear();
    construct_.clear();
    unloading_.clear();
    if (!queue_.empty()) {
        warn("frame actions kept jumping; the rest were dropped");
        queue_.clear();
    }
}

void ClipRunner::runNow(Clip& clip, const std::vector<std::uint8_t>& code) {
    if (events_) {
        if (const ClipId id = idOf(clip)) {
            events_->runActions(id, code);
        }
    }
}

void ClipRunner::unloadEvents(Instance& instance) {
    if (!instance.clip) {
        return;
    }
    // Unload scripts may change the display list, even remove this instance: work from
    // copies and look each child up again.
    const std::shared_ptr<Clip> clip = instance.clip;
    const auto scriptId = instance.scriptId;
    const auto clipActions = instance.clipActions;
    std::vector<int> depths;
    for (const auto& entry : clip->list) {
        depths.push_back(entry.first);
    }
    for (const int depth : depths) {
        if (auto it = clip->list.find(depth); it != clip->list.end()) {
            unloadEvents(it->second);
        }
    }
    if (events_ && scriptId) {
        const auto unloadActions = Matching(clipActions, EventUnload);
        if ((!unloadActions.empty() || events_->handlesUnload(scriptId)) &&
            unloading_.size() < MaxUnloading) {
            unloading_.push_back(clip);
        }
        events_->clipEvent(scriptId, ClipEvent::Unload, unloadActions);
        events_->clipRemoved(scriptId);
    } else if (events_ && clipActions) {
        // reached by no script yet, but it has unload actions of its own
        if (auto parent = clip->parent.lock()) {
            if (const ClipId id = idOf(*parent, clip->depth)) {
                events_->clipEvent(id, ClipEvent::Unload, Matching(clipActions, EventUnload));
                events_->clipRemoved(id);
            }
        }
    }
}

void ClipRunner::removeAt(Clip& clip, int depth) {
    auto it = clip.list.find(depth);
    if (it == clip.list.end()) {
        return;
    }
    if (events_ && !it->second.clip && it->second.scriptId) {
        // A shape or text a script has reached is told it leaves, as a clip is.
        events_->clipRemoved(it->second.scriptId);
    }
    unloadEvents(it->second);
    clip.list.erase(depth);
}

void ClipRunner::moveDepth(Clip& clip, int from, int to) {
    auto a = clip.list.find(from);
    if (a == clip.list.end() || from == to) {
        return;
    }
    auto b = clip.list.find(to);
    // swapped clips belong to the script from now on: the timeline no longer moves them
    a->second.scripted = true;
    if (b != clip.list.end()) {
        b->second.scripted = true;
    }
    Instance moving = std::move(a->second);
    clip.list.erase(a);
    if (b != clip.list.end()) {
        Instance other = std::move(b->second);
        clip.list.erase(b);
        adopt(clip, from, other);
        clip.list.emplace(from, std::move(other));
    }
    adopt(clip, to, moving);
    clip.list.emplace(to, std::move(moving));
}

void ClipRunner::adopt(Clip& parent, int depth, Instance& instance) {
    if (instance.clip) {
        instance.clip->parent = parent.weak_from_this();
        instance.clip->depth = depth;
    }
    if (instance.scriptId) {
        ids_[instance.scriptId] = Registered{parent.weak_from_this(), depth};
    }
}

void ClipRunner::queueLoad(Instance& instance, const Positions& at) {
    if (!instance.clip || !instance.clip->timeline) {
        return;
    }
    const auto insert = [&](std::deque<Queued>& queue, std::size_t position, ClipEvent event) {
        queue.insert(queue.begin() + static_cast<long>(std::min(position, queue.size())),
                     Queued{instance.clip, nullptr, event, instance.clipActions});
    };
    insert(initialize_, at.initialize, ClipEvent::Initialize);
    insert(construct_, at.construct, ClipEvent::Construct);
    insert(queue_, at.queue, ClipEvent::Load);
}

Instance* ClipRunner::place(Clip& clip, int depth, Instance fresh, const std::string& name) {
    removeAt(clip, depth);
    fresh.name = name;
    adopt(clip, depth, fresh);
    auto [it, inserted] = clip.list.emplace(depth, std::move(fresh));
    return &it->second;
}

bool ClipRunner::makeInstance(Instance& instance, std::uint16_t id, std::uint32_t epoch,
                              const Dictionary* from) {
    auto character = (from ? *from : dictionary_).find(id, epoch);
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
        const Positions at = positions();
        start(instance.clip);
        queueLoad(instance, at);
    } else if (auto button = std::dynamic_pointer_cast<ButtonCharacter>(character)) {
        instance.clip = std::make_shared<Clip>();
        instance.clip->frame = 0;
        fillButton(*instance.clip, *button, epoch, ButtonUp, from);
    }
    return true;
}

void ClipRunner::apply(Clip& clip, const PlaceCommand& command, int frame) {
    if (command.remove) {
        removeAt(clip, command.depth);
        return;
    }
    auto it = clip.list.find(command.depth);
    Instance* instance = nullptr;
    if (command.move) {
        if (it == clip.list.end()) {
            return; // nothing to move
        }
        instance = &it->second;
        if (instance->scripted) {
            return; // a script took it over
        }
        if (command.characterId && *command.characterId != instance->characterId) {
            Instance replaced;
            if (makeInstance(replaced, *command.characterId, command.epoch, command.dictionary)) {
                instance->character = replaced.character;
                instance->characterId = replaced.characterId;
                instance->epoch = replaced.epoch;
                instance->clip = replaced.clip;
                instance->placedInFrame = frameNumber_;
                adopt(clip, command.depth, *instance);
            }
        }
    } else {
        if (!command.characterId) {
            return;
        }
        Instance fresh;
        fresh.clipActions = command.clipActions;
        // named before what it holds, as the player counts them
        const Dictionary& from = command.dictionary ? *command.dictionary : dictionary_;
        const std::string name = command.named ? command.name
                                 : Scriptable(from.find(*command.characterId, command.epoch).get())
                                     ? defaultName()
                                     : std::string();
        if (!makeInstance(fresh, *command.characterId, command.epoch, command.dictionary)) {
            return;
        }
        fresh.placedAt = frame;
        instance = place(clip, command.depth, std::move(fresh), name);
    }
    // what a script has set on the clip stays: its matrix and its colours alike
    if (!instance->scriptMoved) {
        Take(instance->matrix, command.matrix);
        Take(instance->colorTransform, command.colorTransform);
    }
    Take(instance->ratio, command.ratio);
    Take(instance->clipDepth, command.clipDepth);
    Take(instance->blendMode, command.blendMode);
    Take(instance->filters, command.filters);
    Take(instance->visible, command.visible);
    Take(instance->cacheAsBitmap, command.cacheAsBitmap);
    if (command.opaqueBackground) {
        const std::uint32_t rgb = *command.opaqueBackground;
        instance->opaqueBackground = qRgb(rgb >> 16 & 0xff, rgb >> 8 & 0xff, rgb & 0xff);
    }
    if (!command.name.empty()) {
        instance->name = command.name;
    }
}

} // namespace quillon::engine

namespace quillon::engine {

QRectF OwnBounds(const Clip& clip) {
    QRectF out = clip.drawing && clip.drawing->edges() > 0 ? clip.drawing->bounds(true) : QRectF();
    if (clip.bitmap) {
        const QRectF pixels(0, 0, clip.bitmap->width() * TwipsPerPixel,
                            clip.bitmap->height() * TwipsPerPixel);
        out = out.isNull() ? pixels : out.united(pixels);
    }
    return out;
}

QTransform StageMatrixOf(const Clip& clip) {
    QTransform m;
    const Clip* c = &clip;
    for (int guard = 0; guard <= MaxClipNesting; ++guard) {
        const std::shared_ptr<Clip> parent = c->parent.lock();
        if (!parent) {
            m = m * c->placement.matrix;
            break;
        }
        const auto it = parent->list.find(c->depth);
        if (it == parent->list.end() || it->second.clip.get() != c) {
            break; // no longer placed where it was
        }
        m = m * it->second.matrix;
        c = parent.get();
    }
    return m;
}

} // namespace quillon::engine
