#include "support/MovieWriter.h"

#include "codec/SwfImage.h"
#include "codec/swf/TagCodes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <zlib.h>

namespace quillon::testing {

namespace tags = swf::tags;

// ---- BitWriter

void BitWriter::ub(std::uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
        if (bitCount_ == 0) {
            data_.push_back(0);
            bitCount_ = 8;
        }
        --bitCount_;
        if ((value >> i) & 1u) {
            data_.back() |= static_cast<std::uint8_t>(1u << bitCount_);
        }
    }
}

void BitWriter::align() {
    bitCount_ = 0;
}

void BitWriter::u8(std::uint8_t v) {
    align();
    data_.push_back(v);
}

void BitWriter::u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v & 0xff));
    u8(static_cast<std::uint8_t>(v >> 8));
}

void BitWriter::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v & 0xffff));
    u16(static_cast<std::uint16_t>(v >> 16));
}

void BitWriter::bytes(std::span<const std::uint8_t> d) {
    align();
    data_.insert(data_.end(), d.begin(), d.end());
}

void BitWriter::string(const std::string& text) {
    bytes(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    u8(0);
}

unsigned BitWriter::SignedBits(std::int64_t value) {
    unsigned bits = 1;
    while (value < -(std::int64_t{1} << (bits - 1)) || value >= (std::int64_t{1} << (bits - 1))) {
        ++bits;
    }
    return bits;
}

void BitWriter::rect(std::int32_t xmin, std::int32_t xmax, std::int32_t ymin, std::int32_t ymax) {
    align();
    const unsigned bits =
        std::max({SignedBits(xmin), SignedBits(xmax), SignedBits(ymin), SignedBits(ymax)});
    ub(bits, 5);
    sb(xmin, bits);
    sb(xmax, bits);
    sb(ymin, bits);
    sb(ymax, bits);
    align();
}

void BitWriter::matrix(const Matrix& m) {
    align();
    const auto fixed = [](double v) { return static_cast<std::int32_t>(std::lround(v * 65536)); };
    const bool hasScale = m.a != 1 || m.d != 1;
    ub(hasScale, 1);
    if (hasScale) {
        const unsigned bits = std::max(SignedBits(fixed(m.a)), SignedBits(fixed(m.d)));
        ub(bits, 5);
        sb(fixed(m.a), bits);
        sb(fixed(m.d), bits);
    }
    const bool hasRotate = m.b != 0 || m.c != 0;
    ub(hasRotate, 1);
    if (hasRotate) {
        const unsigned bits = std::max(SignedBits(fixed(m.b)), SignedBits(fixed(m.c)));
        ub(bits, 5);
        sb(fixed(m.b), bits);
        sb(fixed(m.c), bits);
    }
    const unsigned bits = std::max(SignedBits(m.tx), SignedBits(m.ty));
    ub(bits, 5);
    sb(m.tx, bits);
    sb(m.ty, bits);
    align();
}

void BitWriter::colorXf(const ColorXf& cx, bool withAlpha) {
    align();
    ub(1, 1); // has add
    ub(1, 1); // has mult
    unsigned bits = 1;
    for (int v : {cx.rm, cx.gm, cx.bm, cx.am, cx.ra, cx.ga, cx.ba, cx.aa}) {
        bits = std::max(bits, SignedBits(v));
    }
    ub(bits, 4);
    sb(cx.rm, bits);
    sb(cx.gm, bits);
    sb(cx.bm, bits);
    if (withAlpha) {
        sb(cx.am, bits);
    }
    sb(cx.ra, bits);
    sb(cx.ga, bits);
    sb(cx.ba, bits);
    if (withAlpha) {
        sb(cx.aa, bits);
    }
    align();
}

void BitWriter::rgb(const Rgba& c) {
    u8(c.r);
    u8(c.g);
    u8(c.b);
}

void BitWriter::rgba(const Rgba& c) {
    rgb(c);
    u8(c.a);
}

Bytes BitWriter::take() {
    align();
    return std::move(data_);
}

// ---- ShapeBuilder

int ShapeBuilder::addSolidFill(Rgba color) {
    fills_.push_back({0x00, color, {}, {}, 0, 0});
    return static_cast<int>(fills_.size());
}

int ShapeBuilder::addLinearGradient(const Matrix& m,
                                    std::vector<std::pair<std::uint8_t, Rgba>> stops, int spread,
                                    int interpolation) {
    fills_.push_back({0x10, {}, m, std::move(stops), spread, 0, interpolation});
    return static_cast<int>(fills_.size());
}

int ShapeBuilder::addRadialGradient(const Matrix& m,
                                    std::vector<std::pair<std::uint8_t, Rgba>> stops, int spread) {
    fills_.push_back({0x12, {}, m, std::move(stops), spread, 0});
    return static_cast<int>(fills_.size());
}

int ShapeBuilder::addBitmapFill(std::uint16_t bitmapId, const Matrix& m, bool repeat, bool smooth) {
    const int type = 0x40 | (repeat ? 0 : 1) | (smooth ? 0 : 2);
    fills_.push_back({type, {}, m, {}, 0, bitmapId});
    return static_cast<int>(fills_.size());
}

int ShapeBuilder::addLineStyle(std::uint16_t widthTwips, Rgba color, LineFlags flags) {
    lines_.push_back({widthTwips, color, flags});
    return static_cast<int>(lines_.size());
}

ShapeBuilder::Record& ShapeBuilder::styleRecord() {
    if (records_.empty() || records_.back().kind != Record::Style) {
        records_.push_back(Record{});
    }
    return records_.back();
}

void ShapeBuilder::setFill0(int index) {
    styleRecord().fill0 = index;
}
void ShapeBuilder::setFill1(int index) {
    styleRecord().fill1 = index;
}
void ShapeBuilder::setLine(int index) {
    styleRecord().line = index;
}

void ShapeBuilder::widen(std::int32_t x, std::int32_t y) {
    if (!hasBounds_) {
        minX_ = maxX_ = x;
        minY_ = maxY_ = y;
        hasBounds_ = true;
    }
    minX_ = std::min(minX_, x);
    maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
}

void ShapeBuilder::moveTo(std::int32_t x, std::int32_t y) {
    styleRecord().move = std::make_pair(x, y);
    penX_ = x;
    penY_ = y;
    widen(x, y);
}

void ShapeBuilder::lineTo(std::int32_t x, std::int32_t y) {
    Record r;
    r.kind = Record::Straight;
    r.x = x;
    r.y = y;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    widen(x, y);
}

void ShapeBuilder::curveTo(std::int32_t cx, std::int32_t cy, std::int32_t x, std::int32_t y) {
    Record r;
    r.kind = Record::Curve;
    r.cx = cx;
    r.cy = cy;
    r.x = x;
    r.y = y;
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
    widen(cx, cy);
    widen(x, y);
}

void ShapeBuilder::rectangle(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    moveTo(x, y);
    lineTo(x + w, y);
    lineTo(x + w, y + h);
    lineTo(x, y + h);
    lineTo(x, y);
}

Bytes ShapeBuilder::body(std::uint16_t id, int version) const {
    const bool alpha = version >= 3;
    BitWriter w;
    w.u16(id);
    std::int32_t pad = 0;
    for (const Line& l : lines_) {
        pad = std::max<std::int32_t>(pad, l.width / 2);
    }
    w.rect(minX_ - pad, maxX_ + pad, minY_ - pad, maxY_ + pad);
    if (version >= 4) {
        w.rect(minX_, maxX_, minY_, maxY_);
        w.u8(0);
    }
    w.u8(static_cast<std::uint8_t>(fills_.size()));
    for (const Fill& f : fills_) {
        w.u8(static_cast<std::uint8_t>(f.type));
        if (f.type == 0x00) {
            alpha ? w.rgba(f.color) : w.rgb(f.color);
        } else if (f.type == 0x10 || f.type == 0x12) {
            w.matrix(f.matrix);
            w.ub(static_cast<std::uint32_t>(f.spread), 2);
            w.ub(static_cast<std::uint32_t>(f.interpolation), 2);
            w.ub(static_cast<std::uint32_t>(f.stops.size()), 4);
            for (const auto& [ratio, color] : f.stops) {
                w.u8(ratio);
                alpha ? w.rgba(color) : w.rgb(color);
            }
        } else {
            w.u16(f.bitmapId);
            w.matrix(f.matrix);
        }
    }
    w.u8(static_cast<std::uint8_t>(lines_.size()));
    for (const Line& l : lines_) {
        w.u16(l.width);
        if (version >= 4) {
            const LineFlags& f = l.flags;
            w.ub(static_cast<std::uint32_t>(f.cap), 2);
            w.ub(static_cast<std::uint32_t>(f.join), 2);
            w.ub(0, 1); // no fill
            w.ub(f.noHScale ? 1 : 0, 1);
            w.ub(f.noVScale ? 1 : 0, 1);
            w.ub(f.pixelHinting ? 1 : 0, 1);
            w.ub(0, 5);
            w.ub(0, 1); // closed
            w.ub(static_cast<std::uint32_t>(f.cap), 2);
        }
        alpha ? w.rgba(l.color) : w.rgb(l.color);
    }
    writeRecords(w, fills_.size(), lines_.size());
    return w.take();
}

Bytes ShapeBuilder::glyphBody() const {
    BitWriter w;
    writeRecords(w, 1, 0);
    return w.take();
}

void ShapeBuilder::writeRecords(BitWriter& w, std::size_t fillCount, std::size_t lineCount) const {
    const auto bitsFor = [](std::size_t count) {
        unsigned bits = 0;
        while ((std::size_t{1} << bits) <= count) {
            ++bits;
        }
        return bits;
    };
    const unsigned fillBits = bitsFor(fillCount);
    const unsigned lineBits = bitsFor(lineCount);
    w.ub(fillBits, 4);
    w.ub(lineBits, 4);
    std::int32_t px = 0, py = 0;
    for (const Record& r : records_) {
        if (r.kind == Record::Style) {
            w.ub(0, 1);
            w.ub(0, 1); // no new styles
            w.ub(r.line.has_value(), 1);
            w.ub(r.fill1.has_value(), 1);
            w.ub(r.fill0.has_value(), 1);
            w.ub(r.move.has_value(), 1);
            if (r.move) {
                const auto [x, y] = *r.move;
                const unsigned bits = std::max(BitWriter::SignedBits(x), BitWriter::SignedBits(y));
                w.ub(bits, 5);
                w.sb(x, bits);
                w.sb(y, bits);
                px = x;
                py = y;
            }
            if (r.fill0) {
                w.ub(static_cast<std::uint32_t>(*r.fill0), fillBits);
            }
            if (r.fill1) {
                w.ub(static_cast<std::uint32_t>(*r.fill1), fillBits);
            }
            if (r.line) {
                w.ub(static_cast<std::uint32_t>(*r.line), lineBits);
            }
        } else if (r.kind == Record::Straight) {
            const std::int32_t dx = r.x - px, dy = r.y - py;
            const unsigned bits =
                std::max({BitWriter::SignedBits(dx), BitWriter::SignedBits(dy), 2u});
            w.ub(1, 1);
            w.ub(1, 1);
            w.ub(bits - 2, 4);
            w.ub(1, 1); // general line
            w.sb(dx, bits);
            w.sb(dy, bits);
            px = r.x;
            py = r.y;
        } else {
            const std::int32_t cdx = r.cx - px, cdy = r.cy - py, adx = r.x - r.cx, ady = r.y - r.cy;
            const unsigned bits =
                std::max({BitWriter::SignedBits(cdx), BitWriter::SignedBits(cdy),
                          BitWriter::SignedBits(adx), BitWriter::SignedBits(ady), 2u});
            w.ub(1, 1);
            w.ub(0, 1);
            w.ub(bits - 2, 4);
            w.sb(cdx, bits);
            w.sb(cdy, bits);
            w.sb(adx, bits);
            w.sb(ady, bits);
            px = r.x;
            py = r.y;
        }
    }
    w.ub(0, 6); // end of shape
}

// ---- actions

namespace actions {
Bytes Stop() {
    return {0x07};
}
Bytes Play() {
    return {0x06};
}
Bytes NextFrame() {
    return {0x04};
}
Bytes PreviousFrame() {
    return {0x05};
}
Bytes GotoFrame(std::uint16_t frame) {
    return {0x81, 2, 0, static_cast<std::uint8_t>(frame & 0xff),
            static_cast<std::uint8_t>(frame >> 8)};
}
Bytes GotoLabel(const std::string& label) {
    BitWriter w;
    w.u8(0x8c);
    w.u16(static_cast<std::uint16_t>(label.size() + 1));
    w.string(label);
    return w.take();
}
Bytes Block(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    out.push_back(0);
    return out;
}
} // namespace actions

// ---- TagStream

void TagStream::tag(int code, std::span<const std::uint8_t> body) {
    if (body.size() < tags::LongLengthMark) {
        tags_.u16(static_cast<std::uint16_t>((code << tags::CodeShift) | body.size()));
    } else {
        tags_.u16(static_cast<std::uint16_t>((code << tags::CodeShift) | tags::LongLengthMark));
        tags_.u32(static_cast<std::uint32_t>(body.size()));
    }
    tags_.bytes(body);
}

void TagStream::place(const Place& p) {
    BitWriter w;
    const bool three = p.blendMode.has_value() || p.filters.has_value() ||
                       p.cacheAsBitmap.has_value() || p.opaqueBackground.has_value();
    std::uint8_t flags = 0;
    flags |= p.move ? 0x01 : 0;
    flags |= p.characterId ? 0x02 : 0;
    flags |= p.matrix ? 0x04 : 0;
    flags |= p.colorXf ? 0x08 : 0;
    flags |= p.ratio ? 0x10 : 0;
    flags |= p.name ? 0x20 : 0;
    flags |= p.clipDepth ? 0x40 : 0;
    w.u8(flags);
    if (three) {
        w.u8(static_cast<std::uint8_t>((p.filters ? 0x01 : 0) | (p.blendMode ? 0x02 : 0) |
                                       (p.cacheAsBitmap ? 0x04 : 0) |
                                       (p.opaqueBackground ? 0x40 : 0)));
    }
    w.u16(static_cast<std::uint16_t>(p.depth));
    if (p.characterId) {
        w.u16(*p.characterId);
    }
    if (p.matrix) {
        w.matrix(*p.matrix);
    }
    if (p.colorXf) {
        w.colorXf(*p.colorXf, true);
    }
    if (p.ratio) {
        w.u16(*p.ratio);
    }
    if (p.name) {
        w.string(*p.name);
    }
    if (p.clipDepth) {
        w.u16(*p.clipDepth);
    }
    if (p.filters) {
        w.bytes(*p.filters);
    }
    if (p.blendMode) {
        w.u8(*p.blendMode);
    }
    if (p.cacheAsBitmap) {
        w.u8(*p.cacheAsBitmap ? 1 : 0);
    }
    if (p.opaqueBackground) {
        w.u8(p.opaqueBackground->r);
        w.u8(p.opaqueBackground->g);
        w.u8(p.opaqueBackground->b);
        w.u8(p.opaqueBackground->a);
    }
    tag(three ? tags::PlaceObject3 : tags::PlaceObject2, w.data());
}

namespace filters {

namespace {

void Fixed16(BitWriter& w, double v) {
    w.u32(static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 65536))));
}

void Fixed8(BitWriter& w, double v) {
    w.u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 256))));
}

void BlurAngleStrength(BitWriter& w, double blurX, double blurY, double angle, double distance,
                       double strength) {
    Fixed16(w, blurX);
    Fixed16(w, blurY);
    Fixed16(w, angle);
    Fixed16(w, distance);
    Fixed8(w, strength);
}

Bytes ShadowRecord(int kind, const Shadow& s) {
    BitWriter w;
    w.u8(static_cast<std::uint8_t>(kind));
    w.rgba(s.color);
    Fixed16(w, s.blurX);
    Fixed16(w, s.blurY);
    if (kind == 0) {
        Fixed16(w, s.angle);
        Fixed16(w, s.distance);
    }
    Fixed8(w, s.strength);
    w.ub(s.inner, 1);
    w.ub(s.knockout, 1);
    w.ub(s.compositeSource, 1);
    w.ub(static_cast<std::uint32_t>(s.passes), 5);
    return w.take();
}

void BevelFlags(BitWriter& w, const Bevel& b) {
    w.ub(b.inner, 1);
    w.ub(b.knockout, 1);
    w.ub(1, 1); // composite source
    w.ub(b.onTop, 1);
    w.ub(static_cast<std::uint32_t>(b.passes), 4);
}

} // namespace

Bytes Blur(double blurX, double blurY, int passes) {
    BitWriter w;
    w.u8(1);
    Fixed16(w, blurX);
    Fixed16(w, blurY);
    w.ub(static_cast<std::uint32_t>(passes), 5);
    w.ub(0, 3);
    return w.take();
}

Bytes DropShadow(const Shadow& s) {
    return ShadowRecord(0, s);
}

Bytes Glow(const Shadow& s) {
    return ShadowRecord(2, s);
}

Bytes BevelFilter(const Bevel& b) {
    BitWriter w;
    w.u8(3);
    w.rgba(b.highlight); // the lit side's colour is written first
    w.rgba(b.shadow);
    BlurAngleStrength(w, b.blurX, b.blurY, b.angle, b.distance, b.strength);
    BevelFlags(w, b);
    return w.take();
}

Bytes GradientFilter(int kind, const std::vector<std::pair<std::uint8_t, Rgba>>& ramp,
                     const Bevel& b) {
    BitWriter w;
    w.u8(static_cast<std::uint8_t>(kind));
    w.u8(static_cast<std::uint8_t>(ramp.size()));
    for (const auto& stop : ramp) {
        w.rgba(stop.second);
    }
    for (const auto& stop : ramp) {
        w.u8(stop.first);
    }
    BlurAngleStrength(w, b.blurX, b.blurY, b.angle, b.distance, b.strength);
    BevelFlags(w, b);
    return w.take();
}

Bytes List(std::initializer_list<Bytes> records) {
    BitWriter w;
    w.u8(static_cast<std::uint8_t>(records.size()));
    for (const Bytes& r : records) {
        w.bytes(r);
    }
    return w.take();
}

} // namespace filters

void TagStream::remove(int depth) {
    BitWriter w;
    w.u16(static_cast<std::uint16_t>(depth));
    tag(tags::RemoveObject2, w.data());
}

void TagStream::showFrame() {
    tag(tags::ShowFrame, {});
    ++frames_;
}

void TagStream::frameLabel(const std::string& name) {
    BitWriter w;
    w.string(name);
    tag(tags::FrameLabel, w.data());
}

void TagStream::doAction(const Bytes& body) {
    tag(tags::DoAction, body);
}

void TagStream::doInitAction(std::uint16_t spriteId, const Bytes& body) {
    Bytes out{static_cast<std::uint8_t>(spriteId & 0xff), static_cast<std::uint8_t>(spriteId >> 8)};
    out.insert(out.end(), body.begin(), body.end());
    tag(tags::DoInitAction, out);
}

// ---- MovieWriter

MovieWriter::MovieWriter(int widthPx, int heightPx, double fps, int version)
    : widthTwips_(widthPx * 20), heightTwips_(heightPx * 20), fps_(fps), version_(version) {}

void MovieWriter::setBackground(Rgba color) {
    BitWriter w;
    w.rgb(color);
    tag(tags::SetBackgroundColor, w.data());
}

std::uint16_t MovieWriter::defineShape(const ShapeBuilder& shape, int version) {
    static constexpr int Codes[] = {tags::DefineShape, tags::DefineShape, tags::DefineShape2,
                                    tags::DefineShape3, tags::DefineShape4};
    const std::uint16_t id = takeId();
    tag(Codes[std::clamp(version, 1, 4)], shape.body(id, version));
    return id;
}

std::uint16_t MovieWriter::defineRectangle(std::int32_t x, std::int32_t y, std::int32_t w,
                                           std::int32_t h, Rgba fill) {
    ShapeBuilder shape;
    shape.setFill1(shape.addSolidFill(fill));
    shape.rectangle(x, y, w, h);
    return defineShape(shape);
}

std::uint16_t MovieWriter::defineBitmap(int width, int height,
                                        const std::vector<std::uint32_t>& argb) {
    Bytes pixels;
    pixels.reserve(argb.size() * 4);
    for (std::uint32_t p : argb) {
        const std::uint32_t a = p >> 24;
        pixels.push_back(static_cast<std::uint8_t>(a));
        for (int shift : {16, 8, 0}) {
            pixels.push_back(static_cast<std::uint8_t>(((p >> shift) & 0xff) * a / 255));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(pixels.size()));
    Bytes packed(size);
    if (compress(packed.data(), &size, pixels.data(), static_cast<uLong>(pixels.size())) != Z_OK) {
        throw std::runtime_error("zlib failed");
    }
    packed.resize(size);
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    w.u8(5);
    w.u16(static_cast<std::uint16_t>(width));
    w.u16(static_cast<std::uint16_t>(height));
    w.bytes(packed);
    tag(tags::DefineBitsLossless2, w.data());
    return id;
}

std::uint16_t MovieWriter::defineJpeg(const Bytes& jpegData) {
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    w.bytes(jpegData);
    tag(tags::DefineBitsJpeg2, w.data());
    return id;
}

std::uint16_t MovieWriter::defineSprite(const TagStream& timeline) {
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    w.u16(static_cast<std::uint16_t>(timeline.frameCount()));
    w.bytes(timeline.tags());
    w.u16(0); // End
    tag(tags::DefineSprite, w.data());
    return id;
}

std::uint16_t MovieWriter::defineFont(const std::vector<ShapeBuilder>& glyphs) {
    std::vector<Bytes> shapes;
    for (const ShapeBuilder& g : glyphs) {
        shapes.push_back(g.glyphBody());
    }
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    std::size_t offset = shapes.size() * 2;
    for (const Bytes& shape : shapes) {
        w.u16(static_cast<std::uint16_t>(offset));
        offset += shape.size();
    }
    for (const Bytes& shape : shapes) {
        w.bytes(shape);
    }
    tag(tags::DefineFont, w.data());
    return id;
}

std::uint16_t MovieWriter::defineFont(const FontSpec& font) {
    std::vector<Bytes> shapes;
    for (const FontGlyph& g : font.glyphs) {
        shapes.push_back(g.outline.glyphBody());
    }
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    // layout, wide offsets, wide codes, italic, bold
    w.u8(static_cast<std::uint8_t>(0x80 | 0x08 | 0x04 | (font.italic ? 0x02 : 0) |
                                   (font.bold ? 0x01 : 0)));
    w.u8(0); // language
    w.u8(static_cast<std::uint8_t>(font.name.size()));
    w.bytes(std::span(reinterpret_cast<const std::uint8_t*>(font.name.data()), font.name.size()));
    w.u16(static_cast<std::uint16_t>(shapes.size()));
    std::size_t offset = (shapes.size() + 1) * 4;
    for (const Bytes& shape : shapes) {
        w.u32(static_cast<std::uint32_t>(offset));
        offset += shape.size();
    }
    w.u32(static_cast<std::uint32_t>(offset)); // the code table
    for (const Bytes& shape : shapes) {
        w.bytes(shape);
    }
    for (const FontGlyph& g : font.glyphs) {
        w.u16(g.code);
    }
    w.u16(font.ascent);
    w.u16(font.descent);
    w.u16(static_cast<std::uint16_t>(font.leading));
    for (const FontGlyph& g : font.glyphs) {
        w.u16(static_cast<std::uint16_t>(g.advance));
    }
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        w.rect(0, 0, 0, 0);
    }
    w.u16(0); // no kerning
    tag(font.version == 2 ? tags::DefineFont2 : tags::DefineFont3, w.data());
    return id;
}

std::uint16_t MovieWriter::defineEditText(const EditTextSpec& field) {
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    w.rect(field.xmin, field.xmax, field.ymin, field.ymax);
    // has text, word wrap, multiline, read-only, has colour, has font
    w.u8(static_cast<std::uint8_t>(0x80 | (field.wordWrap ? 0x40 : 0) |
                                   (field.multiline ? 0x20 : 0) | 0x08 | 0x04 |
                                   (field.fontId ? 0x01 : 0)));
    // has layout, html, outlines
    w.u8(
        static_cast<std::uint8_t>(0x20 | (field.html ? 0x02 : 0) | (field.useOutlines ? 0x01 : 0)));
    if (field.fontId) {
        w.u16(*field.fontId);
        w.u16(field.height);
    }
    w.rgba(field.color);
    w.u8(field.align);
    w.u16(field.leftMargin);
    w.u16(field.rightMargin);
    w.u16(field.indent);
    w.u16(static_cast<std::uint16_t>(field.leading));
    w.string(field.variable);
    w.string(field.text);
    tag(tags::DefineEditText, w.data());
    return id;
}

std::uint16_t MovieWriter::defineText(std::uint16_t fontId, std::uint16_t heightTwips, Rgba color,
                                      std::int32_t x, std::int32_t y,
                                      const std::vector<std::pair<int, int>>& glyphs) {
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    w.rect(0, widthTwips_, 0, heightTwips_);
    w.matrix(Matrix{});
    w.u8(8);  // glyph index bits
    w.u8(16); // advance bits
    w.u8(0x80 | 0x08 | 0x04 | 0x02 | 0x01);
    w.u16(fontId);
    w.rgba(color);
    w.u16(static_cast<std::uint16_t>(x));
    w.u16(static_cast<std::uint16_t>(y));
    w.u16(heightTwips);
    w.u8(static_cast<std::uint8_t>(glyphs.size()));
    for (const auto& [index, advance] : glyphs) {
        w.ub(static_cast<std::uint32_t>(index), 8);
        w.sb(advance, 16);
    }
    w.align();
    w.u8(0);
    tag(tags::DefineText2, w.data());
    return id;
}

Bytes MovieWriter::bytes() const {
    BitWriter body;
    body.rect(0, widthTwips_, 0, heightTwips_);
    const int rate = static_cast<int>(std::lround(fps_ * 256));
    body.u16(static_cast<std::uint16_t>(rate));
    body.u16(headerFrames_.value_or(static_cast<std::uint16_t>(frameCount())));
    body.bytes(tags());
    if (endTag_) {
        body.u16(0); // End
    }
    const Bytes& b = body.data();
    Bytes out = {'F', 'W', 'S', static_cast<std::uint8_t>(version_)};
    const std::uint32_t length = static_cast<std::uint32_t>(b.size() + 8);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    }
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

Bytes MovieWriter::compressedBytes() const {
    return CompressSwfImage(bytes(), 9);
}

Bytes MakeShapesMovie(int widthPx, int heightPx, double fps, int frames) {
    MovieWriter movie(widthPx, heightPx, fps);
    movie.setBackground({255, 255, 255});
    const std::int32_t w = widthPx * 20, h = heightPx * 20;
    const auto square = movie.defineRectangle(0, 0, w / 5, h / 5, {220, 30, 30});
    ShapeBuilder circle;
    circle.setFill1(circle.addSolidFill({30, 60, 220}));
    const std::int32_t r = std::min(w, h) / 8;
    circle.moveTo(r, 0);
    circle.curveTo(r, r, 0, r);
    circle.curveTo(-r, r, -r, 0);
    circle.curveTo(-r, -r, 0, -r);
    circle.curveTo(r, -r, r, 0);
    const auto disc = movie.defineShape(circle);
    const auto bar = movie.defineRectangle(0, 0, w / 2, h / 10, {40, 170, 60});
    for (int f = 0; f < frames; ++f) {
        const std::int32_t step = frames > 1 ? (w / 2) * f / (frames - 1) : 0;
        Place a{1, std::nullopt};
        a.move = f > 0;
        a.characterId = f == 0 ? std::optional<std::uint16_t>(square) : std::nullopt;
        a.at(w / 10 + step, h / 10);
        movie.place(a);
        Place b{2, std::nullopt};
        b.move = f > 0;
        b.characterId = f == 0 ? std::optional<std::uint16_t>(disc) : std::nullopt;
        b.at(w - w / 5 - step / 2, h / 2);
        movie.place(b);
        if (f == 0) {
            movie.place(Place{3, bar}.at(w / 4, h - h / 5));
        }
        movie.showFrame();
    }
    return movie.bytes();
}

} // namespace quillon::testing
