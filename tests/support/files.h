// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

// Files for tests: whole files as bytes, and folders of their own that go away afterwards.
namespace quorvane::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The names of the files in `folder`, sorted.
inline std::vector<std::string> fileNamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Everything under `folder`, links not followed: each entry's relative path and type, a file's
// bytes (hashed; a file larger than a card by its size and time, so that a sparse file of
// gigabytes is not read), a link's text. Equal snapshots: nothing under the folder changed.
inline std::string folderSnapshot(const std::filesystem::path& folder) {
    constexpr std::uintmax_t LARGEST_HASHED = 131072;
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    std::string snapshot;
    for (const auto& entry : entries) {
        const auto type = std::filesystem::symlink_status(entry, error).type();
        snapshot += entry.lexically_relative(folder).string() + " " +
                    std::to_string(static_cast<int>(type));
        if (type == std::filesystem::file_type::symlink) {
            snapshot += " -> " + std::filesystem::read_symlink(entry, error).string();
        } else if (type == std::filesystem::file_type::regular &&
                   std::filesystem::file_size(entry, error) > LARGEST_HASHED) {
            snapshot +=
                " " + std::to_string(std::filesystem::file_size(entry, error)) + "@" +
                std::to_string(
                    std::filesystem::last_write_time(entry, error).time_since_epoch().count());
        } else if (type == std::filesystem::file_type::regular) {
            const Bytes bytes = readBytes(entry);
            snapshot +=
                " " +
                std::to_string(std::hash<std::string>{}(std::string(bytes.begin(), bytes.end())));
        }
        snapshot += "\n";
    }
    return snapshot;
}

// A new folder under the test's temporary directory, removed with everything in it, also when
// a test took its permissions away.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::path(::testing::TempDir()) / "quorvane-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempDir() {
        if (m_path.empty()) {
            return;
        }
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    bool made() const { return !m_path.empty(); }

private:
    std::filesystem::path m_path;
};

}  // namespace quorvane::testing
