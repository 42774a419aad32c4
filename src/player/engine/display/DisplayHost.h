#pragma once
// The one way scripts reach the display list. The script interpreter knows clips only
// by their ids; the display side implements this interface and keeps the clips.

#include "player/engine/characters/BitmapPixels.h"
#include "player/engine/characters/EditField.h"
#include "player/engine/characters/Records.h"
#include "player/engine/display/DrawCommand.h"
#include "player/engine/video/VideoScreen.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillon::engine {

class FocusState;
struct Timeline;
using ClipId = std::uint64_t; // 0: no clip

// The properties that GetProperty/SetProperty number, in the format's order.
enum class ClipProperty : int {
    X = 0,
    Y,
    XScale,
    YScale,
    CurrentFrame,
    TotalFrames,
    Alpha,
    Visible,
    Width,
    Height,
    Rotation,
    Target,
    FramesLoaded,
    Name,
    DropTarget,
    Url,
    HighQuality,
    FocusRect,
    SoundBufTime,
    Quality,
    XMouse,
    YMouse,
};
inline constexpr int ClipPropertyCount = 22;

enum class ClipKind { Sprite, Button, Text, Video, Other };

struct ClipBounds {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0; // twips
};

// The movie a clip's timeline came from: the main movie or one a script loaded.
struct MovieFacts {
    std::string url;
    std::size_t bytes = 0;     // the movie's declared (uncompressed) length
    std::size_t fileBytes = 0; // the size of its file, as it was read
    int version = 0;
};

// A movie a script read for itself (ActionScript 3's Loader): what the script learns of
// it, and the timeline a clip plays, kept alive by owner.
struct ScriptMovie {
    std::shared_ptr<const void> owner;
    const Timeline* timeline = nullptr;
    std::shared_ptr<const MovieFacts> facts;
    bool actionScript3 = false;
    double width = 0, height = 0, frameRate = 0; // pixels, frames a second
    // Its DoABC and DoABC2 tags (code, body) in tag order, the bodies held by owner, and
    // its SymbolClass bindings (character id -> class name; 0 is its main timeline).
    std::vector<std::pair<std::uint16_t, std::span<const std::uint8_t>>> abcBlocks;
    std::map<std::uint16_t, std::string> symbolClasses;
};

// A scene of a timeline and the labels in it (frames count from 0 on the whole timeline).
struct FrameLabelInfo {
    std::string name;
    int frame = 0;
};
struct SceneInfo {
    std::string name;
    int offset = 0;
    int frames = 0;
    std::vector<FrameLabelInfo> labels;
};

// A clip's colour transform.
using ClipColor = ChannelTransform;

struct EmbeddedFont {
    std::uint16_t id = 0;
    std::string name;
    bool bold = false, italic = false;
};

// One record of a placed button's state, as the movie defines it: what a script sees of
// a state that is not on show.
struct ButtonPart {
    std::uint16_t characterId = 0;
    int depth = 0;
    ClipKind kind = ClipKind::Other;
    DrawMatrix matrix = IdentityDrawMatrix; // its offset in twips
    std::shared_ptr<EditField> field;       // a text's own model
};

class DisplayHost {
public:
    virtual ~DisplayHost() = default;

    virtual ClipId root() = 0;
    virtual bool exists(ClipId clip) = 0;
    virtual ClipKind kind(ClipId clip) = 0;
    virtual ClipId parent(ClipId clip) = 0;
    virtual ClipId childByName(ClipId clip, const std::string& name, bool caseSensitive) = 0;
    // Named children in depth order (for enumeration).
    virtual std::vector<ClipId> children(ClipId clip) = 0;
    // Every child in depth order, named or not: ActionScript 3's child list.
    virtual std::vector<ClipId> allChildren(ClipId clip) = 0;
    // The character a clip was placed from; 0 for one a script made.
    virtual std::uint16_t characterId(ClipId clip) = 0;
    // The names (lower-cased) the movie exports the clip's symbol under; none for a clip
    // a script made or one from another movie.
    virtual std::vector<std::string> symbolNames(ClipId clip) = 0;
    virtual std::string name(ClipId clip) = 0;
    virtual void setName(ClipId clip, const std::string& name) = 0;
    virtual int depth(ClipId clip) = 0;

    // Numeric properties (every ClipProperty but Target, Name, DropTarget, Url).
    virtual double property(ClipId clip, ClipProperty which) = 0;
    virtual void setProperty(ClipId clip, ClipProperty which, double value) = 0;

    // Timeline control; frames count from 0.
    virtual void gotoFrame(ClipId clip, int frame, bool play) = 0;
    virtual int frameOfLabel(ClipId clip, const std::string& label) = 0;
    // The scenes of a clip's timeline in order: one "Scene 1" of every frame for a sprite
    // or a movie that names none.
    virtual std::vector<SceneInfo> scenes(ClipId clip) = 0;
    virtual void setPlaying(ClipId clip, bool playing) = 0;
    virtual bool playing(ClipId clip) = 0;

    // Display list changes; each returns the new clip or 0.
    virtual ClipId attach(ClipId parent, const std::string& exportName, const std::string& name,
                          int depth) = 0;
    virtual ClipId duplicate(ClipId clip, const std::string& name, int depth) = 0;
    virtual ClipId createEmpty(ClipId parent, const std::string& name, int depth) = 0;
    virtual ClipId createText(ClipId parent, const std::string& name, int depth,
                              const ClipBounds& bounds) = 0;
    virtual bool remove(ClipId clip) = 0;
    // A clip of a sprite for an object a script made of the class bound to it, held off
    // the display list (it plays on, drawn nowhere); 0 when the character is no sprite.
    virtual ClipId createSymbol(std::uint16_t /*characterId*/) { return 0; }
    // Moves a clip, with its id and what it holds, to a depth of another (parent 0: off the
    // display list); false when there is no such clip or it would go inside itself.
    virtual bool moveClip(ClipId /*clip*/, ClipId /*parent*/, int /*depth*/) { return false; }
    virtual void swapDepths(ClipId clip, int depth) = 0;
    virtual int nextHighestDepth(ClipId clip) = 0;
    virtual ClipId atDepth(ClipId parent, int depth) = 0;

    // Bounds of the clip in the space of another clip (0: its own space).
    virtual ClipBounds bounds(ClipId clip, ClipId space) = 0;
    // A clip's matrix on its parent, its offset in twips.
    virtual DrawMatrix matrix(ClipId clip) = 0;
    virtual void setMatrix(ClipId clip, const DrawMatrix& matrix) = 0;
    // Whether a stage point (twips) falls on what a clip shows: its bounds, or with
    // shapeFlag its filled and stroked areas.
    virtual bool hitTest(ClipId clip, double x, double y, bool shapeFlag) = 0;
    // A point from one clip's space to the stage and back.
    virtual void localToGlobal(ClipId clip, double& x, double& y) = 0;
    virtual void globalToLocal(ClipId clip, double& x, double& y) = 0;

    // The colour transform a clip is placed with (Color, transform.colorTransform).
    virtual ClipColor color(ClipId clip) = 0;
    virtual void setColor(ClipId clip, const ClipColor& color) = 0;

    // A mask scripts set: mask (0: none) crops what clip shows to the mask's shape where
    // the mask stands; a clip masking another is not drawn itself. A mask masks one clip.
    virtual void setMask(ClipId clip, ClipId mask) = 0;
    virtual ClipId mask(ClipId clip) = 0;
    // A rectangle of a clip's own space (twips) that crops it, its corner moved to the
    // clip's origin; none shows it all.
    virtual void setScrollRect(ClipId clip, const std::optional<ClipBounds>& rect) = 0;
    virtual std::optional<ClipBounds> scrollRect(ClipId /*clip*/) { return std::nullopt; }
    // An opaque colour (0xRRGGBB) that fills the clip's bounds beneath it; none: none.
    virtual void setOpaqueBackground(ClipId clip, std::optional<std::uint32_t> rgb) = 0;
    virtual std::optional<std::uint32_t> opaqueBackground(ClipId /*clip*/) { return std::nullopt; }
    // The filters a clip is drawn through and its blend mode (numbered as the file numbers
    // them, 0 as normal): what the timeline placed it with or a script set last.
    virtual std::vector<Filter> filters(ClipId /*clip*/) { return {}; }
    virtual void setFilters(ClipId /*clip*/, std::vector<Filter> /*filters*/) {}
    virtual int blendMode(ClipId /*clip*/) { return 0; }
    virtual void setBlendMode(ClipId /*clip*/, int /*mode*/) {}
    // Whether a clip is drawn as a picture of its own: with its mask drawn so as well, the
    // mask's alpha crops it rather than the mask's outline.
    virtual void setCacheAsBitmap(ClipId /*clip*/, bool /*cached*/) {}

    // Pixels shown on a clip beneath its drawing (a Bitmap, attachBitmap); none: none.
    virtual void setBitmap(ClipId clip, std::shared_ptr<const BitmapPixels> pixels,
                           bool smoothing) = 0;
    // Paints what a clip shows (without its own placement) onto pixels: matrix maps the
    // clip's twips to the pixels' twips, clipArea (pixels) crops; false when it could not.
    struct PaintOptions {
        DrawMatrix matrix = IdentityDrawMatrix;
        ClipColor color;
        int blendMode = 0;
        std::optional<PixelRect> clipArea;
        bool smoothing = false;
    };
    virtual bool paintClip(ClipId clip, BitmapPixels& target, const PaintOptions& options) = 0;
    // A bitmap of the movie (DefineBits*) by character id, or an exported name; none.
    virtual std::shared_ptr<BitmapPixels> movieBitmap(std::uint16_t id,
                                                      const std::string& exportName) = 0;

    // Drawing on a clip beneath its children (a script-made shape is a clip with no
    // children). False when the command was dropped: no such clip, or the drawing is full.
    virtual bool draw(ClipId clip, const DrawCommand& command) = 0;
    virtual void clearDrawing(ClipId clip) = 0;
    // A drawing that is on no clip (an object off the display list): the bounds it
    // covers (empty when nothing), and whether a point falls on it with the matrix m
    // placing it (twips).
    virtual ClipBounds drawingBounds(const std::vector<DrawCommand>& drawing) = 0;
    virtual bool drawingCovers(const std::vector<DrawCommand>& drawing, const DrawMatrix& m,
                               double x, double y) = 0;
    // Replaces what one clip has drawn with a copy of another's drawing.
    virtual void copyDrawing(ClipId from, ClipId to) = 0;

    // A text field's model (text, formats, settings, layout), changed in place; null when
    // the clip is no text field. Valid until the display list next changes.
    virtual EditField* textField(ClipId clip) = 0;
    // The movie's embedded fonts, in the order they are defined, and whether one has a
    // glyph for every character of a text.
    virtual std::vector<EmbeddedFont> embeddedFonts() = 0;
    virtual bool fontHasGlyphs(std::uint16_t font, const std::string& text) = 0;
    // The movie's fonts as a field made by a script looks them up before it is shown.
    virtual FontSource fieldFonts() = 0;
    // Every text field on the display list that follows a variable.
    virtual std::vector<ClipId> boundTextFields() = 0;
    // The characters of the static texts a clip holds, in depth order, one entry a line
    // (a text's records at one height); what a text snapshot reads.
    virtual std::vector<std::u16string> staticTextLines(ClipId /*clip*/) { return {}; }
    // The length in milliseconds of the sound exported under a name; none without one.
    virtual std::optional<double> soundLength(const std::string& /*exportName*/) { return {}; }
    // Replaces what a clip plays with the movie at url (beside the movie or below its
    // folder); an empty url empties the clip. False when nothing could be loaded.
    virtual bool loadMovie(ClipId clip, const std::string& url) = 0;
    // Levels: root() is _level0; a movie loaded into level n > 0 plays above it.
    // level(n) is 0 while that level holds nothing; levelOf gives the level whose tree
    // holds a clip (-1 for none). loadLevel with an empty url unloads the level.
    virtual ClipId level(int number) = 0;
    virtual int levelOf(ClipId clip) = 0;
    virtual bool loadLevel(int number, const std::string& url) = 0;
    // The movie of the nearest clip a movie was loaded into, or the main movie; movieRoot
    // is that clip (a level's root or a clip loaded into).
    virtual MovieFacts movieFacts(ClipId clip) = 0;
    virtual ClipId movieRoot(ClipId clip) = 0;
    // A movie for a script to show: read from a file beside the movie or below its
    // folder (url), or from the bytes given; it counts against the movies a run may
    // load. Nothing when there is no movie there or too many were loaded.
    virtual std::shared_ptr<const ScriptMovie> readMovie(const std::string& /*url*/,
                                                         const std::string* /*bytes*/) {
        return nullptr;
    }
    // Replaces what a clip plays with a movie read so; false when it nests too deep.
    virtual bool playMovie(ClipId /*clip*/, const ScriptMovie& /*movie*/) { return false; }
    // The bytes of the movie's DefineBinaryData of an id; none without one.
    virtual std::shared_ptr<const std::vector<std::uint8_t>> binaryData(std::uint16_t /*id*/) {
        return nullptr;
    }
    // Runs the actions of one frame of a clip's timeline now (the Call action).
    virtual void callFrame(ClipId clip, int frame) = 0;
    // The name of the frame's label, the frame count of a symbol and similar lookups.
    virtual bool hasSymbol(const std::string& exportName) = 0;

    // Video objects that show what a script's stream plays: a new one (ActionScript 3's
    // new Video), or a placed video stream switched over to the screen, whose size it
    // fills in from the stream's definition. 0 or false when there is no such clip.
    virtual ClipId createVideo(ClipId /*parent*/, const std::string& /*name*/, int /*depth*/,
                               std::shared_ptr<VideoScreen> /*screen*/) {
        return 0;
    }
    virtual bool showVideo(ClipId /*clip*/, std::shared_ptr<VideoScreen> /*screen*/) {
        return false;
    }

    // The records of a placed button for one state (ButtonUp, ButtonOver, ButtonDown,
    // ButtonHit) in depth order; none for a clip that is no button.
    virtual std::vector<ButtonPart> buttonParts(ClipId /*button*/, std::uint8_t /*state*/) {
        return {};
    }

    // The keyboard focus and its rectangle (display/Focus.h); null where none is kept.
    virtual FocusState* focus() { return nullptr; }
};

} // namespace quillon::engine
