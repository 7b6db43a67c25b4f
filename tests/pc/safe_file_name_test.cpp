#include "pc/safe_file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane::pc {
namespace {

TEST(SafeFileName, CardNamesThatStayInTheFolderAreUsable) {
    EXPECT_TRUE(usableAsFileName("RACEDATA_001"));
    EXPECT_TRUE(usableAsFileName("A B.C"));
    EXPECT_TRUE(usableAsFileName("..."));
    EXPECT_TRUE(usableAsFileName("CAF\xC9"));  // a Latin-1 byte becomes a character
}

TEST(SafeFileName, NamesThatLeaveTheFolderOrHideControlsAreNot) {
    EXPECT_FALSE(usableAsFileName(""));
    EXPECT_FALSE(usableAsFileName("."));
    EXPECT_FALSE(usableAsFileName(".."));
    EXPECT_FALSE(usableAsFileName("../SAVE"));
    EXPECT_FALSE(usableAsFileName("/etc"));
    EXPECT_FALSE(usableAsFileName("SAVE\x1B[2J"));
    EXPECT_FALSE(usableAsFileName("SAVE\x7F"));
    EXPECT_FALSE(usableAsFileName(std::string("SA\0VE", 5)));
}

}  // namespace
}  // namespace quorvane::pc
