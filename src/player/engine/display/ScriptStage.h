#pragma once
// The display list as scripts see it: DisplayHost carried out on a ClipRunner's clips.

#include "player/engine/display/DisplayHost.h"
#include "player/engine/display/DisplayList.h"
#include "player/engine/display/Focus.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quillon::engine {

class ScriptStage : public DisplayHost {
public:
    ScriptStage(ClipRunner& runner, const std::map<std::string, std::uint16_t>& exports)
        : runner_(runner), exports_(exports) {}

    ClipId root() override { return 1; }
    bool exists(ClipId clip) override {
        return runner_.resolve(clip).clip || runner_.resolve(clip).instance;
    }
    ClipKind kind(ClipId clip) override;
    ClipId parent(ClipId clip) override;
    ClipId childByName(ClipId clip, const std::string& name, bool caseSensitive) override;
    std::vector<ClipId> children(ClipId clip) override;
    std::vector<ClipId> allChildren(ClipId clip) override;
    std::uint16_t characterId(ClipId clip) override;
    std::vector<std::string> symbolNames(ClipId clip) override;
    std::string name(ClipId clip) override;
    void setName(ClipId clip, const std::string& name) override;
    int depth(ClipId clip) override;
    double property(ClipId clip, ClipProperty which) override;
    void setProperty(ClipId clip, ClipProperty which, double value) override;
    // Sets a property on a placement whose content covers local (its own twips).
    static void setPropertyOf(Instance& instance, const QRectF& local, ClipProperty which,
                              double value);
    void gotoFrame(ClipId clip, int frame, bool play) override;
    int frameOfLabel(ClipId clip, const std::string& label) override;
    std::vector<SceneInfo> scenes(ClipId clip) override;
    void setPlaying(ClipId clip, bool playing) override;
    bool playing(ClipId clip) override;
    ClipId attach(ClipId parent, const std::string& exportName, const std::string& name,
                  int depth) override;
    ClipId duplicate(ClipId clip, const std::string& name, int depth) override;
    ClipId createEmpty(ClipId parent, const std::string& name, int depth) override;
    ClipId createText(ClipId parent, const std::string& name, int depth,
                      const ClipBounds& bounds) override;
    bool remove(ClipId clip) override;
    ClipId createSymbol(std::uint16_t characterId) override;
    bool moveClip(ClipId clip, ClipId parent, int depth) override;
    void swapDepths(ClipId clip, int depth) override;
    int nextHighestDepth(ClipId clip) override;
    ClipId atDepth(ClipId parent, int depth) override;
    ClipBounds bounds(ClipId clip, ClipId space) override;
    void localToGlobal(ClipId clip, double& x, double& y) override;
    void globalToLocal(ClipId clip, double& x, double& y) override;
    bool hitTest(ClipId clip, double x, double y, bool shapeFlag) override;
    DrawMatrix matrix(ClipId clip) override;
    void setMatrix(ClipId clip, const DrawMatrix& matrix) override;
    void setMask(ClipId clip, ClipId mask) override;
    ClipId mask(ClipId clip) override;
    void setScrollRect(ClipId clip, const std::optional<ClipBounds>& rect) override;
    void setOpaqueBackground(ClipId clip, std::optional<std::uint32_t> rgb) override;
    std::optional<std::uint32_t> opaqueBackground(ClipId clip) override;
    std::optional<ClipBounds> scrollRect(ClipId clip) override;
    std::vector<Filter> filters(ClipId clip) override;
    void setFilters(ClipId clip, std::vector<Filter> filters) override;
    int blendMode(ClipId clip) override;
    void setBlendMode(ClipId clip, int mode) override;
    void setCacheAsBitmap(ClipId clip, bool cached) override;
    void setBitmap(ClipId clip, std::shared_ptr<const BitmapPixels> pixels,
                   bool smoothing) override;
    bool paintClip(ClipId clip, BitmapPixels& target, const PaintOptions& options) override;
    std::shared_ptr<BitmapPixels> movieBitmap(std::uint16_t id,
                                              const std::string& exportName) override;
    // Who paints clips onto bitmaps (the drawing side, which this side cannot see): what
    // a placed clip shows under a matrix to the painter's device, with a colour
    // transform and a blend mode.
    using ClipPainter =
        std::function<void(QPainter& painter, const Placed& clip, const QTransform& m,
                           const ColorTransform& cx, int blendMode)>;
    void setClipPainter(ClipPainter painter) { painter_ = std::move(painter); }
    // Where the pointer is on the stage (twips), none when it is off the movie.
    using PointerSource = std::function<std::optional<QPointF>()>;
    void setPointer(PointerSource pointer) { pointer_ = std::move(pointer); }
    bool draw(ClipId clip, const DrawCommand& command) override;
    void clearDrawing(ClipId clip) override;
    ClipBounds drawingBounds(const std::vector<DrawCommand>& drawing) override;
    bool drawingCovers(const std::vector<DrawCommand>& drawing, const DrawMatrix& m, double x,
                       double y) override;
    void copyDrawing(ClipId from, ClipId to) override;
    ClipColor color(ClipId clip) override;
    void setColor(ClipId clip, const ClipColor& color) override;
    EditField* textField(ClipId clip) override;
    FontSource fieldFonts() override;
    std::vector<EmbeddedFont> embeddedFonts() override;
    bool fontHasGlyphs(std::uint16_t font, const std::string& text) override;
    std::vector<ClipId> boundTextFields() override;
    std::vector<std::u16string> staticTextLines(ClipId clip) override;
    std::optional<double> soundLength(const std::string& exportName) override;
    void callFrame(ClipId clip, int frame) override;
    bool loadMovie(ClipId clip, const std::string& url) override;
    ClipId level(int number) override;
    int levelOf(ClipId clip) override;
    bool loadLevel(int number, const std::string& url) override;
    MovieFacts movieFacts(ClipId clip) override;
    ClipId movieRoot(ClipId clip) override;
    std::shared_ptr<const ScriptMovie> readMovie(const std::string& url,
                                                 const std::string* bytes) override;
    bool playMovie(ClipId clip, const ScriptMovie& movie) override;
    std::shared_ptr<const std::vector<std::uint8_t>> binaryData(std::uint16_t id) override {
        const auto it = binaryData_ ? binaryData_->find(id) : BinaryData::const_iterator{};
        return binaryData_ && it != binaryData_->end() ? it->second : nullptr;
    }
    using BinaryData = std::map<std::uint16_t, std::shared_ptr<const std::vector<std::uint8_t>>>;
    void setBinaryData(const BinaryData* data) { binaryData_ = data; }
    // Where loadMovie finds movies: the timeline of the movie at a url, kept alive by
    // owner, or a picture file shown as the clip's only content; neither when there is
    // nothing to load.
    struct LoadedMovie {
        std::shared_ptr<const void> owner;
        const Timeline* timeline = nullptr;
        std::shared_ptr<const BitmapPixels> picture;
        std::shared_ptr<const MovieFacts> facts;
    };
    using MovieLoader = std::function<LoadedMovie(const std::string& url)>;
    void setMovieLoader(MovieLoader loader) { loader_ = std::move(loader); }
    // Where readMovie finds movies.
    using ScriptMovieReader = std::function<std::shared_ptr<const ScriptMovie>(
        const std::string& url, const std::string* bytes)>;
    void setScriptMovieReader(ScriptMovieReader reader) { reader_ = std::move(reader); }
    bool hasSymbol(const std::string& exportName) override;
    ClipId createVideo(ClipId parent, const std::string& name, int depth,
                       std::shared_ptr<VideoScreen> screen) override;
    bool showVideo(ClipId clip, std::shared_ptr<VideoScreen> screen) override;
    std::vector<ButtonPart> buttonParts(ClipId button, std::uint8_t state) override;
    FocusState* focus() override { return &focus_; }

private:
    std::shared_ptr<Clip> clipOf(ClipId id);
    std::vector<ClipId> childrenOf(ClipId clip, bool namedOnly);
    QTransform toStage(ClipId id);
    // Whether a stage point (twips) lies inside the mask a script gave a clip, if any.
    bool maskAllows(const Instance& instance, const QPointF& point);
    // A copy of a drawing for another clip; none when the movie's drawings are full.
    std::shared_ptr<ClipDrawing> copyOf(const std::shared_ptr<ClipDrawing>& drawing);
    void collectBoundFields(Clip& clip, int nesting, std::vector<ClipId>& out);
    // The movie at url, counted against the cap on loaded movies; no timeline when it
    // cannot be loaded.
    LoadedMovie fetch(const std::string& url);
    // The one frame, with nothing in it, of a clip emptied or showing a picture.
    static const Timeline& EmptyTimeline();
    // Puts a movie (or nothing) on a clip in place of what it played; false when the
    // clip is gone or nests too deep.
    bool replaceMovie(ClipId clip, const Timeline* timeline,
                      std::shared_ptr<const MovieFacts> facts,
                      std::shared_ptr<const BitmapPixels> picture);
    Clip* topOf(ClipId clip);
    // A clip's placement, which first takes any sideways move autoSize gave its field;
    // for the main timeline or a level, its own placement on the stage.
    Instance* settled(ClipId clip);
    Instance* placementOf(const Placed& p);
    ClipId placeNew(ClipId parent, int depth, Instance instance, const std::string& name);

    ClipRunner& runner_;
    FocusState focus_;
    MovieLoader loader_;
    ScriptMovieReader reader_;
    const BinaryData* binaryData_ = nullptr;
    std::string rootName_;
    ClipPainter painter_;
    PointerSource pointer_;
    std::vector<std::shared_ptr<const void>> loaded_; // movies loaded into clips
    const std::map<std::string, std::uint16_t>& exports_;
    // The edges of every drawing scripts made, against MaxMovieDrawingEdges.
    std::shared_ptr<std::int64_t> drawingEdges_ = std::make_shared<std::int64_t>(0);
};

} // namespace quillon::engine
