#include "player/engine/render/HtmlText.h"

#include "player/engine/characters/Records.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace quillon::engine {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

struct Tag {
    std::string name; // lower case, without the slash
    bool closing = false;
    std::map<std::string, std::string> attributes; // names in lower case
};

Tag ParseTag(const std::string& inside) {
    Tag tag;
    std::size_t i = 0;
    const auto skipSpace = [&] {
        while (i < inside.size() && std::isspace(static_cast<unsigned char>(inside[i]))) {
            ++i;
        }
    };
    skipSpace();
    if (i < inside.size() && inside[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const auto word = [&] {
        const std::size_t from = i;
        while (i < inside.size() && !std::isspace(static_cast<unsigned char>(inside[i])) &&
               inside[i] != '=' && inside[i] != '/') {
            ++i;
        }
        return Lower(inside.substr(from, i - from));
    };
    tag.name = word();
    while (i < inside.size()) {
        skipSpace();
        if (i < inside.size() && inside[i] == '/') {
            ++i;
            continue;
        }
        const std::string name = word();
        if (name.empty()) {
            break;
        }
        skipSpace();
        std::string value;
        if (i < inside.size() && inside[i] == '=') {
            ++i;
            skipSpace();
            if (i < inside.size() && (inside[i] == '"' || inside[i] == '\'')) {
                const char quote = inside[i++];
                const std::size_t end = inside.find(quote, i);
                value = inside.substr(i, end == std::string::npos ? std::string::npos : end - i);
                i = end == std::string::npos ? inside.size() : end + 1;
            } else {
                const std::size_t from = i;
                while (i < inside.size() && !std::isspace(static_cast<unsigned char>(inside[i]))) {
                    ++i;
                }
                value = inside.substr(from, i - from);
            }
        }
        tag.attributes[name] = value;
    }
    return tag;
}

// Appends the UTF-8 of a code point.
void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x110000) {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Decodes the entity at html[i] ('&') into out; returns the characters it used (0: none).
std::size_t DecodeEntity(const std::string& html, std::size_t i, std::string& out) {
    const std::size_t end = html.find(';', i);
    if (end == std::string::npos || end - i > 10) {
        return 0;
    }
    const std::string name = Lower(html.substr(i + 1, end - i - 1));
    static const std::map<std::string, unsigned> named = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    unsigned code = 0;
    if (const auto it = named.find(name); it != named.end()) {
        code = it->second;
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const char* from = name.data() + (hex ? 2 : 1);
        const auto [ptr, ec] =
            std::from_chars(from, name.data() + name.size(), code, hex ? 16 : 10);
        if (ec != std::errc{} || ptr != name.data() + name.size() || from == ptr) {
            return 0;
        }
    } else {
        return 0;
    }
    AppendUtf8(out, code);
    return end - i + 1;
}

bool ParseNumber(const std::string& text, double& value) {
    const char* from = text.data();
    if (!text.empty() && text[0] == '+') {
        ++from;
    }
    const auto [ptr, ec] = std::from_chars(from, text.data() + text.size(), value);
    return ec == std::errc{} && ptr != from;
}

int AlignOf(const std::string& name, int fallback) {
    const std::string lower = Lower(name);
    if (lower == "left") {
        return 0;
    }
    if (lower == "right") {
        return 1;
    }
    if (lower == "center") {
        return 2;
    }
    if (lower == "justify") {
        return 3;
    }
    return fallback;
}

// The style of a <font> tag over the style it is in.
TextStyle FontTagStyle(const Tag& tag, TextStyle style) {
    const auto attr = [&](const char* name) -> const std::string* {
        const auto it = tag.attributes.find(name);
        return it == tag.attributes.end() ? nullptr : &it->second;
    };
    if (const auto* face = attr("face"); face && !face->empty()) {
        style.face = *face;
    }
    double number = 0;
    if (const auto* size = attr("size"); size && ParseNumber(*size, number)) {
        // "+2" and "-2" are relative to the size in force; sizes are in pixels
        const bool relative = !size->empty() && ((*size)[0] == '+' || (*size)[0] == '-');
        style.size = std::max(0.0, (relative ? style.size : 0) + number * TwipsPerPixel);
    }
    if (const auto* color = attr("color"); color && color->size() == 7 && (*color)[0] == '#') {
        const QColor parsed(QString::fromStdString(*color));
        if (parsed.isValid()) {
            style.color.setRgb(parsed.red(), parsed.green(), parsed.blue(), style.color.alpha());
        }
    }
    if (const auto* spacing = attr("letterspacing"); spacing && ParseNumber(*spacing, number)) {
        style.letterSpacing = number * TwipsPerPixel;
    }
    return style;
}

class HtmlReader {
public:
    HtmlReader(const TextStyle& base, int align) : align_(align) {
        stack_.push_back({"", base});
        current_.align = align;
    }

    std::vector<TextParagraph> read(const std::string& html) {
        for (std::size_t i = 0; i < html.size(); ++i) {
            const char c = html[i];
            if (c == '<') {
                const std::size_t end = html.find('>', i);
                if (end == std::string::npos) {
                    break; // an unfinished tag ends the text
                }
                handle(ParseTag(html.substr(i + 1, end - i - 1)));
                i = end;
            } else if (c == '&') {
                std::string decoded;
                const std::size_t used = DecodeEntity(html, i, decoded);
                text_ += used ? decoded : "&";
                i += used ? used - 1 : 0;
            } else if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < html.size() && html[i + 1] == '\n') {
                    ++i;
                }
                breakParagraph();
            } else {
                text_.push_back(c);
            }
        }
        flush();
        if (!current_.spans.empty() || paragraphs_.empty()) {
            paragraphs_.push_back(std::move(current_));
        }
        return std::move(paragraphs_);
    }

private:
    const TextStyle& style() const { return stack_.back().second; }

    void flush() {
        if (text_.empty()) {
            return;
        }
        QString text = QString::fromUtf8(text_);
        text_.clear();
        if (!current_.spans.empty() && current_.spans.back().style == style()) {
            current_.spans.back().text += text;
        } else {
            current_.spans.push_back({std::move(text), style()});
        }
    }

    void breakParagraph() {
        flush();
        const int align = current_.align;
        paragraphs_.push_back(std::move(current_));
        current_ = TextParagraph{};
        current_.align = align;
    }

    void push(const std::string& name, const TextStyle& style) { stack_.push_back({name, style}); }

    void pop(const std::string& name) {
        for (std::size_t i = stack_.size(); i-- > 1;) {
            if (stack_[i].first == name) {
                stack_.resize(i);
                return;
            }
        }
    }

    void handle(const Tag& tag) {
        flush();
        if (tag.name == "br" || tag.name == "sbr") {
            breakParagraph();
            return;
        }
        if (tag.name == "p") {
            if (tag.closing) {
                breakParagraph();
                current_.align = align_;
                pop("p");
                return;
            }
            if (!current_.spans.empty()) {
                breakParagraph();
            }
            if (const auto it = tag.attributes.find("align"); it != tag.attributes.end()) {
                current_.align = AlignOf(it->second, current_.align);
            }
            push("p", style());
            return;
        }
        if (tag.closing) {
            pop(tag.name);
            return;
        }
        TextStyle next = style();
        if (tag.name == "b") {
            next.bold = true;
        } else if (tag.name == "i") {
            next.italic = true;
        } else if (tag.name == "font") {
            next = FontTagStyle(tag, next);
        } else if (tag.name.empty() || tag.attributes.count("/")) {
            return;
        }
        push(tag.name, next);
    }

    int align_;
    std::vector<std::pair<std::string, TextStyle>> stack_; // open tags and their styles
    std::vector<TextParagraph> paragraphs_;
    TextParagraph current_;
    std::string text_; // UTF-8 not yet in a span
};

} // namespace

std::vector<TextParagraph> ParseHtmlText(const std::string& html, const TextStyle& base,
                                         int align) {
    return HtmlReader(base, align).read(html);
}

std::vector<TextParagraph> PlainTextParagraphs(const std::string& text, const TextStyle& base,
                                               int align) {
    std::vector<TextParagraph> paragraphs;
    const QString content = QString::fromUtf8(text).replace("\r\n", "\n").replace('\r', '\n');
    for (const QString& line : content.split('\n')) {
        TextParagraph paragraph;
        paragraph.align = align;
        if (!line.isEmpty()) {
            paragraph.spans.push_back({line, base});
        }
        paragraphs.push_back(std::move(paragraph));
    }
    return paragraphs;
}

} // namespace quillon::engine
