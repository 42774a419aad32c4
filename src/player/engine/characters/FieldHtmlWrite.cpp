// Writing a field's text and formats as markup, the way the player writes htmlText:
// each paragraph in <P> (or <LI>), inside <TEXTFORMAT> when it has margins, indents,
// leading or tab stops, with a full <FONT> and nested <FONT> tags for what changes.

#include "player/engine/characters/EditField.h"

#include <QString>
#include <cmath>
#include <cstdio>

namespace quillon::engine {

namespace {

std::string Number(double value) {
    char buffer[32];
    if (std::isfinite(value) && value == std::trunc(value) && std::abs(value) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    }
    return buffer;
}

std::string Escaped(const QString& text) {
    std::string out;
    for (const char c : text.toStdString()) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + value + "\"";
}

// What a <FONT> tag states.
struct FontState {
    std::string face;
    double size = 0;
    std::uint32_t color = 0;
    double letterSpacing = 0;
    bool kerning = false;
    bool operator==(const FontState&) const = default;

    explicit FontState(const TextFormat& f)
        : face(f.font.value_or("")), size(f.size.value_or(12)), color(f.color.value_or(0)),
          letterSpacing(f.letterSpacing.value_or(0)), kerning(f.kerning.value_or(false)) {}

    // The attributes that differ from outer (all of them without one).
    std::string attributes(const FontState* outer) const {
        std::string out;
        char hex[16];
        std::snprintf(hex, sizeof hex, "#%06X", color & 0xffffff);
        if (!outer || face != outer->face)
            out += Attribute("FACE", Escaped(QString::fromStdString(face)));
        if (!outer || size != outer->size)
            out += Attribute("SIZE", Number(size));
        if (!outer || color != outer->color)
            out += Attribute("COLOR", hex);
        if (!outer || letterSpacing != outer->letterSpacing)
            out += Attribute("LETTERSPACING", Number(letterSpacing));
        if (!outer || kerning != outer->kerning)
            out += Attribute("KERNING", kerning ? "1" : "0");
        return out;
    }
};

std::string TextFormatAttributes(const TextFormat& f) {
    std::string out;
    const auto add = [&](const char* name, const std::optional<double>& value) {
        if (value.value_or(0) != 0) {
            out += Attribute(name, Number(*value));
        }
    };
    add("LEFTMARGIN", f.leftMargin);
    add("RIGHTMARGIN", f.rightMargin);
    add("INDENT", f.indent);
    add("BLOCKINDENT", f.blockIndent);
    add("LEADING", f.leading);
    if (f.tabStops && !f.tabStops->empty()) {
        std::string list;
        for (double stop : *f.tabStops) {
            list += (list.empty() ? "" : ",") + Number(stop);
        }
        out += Attribute("TABSTOPS", list);
    }
    return out;
}

const char* AlignName(TextAlign align) {
    switch (align) {
    case TextAlign::Right:
        return "RIGHT";
    case TextAlign::Center:
        return "CENTER";
    case TextAlign::Justify:
        return "JUSTIFY";
    default:
        return "LEFT";
    }
}

// A run of characters in one format, wrapped in its link and style tags.
std::string RunMarkup(const QString& text, const TextFormat& f) {
    std::string inner = Escaped(text);
    if (f.underline.value_or(false))
        inner = "<U>" + inner + "</U>";
    if (f.italic.value_or(false))
        inner = "<I>" + inner + "</I>";
    if (f.bold.value_or(false))
        inner = "<B>" + inner + "</B>";
    if (!f.url.value_or("").empty()) {
        inner = "<A HREF=\"" + Escaped(QString::fromStdString(*f.url)) + "\" TARGET=\"" +
                Escaped(QString::fromStdString(f.target.value_or(""))) + "\">" + inner + "</A>";
    }
    return inner;
}

} // namespace

std::string EditField::htmlText() const {
    std::string out;
    // each paragraph with the carriage return that ends it: the return's format counts
    // in the runs though it is not written, and a return at the very end opens no
    // paragraph
    for (int start = 0; start < length();) {
        int end = start;
        while (end < length() && !IsParagraphEnd(text_[end])) {
            ++end;
        }
        const int next = std::min(end + 1, length());
        const TextFormat& paragraph = charFormat(start);
        const std::string outer = TextFormatAttributes(paragraph);
        const bool bullet = paragraph.bullet.value_or(false);
        std::string body = bullet
                               ? "<LI>"
                               : std::string("<P ALIGN=\"") +
                                     AlignName(paragraph.align.value_or(TextAlign::Left)) + "\">";
        std::vector<FontState> fonts{FontState(paragraph)};
        body += "<FONT" + fonts.back().attributes(nullptr) + ">";
        for (int i = start; i < next;) {
            int runEnd = i + 1;
            while (runEnd < next && charFormat(runEnd) == charFormat(i)) {
                ++runEnd;
            }
            const FontState state(charFormat(i));
            std::size_t match = fonts.size();
            for (std::size_t level = fonts.size(); level-- > 0;) {
                if (fonts[level] == state) {
                    match = level;
                    break;
                }
            }
            if (match < fonts.size()) {
                for (; fonts.size() > match + 1; fonts.pop_back()) {
                    body += "</FONT>";
                }
            } else {
                body += "<FONT" + state.attributes(&fonts.back()) + ">";
                fonts.push_back(state);
            }
            body += RunMarkup(text_.mid(i, std::min(runEnd, end) - i), charFormat(i));
            i = runEnd;
        }
        for (std::size_t level = 0; level < fonts.size(); ++level) {
            body += "</FONT>";
        }
        body += bullet ? "</LI>" : "</P>";
        out += outer.empty() ? body : "<TEXTFORMAT" + outer + ">" + body + "</TEXTFORMAT>";
        start = next;
    }
    return out;
}

} // namespace quillon::engine
