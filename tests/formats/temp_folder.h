#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quorvane::formats::testing {

using Bytes = std::vector<std::uint8_t>;

// Each test gets a folder of its own, removed afterwards.
class TempFolder : public ::testing::Test {
protected:
    std::filesystem::path folder;

    void SetUp() override {
        std::string pattern = (std::filesystem::path(::testing::TempDir()) / "quorvane-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path write(const std::string& name, const Bytes& bytes) const {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static Bytes read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<std::string> names() const {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            names.push_back(item.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace quorvane::formats::testing
