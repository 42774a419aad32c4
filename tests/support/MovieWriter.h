#pragma once
// Builds movies tag by tag, for tests, benchmarks and the sample movies.
//
//   MovieWriter movie(200, 100);               // stage in pixels, 12 fps
//   ShapeBuilder square;
//   square.setFill1(square.addSolidFill({255, 0, 0}));
//   square.rectangle(0, 0, 400, 400);          // twips
//   const auto id = movie.defineShape(square);
//   movie.place(Place{1, id}.at(100, 100));
//   movie.showFrame();
//   auto bytes = movie.bytes();                // plain movie; compressedBytes() for CWS

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quillon::testing {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty; tx and ty in twips.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1;
    std::int32_t tx = 0, ty = 0;
    static Matrix translate(std::int32_t x, std::int32_t y) { return {1, 0, 0, 1, x, y}; }
    static Matrix scale(double sx, double sy, std::int32_t x = 0, std::int32_t y = 0) {
        return {sx, 0, 0, sy, x, y};
    }
};

// Colour = colour * mult / 256 + add, per channel.
struct ColorXf {
    std::int16_t rm = 256, gm = 256, bm = 256, am = 256;
    std::int16_t ra = 0, ga = 0, ba = 0, aa = 0;
};

// Writes bit fields most significant bit first, and little-endian bytes.
class BitWriter {
public:
    void ub(std::uint32_t value, unsigned bits);
    void sb(std::int32_t value, unsigned bits) { ub(static_cast<std::uint32_t>(value), bits); }
    void align();
    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void bytes(std::span<const std::uint8_t> data);
    void string(const std::string& text); // zero-terminated
    void rect(std::int32_t xmin, std::int32_t xmax, std::int32_t ymin, std::int32_t ymax);
    void matrix(const Matrix& m);
    void colorXf(const ColorXf& cx, bool withAlpha);
    void rgb(const Rgba& c);
    void rgba(const Rgba& c);
    const Bytes& data() const { return data_; }
    Bytes take();

    // Bits a signed value needs, sign included.
    static unsigned SignedBits(std::int64_t value);

private:
    Bytes data_;
    unsigned bitCount_ = 0;
};

// The DefineShape4 extras of a line style (older shapes ignore them).
struct LineFlags {
    int cap = 0;  // 0 round, 1 none, 2 square
    int join = 0; // 0 round, 1 bevel (miter joins are not written)
    bool noHScale = false, noVScale = false;
    bool pixelHinting = false;
};

// A shape: its styles and the outline drawn with them, in twips.
class ShapeBuilder {
public:
    // Each returns the 1-based style index.
    int addSolidFill(Rgba color);
    // interpolation: 0 normal RGB, 1 linear RGB.
    int addLinearGradient(const Matrix& m, std::vector<std::pair<std::uint8_t, Rgba>> stops,
                          int spread = 0, int interpolation = 0);
    int addRadialGradient(const Matrix& m, std::vector<std::pair<std::uint8_t, Rgba>> stops,
                          int spread = 0);
    int addBitmapFill(std::uint16_t bitmapId, const Matrix& m, bool repeat = true,
                      bool smooth = false);
    int addLineStyle(std::uint16_t widthTwips, Rgba color, LineFlags flags = {});

    // Style changes take effect for the edges that follow; 0 means none.
    void setFill0(int index);
    void setFill1(int index);
    void setLine(int index);
    void moveTo(std::int32_t x, std::int32_t y);
    void lineTo(std::int32_t x, std::int32_t y);
    void curveTo(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y);
    // A closed rectangle, clockwise, with the current styles.
    void rectangle(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);

    // The body of DefineShape (version 1..4) with the given character id.
    Bytes body(std::uint16_t id, int version) const;
    // The edges alone, as a font glyph (fill style 1 is the glyph's fill).
    Bytes glyphBody() const;

private:
    void writeRecords(BitWriter& w, std::size_t fillCount, std::size_t lineCount) const;
    struct Fill {
        int type = 0;
        Rgba color;
        Matrix matrix;
        std::vector<std::pair<std::uint8_t, Rgba>> stops;
        int spread = 0;
        std::uint16_t bitmapId = 0;
        int interpolation = 0;
    };
    struct Line {
        std::uint16_t width = 20;
        Rgba color;
        LineFlags flags;
    };
    struct Record {
        enum Kind { Style, Straight, Curve } kind = Style;
        std::optional<std::pair<std::int32_t, std::int32_t>> move;
        std::optional<int> fill0, fill1, line;
        std::int32_t cx = 0, cy = 0, x = 0, y = 0; // absolute
    };
    Record& styleRecord();
    void widen(std::int32_t x, std::int32_t y);

    std::vector<Fill> fills_;
    std::vector<Line> lines_;
    std::vector<Record> records_;
    std::int32_t penX_ = 0, penY_ = 0;
    std::int32_t minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    bool hasBounds_ = false;
};

// How an object is put on the display list (PlaceObject2/3).
struct Place {
    Place() = default;
    Place(int placeDepth, std::optional<std::uint16_t> character)
        : depth(placeDepth), characterId(character) {}

    int depth = 1;
    std::optional<std::uint16_t> characterId;
    bool move = false;
    std::optional<Matrix> matrix;
    std::optional<ColorXf> colorXf;
    std::optional<std::uint16_t> ratio;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::string> name;
    std::optional<std::uint8_t> blendMode; // written as PlaceObject3
    std::optional<Bytes> filters;          // a filter list (see filters::List), PlaceObject3
    std::optional<bool> cacheAsBitmap;     // PlaceObject3
    std::optional<Rgba> opaqueBackground;  // PlaceObject3
    Place& at(std::int32_t x, std::int32_t y) {
        matrix = Matrix::translate(x, y);
        return *this;
    }
};

// Filter records for Place::filters; sizes and distances in pixels, angles in radians.
namespace filters {
struct Shadow {
    Rgba color;
    double blurX = 4, blurY = 4;
    double angle = 0, distance = 0;
    double strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    int passes = 1;
};
struct Bevel {
    Rgba highlight, shadow;
    double blurX = 4, blurY = 4;
    double angle = 0, distance = 4;
    double strength = 1;
    bool inner = true, knockout = false, onTop = false; // inner, outer (!inner) or full (onTop)
    int passes = 1;
};
Bytes Blur(double blurX, double blurY, int passes = 1);
Bytes DropShadow(const Shadow& s);
Bytes Glow(const Shadow& s);
Bytes BevelFilter(const Bevel& b);
// Gradient glow (kind 4) or bevel (kind 7) with a colour ramp of (ratio, colour) stops; the
// other fields as in bevel (highlight and shadow unused).
Bytes GradientFilter(int kind, const std::vector<std::pair<std::uint8_t, Rgba>>& ramp,
                     const Bevel& b);
Bytes List(std::initializer_list<Bytes> records);
} // namespace filters

// Frame actions that need no script engine.
namespace actions {
Bytes Stop();
Bytes Play();
Bytes NextFrame();
Bytes PreviousFrame();
Bytes GotoFrame(std::uint16_t frame); // 0-based
Bytes GotoLabel(const std::string& label);
// Joins actions into one DoAction body (with the end marker).
Bytes Block(std::initializer_list<Bytes> parts);
} // namespace actions

// How a sound is started (the sound info record); positions in samples at 44.1 kHz.
struct SoundInfoSpec {
    bool syncStop = false, noMultiple = false;
    std::optional<std::uint32_t> inPoint, outPoint;
    std::optional<std::uint16_t> loops;
    struct Point {
        std::uint32_t position = 0;
        std::uint16_t left = 32768, right = 32768;
    };
    std::vector<Point> envelope;
    Bytes bytes() const;
};

// The format of a sound: codec number (0 native, 1 ADPCM, 2 MP3, 3 little-endian PCM,
// 4..6 Nellymoser, 11 Speex), rate code (0 5.5, 1 11, 2 22, 3 44 kHz), size, channels.
struct SoundFormatSpec {
    int codec = 3;
    int rateCode = 3;
    bool sixteenBit = true;
    bool stereo = false;
    std::uint8_t byte() const;
};

// A stream of control tags: the main timeline or a sprite's.
class TagStream {
public:
    void tag(int code, std::span<const std::uint8_t> body);
    void place(const Place& place);
    void remove(int depth);
    void showFrame();
    void frameLabel(const std::string& name);
    void doAction(const Bytes& body);
    // Actions run once, before the first frame actions, for the sprite of that id.
    void doInitAction(std::uint16_t spriteId, const Bytes& body);
    // Sound: a start of a defined sound, by id or (StartSound2) by class name; the stream
    // head (SoundStreamHead2; latency for MP3) and one block (for MP3 its sample count and
    // seek samples go before the frames).
    void startSound(std::uint16_t soundId, const SoundInfoSpec& info = {});
    void startSound2(const std::string& className, const SoundInfoSpec& info = {});
    void soundStreamHead(const SoundFormatSpec& format, std::uint16_t samplesPerFrame,
                         std::int16_t latencySeek = 0);
    void soundStreamBlock(const Bytes& data);
    void soundStreamBlockMp3(std::uint16_t sampleCount, std::int16_t seekSamples,
                             const Bytes& frames);
    int frameCount() const { return frames_; }
    const Bytes& tags() const { return tags_.data(); }

private:
    BitWriter tags_;
    int frames_ = 0;
};

// An embedded font with a name, a style and a layout (DefineFont3: 20480 units to the
// em; version 2 writes DefineFont2 with 1024).
struct FontGlyph {
    std::uint16_t code = 0;
    ShapeBuilder outline;
    std::int16_t advance = 0;
};
struct FontSpec {
    std::string name;
    bool bold = false, italic = false;
    int version = 3;
    std::vector<FontGlyph> glyphs;
    std::uint16_t ascent = 0, descent = 0;
    std::int16_t leading = 0;
};

// An edit field (DefineEditText); bounds in twips.
struct EditTextSpec {
    std::int32_t xmin = 0, xmax = 2000, ymin = 0, ymax = 400;
    std::optional<std::uint16_t> fontId;
    std::uint16_t height = 240;
    Rgba color;
    std::string text;
    std::string variable; // the script variable the field follows, if any
    bool html = false, multiline = false, wordWrap = false, useOutlines = true;
    std::uint8_t align = 0; // 0 left, 1 right, 2 centre, 3 justify
    std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    std::int16_t leading = 0;
};

// One record of a button: the states it shows in (1 up, 2 over, 4 down, 8 hit area).
struct ButtonRecordSpec {
    std::uint8_t states = 1;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 1;
    Matrix matrix;
};
// A condition action of DefineButton2 (1 roll over, 2 roll out, 8 release): a DoAction body.
struct ButtonActionSpec {
    std::uint16_t conditions = 0;
    Bytes actions;
};

class MovieWriter : public TagStream {
public:
    MovieWriter(int widthPx, int heightPx, double fps = 12, int version = 10);

    void setBackground(Rgba color);
    // Each define returns the character id it used (ids count up from 1).
    std::uint16_t defineShape(const ShapeBuilder& shape, int version = 3);
    std::uint16_t defineRectangle(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                  Rgba fill);
    // Straight ARGB pixels, row by row.
    std::uint16_t defineBitmap(int width, int height, const std::vector<std::uint32_t>& argb);
    std::uint16_t defineJpeg(const Bytes& jpegData);
    std::uint16_t defineSprite(const TagStream& timeline);
    // A font of glyph outlines (1024 units to the em) and a static text run using it:
    // glyphs are (index, advance in twips), drawn from baseline point (x, y).
    std::uint16_t defineFont(const std::vector<ShapeBuilder>& glyphs);
    std::uint16_t defineText(std::uint16_t fontId, std::uint16_t heightTwips, Rgba color,
                             std::int32_t x, std::int32_t y,
                             const std::vector<std::pair<int, int>>& glyphs);
    std::uint16_t defineFont(const FontSpec& font);
    std::uint16_t defineEditText(const EditTextSpec& field);
    // An event sound of sampleCount samples; MP3 data gets its seek samples in front.
    std::uint16_t defineSound(const SoundFormatSpec& format, std::uint32_t sampleCount,
                              const Bytes& data, std::int16_t mp3SeekSamples = 0);
    // The sounds of a button's four state changes (0 over to up, 1 up to over, 2 over to
    // down, 3 down to over); a sound id of 0 plays nothing.
    void defineButtonSound(std::uint16_t buttonId,
                           const std::vector<std::pair<std::uint16_t, SoundInfoSpec>>& sounds);
    // A DefineButton2 of these records and condition actions.
    std::uint16_t defineButton2(const std::vector<ButtonRecordSpec>& records,
                                const std::vector<ButtonActionSpec>& actions = {});
    // ExportAssets of one character under a name.
    void exportAsset(std::uint16_t id, const std::string& name);
    std::uint16_t nextId() const { return nextId_; }
    // Reserves an id for definitions written with tag() directly.
    std::uint16_t takeId() { return nextId_++; }

    // A frame count for the header other than the real one (real files get it wrong).
    void setHeaderFrameCount(std::uint16_t count) { headerFrames_ = count; }
    // The stage in twips, for sizes that are no whole number of pixels.
    void setStageTwips(std::int32_t width, std::int32_t height) {
        widthTwips_ = width;
        heightTwips_ = height;
    }
    // Leaves the End tag out, as damaged movies do.
    void leaveOutEndTag() { endTag_ = false; }

    // The plain movie with an End tag appended.
    Bytes bytes() const;
    // The same movie zlib-compressed (CWS).
    Bytes compressedBytes() const;

private:
    std::int32_t widthTwips_, heightTwips_;
    double fps_;
    bool endTag_ = true;
    int version_;
    std::uint16_t nextId_ = 1;
    std::optional<std::uint16_t> headerFrames_;
};

// A baseline JPEG of straight RGB pixels (0xRRGGBB), for bitmap tags.
Bytes EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& rgb, int quality = 90);

// A small valid movie: coloured shapes that move across the stage over the frames
// (a red square, a blue circle, a green bar), on a white background.
Bytes MakeShapesMovie(int widthPx = 200, int heightPx = 150, double fps = 12, int frames = 4);

} // namespace quillon::testing
