#pragma once
// Keyboard focus: which object (button, clip, text field) holds it, whether the yellow
// rectangle shows around it, and the tab order the Tab key walks. Both script
// interpreters reach it through DisplayHost; the drawing side only reads the rectangle.

#include "player/engine/display/DisplayHost.h"

#include <functional>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

namespace quillon::engine {

// What scripts set on an object that decides its place in the tab order.
struct TabTraits {
    std::optional<bool> tabEnabled;  // unset: buttons and input fields tab, clips do not
    std::optional<double> tabIndex;  // unset or not a number: no index
    std::optional<bool> tabChildren; // unset: the children of a clip tab
    bool buttonHandlers = false;     // a clip with onPress, onRelease and the like
};
using TabTraitsOf = std::function<TabTraits(ClipId)>;

// One object that can take the focus by the Tab key, with its stage bounds (twips).
struct TabCandidate {
    ClipId clip = 0;
    ClipBounds bounds;
    std::optional<double> tabIndex;
};

// The objects the Tab key walks, in its order: every candidate by its index when any
// has one (those without are left out), else by position, top to bottom and left to
// right; ties keep the display list's order.
std::vector<ClipId> OrderTabs(std::vector<TabCandidate> candidates);

// The candidates on the display list below top: visible objects (with visible parents)
// that tab by their kind or their traits, and the children of clips whose tabChildren
// is not false. At most maxCandidates are gathered.
std::vector<TabCandidate> GatherTabs(DisplayHost& host, ClipId top, const TabTraitsOf& traits,
                                     std::size_t maxCandidates = 10000);

// The object after current in order (before it when backward), going round; the
// first (last) when current is not in it; 0 when order is empty.
ClipId NextTab(const std::vector<ClipId>& order, ClipId current, bool backward);

// The focus itself.
class FocusState {
public:
    ClipId focused() const { return focused_; }
    // Moves the focus (0: none); highlight shows the rectangle (the keyboard moved it, or
    // a script did). Whether the settings let it show is decided now, as the player
    // draws it once per move: settings changed later leave it (see refreshRectangle).
    // False when nothing changed.
    bool set(ClipId clip, bool highlight);
    bool highlighted() const { return focused_ != 0 && highlight_; }
    void hideHighlight() { highlight_ = false; }

    // The rectangle: on for the whole movie unless a script turns it off, and per object
    // when a script sets it there (unset: the movie's setting holds).
    bool rectangleOn() const { return rectangle_; }
    void setRectangleOn(bool on) { rectangle_ = on; }
    void setObjectRectangle(ClipId clip, std::optional<bool> on);
    std::optional<bool> objectRectangle(ClipId clip) const;
    // Whether the rectangle shows now around the focused object.
    bool showsRectangle() const { return highlighted() && shown_; }
    // Decides again from the settings as they are now whether the rectangle shows.
    void refreshRectangle() { shown_ = objectRectangle(focused_).value_or(rectangle_); }

    // Text selection in the focused field: characters [begin, end), the caret at end.
    int selectionBegin = 0, selectionEnd = 0;
    // The keys down now and the last one pressed (Key.getCode, Key.isDown).
    std::set<int> keysDown;
    int lastKey = 0;

private:
    ClipId focused_ = 0;
    bool highlight_ = false;
    bool shown_ = false; // the settings let the rectangle show at the last move
    bool rectangle_ = true;
    std::unordered_map<ClipId, bool> objectRectangles_;
};

// The player's focus rectangle: its colour (0xRRGGBB) and line width in twips, drawn
// inside the object's bounds.
inline constexpr std::uint32_t FocusRectColor = 0xffff00;
inline constexpr double FocusRectWidthTwips = 60;

} // namespace quillon::engine
