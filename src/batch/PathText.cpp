#include "PathText.h"

#include <QFile>
#include <QStringDecoder>
#include <dirent.h>
#include <sys/stat.h>

namespace quillon {

namespace {

QString NameText(std::string_view name) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
    return utf8.hasError() ? QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))
                           : text;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name reads as text, or the UTF-8 form when none does.
std::string NameInFolder(const std::string& folder, const QString& text) {
    const std::string utf8 = QFile::encodeName(text).toStdString();
    if (Exists(folder + utf8)) {
        return utf8;
    }
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return utf8;
    }
    std::string found = utf8;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (NameText(name) == text || QFile::decodeName(entry->d_name) == text) {
            found = std::string(name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

QString PathText(const std::string& path) {
    QString text;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        text += NameText(std::string_view(path).substr(start, end - start));
        if (slash == std::string::npos) {
            return text;
        }
        text += QLatin1Char('/');
        start = slash + 1;
    }
}

std::string PathBytes(const QString& path) {
    const std::string utf8 = QFile::encodeName(path).toStdString();
    if (path.isEmpty() || Exists(utf8)) {
        return utf8;
    }
    std::string bytes;
    const QStringList names = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0) {
            bytes += '/';
        }
        bytes += names[i].isEmpty() ? std::string() : NameInFolder(bytes, names[i]);
    }
    return bytes;
}

} // namespace quillon
