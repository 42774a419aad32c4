#pragma once
// Movies and folder trees made on the spot for the batch tests.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

// A plain movie: "FWS", version 6, the total length, then body bytes.
inline std::vector<std::uint8_t> PlainMovie(std::size_t bodySize) {
    const std::uint32_t total = static_cast<std::uint32_t>(8 + bodySize);
    std::vector<std::uint8_t> bytes{'F', 'W', 'S', 6};
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(total >> shift));
    }
    for (std::size_t i = 0; i < bodySize; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i % 7));
    }
    return bytes;
}

inline void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

inline qint64 SizeOf(const QString& path) {
    return QFileInfo(path).exists() ? QFileInfo(path).size() : -1;
}

// The one application object of a test program, made on first use and left to the
// process's end: destroying it among the exit handlers races Qt's own clean-up.
template <typename App> App& TestApplication() {
    static int argc = 1;
    static char name[] = "quillon_batch_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static App* app = new App(argc, argv);
    return *app;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quillon::test
