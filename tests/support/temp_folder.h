// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"

namespace quorvane::testing {

// Each test gets a folder of its own, removed afterwards.
class TempFolder : public ::testing::Test {
protected:
    TempDir temp;
    std::filesystem::path folder = temp.path();

    void SetUp() override { ASSERT_TRUE(temp.made()); }

    std::filesystem::path write(const std::string& name, const Bytes& bytes) const {
        std::filesystem::path path = folder / name;
        writeBytes(path, bytes);
        return path;
    }

    static Bytes read(const std::filesystem::path& path) { return readBytes(path); }

    std::vector<std::string> names() const { return fileNamesIn(folder); }
};

}  // namespace quorvane::testing
