#pragma once
// The About dialog: the picture, the product name, the build and two links.

#include <QDialog>

class QLabel;

namespace quillon::ui {

// Addresses the program opens; the maker's pages and the PDF reader vendor's site.
inline constexpr const char* HomePageUrl = "https://morvane.example.com/";
inline constexpr const char* WebSiteUrl = "https://www.morvane.example.com/";
inline constexpr const char* SupportUrl = "mailto:support@morvane.example.com";
inline constexpr const char* PdfReaderUrl = "https://pdfreaders.org/";

// Opens a link through the desktop; failures are not reported.
void OpenLink(const QString& address);

class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    QLabel* Picture;
    QLabel* WebSite;
    QLabel* Support;
};

} // namespace quillon::ui
