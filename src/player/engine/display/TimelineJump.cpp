// A jump over several frames of a timeline: the placements of the frames passed are
// folded into one command per depth first, so what appears and goes again in between is
// never made, and going back keeps a clip the target frame would place again alike: the
// same character at the same depth with the same ratio.

#include "player/engine/display/DisplayList.h"

#include <algorithm>

namespace quillon::engine {

namespace {

template <class T> void Overlay(std::optional<T>& field, const std::optional<T>& given) {
    if (given) {
        field = given;
    }
}

// What a later move changes on a folded command.
void Merge(PlaceCommand& into, const PlaceCommand& move) {
    if (move.characterId) {
        into.characterId = move.characterId;
        into.epoch = move.epoch;
        into.dictionary = move.dictionary;
    }
    Overlay(into.matrix, move.matrix);
    Overlay(into.colorTransform, move.colorTransform);
    Overlay(into.ratio, move.ratio);
    Overlay(into.clipDepth, move.clipDepth);
    Overlay(into.blendMode, move.blendMode);
    Overlay(into.filters, move.filters);
    Overlay(into.visible, move.visible);
    if (move.named) {
        into.name = move.name;
        into.named = true;
    }
}

// Whether a placement going back would make again what is there.
bool Alike(const ClipRunner::Folded& f, const Instance& instance) {
    return !f.command.remove && !f.command.move && f.command.characterId == instance.characterId &&
           f.command.ratio.value_or(0) == instance.ratio;
}

} // namespace

std::vector<ClipRunner::Folded> ClipRunner::fold(const Timeline& timeline, int from, int to) {
    std::vector<Folded> out;
    const auto at = [&](int depth) {
        return std::find_if(out.begin(), out.end(),
                            [depth](const Folded& f) { return f.command.depth == depth; });
    };
    for (int f = from; f <= to; ++f) {
        for (const PlaceCommand& command : timeline.frames[static_cast<std::size_t>(f)].commands) {
            auto it = at(command.depth);
            if (command.remove) {
                if (it != out.end()) {
                    out.erase(it);
                }
                Folded gone;
                gone.command = command;
                out.push_back(std::move(gone));
            } else if (command.move) {
                if (it == out.end()) {
                    out.push_back(Folded{command, -1});
                } else if (!it->command.remove) {
                    Merge(it->command, command);
                }
            } else if (command.characterId) {
                if (it != out.end()) {
                    out.erase(it);
                }
                out.push_back(Folded{command, f});
            }
        }
    }
    return out;
}

void ClipRunner::jump(const std::shared_ptr<Clip>& clip, int frame) {
    const bool back = frame < clip->frame;
    const std::vector<Folded> plan = fold(*clip->timeline, back ? 0 : clip->frame + 1, frame);
    if (back) {
        // going back starts over from the first frame: what leaves, leaves from there
        clip->frame = 0;
        // what the timeline placed after the frame, or never placed, goes, and so do
        // scripts' clips left among the timeline's depths
        constexpr int FirstScriptDepth = 16384;
        std::vector<int> leaving;
        for (auto& [depth, instance] : clip->list) {
            if (instance.scripted && depth >= FirstScriptDepth) {
                continue;
            }
            const auto kept = std::find_if(plan.begin(), plan.end(), [&](const Folded& f) {
                return f.command.depth == depth && Alike(f, instance);
            });
            if (kept == plan.end()) {
                leaving.push_back(depth);
            }
        }
        for (const int depth : leaving) {
            removeAt(*clip, depth);
        }
    }
    for (const Folded& step : plan) {
        auto it = clip->list.find(step.command.depth);
        if (back && step.command.remove) {
            continue;
        }
        if (back && it != clip->list.end() && !it->second.scripted && Alike(step, it->second)) {
            PlaceCommand update = step.command;
            update.move = true;
            update.characterId.reset();
            update.named = false; // the clip keeps its name
            update.name.clear();
            apply(*clip, update, step.frame);
            continue;
        }
        apply(*clip, step.command, step.frame);
    }
}

} // namespace quillon::engine
