// Writes onto a real, small file system that fills up or turns read-only under the program:
// the previous file must stay byte for byte as it was, and the failure must be reported.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "card/page_layout.h"
#include "formats/page_file.h"
#include "formats/safe_write.h"
#include "temp_folder.h"

// Last: <sys/mount.h> defines a BLOCK_SIZE macro of its own.
#include <sys/mount.h>

namespace quorvane::formats::testing {
namespace {

constexpr unsigned long SMALL_FS_BYTES = 256 * 1024;

// A 256 KiB tmpfs mounted on the test's folder. Mounting needs root (and a kernel that lets
// this process mount); elsewhere the tests are skipped.
class SmallFileSystem : public TempFolder {
protected:
    bool mounted = false;

    void SetUp() override {
        TempFolder::SetUp();
        if (::geteuid() != 0) {
            GTEST_SKIP() << "mounting a small file system needs root";
        }
        const std::string options = "size=" + std::to_string(SMALL_FS_BYTES);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            GTEST_SKIP() << "cannot mount tmpfs here: " << std::strerror(errno);
        }
        mounted = true;
    }
    void TearDown() override {
        if (mounted) {
            ::umount2(folder.c_str(), MNT_DETACH);
        }
        TempFolder::TearDown();
    }

    // Fills the file system until fewer than `leave` bytes are free.
    void fillLeaving(std::size_t leave) {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const Bytes chunk(4096, 0xEE);
        for (std::size_t written = 0; written + leave + chunk.size() <= SMALL_FS_BYTES;
             written += chunk.size()) {
            filler.write(reinterpret_cast<const char*>(chunk.data()),
                         static_cast<std::streamsize>(chunk.size()));
            filler.flush();
            if (!filler) {
                break;
            }
        }
    }
};

TEST_F(SmallFileSystem, FullDiskKeepsTheOldPageFileAndReportsIt) {
    card::PageBytes oldPage{};
    oldPage.fill(0x11);
    const std::filesystem::path target = folder / "page.dcm";
    ASSERT_TRUE(writePageFile(target, oldPage).ok());
    fillLeaving(16 * 1024);

    card::PageBytes newPage{};
    newPage.fill(0x22);
    const WriteStatus status = writePageFile(target, newPage);

    EXPECT_EQ(status.result, WriteResult::CannotWrite);
    EXPECT_EQ(status.systemError, ENOSPC);
    EXPECT_EQ(read(target), Bytes(oldPage.begin(), oldPage.end()));
    EXPECT_EQ(names(), (std::vector<std::string>{"filler", "page.dcm"}));  // no leftovers
}

TEST_F(SmallFileSystem, FolderTurnedReadOnlyKeepsTheOldFileAndReportsIt) {
    const std::filesystem::path target = write("save.ddc", Bytes(1572, 0x33));
    ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);

    const WriteStatus status = writeFileAtomically(target, Bytes(36, 0x44));

    EXPECT_EQ(status.result, WriteResult::CannotCreate);
    EXPECT_EQ(status.systemError, EROFS);
    EXPECT_EQ(read(target), Bytes(1572, 0x33));
}

}  // namespace
}  // namespace quorvane::formats::testing
