// Reading a field's markup into its text and formats: each tag changes the format of
// what follows it until it closes; paragraphs end with a carriage return.

#include "player/engine/characters/EditField.h"
#include "player/engine/characters/HtmlText.h"

#include <algorithm>
#include <charconv>

namespace quillon::engine {

namespace {

// Open tags nested deeper than this change nothing more.
constexpr std::size_t MaxTagNesting = 256;

bool ParseNumber(const std::string& text, double& value) {
    const char* from = text.data();
    if (!text.empty() && text[0] == '+') {
        ++from;
    }
    const auto [ptr, ec] = std::from_chars(from, text.data() + text.size(), value);
    return ec == std::errc{} && ptr != from;
}

std::optional<TextAlign> AlignNamed(const std::string& name) {
    const std::string lower = AsciiLower(name);
    constexpr std::pair<const char*, TextAlign> Names[] = {{"left", TextAlign::Left},
                                                           {"right", TextAlign::Right},
                                                           {"center", TextAlign::Center},
                                                           {"justify", TextAlign::Justify}};
    for (const auto& [text, align] : Names) {
        if (lower == text) {
            return align;
        }
    }
    return std::nullopt;
}

const std::string* Attribute(const HtmlTag& tag, const char* name) {
    const auto it = tag.attributes.find(name);
    return it == tag.attributes.end() ? nullptr : &it->second;
}

void ReadNumber(const HtmlTag& tag, const char* name, std::optional<double>& into) {
    double number = 0;
    if (const auto* text = Attribute(tag, name); text && ParseNumber(*text, number)) {
        into = number;
    }
}

void ReadFontTag(const HtmlTag& tag, TextFormat& f) {
    if (const auto* face = Attribute(tag, "face"); face && !face->empty()) {
        f.font = *face;
    }
    double number = 0;
    if (const auto* size = Attribute(tag, "size"); size && ParseNumber(*size, number)) {
        // "+2" and "-2" are relative to the size in force
        const bool relative = !size->empty() && ((*size)[0] == '+' || (*size)[0] == '-');
        f.size = std::max(0.0, (relative ? f.size.value_or(12) : 0) + number);
    }
    if (const auto* color = Attribute(tag, "color");
        color && color->size() == 7 && (*color)[0] == '#') {
        std::uint32_t rgb = 0;
        const auto [ptr, ec] = std::from_chars(color->data() + 1, color->data() + 7, rgb, 16);
        if (ec == std::errc{} && ptr == color->data() + 7) {
            f.color = rgb;
        }
    }
    ReadNumber(tag, "letterspacing", f.letterSpacing);
    if (const auto* kerning = Attribute(tag, "kerning")) {
        f.kerning = *kerning != "0" && !kerning->empty();
    }
}

void ReadTextFormatTag(const HtmlTag& tag, TextFormat& f) {
    ReadNumber(tag, "leftmargin", f.leftMargin);
    ReadNumber(tag, "rightmargin", f.rightMargin);
    ReadNumber(tag, "indent", f.indent);
    ReadNumber(tag, "blockindent", f.blockIndent);
    ReadNumber(tag, "leading", f.leading);
    if (const auto* stops = Attribute(tag, "tabstops")) {
        std::vector<double> list;
        std::size_t from = 0;
        while (from <= stops->size() && list.size() < 1024) {
            const std::size_t comma = std::min(stops->find(',', from), stops->size());
            double number = 0;
            if (ParseNumber(stops->substr(from, comma - from), number)) {
                list.push_back(number);
            }
            from = comma + 1;
        }
        f.tabStops = std::move(list);
    }
}

// The format inside a tag that opens over the format f; false for a tag that changes nothing.
bool FormatInside(const HtmlTag& tag, TextFormat& f) {
    if (tag.name == "b") {
        f.bold = true;
    } else if (tag.name == "i") {
        f.italic = true;
    } else if (tag.name == "u") {
        f.underline = true;
    } else if (tag.name == "font") {
        ReadFontTag(tag, f);
    } else if (tag.name == "a") {
        const auto* href = Attribute(tag, "href");
        const auto* target = Attribute(tag, "target");
        f.url = href ? *href : "";
        f.target = target ? *target : "";
    } else if (tag.name == "p") {
        // a paragraph states its alignment: left unless it says otherwise
        const auto* align = Attribute(tag, "align");
        f.align = align ? AlignNamed(*align).value_or(TextAlign::Left) : TextAlign::Left;
    } else if (tag.name == "li") {
        f.bullet = true;
    } else if (tag.name == "textformat") {
        ReadTextFormatTag(tag, f);
    } else {
        return false;
    }
    return true;
}

class HtmlReader {
public:
    HtmlReader(const TextFormat& base, bool condenseWhite, bool multiline)
        : condense_(condenseWhite), multiline_(multiline) {
        stack_.push_back({"", base});
    }

    // The text and the format of each character.
    std::vector<std::pair<QString, TextFormat>> read(const std::string& html) {
        for (std::size_t i = 0; i < html.size(); ++i) {
            const char c = html[i];
            if (c == '<') {
                const std::size_t end = html.find('>', i);
                if (end == std::string::npos) {
                    break; // an unfinished tag ends the text
                }
                handle(ParseHtmlTag(html.substr(i + 1, end - i - 1)));
                i = end;
            } else if (c == '&') {
                std::string decoded;
                const std::size_t used = DecodeHtmlEntity(html, i, decoded);
                pending_ += used ? decoded : "&";
                i += used ? used - 1 : 0;
            } else {
                character(html, i);
            }
        }
        flush();
        return std::move(pieces_);
    }

private:
    const TextFormat& format() const { return stack_.back().second; }

    void character(const std::string& html, std::size_t& i) {
        const char c = html[i];
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (condense_ && space) {
            // blanks collapse to one, and none starts a line
            if (!lastWasSpace_ && !atLineStart()) {
                pending_.push_back(' ');
            }
            lastWasSpace_ = true;
            return;
        }
        lastWasSpace_ = false;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < html.size() && html[i + 1] == '\n') {
                ++i;
            }
            breakParagraph();
            return;
        }
        pending_.push_back(c);
    }

    void flush() {
        if (pending_.empty()) {
            return;
        }
        QString text = QString::fromUtf8(pending_);
        pending_.clear();
        if (!pieces_.empty() && pieces_.back().second == format()) {
            pieces_.back().first += text;
        } else {
            pieces_.push_back({std::move(text), format()});
        }
    }

    bool atLineStart() const {
        if (!pending_.empty()) {
            return pending_.back() == '\r';
        }
        return pieces_.empty() || pieces_.back().first.endsWith(u'\r');
    }

    void breakParagraph() {
        pending_.push_back('\r');
        flush();
    }

    bool isOpen(const std::string& name) const {
        for (std::size_t i = stack_.size(); i-- > 1;) {
            if (stack_[i].first == name) {
                return true;
            }
        }
        return false;
    }

    void pop(const std::string& name) {
        for (std::size_t i = stack_.size(); i-- > 1;) {
            if (stack_[i].first == name) {
                stack_.resize(i);
                return;
            }
        }
    }

    // The end of a <p> or <li>: a carriage return in the format of the paragraph's last
    // character, or the paragraph's own when it is empty.
    void endParagraph() {
        if (!pieces_.empty() && !pieces_.back().first.endsWith(u'\r')) {
            pieces_.back().first += u'\r';
        } else {
            breakParagraph();
        }
    }

    void handle(const HtmlTag& tag) {
        flush(); // a blank before a tag and one after it condense to one
        // only a multiline field breaks lines at tags; a line end in the text breaks any
        if (tag.name == "br" || tag.name == "sbr") {
            if (multiline_) {
                breakParagraph();
            }
            return;
        }
        if (tag.closing) {
            if (multiline_ && (tag.name == "p" || tag.name == "li") && isOpen(tag.name)) {
                endParagraph();
            }
            pop(tag.name);
            return;
        }
        if (multiline_ && tag.name == "li" && !atLineStart()) {
            breakParagraph(); // a list item starts its own line, a paragraph does not
        }
        TextFormat inside = format();
        if (FormatInside(tag, inside) && stack_.size() < MaxTagNesting) {
            stack_.push_back({tag.name, std::move(inside)});
        }
    }

    bool condense_;
    bool multiline_;
    bool lastWasSpace_ = false;
    std::vector<std::pair<std::string, TextFormat>> stack_; // open tags and their formats
    std::vector<std::pair<QString, TextFormat>> pieces_;
    std::string pending_; // UTF-8 not yet in a piece
};

} // namespace

void EditField::setHtmlText(const std::string& html) {
    text_.clear();
    formatOf_.clear();
    formats_.clear();
    // a paragraph the markup does not align is left-aligned, and so is new text after it
    newFormat.align = TextAlign::Left;
    for (auto& [text, format] : HtmlReader(newFormat, condenseWhite, multiline).read(html)) {
        insert(length(), text, formatIndex(format));
    }
    fitToText();
}

} // namespace quillon::engine
