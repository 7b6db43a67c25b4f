// SPDX-License-Identifier: GPL-3.0-or-later
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "pc/folder_files.h"
#include "pc/name_lookup.h"
#include "pc/subdirectories.h"
#include "support/temp_folder.h"

namespace quorvane::pc::testing {
namespace {

using namespace quorvane::testing;

using quorvane::testing::Bytes;

class FolderListing : public quorvane::testing::TempFolder {
protected:
    void makeFolders(const std::string& relative) const {
        std::filesystem::create_directories(folder / relative);
    }
    void link(const std::string& target, const std::string& name) const {
        std::filesystem::create_symlink(target, folder / name);
    }
};

std::vector<std::string> sortedNames(const std::vector<std::filesystem::path>& paths) {
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const std::filesystem::path& path : paths) {
        names.push_back(path.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FolderListing, SubdirectoriesAreDirectoriesAndLinksToThemAsPathsInTheFolder) {
    makeFolders("b/inner");
    makeFolders("a");
    makeFolders("onlyLink");
    write("file", {});
    link("a", "toA");
    link("file", "toFile");
    link("missing", "dangling");
    link("loop", "loop");
    link("../a", "onlyLink/toA");

    const std::vector<std::filesystem::path> paths = listSubdirectories(folder);
    EXPECT_EQ(sortedNames(paths), (std::vector<std::string>{"a", "b", "onlyLink", "toA"}));
    EXPECT_NE(std::find(paths.begin(), paths.end(), folder / "toA"), paths.end());
    EXPECT_TRUE(hasSubdirectory(folder / "b"));
    EXPECT_TRUE(hasSubdirectory(folder / "onlyLink"));
    EXPECT_FALSE(hasSubdirectory(folder / "a"));
    EXPECT_TRUE(listSubdirectories(folder / "a").empty());
}

TEST_F(FolderListing, FilesAreTheEntriesThatAreNoDirectoryWithTheir64BitSizes) {
    write("save.ddc", Bytes(1234, 0x55));
    write("big.dcm", {});
    std::filesystem::resize_file(folder / "big.dcm", 3ULL * 1024 * 1024 * 1024);  // sparse
    makeFolders("folder");
    link("folder", "toFolder");
    link("save.ddc", "toSave");
    link("missing", "dangling");

    std::map<std::string, std::uint64_t> sizes;
    for (const FolderFile& file : listFolderFiles(folder)) {
        sizes[file.name] = file.size;
    }
    const std::map<std::string, std::uint64_t> expected{
        {"big.dcm", 3221225472}, {"dangling", 0}, {"save.ddc", 1234}, {"toSave", 1234}};
    EXPECT_EQ(sizes, expected);
}

TEST_F(FolderListing, AMissingFolderOrAFileGivesNothing) {
    write("plain", {});
    for (const std::filesystem::path& unreadable : {folder / "missing", folder / "plain"}) {
        EXPECT_TRUE(listSubdirectories(unreadable).empty()) << unreadable;
        EXPECT_FALSE(hasSubdirectory(unreadable)) << unreadable;
        EXPECT_TRUE(listFolderFiles(unreadable).empty()) << unreadable;
        EXPECT_EQ(findEntryIgnoringCase(unreadable, "X"), std::nullopt) << unreadable;
    }
}

TEST_F(FolderListing, AFolderThisUserMayNotReadGivesNothing) {
    makeFolders("locked/inner");
    write("locked/file", {});
    const std::string locked = (folder / "locked").string();
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    DIR* probe = ::opendir(locked.c_str());
    if (probe != nullptr) {
        ::closedir(probe);
        ::chmod(locked.c_str(), 0755);
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    const bool noSubdirectories = listSubdirectories(locked).empty() && !hasSubdirectory(locked);
    const bool noFiles = listFolderFiles(locked).empty();
    const bool notFound = !findEntryIgnoringCase(locked, "FILE");
    ::chmod(locked.c_str(), 0755);
    EXPECT_TRUE(noSubdirectories);
    EXPECT_TRUE(noFiles);
    EXPECT_TRUE(notFound);
}

}  // namespace
}  // namespace quorvane::pc::testing
