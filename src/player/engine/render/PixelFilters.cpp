#include "player/engine/characters/PixelFilters.h"

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/render/Effects.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quillon::engine {

void FilterPixels(BitmapPixels& target, const BitmapPixels& source, const PixelRect& area,
                  PixelPoint at, const Filter& filter) {
    const QImage& from = ImageOf(source);
    const QRect wanted(area.x, area.y, std::max(area.width, 0), std::max(area.height, 0));
    const QRect cut = wanted.intersected(from.rect());
    if (cut.isEmpty()) {
        return;
    }
    // a copy first: target and source may share their pixels
    QImage part(cut.size(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    {
        QPainter p(&part);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), from, cut);
    }
    // a bitmap's own pixels blur by the exact sizes asked for
    ApplyFilters(part, {filter}, 1.0, true);
    QImage& to = ImageOf(target);
    {
        QPainter p(&to);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(at.x + cut.x() - area.x, at.y + cut.y() - area.y), part);
    }
    target.settle();
}

PixelRect FilteredRect(const PixelRect& area, const Filter& filter) {
    if (filter.kind == FilterKind::ColorMatrix || filter.kind == FilterKind::Convolution ||
        filter.kind == FilterKind::DisplacementMap) {
        return area;
    }
    const int m = FilterMargin(filter, 1.0) - 1;
    const auto grow = [](int v, int by) {
        return static_cast<int>(
            std::clamp<long long>(static_cast<long long>(v) + by, -(1 << 29), 1 << 29));
    };
    return {grow(area.x, -m), grow(area.y, -m), grow(area.width, 2 * m), grow(area.height, 2 * m)};
}

} // namespace quillon::engine
