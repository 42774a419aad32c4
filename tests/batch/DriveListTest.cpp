// The drive box's roots on Linux.

#include "batch/DriveList.h"

#include "BatchFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(DriveList, OnlyRealVolumesFromTheMountTable) {
    const QString table = QStringLiteral("sysfs /sys sysfs rw 0 0\n"
                                         "proc /proc proc rw 0 0\n"
                                         "/dev/sda1 / ext4 rw 0 0\n"
                                         "tmpfs /run tmpfs rw 0 0\n"
                                         "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
                                         "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
                                         "server:/export /mnt/share nfs4 rw 0 0\n"
                                         "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                                         "/dev/nvme0n1p2 /data btrfs rw 0 0\n");
    EXPECT_EQ(VolumeMountPoints(table),
              (QStringList{"/", "/media/usb stick", "/mnt/share", "/data"}));
}

TEST(DriveList, RootHomeThenExistingMountPointsEachOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString home = dir.filePath("home");
    const QString volume = dir.filePath("vol");
    QDir().mkpath(home);
    QDir().mkpath(volume);
    test::WriteBytes(dir.filePath("hosts"), {1});
    const QString table = "/dev/sda1 / ext4 rw 0 0\n/dev/sda2 " + volume +
                          " ext4 rw 0 0\n/dev/sda1 " + dir.filePath("hosts") +
                          " ext4 rw 0 0\n/dev/sda3 " + home + " ext4 rw 0 0\n/dev/sdc1 " +
                          dir.filePath("missing") + " ext4 rw 0 0\n";
    EXPECT_EQ(DriveRoots(home, table), (QStringList{"/", home, volume}));
    EXPECT_EQ(DriveRoots().value(0), "/");
    EXPECT_EQ(DriveRoots().value(1), QDir::homePath());
}

} // namespace
} // namespace quillon
