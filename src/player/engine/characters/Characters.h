#pragma once
// The dictionary: every character a movie defines, by id. An id may be freed and
// defined again, so each definition keeps the position where it was made and a
// lookup names the position it looks from.

#include "player/engine/characters/EditField.h"
#include "player/engine/characters/Records.h"
#include "player/engine/characters/Shape.h"
#include "player/engine/characters/Timeline.h"
#include "player/engine/video/VideoDecoder.h"
#include "player/engine/video/VideoScreen.h"

#include <QImage>
#include <QPainterPath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillon::engine {

struct TextCharacter;
struct EditTextCharacter;

// What characters draw themselves onto. The drawing layer implements it for one placed
// instance (its transform, colour transform and dictionary position), so a character
// says how it is drawn without knowing how the painting is done.
class CharacterCanvas {
public:
    virtual ~CharacterCanvas() = default;
    virtual void drawShape(const Shape& shape) = 0;
    virtual void drawStaticText(const TextCharacter& text) = 0;
    virtual void drawEditText(const EditTextCharacter& text) = 0;
    // A bitmap, one pixel to TwipsPerPixel twips from the origin.
    virtual void drawBitmap(const QImage& image) = 0;
    // A video picture stretched over area (twips).
    virtual void drawVideoFrame(const QImage& picture, const QRectF& area, bool smooth) = 0;
};

// Every definition answers for itself: what it covers, what it masks with, how it is
// drawn. ratio is the morph ratio or the video frame of the placed instance. Sprites and
// buttons cover and draw nothing of their own: their clips do.
struct Character {
    virtual ~Character() = default;
    // The area covered, in the character's twips; null when it draws nothing itself.
    virtual QRectF bounds(int ratio) const;
    // The device area the character masks with when placed as a mask under m.
    virtual QPainterPath maskArea(const QTransform& m, int ratio) const;
    // Whether the device point falls on what the character fills when placed under m.
    virtual bool covers(const QTransform& m, int ratio, const QPointF& point) const;
    virtual void draw(CharacterCanvas& canvas, int ratio) const;
};

struct ShapeCharacter : Character {
    Shape shape;
    QRectF bounds(int ratio) const override;
    QPainterPath maskArea(const QTransform& m, int ratio) const override;
    bool covers(const QTransform& m, int ratio, const QPointF& point) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;
};

struct MorphCharacter : Character {
    QRectF startBounds, endBounds;
    ShapeData start;                 // start styles and records
    std::vector<StyleSet> endStyles; // parallel to start.styleSets
    std::vector<ShapeRecord> endRecords;
    // The shape at one ratio (0..65535), built on demand.
    std::shared_ptr<const Shape> at(int ratio) const;
    QRectF bounds(int ratio) const override;
    QPainterPath maskArea(const QTransform& m, int ratio) const override;
    bool covers(const QTransform& m, int ratio, const QPointF& point) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;

private:
    mutable std::mutex mutex_;
    mutable std::map<int, std::shared_ptr<const Shape>> cache_;
};

struct BitmapCharacter : Character {
    QImage image;        // premultiplied ARGB
    bool opaque = false; // no alpha channel in the movie (JPEG, lossless without alpha)
    QRectF bounds(int ratio) const override;
    QPainterPath maskArea(const QTransform& m, int ratio) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;
};

struct FontCharacter : Character {
    std::string name;
    double emSize = 1024; // glyph units per em: 1024, or 20480 for DefineFont3
    std::vector<QPainterPath> glyphs;
    std::vector<std::uint16_t> codes;
    std::vector<double> advances;
    double ascent = 0, descent = 0, leading = 0;
    bool bold = false, italic = false;
    bool hasLayout = false;
    int glyphFor(std::uint16_t code) const;
};

struct TextRun {
    std::uint16_t fontId = 0;
    QColor color = Qt::black;
    double x = 0, y = 0, height = 240;
    std::vector<std::pair<int, double>> glyphs; // glyph index, advance (twips)
};

struct TextCharacter : Character {
    QRectF area; // the bounds the tag gives
    QTransform matrix;
    std::vector<TextRun> runs;
    QRectF bounds(int ratio) const override;
    // Masks with the device rectangle around its area.
    QPainterPath maskArea(const QTransform& m, int ratio) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;
};

struct EditTextCharacter : Character {
    EditField field; // as the tag sets it up; placed copies change on their own
    QRectF bounds(int ratio) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;
};

// The states a button record is shown in (its flags), and the hit area.
enum ButtonStates : std::uint8_t { ButtonUp = 1, ButtonOver = 2, ButtonDown = 4, ButtonHit = 8 };
// Conditions of DefineButton2's actions: roll over and roll out with no press.
enum ButtonConditions : std::uint16_t { IdleToOverUp = 0x0001, OverUpToIdle = 0x0002 };

struct ButtonRecord {
    std::uint8_t states = 0; // ButtonStates
    std::uint16_t characterId = 0;
    int depth = 0;
    QTransform matrix;
    ColorTransform colorTransform;
    int blendMode = 0;
    std::vector<Filter> filters;
};

struct ButtonAction {
    std::uint16_t conditions = 0; // ButtonConditions and the press conditions
    std::vector<std::uint8_t> code;
};

struct ButtonCharacter : Character {
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
};

struct SpriteCharacter : Character {
    Timeline timeline;
};

struct VideoCharacter : Character {
    int width = 0, height = 0;
    int codec = 0;
    bool smoothing = false;
    int deblocking = 0;
    std::map<int, std::vector<std::uint8_t>> frames; // frame number -> packet
    // The picture of a frame (the latest one at or before it), empty when none decodes.
    // Decoding runs forwards from the last frame asked for, or from the start.
    QImage frame(int number) const;
    QRectF bounds(int ratio) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;

private:
    struct DecodeState {
        std::mutex mutex;
        std::unique_ptr<VideoDecoder> decoder;
        int decoded = -1;
        QImage picture;
    };
    std::shared_ptr<DecodeState> state_ = std::make_shared<DecodeState>();
};

// A Video object that shows a script's stream: the stream's current picture stretched
// over the screen's size.
struct StreamVideoCharacter : Character {
    std::shared_ptr<const VideoScreen> screen;
    QRectF bounds(int ratio) const override;
    void draw(CharacterCanvas& canvas, int ratio) const override;
};

class Dictionary {
public:
    // Adds a definition at the current position.
    void define(std::uint16_t id, std::shared_ptr<Character> character);
    // The position after the last definition: what a tag parsed now sees.
    std::uint32_t epoch() const { return epoch_; }
    // The definition of id as seen from a position, or nullptr.
    std::shared_ptr<Character> find(std::uint16_t id, std::uint32_t epoch) const;
    template <class T> std::shared_ptr<T> findAs(std::uint16_t id, std::uint32_t epoch) const {
        return std::dynamic_pointer_cast<T>(find(id, epoch));
    }
    // The font seen from a position whose name matches (ignoring case) with the closest
    // style: bold and italic as asked first, then bold alone; nullptr when none has the name.
    const FontCharacter* findFont(const std::string& name, bool bold, bool italic,
                                  std::uint32_t epoch) const;
    // The ids of every font defined, in the order they were.
    std::vector<std::uint16_t> fontIds() const;

private:
    std::unordered_map<std::uint16_t,
                       std::vector<std::pair<std::uint32_t, std::shared_ptr<Character>>>>
        entries_;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> fonts_; // when and which ids
    std::uint32_t epoch_ = 0;
};

// The fonts of a dictionary as seen from a position, for laying text out.
FontSource FontsOf(const Dictionary& dictionary, std::uint32_t epoch);

} // namespace quillon::engine
