#include "player/engine/display/DisplayList.h"

namespace quillon::engine {

void ClipRunner::fillButton(Clip& clip, const ButtonCharacter& button, std::uint32_t epoch,
                            std::uint8_t state, const Dictionary* from) {
    for (const ButtonRecord& record : button.records) {
        if (!(record.states & state)) {
            continue;
        }
        Instance child;
        child.name = defaultName();
        if (!makeInstance(child, record.characterId, epoch, from)) {
            continue;
        }
        child.matrix = record.matrix;
        child.colorTransform = record.colorTransform;
        child.blendMode = record.blendMode;
        child.filters = record.filters;
        adopt(clip, record.depth, child);
        clip.list[record.depth] = std::move(child);
    }
}

void ClipRunner::showButtonState(Instance& button, std::uint8_t state) {
    auto character = std::dynamic_pointer_cast<ButtonCharacter>(button.character);
    if (!character || !button.clip) {
        return;
    }
    // Work on the clip itself: unload scripts of what leaves may change the list around it.
    const std::shared_ptr<Clip> clip = button.clip;
    const std::uint32_t epoch = button.epoch;
    while (!clip->list.empty()) {
        removeAt(*clip, clip->list.begin()->first);
    }
    fillButton(*clip, *character, epoch, state);
}

} // namespace quillon::engine
