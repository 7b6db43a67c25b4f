#include "pc/file_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace quorvane::pc::testing {
namespace {

using namespace quorvane::testing;

class FileLockTest : public quorvane::testing::TempFolder {
protected:
    // Whether a second open of `path` could lock it now, and what it was told.
    static LockError secondTake(const std::filesystem::path& path) {
        LockError error;
        const std::optional<FileLock> second = FileLock::take(path, error);
        return error;
    }
};

TEST_F(FileLockTest, ASecondTakeIsRefusedAndToldTheHolderUntilTheFirstLetsGo) {
    const auto image = write("card.bin", Bytes(16, 0));
    std::filesystem::create_symlink(image, folder / "link.bin");
    std::filesystem::create_directory(folder / "card");
    for (const auto& path : {image, folder / "card"}) {
        SCOPED_TRACE(path);
        LockError error;
        std::optional<FileLock> first = FileLock::take(path, error);
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(secondTake(path).problem, LockProblem::HeldElsewhere);
        EXPECT_EQ(secondTake(path).holder, std::optional<long>(::getpid()));
        first.reset();
        EXPECT_EQ(secondTake(path).problem, LockProblem::None);
    }
    // A link locks the file it names.
    LockError error;
    const std::optional<FileLock> throughLink = FileLock::take(folder / "link.bin", error);
    ASSERT_TRUE(throughLink.has_value());
    EXPECT_EQ(secondTake(image).problem, LockProblem::HeldElsewhere);
}

TEST_F(FileLockTest, AFileRenamedOverTheLockedOneIsLockedBeforeItTakesTheName) {
    const auto image = write("card.bin", Bytes(16, 0));
    LockError error;
    std::optional<FileLock> lock = FileLock::take(image, error);
    ASSERT_TRUE(lock.has_value());
    const auto replacement = write(".card.bin.new", Bytes(16, 1));
    const int fd = ::open(replacement.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::optional<FileLock> next = FileLock::onDescriptor(fd);
    ASSERT_TRUE(next.has_value());
    ::close(fd);
    std::filesystem::rename(replacement, image);
    lock = std::move(next);
    EXPECT_EQ(secondTake(image).problem, LockProblem::HeldElsewhere);
}

}  // namespace
}  // namespace quorvane::pc::testing
