#pragma once
// The pixels scripts make and change (BitmapData in both script languages), and the
// operations on them. Kept premultiplied as the player keeps them, so a pixel read back
// after writing a translucent colour gives the player's rounded values. Every rectangle
// a script gives is cut to the bitmaps it touches. Plain C++ on the outside, so the
// script interpreters use it without Qt; BitmapImage.h gives the drawing its picture.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillon::engine {

// The player's limits: a side of at most 8191 pixels and 16,777,215 pixels in all.
inline constexpr int MaxBitmapSide = 8191;
inline constexpr std::int64_t MaxBitmapPixels = 16777215;

struct PixelPoint {
    int x = 0, y = 0;
};
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A colour transform in the order red, green, blue, alpha: multipliers (1 keeps a
// channel) and offsets added after them (-255 to 255 for the usual range).
struct ChannelTransform {
    double multiply[4] = {1, 1, 1, 1};
    double add[4] = {0, 0, 0, 0};
};

// Channel bits as scripts number them.
enum BitmapChannel : unsigned { Red = 1, Green = 2, Blue = 4, Alpha = 8 };

// The random numbers noise fills with: the minimal standard generator (multiplier 16807,
// modulus 2^31 - 1), so a seed gives the player's pixels.
class NoiseRandom {
public:
    explicit NoiseRandom(int seed);
    std::int64_t next();
    // low + the next number modulo the span up to high; low when high is not above it.
    int between(int low, int high);

private:
    static constexpr std::int64_t Modulus = 2147483647;
    std::int64_t state_ = 1;
};

class BitmapPixels {
public:
    // A bitmap of that size filled with argb (its alpha ignored when not transparent);
    // none when the size is out of the limits or memory runs out.
    static std::shared_ptr<BitmapPixels> make(int width, int height, bool transparent,
                                              std::uint32_t argb);
    ~BitmapPixels();

    int width() const;
    int height() const;
    bool transparent() const { return transparent_; }
    // After drawing onto the picture: an opaque bitmap stays opaque.
    void settle();
    std::shared_ptr<BitmapPixels> clone() const;

    // Unpremultiplied 0xAARRGGBB; 0 outside the bitmap.
    std::uint32_t pixel32(int x, int y) const;
    void setPixel32(int x, int y, std::uint32_t argb);
    // The colour of a pixel kept, its alpha left as it is.
    void setPixel(int x, int y, std::uint32_t rgb);

    void fillRect(const PixelRect& area, std::uint32_t argb);
    // Copies area of source to at; alphaSource (with its own point) supplies the alpha,
    // and merge blends translucent pixels over these instead of replacing them.
    void copyPixels(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                    const BitmapPixels* alphaSource, PixelPoint alphaAt, bool merge);
    void colorTransform(const PixelRect& area, const ChannelTransform& cx);
    void copyChannel(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                     unsigned from, unsigned to);
    void scroll(int dx, int dy);
    // Fills the area of like colour around a pixel; false when the pixel is outside or
    // already has the colour.
    bool floodFill(int x, int y, std::uint32_t argb);
    // The smallest rectangle holding every pixel whose (argb & mask) equals (or with
    // find false differs from) color.
    PixelRect colorBounds(std::uint32_t mask, std::uint32_t color, bool find) const;
    // Pixels of source whose premultiplied (argb & mask) passes operation against
    // threshold become color (others are copied from source with copySource); returns
    // how many passed.
    int threshold(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                  const std::string& operation, std::uint32_t threshold, std::uint32_t color,
                  std::uint32_t mask, bool copySource);
    // Random values low..high in the chosen channels (grey: one value for all three).
    void noise(int seed, int low, int high, unsigned channels, bool grey);
    // How many pixels of the area have each value, red, green, blue and alpha.
    std::array<std::array<double, 256>, 4> histogram(const PixelRect& area) const;
    // Blends source into this by a multiplier per channel (0..256).
    void merge(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
               const std::array<int, 4>& multipliers);

    // Draws source onto this under matrix (a, b, c, d, tx, ty in pixels), with a colour
    // transform, cropped to clip.
    void drawBitmap(const BitmapPixels& source, const std::array<double, 6>& matrix,
                    const ChannelTransform& cx, const std::optional<PixelRect>& clip,
                    bool smoothing);

    struct Picture; // the pixels as the drawing side sees them (BitmapImage.h)
    Picture& picture() { return *picture_; }
    const Picture& picture() const { return *picture_; }

private:
    BitmapPixels(std::unique_ptr<Picture> picture, bool transparent);

    std::unique_ptr<Picture> picture_;
    bool transparent_;
};

// The geometry a script passes (Rectangle, Point, ColorTransform), read through field,
// which gives a named number of the script's object. Whole pixels; numbers past any
// bitmap are held to a range that keeps the arithmetic in bounds.
using ScriptField = std::function<double(const char* name)>;
PixelRect ReadPixelRect(const ScriptField& field);
PixelPoint ReadPixelPoint(const ScriptField& field);
ChannelTransform ReadChannelTransform(const ScriptField& field);

// Premultiplying and back with the player's rounding.
std::uint32_t Premultiply(std::uint32_t argb);
std::uint32_t Unpremultiply(std::uint32_t premultiplied);

} // namespace quillon::engine
