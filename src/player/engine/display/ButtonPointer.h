#pragma once
// The pointer over the movie and the button it rolls over. The window keeps button
// presses from the movie, so a button is either idle or over: each move (and each
// frame, as the display list changes under a still pointer) hit-tests the buttons'
// hit areas, and a change of button shows its over or up state and reports the
// roll-over and roll-out for the sounds and scripts to follow.

#include "player/engine/display/DisplayList.h"

#include <QPointF>
#include <memory>
#include <optional>
#include <vector>

namespace quillon::engine {

// A button rolled over (entered) or out of, with the clip whose scripts its actions run in.
struct ButtonRoll {
    std::uint16_t buttonId = 0;
    bool entered = false;
    std::shared_ptr<ButtonCharacter> button;
    std::weak_ptr<Clip> parent;
};

class ButtonPointer {
public:
    explicit ButtonPointer(ClipRunner& runner) : runner_(runner) {}

    // The pointer at a point of the movie (twips), or gone from it.
    std::vector<ButtonRoll> moveTo(std::optional<QPointF> point);
    // The display list changed: the same point, hit-tested again.
    std::vector<ButtonRoll> refresh() { return moveTo(point_); }
    // The button under the pointer (its character id), 0 for none.
    std::uint16_t overButton() const { return over_.lock() ? overId_ : 0; }
    // Where the pointer is on the stage (twips); none when it is off the movie.
    std::optional<QPointF> point() const { return point_; }

private:
    struct Hit {
        Clip* parent = nullptr;
        int depth = 0;
    };
    std::optional<Hit> hitTest(Clip& clip, const QTransform& parent, int nesting) const;
    static bool inHitArea(const Instance& instance, const QTransform& m, QPointF point,
                          const Dictionary& dictionary);
    static Instance* placedButton(Clip& clip);
    ButtonRoll roll(Clip* parent, Instance& instance, bool entered);

    ClipRunner& runner_;
    std::optional<QPointF> point_;
    std::weak_ptr<Clip> over_; // the clip of the button under the pointer
    std::uint16_t overId_ = 0;
};

} // namespace quillon::engine
