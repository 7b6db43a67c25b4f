// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "adapter/virtual_adapter.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/input_file.h"
#include "formats/page_file.h"
#include "formats/safe_write.h"
#include "pc/file_lock.h"

// A virtual card kept in a folder: one .dcm page image per page, page-01.dcm upward.
namespace quorvane::adapter {

namespace {

class FolderPageStore final : public PageStore {
public:
    FolderPageStore(std::filesystem::path dir, pc::FileLock lock)
        : m_dir(std::move(dir)), m_lock(std::move(lock)) {}
    // Through a new file renamed over the old one: a failed save never leaves a truncated page.
    // A page the user may not write is never replaced, though its folder would allow it.
    formats::WriteStatus save(int pageIndex, const card::CardOrderPage& cardImage) override {
        if (const auto blocked = notWritable(pageIndex)) {
            return formats::WriteStatus{formats::WriteResult::CannotCreate, blocked->systemError};
        }
        return formats::writePageFile(m_dir / pageFileName(pageIndex), cardImage);
    }
    std::optional<formats::WriteBlocker> notWritable(int pageIndex) const override {
        return formats::replacementBlocker(m_dir / pageFileName(pageIndex));
    }

private:
    std::filesystem::path m_dir;
    pc::FileLock m_lock;  // the folder's, for the store's lifetime
};

// The lock is on the folder itself: it never changes while page files are replaced, it can be
// taken in a folder the user may only read, and it leaves nothing behind in a backup folder.
std::optional<pc::FileLock> lockFolder(const std::filesystem::path& dir, FolderError& error) {
    pc::LockError problem;
    std::optional<pc::FileLock> lock = pc::FileLock::take(dir, problem);
    if (!lock) {
        error = FolderError{problem.problem == pc::LockProblem::HeldElsewhere
                                ? FolderProblem::InUse
                                : FolderProblem::CannotRead,
                            dir, problem.systemError, problem.holder};
    }
    return lock;
}

bool folderIsEmpty(const std::filesystem::path& dir) {
    std::error_code error;
    return std::filesystem::directory_iterator(dir, error) ==
               std::filesystem::directory_iterator() &&
           !error;
}

FolderError problem(FolderProblem kind, const std::filesystem::path& path, int systemError = 0) {
    return FolderError{kind, path, systemError, std::nullopt};
}

bool makeFolder(const std::filesystem::path& dir, FolderError& error) {
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (code) {
        error = problem(FolderProblem::CannotCreate, dir, code.value());
        return false;
    }
    return true;
}

bool seedFolder(const std::filesystem::path& dir, SampleFiles samples, FolderError& error) {
    const std::vector<card::CardOrderPage> pages = makeSamplePages(samples);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const auto file = dir / pageFileName(static_cast<int>(i));
        const formats::WriteStatus written = formats::writePageFile(file, pages[i]);
        if (!written.ok()) {
            error = problem(FolderProblem::CannotWriteSample, file, written.systemError);
            return false;
        }
    }
    return true;
}

// One byte more than a page tells a longer file without reading it all.
bool loadPage(const std::filesystem::path& file, card::CardOrderPage& page, FolderError& error) {
    const formats::FileStart start = formats::readFileStart(file, card::PAGE_SIZE + 1);
    if (start.result != formats::ReadResult::Ok && start.result != formats::ReadResult::NotAFile) {
        error = problem(FolderProblem::CannotRead, file, start.systemError);
        return false;
    }
    if (start.bytes.size() != card::PAGE_SIZE) {
        error = problem(FolderProblem::NotAPageImage, file);
        return false;
    }
    std::copy(start.bytes.begin(), start.bytes.end(), page.bytes.begin());
    return true;
}

}  // namespace

std::string pageFileName(int pageIndex) {
    const int number = pageIndex + 1;
    return "page-" + std::string(number < 10 ? "0" : "") + std::to_string(number) + ".dcm";
}

std::unique_ptr<VirtualAdapter> VirtualAdapter::openDirectory(const std::filesystem::path& dir,
                                                              FolderError& error,
                                                              NewFolder newFolder) {
    std::error_code code;
    const bool exists = std::filesystem::exists(dir, code);
    if (exists && !std::filesystem::is_directory(dir, code)) {
        error = problem(FolderProblem::NotAFolder, dir);
        return nullptr;
    }
    if (!exists && newFolder == NewFolder::Refused) {
        error = problem(FolderProblem::Missing, dir);
        return nullptr;
    }
    if (!exists && !makeFolder(dir, error)) {
        return nullptr;
    }
    // Locked before it is seeded or read: two programs never fill or read it at once.
    std::optional<pc::FileLock> lock = lockFolder(dir, error);
    if (!lock) {
        return nullptr;
    }
    if (folderIsEmpty(dir)) {
        if (newFolder == NewFolder::Refused) {
            error = problem(FolderProblem::Missing, dir);
            return nullptr;
        }
        if (!seedFolder(dir, SampleFiles::OnFirstPage, error)) {
            return nullptr;
        }
    }
    std::vector<card::CardOrderPage> pages;
    for (int index = 0; index < link::MAX_PAGES; ++index) {
        const auto file = dir / pageFileName(index);
        if (!std::filesystem::exists(file, code)) {
            break;
        }
        pages.emplace_back();
        if (!loadPage(file, pages.back(), error)) {
            return nullptr;
        }
    }
    if (pages.empty()) {
        error = problem(FolderProblem::NoFirstPage, dir / pageFileName(0));
        return nullptr;
    }
    return std::make_unique<VirtualAdapter>(
        std::move(pages), std::make_unique<FolderPageStore>(dir, std::move(*lock)));
}

bool VirtualAdapter::createEmptyCard(const std::filesystem::path& dir, FolderError& error) {
    std::error_code code;
    if (std::filesystem::exists(dir, code) && !std::filesystem::is_directory(dir, code)) {
        error = problem(FolderProblem::NotAFolder, dir);
        return false;
    }
    if (!makeFolder(dir, error)) {
        return false;
    }
    const std::optional<pc::FileLock> lock = lockFolder(dir, error);
    if (!lock) {
        return false;
    }
    if (!folderIsEmpty(dir)) {
        error = problem(FolderProblem::NotEmpty, dir);
        return false;
    }
    return seedFolder(dir, SampleFiles::None, error);
}

}  // namespace quorvane::adapter
