// Build tool: draws the program's icon from one list of shapes, as an SVG document and
// as PNG pictures of the sizes given, so the two never disagree.
//   make_icon OUTPUT_FOLDER SIZE...
// writes OUTPUT_FOLDER/icon.svg and OUTPUT_FOLDER/icon-SIZE.png.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The icon on a 256-unit square: a blue tile, a white film frame with a play mark, and
// two white wedges pressing on it from above and below.
constexpr double Side = 256;
const QColor TileTop(0x3b, 0x7d, 0xd8), TileBottom(0x1f, 0x4f, 0x9a), Mark(0x2a, 0x63, 0xb8);
const QPolygonF PlayMark({{112, 104}, {112, 152}, {154, 128}});
const QPolygonF UpperWedge({{88, 30}, {168, 30}, {128, 70}});
const QPolygonF LowerWedge({{88, 226}, {168, 226}, {128, 186}});

std::string Points(const QPolygonF& polygon) {
    std::string text;
    for (const QPointF& p : polygon) {
        text += (text.empty() ? "" : " ") + std::to_string(int(p.x())) + "," +
                std::to_string(int(p.y()));
    }
    return text;
}

std::string Svg() {
    const std::string top = TileTop.name().toStdString(), bottom = TileBottom.name().toStdString();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
           "  <defs><linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
           "<stop offset=\"0\" stop-color=\"" +
           top + "\"/><stop offset=\"1\" stop-color=\"" + bottom +
           "\"/></linearGradient></defs>\n"
           "  <rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"44\" fill=\"url(#tile)\"/>\n"
           "  <rect x=\"56\" y=\"84\" width=\"144\" height=\"88\" rx=\"12\" fill=\"#ffffff\"/>\n"
           "  <polygon points=\"" +
           Points(PlayMark) + "\" fill=\"" + Mark.name().toStdString() +
           "\"/>\n  <polygon points=\"" + Points(UpperWedge) +
           "\" fill=\"#ffffff\"/>\n"
           "  <polygon points=\"" +
           Points(LowerWedge) + "\" fill=\"#ffffff\"/>\n</svg>\n";
}

QImage Png(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / Side, size / Side);
    painter.setPen(Qt::NoPen);
    QLinearGradient tile(0, 0, 0, Side);
    tile.setColorAt(0, TileTop);
    tile.setColorAt(1, TileBottom);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(56, 84, 144, 88), 12, 12);
    painter.drawPolygon(UpperWedge);
    painter.drawPolygon(LowerWedge);
    painter.setBrush(Mark);
    painter.drawPolygon(PlayMark);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: make_icon OUTPUT_FOLDER SIZE...\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream(folder + "/icon.svg") << Svg();
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const std::string name = folder + "/icon-" + argv[i] + ".png";
        if (size < 8 || size > 1024 || !Png(size).save(QString::fromStdString(name), "PNG")) {
            std::fprintf(stderr, "make_icon: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
