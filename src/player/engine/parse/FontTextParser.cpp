#include "codec/swf/TagCodes.h"
#include "player/engine/parse/DefinitionParsers.h"
#include "player/engine/parse/RecordReaders.h"
#include "player/engine/parse/ShapeParser.h"

namespace quillon::engine {

namespace {

QPainterPath ReadGlyph(std::span<const std::uint8_t> bytes) {
    swf::BitReader in(bytes);
    ShapeReadOptions opt;
    opt.hasStyles = false;
    ShapeData data;
    data.styleSets.emplace_back();
    data.styleSets[0].fills.emplace_back();
    ReadShapeRecords(in, opt, data);
    return ShapeOutline(BuildShape(data));
}

// Glyphs stored one after another, found through a table of offsets from tableStart.
void ReadGlyphs(std::span<const std::uint8_t> body, std::size_t tableStart,
                const std::vector<std::uint32_t>& offsets, std::uint32_t end, FontCharacter& font) {
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::size_t from = tableStart + offsets[i];
        const std::size_t to = tableStart + (i + 1 < offsets.size() ? offsets[i + 1] : end);
        if (from >= body.size() || to > body.size() || to < from) {
            font.glyphs.emplace_back();
            continue;
        }
        font.glyphs.push_back(ReadGlyph(body.subspan(from, to - from)));
    }
}

void ParseFont1(swf::BitReader& in, const Tag& tag, FontCharacter& font) {
    const std::size_t tableStart = in.position();
    const std::uint16_t first = in.u16();
    const std::size_t count = first / 2;
    std::vector<std::uint32_t> offsets{first};
    for (std::size_t i = 1; i < count && !in.overrun(); ++i) {
        offsets.push_back(in.u16());
    }
    if (count == 0) {
        offsets.clear();
    }
    ReadGlyphs(tag.body, tableStart, offsets,
               static_cast<std::uint32_t>(tag.body.size() - tableStart), font);
}

void ParseFont2(swf::BitReader& in, const Tag& tag, FontCharacter& font) {
    const std::uint8_t flags = in.u8();
    const bool hasLayout = flags & 0x80;
    const bool wideOffsets = flags & 0x08;
    const bool wideCodes = flags & 0x04;
    font.italic = flags & 0x02;
    font.bold = flags & 0x01;
    in.u8(); // language
    const int nameLength = in.u8();
    const auto name = in.take(static_cast<std::size_t>(nameLength));
    font.name.assign(name.begin(), name.end());
    while (!font.name.empty() && font.name.back() == '\0') {
        font.name.pop_back();
    }
    const int count = in.u16();
    const std::size_t tableStart = in.position();
    std::vector<std::uint32_t> offsets;
    for (int i = 0; i < count && !in.overrun(); ++i) {
        offsets.push_back(wideOffsets ? in.u32() : in.u16());
    }
    const std::uint32_t codeTable = wideOffsets ? in.u32() : in.u16();
    ReadGlyphs(tag.body, tableStart, offsets, codeTable, font);
    in.seek(tableStart + codeTable);
    for (int i = 0; i < count && !in.overrun(); ++i) {
        font.codes.push_back(wideCodes ? in.u16() : in.u8());
    }
    if (hasLayout) {
        font.hasLayout = true;
        font.ascent = in.u16();
        font.descent = in.u16();
        font.leading = in.s16();
        for (int i = 0; i < count && !in.overrun(); ++i) {
            font.advances.push_back(in.s16());
        }
    }
}

} // namespace

void ParseFontTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    if (tag.code == swf::tags::DefineFontInfo || tag.code == swf::tags::DefineFontInfo2) {
        auto font = context.dictionary.findAs<FontCharacter>(id, context.dictionary.epoch());
        if (!font) {
            return;
        }
        const int nameLength = in.u8();
        const auto name = in.take(static_cast<std::size_t>(nameLength));
        font->name.assign(name.begin(), name.end());
        const std::uint8_t flags = in.u8();
        font->italic = flags & 0x04;
        font->bold = flags & 0x02;
        if (tag.code == swf::tags::DefineFontInfo2) {
            in.u8();
        }
        font->codes.clear();
        for (std::size_t i = 0; i < font->glyphs.size() && !in.atEnd(); ++i) {
            font->codes.push_back((flags & 0x01) ? in.u16() : in.u8());
        }
        return;
    }
    auto font = std::make_shared<FontCharacter>();
    if (tag.code == swf::tags::DefineFont) {
        ParseFont1(in, tag, *font);
    } else {
        ParseFont2(in, tag, *font);
        if (tag.code == swf::tags::DefineFont3) {
            font->emSize = 20480;
        }
    }
    if (in.overrun()) {
        context.warn("font " + std::to_string(id) + " is damaged");
    }
    context.dictionary.define(id, std::move(font));
}

namespace {

// The style a text record sets, over the style of the record before it.
TextRun ReadRunStyle(swf::BitReader& in, std::uint8_t flags, const TextRun& before,
                     bool withAlpha) {
    enum : std::uint8_t { HasX = 0x01, HasY = 0x02, HasColor = 0x04, HasFont = 0x08 };
    TextRun run = before;
    run.glyphs.clear();
    run.fontId = (flags & HasFont) ? in.u16() : run.fontId;
    if (flags & HasColor) {
        run.color = withAlpha ? ReadRgba(in) : ReadRgb(in);
    }
    run.x = (flags & HasX) ? in.s16() : run.x;
    run.y = (flags & HasY) ? in.s16() : run.y;
    run.height = (flags & HasFont) ? in.u16() : run.height;
    return run;
}

} // namespace

void ParseTextTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    auto text = std::make_shared<TextCharacter>();
    text->area = ReadRect(in);
    text->matrix = ReadMatrix(in);
    const unsigned glyphBits = in.u8();
    const unsigned advanceBits = in.u8();
    TextRun state;
    while (!in.atEnd()) {
        const std::uint8_t flags = in.u8();
        if (flags == 0) {
            break;
        }
        TextRun run = ReadRunStyle(in, flags, state, tag.code == swf::tags::DefineText2);
        const int count = in.u8();
        double x = run.x;
        for (int i = 0; i < count && !in.overrun(); ++i) {
            const int index = static_cast<int>(in.ub(glyphBits));
            const double advance = in.sb(advanceBits);
            run.glyphs.emplace_back(index, advance);
            x += advance;
        }
        in.align();
        text->runs.push_back(run);
        state = run;
        state.x = x;
        if (in.overrun()) {
            context.warn("text " + std::to_string(id) + " is damaged");
            break;
        }
    }
    context.dictionary.define(id, std::move(text));
}

namespace {

// The tag's layout: alignment, margins, indent and leading.
void ReadFieldLayout(swf::BitReader& in, TextFormat& format) {
    const int align = in.u8();
    format.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::Left;
    format.leftMargin = in.u16() / TwipsPerPixel;
    format.rightMargin = in.u16() / TwipsPerPixel;
    format.indent = in.u16() / TwipsPerPixel;
    format.leading = in.s16() / TwipsPerPixel;
}

void ReadFieldFlags(std::uint8_t f1, std::uint8_t f2, EditField& field) {
    field.wordWrap = f1 & 0x40;
    field.multiline = f1 & 0x20;
    field.password = f1 & 0x10;
    field.editable = !(f1 & 0x08);
    field.autoSize = (f2 & 0x40) ? AutoSize::Left : AutoSize::None;
    field.selectable = !(f2 & 0x10);
    field.border = field.background = f2 & 0x08;
    field.html = f2 & 0x02;
    field.embedFonts = f2 & 0x01;
}

} // namespace

void ParseEditTextTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    auto edit = std::make_shared<EditTextCharacter>();
    EditField& field = edit->field;
    field.area = ReadRect(in);
    const std::uint8_t f1 = in.u8();
    const std::uint8_t f2 = in.u8();
    ReadFieldFlags(f1, f2, field);
    field.spacesAlwaysTakeRoom = context.version < 8;
    field.fonts = FontsOf(context.dictionary, context.dictionary.epoch());
    TextFormat& format = field.newFormat;
    if (f1 & 0x01) {
        field.fontId = in.u16();
        field.hasFont = true;
        if (const FontCharacter* font = field.fonts.byId(field.fontId)) {
            format.font = font->name;
        }
    }
    if (f2 & 0x80) {
        format.font = in.string(); // a font class
    }
    if ((f1 & 0x01) || (f2 & 0x80)) {
        format.size = in.u16() / TwipsPerPixel;
    }
    if (f1 & 0x04) {
        const QColor color = ReadRgba(in);
        format.color = color.rgb() & 0xffffff;
        field.alpha = color.alpha();
    }
    if (f1 & 0x02) {
        field.maxChars = in.u16();
    }
    if (f2 & 0x20) {
        ReadFieldLayout(in, format);
        if (field.html) {
            format.align = TextAlign::Left; // HTML text states its own alignment
        }
    }
    field.variable = in.string();
    if (f1 & 0x80) {
        field.definedText = in.string();
        const std::string& text = field.definedText;
        field.html ? field.setHtmlText(text) : field.setText(QString::fromStdString(text));
    }
    context.dictionary.define(id, std::move(edit));
}

// CSMTextSettings: how a text field's glyphs ask to be smoothed. Static text draws
// the same either way, so only fields keep it.
void ParseTextSettingsTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    const std::uint8_t flags = in.u8();
    const float thickness = in.f32();
    const float sharpness = in.f32();
    auto edit = context.dictionary.findAs<EditTextCharacter>(id, context.dictionary.epoch());
    if (!edit || in.overrun()) {
        return;
    }
    edit->field.advancedAntiAlias = (flags >> 6) == 1;
    edit->field.gridFit = std::min((flags >> 3) & 0x07, 2);
    edit->field.thickness = thickness;
    edit->field.sharpness = sharpness;
}

} // namespace quillon::engine
