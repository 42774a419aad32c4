#pragma once
// The roots the drive box offers: "/", the home folder, then the mount points of the
// mounted volumes, without the kernel's pseudo file systems.

#include <QString>
#include <QStringList>

namespace quillon {

// Mount points of real volumes in a mount table of the /proc/self/mounts form, in its
// order: block devices and network shares, not pseudo file systems.
QStringList VolumeMountPoints(const QString& mountTable);

// "/", home, then the mount points from the table that name existing folders; each root
// once. Reads /proc/self/mounts when no table is given.
QStringList DriveRoots(const QString& home, const QString& mountTable);
QStringList DriveRoots();

} // namespace quillon
