#include "player/engine/characters/Shape.h"

#include <QPainterPathStroker>
#include <algorithm>
#include <map>

// Fill edges arrive in any order and direction: an edge with a style on its right (fill1)
// runs forwards, one with the style on its left (fill0) runs backwards. Joining them end to
// start gives closed contours that fill correctly with the even-odd rule.

namespace quillon::engine {

namespace {

struct Edge {
    QPointF from, control, to;
    bool curve = false;
};

using PointKey = std::pair<double, double>;
PointKey Key(const QPointF& p) {
    return {p.x(), p.y()};
}

QPainterPath LinkContours(const std::vector<Edge>& edges) {
    std::multimap<PointKey, std::size_t> byStart;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        byStart.emplace(Key(edges[i].from), i);
    }
    std::vector<bool> used(edges.size(), false);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) {
            continue;
        }
        std::size_t current = first;
        path.moveTo(edges[current].from);
        while (true) {
            used[current] = true;
            const Edge& e = edges[current];
            if (e.curve) {
                path.quadTo(e.control, e.to);
            } else {
                path.lineTo(e.to);
            }
            if (Key(e.to) == Key(edges[first].from)) {
                break;
            }
            auto [lo, hi] = byStart.equal_range(Key(e.to));
            std::size_t next = edges.size();
            for (auto it = lo; it != hi; ++it) {
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            }
            if (next == edges.size()) {
                break;
            }
            current = next;
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath StrokePath(const std::vector<Edge>& edges) {
    QPainterPath path;
    bool started = false;
    QPointF pen;
    for (const Edge& e : edges) {
        if (!started || e.from != pen) {
            path.moveTo(e.from);
            started = true;
        }
        if (e.curve) {
            path.quadTo(e.control, e.to);
        } else {
            path.lineTo(e.to);
        }
        pen = e.to;
    }
    return path;
}

class Builder {
public:
    explicit Builder(const ShapeData& data) : data_(data) {}

    Shape build() {
        Shape shape;
        shape.bounds = data_.bounds;
        startStyles(0);
        QPointF pen;
        int fill0 = 0, fill1 = 0, line = 0;
        for (const ShapeRecord& r : data_.records) {
            if (r.type == ShapeRecord::Type::Style) {
                if (r.styleSet >= 0) {
                    flush(shape);
                    startStyles(r.styleSet);
                    fill0 = fill1 = line = 0;
                }
                fill0 = r.fill0 >= 0 ? r.fill0 : fill0;
                fill1 = r.fill1 >= 0 ? r.fill1 : fill1;
                line = r.line >= 0 ? r.line : line;
                if (r.moveTo) {
                    pen = r.to;
                }
                continue;
            }
            const Edge e{pen, r.control, r.to, r.type == ShapeRecord::Type::Curve};
            pen = r.to;
            ++shape.edgeCount;
            if (fill1 > 0 && fill1 <= static_cast<int>(fillEdges_.size())) {
                fillEdges_[fill1 - 1].push_back(e);
            }
            if (fill0 > 0 && fill0 <= static_cast<int>(fillEdges_.size())) {
                fillEdges_[fill0 - 1].push_back(Edge{e.to, e.control, e.from, e.curve});
            }
            if (line > 0 && line <= static_cast<int>(lineEdges_.size())) {
                lineEdges_[line - 1].push_back(e);
            }
        }
        flush(shape);
        return shape;
    }

private:
    void startStyles(int set) {
        styles_ = set < static_cast<int>(data_.styleSets.size()) ? &data_.styleSets[set] : &empty_;
        fillEdges_.assign(styles_->fills.size(), {});
        lineEdges_.assign(styles_->lines.size(), {});
    }

    void flush(Shape& shape) {
        ShapeLayer layer;
        for (std::size_t i = 0; i < fillEdges_.size(); ++i) {
            if (!fillEdges_[i].empty()) {
                QPainterPath path = LinkContours(fillEdges_[i]);
                if (data_.windingFill) {
                    path.setFillRule(Qt::WindingFill);
                }
                layer.fills.emplace_back(styles_->fills[i], std::move(path));
            }
        }
        for (std::size_t i = 0; i < lineEdges_.size(); ++i) {
            if (!lineEdges_[i].empty()) {
                layer.lines.emplace_back(styles_->lines[i], StrokePath(lineEdges_[i]));
            }
        }
        if (!layer.fills.empty() || !layer.lines.empty()) {
            shape.layers.push_back(std::move(layer));
        }
    }

    const ShapeData& data_;
    StyleSet empty_;
    const StyleSet* styles_ = nullptr;
    std::vector<std::vector<Edge>> fillEdges_;
    std::vector<std::vector<Edge>> lineEdges_;
};

} // namespace

Shape BuildShape(const ShapeData& data) {
    return Builder(data).build();
}

QPainterPath ShapeOutline(const Shape& shape) {
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const ShapeLayer& layer : shape.layers) {
        for (const auto& [style, path] : layer.fills) {
            out.addPath(path);
        }
    }
    return out;
}

bool ShapeContains(const Shape& shape, const QPointF& point) {
    if (!shape.bounds.contains(point)) {
        return false;
    }
    for (const ShapeLayer& layer : shape.layers) {
        for (const auto& [style, path] : layer.fills) {
            if (path.contains(point)) {
                return true;
            }
        }
        for (const auto& [style, path] : layer.lines) {
            if (LineContains(style, path, point)) {
                return true;
            }
        }
    }
    return false;
}

bool LineContains(const LineStyle& style, const QPainterPath& path, const QPointF& point) {
    const double width = std::max(style.width, 20.0);
    const double reach = width / 2;
    if (!path.controlPointRect().adjusted(-reach, -reach, reach, reach).contains(point)) {
        return false; // far from the line: no outline to build
    }
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    return stroker.createStroke(path).contains(point);
}

} // namespace quillon::engine
