// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/safe_write.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <tuple>

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

gid_t groupOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_gid;
}

using Links = std::vector<std::pair<std::string, std::string>>;  // a link's name, its text

// Empties the folder, then makes sub/keep, the FIFO pipe.dcm, the folder vmu and `links`.
void remake(const std::filesystem::path& folder, const Links& links) {
    for (const auto& name : fileNamesIn(folder)) {
        std::filesystem::remove_all(folder / name);
    }
    std::filesystem::create_directories(folder / "sub" / "keep");
    std::filesystem::create_directories(folder / "vmu");
    ASSERT_EQ(::mkfifo((folder / "pipe.dcm").c_str(), 0600), 0);
    for (const auto& [name, text] : links) {
        std::filesystem::create_symlink(text, folder / name);
    }
}

TEST_F(SafeWrite, ALinkStaysAndTheFileAtItsEndIsReplacedKeepingItsModeAndGroup) {
    const std::string abs = folder.string();
    // The links, the path written, the file that must change (made 0640 where it is there).
    const std::tuple<Links, const char*, const char*, bool> cases[] = {
        {{{"card.bin", abs + "/vmu/real.bin"}}, "card.bin", "vmu/real.bin", true},
        {{{"sub/page-01.dcm", "../vmu/real.bin"}}, "sub/page-01.dcm", "vmu/real.bin", true},
        {{{"card.bin", "sub/b"}, {"sub/b", abs + "/vmu/c"}, {"vmu/c", "real.bin"}},
         "card.bin",
         "vmu/real.bin",
         true},
        {{{"card.bin", "vmu/new.bin"}}, "card.bin", "vmu/new.bin", false},  // made
    };
    for (const auto& [links, path, real, there] : cases) {
        SCOPED_TRACE(path + std::string(" to ") + real);
        remake(folder, links);
        gid_t group = 0;
        if (there) {
            write(real, Bytes(64, 0x11));
            ASSERT_EQ(::chmod((folder / real).c_str(), 0640), 0);
            // Root may give it any group; a user keeps their own.
            ::chown((folder / real).c_str(), static_cast<uid_t>(-1), 4242);
            group = groupOf(folder / real);
        }
        ASSERT_TRUE(writeFileAtomically(folder / path, Bytes{0x44, 0x43}).ok());
        EXPECT_EQ(read(folder / real), (Bytes{0x44, 0x43}));
        for (const auto& [name, text] : links) {
            EXPECT_EQ(std::filesystem::read_symlink(folder / name), text) << "the link stays";
        }
        EXPECT_EQ(fileNamesIn(folder / "vmu").size(), links.size() == 3 ? 2U : 1U) << "temporary";
        if (there) {
            EXPECT_EQ(modeOf(folder / real), 0640U);
            EXPECT_EQ(groupOf(folder / real), group);
        }
    }
}

TEST_F(SafeWrite, AFolderAFifoOrALinkThatLeadsNowhereIsRefusedAndLeftAsItWas) {
    const std::tuple<Links, const char*, WriteResult, int> cases[] = {
        {{}, "sub", WriteResult::NotAFile, EISDIR},
        {{}, "pipe.dcm", WriteResult::NotAFile, 0},  // never opened: nothing waits for a reader
        {{{"card.bin", "sub"}}, "card.bin", WriteResult::NotAFile, EISDIR},
        {{{"a.bin", "b.bin"}, {"b.bin", "a.bin"}}, "a.bin", WriteResult::CannotFollowLink, ELOOP},
        {{{"card.bin", "gone/real.bin"}}, "card.bin", WriteResult::CannotCreate, ENOENT},
    };
    for (const auto& [links, path, result, systemError] : cases) {
        SCOPED_TRACE(path);
        remake(folder, links);
        const std::string before = folderSnapshot(folder);
        const WriteStatus status = writeFileAtomically(folder / path, Bytes(10, 0x62));
        EXPECT_EQ(status.result, result);
        EXPECT_EQ(status.systemError, systemError);
        EXPECT_EQ(folderSnapshot(folder), before);
    }
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
