// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/top_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace quorvane::pc {

namespace {

constexpr std::string_view FIELD_SEPARATORS = " \t\v\f\r";
constexpr std::size_t OCTAL_DIGITS = 3;

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

std::string decodeMountField(std::string_view field) {
    std::string decoded;
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + OCTAL_DIGITS < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            decoded += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                         (field[i + 3] - '0'));
            i += OCTAL_DIGITS;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

// The field of `line` that starts at or after `from`, and moves `from` past it; empty at the end.
std::string_view nextField(std::string_view line, std::size_t& from) {
    const std::size_t start = line.find_first_not_of(FIELD_SEPARATORS, from);
    if (start == std::string_view::npos) {
        from = line.size();
        return {};
    }
    const std::size_t stop = std::min(line.find_first_of(FIELD_SEPARATORS, start), line.size());
    from = stop;
    return line.substr(start, stop - start);
}

}  // namespace

std::vector<std::string> mountPoints(std::string_view mountTable) {
    std::vector<std::string> points;
    std::size_t lineStart = 0;
    while (lineStart < mountTable.size()) {
        const std::size_t lineEnd = std::min(mountTable.find('\n', lineStart), mountTable.size());
        const std::string_view line = mountTable.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        std::size_t at = 0;
        const std::string_view device = nextField(line, at);
        const std::string_view point = nextField(line, at);
        if (!device.empty() && !point.empty()) {
            points.push_back(decodeMountField(point));
        }
    }
    return points;
}

bool isFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::vector<std::filesystem::path> topFolders(const std::filesystem::path& home,
                                              std::string_view userName,
                                              std::string_view mountTable,
                                              const FolderCheck& isMountFolder) {
    std::vector<std::filesystem::path> folders;
    // Compared as written: two spellings of one folder are told apart, as the tree's labels are.
    const auto listed = [&folders](std::string_view path) {
        return std::any_of(
            folders.begin(), folders.end(),
            [path](const std::filesystem::path& folder) { return folder.native() == path; });
    };
    std::string homePath = home.native();
    if (homePath.size() > 1 && homePath.back() == '/') {
        homePath.pop_back();
    }
    folders.emplace_back(homePath);
    if (!listed("/")) {
        folders.emplace_back("/");
    }
    const std::string user(userName);
    const std::vector<std::string> mountParents{"/media", "/media/" + user, "/run/media/" + user,
                                                "/mnt"};
    for (const std::string& point : mountPoints(mountTable)) {
        const std::string parent = point.substr(0, point.rfind('/'));
        if (std::find(mountParents.begin(), mountParents.end(), parent) != mountParents.end() &&
            !listed(point) && isMountFolder(point)) {
            folders.emplace_back(point);
        }
    }
    return folders;
}

std::string readMountTable() {
    std::ifstream file("/proc/self/mounts");
    if (!file) {
        return {};
    }
    std::ostringstream table;
    table << file.rdbuf();
    return table.str();
}

std::string currentUserName() {
    if (const passwd* entry = ::getpwuid(::geteuid())) {
        return entry->pw_name;
    }
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

}  // namespace quorvane::pc
