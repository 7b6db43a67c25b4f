// SPDX-License-Identifier: GPL-3.0-or-later
// Writes onto a real, small file system that fills up or turns read-only under the program:
// the previous file must stay byte for byte as it was, and the failure must be reported.
#include "support/small_file_system.h"

#include <cerrno>
#include <memory>

#include "card/page_layout.h"
#include "formats/page_file.h"
#include "formats/safe_write.h"
#include "support/temp_folder.h"

namespace quorvane::formats::testing {
namespace {

using namespace quorvane::testing;

constexpr std::size_t SMALL_FS_BYTES = 256 * 1024;

// The test's folder as a 256 KiB file system; skipped where this process cannot mount one.
class SmallFolder : public TempFolder {
protected:
    std::unique_ptr<SmallFileSystem> fileSystem;

    void SetUp() override {
        TempFolder::SetUp();
        fileSystem = std::make_unique<SmallFileSystem>(folder, SMALL_FS_BYTES);
        if (!fileSystem->mounted()) {
            GTEST_SKIP() << fileSystem->whyNot;
        }
    }
    void TearDown() override { fileSystem.reset(); }
};

TEST_F(SmallFolder, FullDiskKeepsTheOldPageFileAndReportsIt) {
    card::CardOrderPage oldPage{};
    oldPage.bytes.fill(0x11);
    const std::filesystem::path target = folder / "page.dcm";
    ASSERT_TRUE(writePageFile(target, oldPage).ok());
    fileSystem->fillLeaving(16 * 1024);

    card::CardOrderPage newPage{};
    newPage.bytes.fill(0x22);
    const WriteStatus status = writePageFile(target, newPage);

    EXPECT_EQ(status.result, WriteResult::CannotWrite);
    EXPECT_EQ(status.systemError, ENOSPC);
    EXPECT_EQ(read(target), Bytes(oldPage.bytes.begin(), oldPage.bytes.end()));
    EXPECT_EQ(names(), (std::vector<std::string>{"filler", "page.dcm"}));  // no leftovers
}

TEST_F(SmallFolder, FolderTurnedReadOnlyKeepsTheOldFileAndReportsIt) {
    const std::filesystem::path target = write("save.ddc", Bytes(1572, 0x33));
    ASSERT_TRUE(fileSystem->remountReadOnly());

    const WriteStatus status = writeFileAtomically(target, Bytes(36, 0x44));

    EXPECT_EQ(status.result, WriteResult::CannotCreate);
    EXPECT_EQ(status.systemError, EROFS);
    EXPECT_EQ(read(target), Bytes(1572, 0x33));
}

}  // namespace
}  // namespace quorvane::formats::testing
