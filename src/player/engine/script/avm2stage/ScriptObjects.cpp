// Display objects made by scripts on the engine's display list: each one that joins a
// parent with a clip gets a clip of its own; its properties, text and drawing move onto
// the clip while it has one and back onto its record when it leaves.

#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Script-made trees deeper than this get no clips below.
constexpr int MaxRealizeNesting = 64;
// Depths script children are parked at while their parent's depths are redone.
constexpr int ParkingDepth = 2000000000;
// Parents with more children than this keep the depths their children got on arrival.
constexpr std::size_t MaxReorderedChildren = 4096;

struct Mirrored {
    ClipProperty property;
    double DisplayRecord::*field;
    double scale;
};
constexpr Mirrored MirroredProperties[] = {
    {ClipProperty::X, &DisplayRecord::x, 1},
    {ClipProperty::Y, &DisplayRecord::y, 1},
    {ClipProperty::XScale, &DisplayRecord::scaleX, 100},
    {ClipProperty::YScale, &DisplayRecord::scaleY, 100},
    {ClipProperty::Rotation, &DisplayRecord::rotation, 1},
    {ClipProperty::Alpha, &DisplayRecord::alpha, 100},
};

void PushState(StageState& state, DisplayRecord& r) {
    for (const Mirrored& m : MirroredProperties) {
        state.host.setProperty(r.clip, m.property, r.*m.field * m.scale);
    }
    state.host.setProperty(r.clip, ClipProperty::Visible, r.visible ? 1 : 0);
    if (const auto* k = r.keptLinear()) {
        state.host.setMatrix(r.clip,
                             {k->a, k->b, k->c, k->d, r.x * TwipsPerPixel, r.y * TwipsPerPixel});
    }
    if (r.color) {
        ClipColor color = *r.color;
        color.multiply[3] = r.alpha; // alpha may have changed since
        state.host.setColor(r.clip, color);
    }
    EditField* field = r.textField && r.field ? state.host.textField(r.clip) : nullptr;
    if (field) {
        const FontSource fonts = field->fonts; // the clip's movie has the fonts
        *field = *r.field;
        field->fonts = fonts;
    }
    if (r.graphics) {
        for (const DrawCommand& c : state.graphics[r.graphics].commands) {
            state.host.draw(r.clip, c);
        }
    }
}

void PullState(StageState& state, DisplayRecord& r) {
    for (const Mirrored& m : MirroredProperties) {
        r.*m.field = state.host.property(r.clip, m.property) / m.scale;
    }
    r.visible = state.host.property(r.clip, ClipProperty::Visible) != 0;
    r.color = state.host.color(r.clip);
    const DrawMatrix m = state.host.matrix(r.clip);
    r.linear = DisplayRecord::Linear{m[0], m[1], m[2], m[3], r.scaleX, r.scaleY, r.rotation};
    if (const EditField* field = r.textField ? state.host.textField(r.clip) : nullptr) {
        r.field = std::make_shared<EditField>(*field);
    }
}

// The clip a parent's children go in: the stage has none of its own, so what a script
// puts on the stage lies on the main timeline, above its content.
ClipId ClipForChildren(StageState& state, Object* parent) {
    if (parent && parent == state.stage) {
        return state.host.root();
    }
    return parent ? state.displays[parent].clip : 0;
}

void RealizeAt(Vm& vm, Object* child, int nesting) {
    StageState& state = StateOf(vm);
    DisplayRecord& r = state.displays[child];
    const ClipId parentClip = ClipForChildren(state, r.parent);
    if (r.symbol && r.clip && parentClip && state.host.parent(r.clip) != parentClip) {
        // a symbol's clip comes in from off the list with all it holds
        state.host.moveClip(r.clip, parentClip, state.host.nextHighestDepth(parentClip));
        return;
    }
    if (r.clip || !parentClip || nesting > MaxRealizeNesting) {
        return;
    }
    const int depth = state.host.nextHighestDepth(parentClip);
    const ClipId clip =
        r.textField ? state.host.createText(parentClip, r.name, depth, ClipBounds{0, 0, 2000, 2000})
        : r.video   ? state.host.createVideo(parentClip, r.name, depth, r.video)
                    : state.host.createEmpty(parentClip, r.name, depth);
    if (!clip) {
        return;
    }
    r.clip = clip;
    state.objectsByClip[clip] = child;
    if (r.movie && !state.host.playMovie(clip, *r.movie)) {
        state.warning("a loaded movie nests too deep to be shown");
    }
    PushState(state, r);
    PushLook(vm, child);
    const std::vector<Object*> children = r.children;
    for (Object* kid : children) {
        RealizeAt(vm, kid, nesting + 1);
    }
}

// Takes the state of a subtree back onto its records; the clips are forgotten.
void Forget(StageState& state, Object* o, int nesting) {
    DisplayRecord& r = state.displays[o];
    if (!r.clip || nesting > MaxRealizeNesting) {
        return;
    }
    if (r.symbol) {
        // it keeps its clip, and its timeline, off the list
        state.host.moveClip(r.clip, 0, 0);
        return;
    }
    PullState(state, r);
    for (Object* kid : r.children) {
        Forget(state, kid, nesting + 1);
    }
    state.objectsByClip.erase(r.clip);
    r.clip = 0;
}

} // namespace

void Realize(Vm& vm, Object* child) {
    RealizeAt(vm, child, 0);
}

void Unrealize(Vm& vm, Object* child) {
    StageState& state = StateOf(vm);
    DisplayRecord& r = state.displays[child];
    if (!r.clip || r.fromTimeline) {
        return;
    }
    if (r.symbol) {
        state.host.moveClip(r.clip, 0, 0);
        return;
    }
    const ClipId clip = r.clip;
    Forget(state, child, 0);
    state.host.remove(clip);
}

namespace {

void WithdrawAt(StageState& state, Object* o, int nesting) {
    DisplayRecord& r = state.displays[o];
    if (nesting > MaxRealizeNesting) {
        return;
    }
    r.fromTimeline = false;
    if (r.clip) {
        const ClipId clip = r.clip;
        Forget(state, o, nesting);
        state.host.remove(clip);
        return;
    }
    // a wrapper of the scripts' own whose children stand on the parent's clip
    const std::vector<Object*> children = r.children;
    for (Object* kid : children) {
        WithdrawAt(state, kid, nesting + 1);
    }
}

} // namespace

void Withdraw(Vm& vm, Object* o) {
    WithdrawAt(StateOf(vm), o, 0);
}

void PlaceChildren(Vm& vm, Object* parent) {
    StageState& state = StateOf(vm);
    const std::vector<Object*> children = state.displays[parent].children;
    if (!ClipForChildren(state, parent) || children.size() > MaxReorderedChildren) {
        return;
    }
    const auto scripted = [&](Object* o) {
        const DisplayRecord& r = state.displays[o];
        return r.clip && !r.fromTimeline;
    };
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (scripted(children[i])) {
            state.host.swapDepths(state.displays[children[i]].clip,
                                  ParkingDepth + static_cast<int>(i));
        }
    }
    // Each script child goes just above the child before it, or past every timeline
    // child when none follows; where no depth is free between two timeline children it
    // stays parked above them.
    int below = -16384;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ClipId clip = state.displays[children[i]].clip;
        if (!clip) {
            continue;
        }
        if (!scripted(children[i])) {
            below = state.host.depth(clip);
            continue;
        }
        const bool timelineAfter =
            std::any_of(children.begin() + static_cast<long>(i) + 1, children.end(),
                        [&](Object* o) { return state.displays[o].clip && !scripted(o); });
        const int want = timelineAfter ? below + 1 : std::max(below + 1, 16384);
        if (!state.host.atDepth(state.host.parent(clip), want)) {
            state.host.swapDepths(clip, want);
            below = want;
        }
    }
}

} // namespace quillon::engine::avm2stage
