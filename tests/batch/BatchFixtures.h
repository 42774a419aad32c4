#pragma once
// Movies and folder trees made on the spot for the batch tests.

#include "support/Bytes.h"
#include "support/TestApplication.h"

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
    Bytes body(bodySize);
    for (std::size_t i = 0; i < bodySize; ++i) {
        body[i] = static_cast<std::uint8_t>(i % 7);
    }
    return PlainMovie(body, 6);
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

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quillon::test
