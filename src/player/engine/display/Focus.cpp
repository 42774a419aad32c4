#include "player/engine/display/Focus.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

// Clips inside clips deeper than this are not searched for tab stops.
constexpr int MaxTabNesting = 64;

bool TabsByKind(DisplayHost& host, ClipId clip, ClipKind kind) {
    if (kind == ClipKind::Button) {
        return true;
    }
    if (kind == ClipKind::Text) {
        const EditField* field = host.textField(clip);
        return field && field->editable;
    }
    return false;
}

void Gather(DisplayHost& host, ClipId parent, const TabTraitsOf& traits, ClipId space,
            std::size_t cap, int nesting, std::vector<TabCandidate>& out) {
    if (nesting > MaxTabNesting) {
        return;
    }
    for (const ClipId child : host.allChildren(parent)) {
        if (out.size() >= cap) {
            return;
        }
        if (host.property(child, ClipProperty::Visible) == 0) {
            continue; // an invisible object hides its children too
        }
        const ClipKind kind = host.kind(child);
        const TabTraits t = traits ? traits(child) : TabTraits{};
        const bool byDefault =
            TabsByKind(host, child, kind) || (kind == ClipKind::Sprite && t.buttonHandlers);
        if (t.tabEnabled.value_or(byDefault)) {
            std::optional<double> index;
            if (t.tabIndex && std::isfinite(*t.tabIndex)) {
                index = t.tabIndex;
            }
            out.push_back({child, host.bounds(child, space), index});
        }
        if (kind == ClipKind::Sprite && t.tabChildren.value_or(true)) {
            Gather(host, child, traits, space, cap, nesting + 1, out);
        }
    }
}

} // namespace

std::vector<ClipId> OrderTabs(std::vector<TabCandidate> candidates) {
    const bool indexed = std::any_of(candidates.begin(), candidates.end(),
                                     [](const TabCandidate& c) { return c.tabIndex.has_value(); });
    if (indexed) {
        std::erase_if(candidates, [](const TabCandidate& c) { return !c.tabIndex; });
        std::stable_sort(
            candidates.begin(), candidates.end(),
            [](const TabCandidate& a, const TabCandidate& b) { return *a.tabIndex < *b.tabIndex; });
    } else {
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const TabCandidate& a, const TabCandidate& b) {
                             if (a.bounds.yMin != b.bounds.yMin) {
                                 return a.bounds.yMin < b.bounds.yMin;
                             }
                             return a.bounds.xMin < b.bounds.xMin;
                         });
    }
    std::vector<ClipId> order;
    order.reserve(candidates.size());
    for (const TabCandidate& c : candidates) {
        order.push_back(c.clip);
    }
    return order;
}

std::vector<TabCandidate> GatherTabs(DisplayHost& host, ClipId top, const TabTraitsOf& traits,
                                     std::size_t maxCandidates) {
    std::vector<TabCandidate> out;
    if (top && host.exists(top) && host.property(top, ClipProperty::Visible) != 0) {
        Gather(host, top, traits, top, maxCandidates, 0, out);
    }
    return out;
}

ClipId NextTab(const std::vector<ClipId>& order, ClipId current, bool backward) {
    if (order.empty()) {
        return 0;
    }
    const auto at = std::find(order.begin(), order.end(), current);
    if (at == order.end()) {
        return backward ? order.back() : order.front();
    }
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const std::ptrdiff_t i = at - order.begin();
    return order[static_cast<std::size_t>((i + (backward ? n - 1 : 1)) % n)];
}

bool FocusState::set(ClipId clip, bool highlight) {
    const bool changed = clip != focused_;
    focused_ = clip;
    highlight_ = clip != 0 && highlight;
    refreshRectangle();
    if (changed) {
        selectionBegin = selectionEnd = 0;
    }
    return changed;
}

void FocusState::setObjectRectangle(ClipId clip, std::optional<bool> on) {
    if (on) {
        objectRectangles_[clip] = *on;
    } else {
        objectRectangles_.erase(clip);
    }
}

std::optional<bool> FocusState::objectRectangle(ClipId clip) const {
    const auto found = objectRectangles_.find(clip);
    return found == objectRectangles_.end() ? std::nullopt : std::optional<bool>(found->second);
}

} // namespace quillon::engine
