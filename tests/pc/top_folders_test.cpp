// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/top_folders.h"

#include <gtest/gtest.h>

namespace quorvane::pc::testing {
namespace {

using Paths = std::vector<std::filesystem::path>;

bool anyPath(const std::filesystem::path& /*path*/) {
    return true;
}

TEST(MountTable, MountPointsAreTheSecondFieldWithOctalEscapesDecoded) {
    const std::string table =
        "sysfs /sys sysfs rw 0 0\n"
        "/dev/sdb1 /media/My\\040Card vfat rw 0 0\n"
        "/dev/sdc1 /mnt/tab\\011new\\012back\\134slash ext4 rw 0 0\n"
        "/dev/sdd1 /mnt/short\\04 ext4 rw 0 0\n"
        "/dev/sde1 /mnt/not\\9octal ext4 rw 0 0\n"
        "lonely\n"
        "\n"
        "/dev/sdf1\t/mnt/last";
    EXPECT_EQ(mountPoints(table),
              (std::vector<std::string>{"/sys", "/media/My Card", "/mnt/tab\tnew\nback\\slash",
                                        "/mnt/short\\04", "/mnt/not\\9octal", "/mnt/last"}));
}

TEST(TopFolders, HomeThenRootThenMountPointsDirectlyUnderTheMediaFolders) {
    const std::string table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "tmpfs /media tmpfs rw 0 0\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n"
        "/dev/sdc1 /media/ann/Card\\040One vfat rw 0 0\n"
        "/dev/sdd1 /run/media/ann/stick vfat rw 0 0\n"
        "/dev/sde1 /mnt/backup ext4 rw 0 0\n"
        "/dev/sdf1 /mnt/backup/deeper ext4 rw 0 0\n"
        "/dev/sdg1 /run/media/bob/stick vfat rw 0 0\n"
        "/dev/sdh1 /srv/data ext4 rw 0 0\n"
        "/dev/sdi1 /mnt/gone ext4 rw 0 0\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n";
    const auto allButGone = [](const std::filesystem::path& path) { return path != "/mnt/gone"; };
    EXPECT_EQ(topFolders("/home/ann/", "ann", table, allButGone),
              (Paths{"/home/ann", "/", "/media/usb", "/media/ann/Card One", "/run/media/ann/stick",
                     "/mnt/backup"}));
}

TEST(TopFolders, AFolderIsListedOnceAndOnlyWhenItIsAFolder) {
    EXPECT_EQ(topFolders("/", "ann", "", anyPath), Paths{"/"});
    EXPECT_EQ(topFolders("/mnt/home", "ann", "/dev/sda2 /mnt/home ext4 rw 0 0\n", anyPath),
              (Paths{"/mnt/home", "/"}));
    EXPECT_EQ(topFolders("/", "ann", "/dev/sdz9 /mnt/quorvane-no-such-mount ext4 rw 0 0\n"),
              Paths{"/"});
}

}  // namespace
}  // namespace quorvane::pc::testing
