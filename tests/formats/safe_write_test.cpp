#include "formats/safe_write.h"

#include <sys/stat.h>

#include <cerrno>

#include "support/small_file_system.h"
#include "support/temp_folder.h"

namespace quorvane::formats::testing {
namespace {

using namespace quorvane::testing;

using SafeWrite = TempFolder;

mode_t modeOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST_F(SafeWrite, ReplacesTheFileKeepingItsPermissionsAndLeavesNothingElse) {
    const mode_t savedMask = ::umask(022);
    const std::filesystem::path fresh = folder / "fresh.dcm";
    ASSERT_TRUE(writeFileAtomically(fresh, Bytes{1}).ok());
    EXPECT_EQ(modeOf(fresh), 0644u);

    const std::filesystem::path old = write("save.ddc", Bytes(5000, 0x01));
    ASSERT_EQ(::chmod(old.c_str(), 0600), 0);
    ASSERT_TRUE(writeFileAtomically(old, Bytes{0x43, 0x46, 0x55, 0x00}).ok());
    ::umask(savedMask);
    EXPECT_EQ(read(old), (Bytes{0x43, 0x46, 0x55, 0x00}));
    EXPECT_EQ(modeOf(old), 0600u);
    EXPECT_EQ(names(), (std::vector<std::string>{"fresh.dcm", "save.ddc"}));
}

TEST_F(SafeWrite, MissingOrReadOnlyFolderReportsCannotCreateAndKeepsTheOldFile) {
    WriteStatus status = writeFileAtomically(folder / "no" / "such.dcm", Bytes{1});
    EXPECT_EQ(status.result, WriteResult::CannotCreate);
    EXPECT_EQ(status.systemError, ENOENT);

    const std::filesystem::path target = write("keep.ddc", Bytes(100, 0x61));
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    // Root bypasses permission checks; then the folder is not really read-only.
    if (std::ofstream(folder / "probe").is_open()) {
        GTEST_SKIP() << "running with permission checks bypassed (root)";
    }
    status = writeFileAtomically(target, Bytes(10, 0x62));
    EXPECT_EQ(status.result, WriteResult::CannotCreate);
    EXPECT_EQ(status.systemError, EACCES);
    EXPECT_EQ(read(target), Bytes(100, 0x61));
}

TEST_F(SafeWrite, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
    const std::filesystem::path target = write("keep.dcm", Bytes(100, 0x61));
    WriteStatus status;
    {
        const FileSizeLimit fullAfter1024Bytes(1024);
        ASSERT_TRUE(fullAfter1024Bytes.set());
        status = writeFileAtomically(target, Bytes(131072, 0x62));
    }
    EXPECT_EQ(status.result, WriteResult::CannotWrite);
    EXPECT_EQ(status.systemError, EFBIG);
    EXPECT_EQ(read(target), Bytes(100, 0x61));
    EXPECT_EQ(names(), std::vector<std::string>{"keep.dcm"});
}

}  // namespace
}  // namespace quorvane::formats::testing
