// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/backups.h"

#include <algorithm>
#include <cstdio>
#include <regex>
#include <system_error>
#include <vector>

#include "formats/page_file.h"

namespace quorvane::app {

namespace {

constexpr int MAX_SEQUENCE = 99;

struct Backup {
    std::string stamp;  // the name up to "_page": sorts as the time it was taken
    int sequence = 1;
    std::filesystem::path path;
    bool operator<(const Backup& other) const {
        return stamp != other.stamp ? stamp < other.stamp : sequence < other.sequence;
    }
};

// The backups of one page in the folder, oldest first. Other files are left alone.
std::vector<Backup> backupsOf(const std::filesystem::path& folder, int pageNumber) {
    static const std::regex NAME(
        R"((\d{4}-\d{2}-\d{2}T\d{2}-\d{2}-\d{2})_page-(\d{2})(?:_(\d{2}))?\.dcm)");
    std::vector<Backup> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::smatch match;
        const std::string name = it->path().filename().string();
        if (std::regex_match(name, match, NAME) && std::stoi(match[2]) == pageNumber) {
            found.push_back({match[1], match[3].matched ? std::stoi(match[3]) : 1, it->path()});
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool holdsPage(const std::filesystem::path& file, const card::CardOrderPage& cardImage) {
    auto kept = std::make_unique<card::CardOrderPage>();
    return formats::readPageFile(file, *kept) == formats::ReadResult::Ok && *kept == cardImage;
}

std::string twoDigits(int value) {
    const std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

namespace {

std::optional<std::filesystem::path> dataFolder(const char* xdgDataHome, const char* home) {
    // An XDG variable holding a relative path is to be ignored.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return std::filesystem::path(xdgDataHome) / "quorvane";
    }
    if (home != nullptr && home[0] != '\0') {
        return std::filesystem::path(home) / ".local" / "share" / "quorvane";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> defaultBackupFolder(const char* xdgDataHome,
                                                         const char* home) {
    const auto data = dataFolder(xdgDataHome, home);
    return data ? std::optional(*data / "backups") : std::nullopt;
}

std::optional<std::filesystem::path> defaultVirtualCardFolder(const char* xdgDataHome,
                                                              const char* home) {
    const auto data = dataFolder(xdgDataHome, home);
    return data ? std::optional(*data / "virtual-card") : std::nullopt;
}

std::string backupFileName(const formats::LocalTime& now, int pageNumber, int sequence) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d-%02d-%02d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return std::string(stamp) + "_page-" + twoDigits(pageNumber) +
           (sequence > 1 ? "_" + twoDigits(sequence) : "") + ".dcm";
}

BackupResult keepBackup(const std::filesystem::path& folder, int pageNumber,
                        const card::CardOrderPage& cardImage, const formats::LocalTime& now) {
    BackupResult result;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        result.path = folder;
        result.folderError = error.value();
        return result;
    }
    std::vector<Backup> backups = backupsOf(folder, pageNumber);
    if (!backups.empty() && holdsPage(backups.back().path, cardImage)) {
        result.outcome = BackupResult::Outcome::SameAsNewest;
        result.path = backups.back().path;
        return result;
    }
    // Two reads within a second keep both pages: the second gets the next number.
    int sequence = 1;
    while (sequence < MAX_SEQUENCE &&
           std::filesystem::exists(folder / backupFileName(now, pageNumber, sequence), error)) {
        ++sequence;
    }
    result.path = folder / backupFileName(now, pageNumber, sequence);
    result.status = formats::writePageFile(result.path, cardImage);
    if (!result.status.ok()) {
        return result;
    }
    result.outcome = BackupResult::Outcome::Written;
    backups = backupsOf(folder, pageNumber);
    for (std::size_t i = 0; i + BACKUPS_KEPT < backups.size(); ++i) {
        std::filesystem::remove(backups[i].path, error);
    }
    return result;
}

}  // namespace quorvane::app
