// What a field's layout measures for scripts: the text's size, its lines, how far it
// scrolls, and the area autoSize fits round it.

#include "player/engine/characters/EditField.h"
#include "player/engine/characters/TextLayout.h"

#include <algorithm>

namespace quillon::engine {

namespace {

constexpr double Twips = 20;

// The height from the top of line `from` to the bottom of line `to` (twips).
double Span(const std::vector<TextLine>& lines, std::size_t from, std::size_t to) {
    const double top = lines[from].baseline - lines[from].ascent;
    return lines[to].baseline + lines[to].descent - top;
}

} // namespace

TextLayout EditField::layout() const {
    return LayOutField(*this, SystemFontsAvailable());
}

double EditField::textWidth() const {
    return layout().textWidth / Twips;
}

double EditField::textHeight() const {
    return layout().textHeight / Twips;
}

std::vector<LineMetrics> EditField::lines() const {
    const TextLayout l = layout();
    std::vector<LineMetrics> out;
    for (const TextLine& line : l.lines) {
        out.push_back({(line.left - area.left()) / Twips, line.width / Twips,
                       (line.ascent + line.descent + line.leading) / Twips, line.ascent / Twips,
                       line.descent / Twips, line.leading / Twips, line.firstChar, line.length});
    }
    return out;
}

int EditField::maxScroll() const {
    const TextLayout l = layout();
    const double visible = area.height() - 2 * FieldGutter;
    const std::size_t count = l.lines.size();
    std::size_t first = count == 0 ? 0 : count - 1;
    while (first > 0 && Span(l.lines, first - 1, count - 1) <= visible) {
        --first;
    }
    return static_cast<int>(first) + 1;
}

int EditField::bottomScroll() const {
    const TextLayout l = layout();
    const double visible = area.height() - 2 * FieldGutter;
    const std::size_t first = static_cast<std::size_t>(std::max(1, scroll) - 1);
    if (first >= l.lines.size()) {
        return static_cast<int>(first) + 1;
    }
    std::size_t last = first;
    while (last + 1 < l.lines.size() && Span(l.lines, first, last + 1) <= visible) {
        ++last;
    }
    return static_cast<int>(last) + 1;
}

double EditField::maxHScroll() const {
    if (wordWrap) {
        return 0;
    }
    const double room = area.width() - 2 * FieldGutter;
    return std::max(0.0, std::trunc((layout().textWidth - room) / Twips));
}

void EditField::fitToText() {
    if (autoSize == AutoSize::None) {
        return;
    }
    const TextLayout l = layout();
    const double height = l.textHeight + 2 * FieldGutter;
    area.setHeight(height);
    if (wordWrap) {
        return;
    }
    const double width = l.textWidth + 2 * FieldGutter;
    const double left = autoSize == AutoSize::Left    ? area.left()
                        : autoSize == AutoSize::Right ? area.right() - width
                                                      : area.center().x() - width / 2;
    shift_ += left - area.left();
    area = QRectF(left, area.top(), width, height);
}

double EditField::takeShift() {
    const double shift = shift_;
    area.translate(-shift, 0);
    shift_ = 0;
    return shift;
}

} // namespace quillon::engine
