#include "player/engine/display/ButtonPointer.h"

namespace quillon::engine {

bool ButtonPointer::inHitArea(const Instance& instance, const QTransform& m, QPointF point,
                              const Dictionary& dictionary) {
    const auto* button = static_cast<const ButtonCharacter*>(instance.character.get());
    for (const ButtonRecord& record : button->records) {
        if (!(record.states & ButtonHit)) {
            continue;
        }
        const auto character = dictionary.find(record.characterId, instance.epoch);
        if (character && character->covers(record.matrix * m, 0, point)) {
            return true;
        }
    }
    return false;
}

// The topmost button whose hit area holds the point: later depths lie above, and a
// clip's children above the clip's earlier siblings.
std::optional<ButtonPointer::Hit> ButtonPointer::hitTest(Clip& clip, const QTransform& parent,
                                                         int nesting) const {
    std::optional<Hit> found;
    for (auto& [depth, instance] : clip.list) {
        if (!instance.visible || instance.clipDepth > 0 || !instance.clip) {
            continue;
        }
        const QTransform m = instance.matrix * parent;
        if (dynamic_cast<const ButtonCharacter*>(instance.character.get())) {
            if (inHitArea(instance, m, *point_, runner_.dictionary())) {
                found = Hit{&clip, depth};
            }
        } else if (nesting < MaxClipNesting) {
            if (auto inner = hitTest(*instance.clip, m, nesting + 1)) {
                found = inner;
            }
        }
    }
    return found;
}

// The instance that shows a button clip, if it is still on its parent's list.
Instance* ButtonPointer::placedButton(Clip& clip) {
    auto parent = clip.parent.lock();
    if (!parent) {
        return nullptr;
    }
    auto it = parent->list.find(clip.depth);
    return it != parent->list.end() && it->second.clip.get() == &clip ? &it->second : nullptr;
}

ButtonRoll ButtonPointer::roll(Clip* parent, Instance& instance, bool entered) {
    runner_.showButtonState(instance, entered ? ButtonOver : ButtonUp);
    ButtonRoll out;
    out.buttonId = instance.characterId;
    out.entered = entered;
    out.button = std::dynamic_pointer_cast<ButtonCharacter>(instance.character);
    if (parent) {
        out.parent = parent->weak_from_this();
    }
    return out;
}

std::vector<ButtonRoll> ButtonPointer::moveTo(std::optional<QPointF> point) {
    point_ = point;
    std::optional<Hit> hit;
    if (point_ && runner_.root()) {
        hit = hitTest(*runner_.root(), StageMatrixOf(*runner_.root()), 0);
    }
    const std::shared_ptr<Clip> now = hit ? hit->parent->list.at(hit->depth).clip : nullptr;
    const std::shared_ptr<Clip> before = over_.lock();
    if (now && now == before) {
        return {};
    }
    // Scripts that run as a state's contents leave may change the list: hold on to what
    // was hit and look it up again afterwards.
    const std::shared_ptr<Clip> hitParent = hit ? hit->parent->shared_from_this() : nullptr;
    std::vector<ButtonRoll> rolls;
    if (auto placed = before ? placedButton(*before) : nullptr) {
        rolls.push_back(roll(before->parent.lock().get(), *placed, false));
    }
    over_.reset();
    overId_ = 0;
    if (now) {
        if (auto placed = placedButton(*now); placed && now->parent.lock() == hitParent) {
            over_ = now;
            overId_ = placed->characterId;
            rolls.push_back(roll(hitParent.get(), *placed, true));
        }
    }
    return rolls;
}

} // namespace quillon::engine
