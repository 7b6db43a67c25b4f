#include <array>
#include <cerrno>
#include <fstream>
#include <string_view>
#include <system_error>

#include "adapter/virtual_adapter.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/safe_write.h"

// A virtual card kept in a folder: one .dcm page image per page, page-01.dcm upward.
namespace quorvane::adapter {

namespace {

class FolderPageStore final : public PageStore {
public:
    explicit FolderPageStore(std::filesystem::path dir) : m_dir(std::move(dir)) {}
    // Through a new file renamed over the old one: a failed save never leaves a truncated page.
    formats::WriteStatus save(int pageIndex, const card::PageBytes& cardImage) override {
        return formats::writeFileAtomically(m_dir / pageFileName(pageIndex), cardImage);
    }

private:
    std::filesystem::path m_dir;
};

bool folderIsEmpty(const std::filesystem::path& dir) {
    std::error_code error;
    return std::filesystem::directory_iterator(dir, error) ==
               std::filesystem::directory_iterator() &&
           !error;
}

FolderError problem(FolderProblem kind, const std::filesystem::path& path, int systemError = 0) {
    return FolderError{kind, path, systemError};
}

bool seedFolder(const std::filesystem::path& dir, FolderError& error) {
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (code) {
        error = problem(FolderProblem::CannotCreate, dir, code.value());
        return false;
    }
    const std::vector<card::PageBytes> pages = makeSamplePages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const auto file = dir / pageFileName(static_cast<int>(i));
        const formats::WriteStatus written = formats::writeFileAtomically(file, pages[i]);
        if (!written.ok()) {
            error = problem(FolderProblem::CannotWriteSample, file, written.systemError);
            return false;
        }
    }
    return true;
}

bool loadPage(const std::filesystem::path& file, card::PageBytes& page, FolderError& error) {
    std::error_code code;
    const auto size = std::filesystem::file_size(file, code);
    if (code || size != card::PAGE_SIZE) {
        error = problem(FolderProblem::NotAPageImage, file, code.value());
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(page.data()), static_cast<std::streamsize>(page.size()));
    if (!in) {
        error = problem(FolderProblem::CannotRead, file, errno);
        return false;
    }
    return true;
}

}  // namespace

std::string pageFileName(int pageIndex) {
    const int number = pageIndex + 1;
    return "page-" + std::string(number < 10 ? "0" : "") + std::to_string(number) + ".dcm";
}

std::unique_ptr<VirtualAdapter> VirtualAdapter::openDirectory(const std::filesystem::path& dir,
                                                              FolderError& error) {
    std::error_code code;
    const bool exists = std::filesystem::exists(dir, code);
    if (exists && !std::filesystem::is_directory(dir, code)) {
        error = problem(FolderProblem::NotAFolder, dir);
        return nullptr;
    }
    if ((!exists || folderIsEmpty(dir)) && !seedFolder(dir, error)) {
        return nullptr;
    }
    std::vector<card::PageBytes> pages;
    for (int index = 0; index < MAX_VIRTUAL_PAGES; ++index) {
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
    return std::make_unique<VirtualAdapter>(std::move(pages),
                                            std::make_unique<FolderPageStore>(dir));
}

}  // namespace quorvane::adapter
