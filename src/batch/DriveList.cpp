#include "DriveList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace quillon {

namespace {

// The mount table writes blanks, tabs, newlines and backslashes as three octal digits.
QString DecodeMountField(const QString& field) {
    QByteArray bytes = field.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size()) {
            bool ok = false;
            const int code = bytes.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return QFile::decodeName(out);
}

bool IsNetworkType(const QString& type) {
    static const QSet<QString> network = {"nfs",   "nfs4", "cifs",       "smb3",
                                          "smbfs", "9p",   "fuse.sshfs", "ceph"};
    return network.contains(type);
}

} // namespace

QStringList VolumeMountPoints(const QString& mountTable) {
    QStringList points;
    const QStringList lines = mountTable.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        if (fields.size() < 3) {
            continue;
        }
        const QString& device = fields[0];
        const QString& type = fields[2];
        // Snap and image mounts are loop devices with read-only images, not volumes.
        const bool blockDevice = device.startsWith(QLatin1String("/dev/")) &&
                                 !device.startsWith(QLatin1String("/dev/loop"));
        if (blockDevice || IsNetworkType(type)) {
            points.append(DecodeMountField(fields[1]));
        }
    }
    return points;
}

QStringList DriveRoots(const QString& home, const QString& mountTable) {
    QStringList roots{QStringLiteral("/")};
    if (!home.isEmpty() && QFileInfo(home).isDir() && !roots.contains(home)) {
        roots.append(home);
    }
    for (const QString& point : VolumeMountPoints(mountTable)) {
        // Container runtimes mount single files (hosts, resolv.conf) from a volume.
        if (!roots.contains(point) && QFileInfo(point).isDir()) {
            roots.append(point);
        }
    }
    return roots;
}

QStringList DriveRoots() {
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    QString table;
    if (mounts.open(QIODevice::ReadOnly)) {
        table = QString::fromUtf8(mounts.readAll());
    }
    return DriveRoots(QDir::homePath(), table);
}

} // namespace quillon
