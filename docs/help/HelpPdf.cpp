// Build tool: lays out one help page (HTML) and prints it as the PDF document that
// the program's help command opens.
// Usage: quillon_helppdf INPUT.html STYLE.css OUTPUT.pdf TITLE
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>
#include <cstdio>

namespace {

bool ReadText(const char* path, QString* text) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", path, qPrintable(file.errorString()));
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s INPUT.html STYLE.css OUTPUT.pdf TITLE\n", argv[0]);
        return 2;
    }
    QString html;
    QString css;
    if (!ReadText(argv[1], &html) || !ReadText(argv[2], &css)) {
        return 1;
    }

    // The whole document is written or nothing: a failed run leaves no half PDF behind.
    QSaveFile output(QString::fromLocal8Bit(argv[3]));
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "%s: %s\n", argv[3], qPrintable(output.errorString()));
        return 1;
    }
    {
        QPdfWriter writer(&output);
        writer.setTitle(QString::fromLocal8Bit(argv[4]));
        writer.setCreator(QStringLiteral("Quillon"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));

        QTextDocument document;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(10);
        document.setDefaultFont(font);
        document.setDefaultStyleSheet(css);
        document.setHtml(html);
        // Without a page size of its own the document is paginated for the writer's
        // page and each page gets its number.
        document.print(&writer);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[3], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
