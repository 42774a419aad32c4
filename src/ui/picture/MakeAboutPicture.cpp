// Build tool: draws the About dialog's banner, encodes it as a JPEG and
// writes it out as a C++ source file that the program embeds.
//   make_about_picture OUTPUT.cpp

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

QImage DrawBanner() {
    QImage image(233, 81, QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient metal(0, 0, 0, image.height());
    metal.setColorAt(0.0, QColor(236, 238, 242));
    metal.setColorAt(0.5, QColor(184, 190, 200));
    metal.setColorAt(1.0, QColor(120, 128, 142));
    painter.fillRect(image.rect(), metal);
    // A quill across the left part of the banner.
    QPainterPath feather;
    feather.moveTo(14, 70);
    feather.cubicTo(30, 20, 60, 8, 78, 6);
    feather.cubicTo(66, 30, 46, 54, 14, 70);
    painter.fillPath(feather, QColor(40, 70, 130));
    painter.setPen(QPen(QColor(250, 250, 250), 1.5));
    painter.drawLine(QPointF(14, 70), QPointF(70, 12));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(60, 64, 72));
    painter.drawText(QRect(84, 1, 149, 81), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Quillon"));
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QRect(83, 0, 149, 81), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Quillon"));
    return image;
}

// Qt's JPEG writer is libjpeg underneath; quality 90 keeps the banner's text crisp.
QByteArray EncodeJpeg(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 90)) {
        std::fprintf(stderr, "make_about_picture: no JPEG writer in this Qt\n");
        std::exit(1);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_about_picture OUTPUT.cpp\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray jpeg = EncodeJpeg(DrawBanner());
    std::ofstream out(argv[1], std::ios::trunc);
    out << "// Generated at build time: the About dialog's picture as a JPEG file.\n"
           "#include \"ui/AboutPicture.h\"\n"
           "namespace quillon::ui {\n"
           "const unsigned char AboutPictureJpeg[] = {";
    for (qsizetype i = 0; i < jpeg.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ")
            << static_cast<int>(static_cast<unsigned char>(jpeg[i])) << ',';
    }
    out << "\n};\nconst std::size_t AboutPictureJpegSize = sizeof(AboutPictureJpeg);\n}\n";
    return out ? 0 : 1;
}
