#include "player/engine/characters/EditField.h"

#include <algorithm>

namespace quillon::engine {

namespace {

// Distinct formats a field keeps before it drops the unused ones.
constexpr std::size_t MaxFieldFormats = 256;

// Each line feed is a paragraph end of its own, one after a carriage return too.
QString WithCarriageReturns(QString text) {
    return text.replace(u'\n', u'\r');
}

} // namespace

std::uint32_t EditField::formatIndex(const TextFormat& format) {
    for (std::size_t i = formats_.size(); i-- > 0;) {
        if (formats_[i] == format) {
            return static_cast<std::uint32_t>(i);
        }
    }
    if (formats_.size() >= MaxFieldFormats) {
        compactFormats();
    }
    formats_.push_back(format);
    return static_cast<std::uint32_t>(formats_.size() - 1);
}

void EditField::compactFormats() {
    std::vector<TextFormat> kept;
    std::vector<std::uint32_t> moved(formats_.size(), 0);
    std::vector<bool> used(formats_.size(), false);
    for (std::uint32_t f : formatOf_) {
        used[f] = true;
    }
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        if (used[i]) {
            moved[i] = static_cast<std::uint32_t>(kept.size());
            kept.push_back(std::move(formats_[i]));
        }
    }
    for (std::uint32_t& f : formatOf_) {
        f = moved[f];
    }
    formats_ = std::move(kept);
}

void EditField::insert(int at, const QString& text, std::uint32_t format) {
    const int room = MaxFieldText - length();
    const QString added = text.left(std::max(0, room));
    text_.insert(at, added);
    formatOf_.insert(formatOf_.begin() + at, static_cast<std::size_t>(added.size()), format);
}

void EditField::setText(const QString& text) {
    text_.clear();
    formatOf_.clear();
    formats_.clear();
    insert(0, WithCarriageReturns(text), formatIndex(newFormat));
    fitToText();
}

void EditField::replaceText(int begin, int end, const QString& text, bool useNewFormat) {
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    const TextFormat format = useNewFormat || text_.isEmpty()
                                  ? newFormat
                                  : charFormat(begin < length() ? begin : begin - 1);
    text_.remove(begin, end - begin);
    formatOf_.erase(formatOf_.begin() + begin, formatOf_.begin() + end);
    insert(begin, WithCarriageReturns(text), formatIndex(format));
    fitToText();
}

const TextFormat& EditField::charFormat(int index) const {
    if (index < 0 || index >= length()) {
        return newFormat;
    }
    return formats_[formatOf_[static_cast<std::size_t>(index)]];
}

// The first character of the paragraph holding index.
static int ParagraphStart(const QString& text, int index) {
    while (index > 0 && !IsParagraphEnd(text[index - 1])) {
        --index;
    }
    return index;
}

static int ParagraphEnd(const QString& text, int index) {
    while (index < text.size() && !IsParagraphEnd(text[index])) {
        ++index;
    }
    return index;
}

TextFormat EditField::format(int begin, int end) const {
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    if (begin == end) {
        return charFormat(begin < length() ? begin : begin - 1);
    }
    TextFormat common = charFormat(begin);
    for (int i = begin + 1; i < end; ++i) {
        common.keepCommon(charFormat(i));
    }
    return common;
}

void EditField::setFormat(int begin, int end, const TextFormat& format) {
    begin = std::clamp(begin, 0, length());
    end = std::clamp(end, begin, length());
    TextFormat characters = format;
    TextFormat paragraph;
    std::swap(paragraph.align, characters.align);
    std::swap(paragraph.leftMargin, characters.leftMargin);
    std::swap(paragraph.rightMargin, characters.rightMargin);
    std::swap(paragraph.indent, characters.indent);
    std::swap(paragraph.blockIndent, characters.blockIndent);
    std::swap(paragraph.leading, characters.leading);
    std::swap(paragraph.bullet, characters.bullet);
    std::swap(paragraph.tabStops, characters.tabStops);
    const auto change = [&](int from, int to, const TextFormat& over) {
        for (int i = from; i < to; ++i) {
            TextFormat f = charFormat(i);
            f.apply(over);
            formatOf_[static_cast<std::size_t>(i)] = formatIndex(f);
        }
    };
    change(begin, end, characters);
    if (paragraph.hasParagraphParts() && begin < end) {
        const int from = ParagraphStart(text_, begin);
        const int to = std::min(length(), ParagraphEnd(text_, end - 1) + 1);
        change(from, to, paragraph);
    }
    fitToText();
}

} // namespace quillon::engine
