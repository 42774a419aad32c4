// Build tool: lays out one help page (HTML) and prints it as the PDF document that
// the program's help command opens. Usage: quillon_helppdf INPUT.html OUTPUT.pdf TITLE
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

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT.html OUTPUT.pdf TITLE\n", argv[0]);
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(input.errorString()));
        return 1;
    }
    const QString html = QString::fromUtf8(input.readAll());

    // The whole document is written or nothing: a failed run leaves no half PDF behind.
    QSaveFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    {
        QPdfWriter writer(&output);
        writer.setTitle(QString::fromLocal8Bit(argv[3]));
        writer.setCreator(QStringLiteral("Quillon"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));

        QTextDocument document;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(10);
        document.setDefaultFont(font);
        document.setHtml(html);
        // Without a page size of its own the document is paginated for the writer's
        // page and each page gets its number.
        document.print(&writer);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
