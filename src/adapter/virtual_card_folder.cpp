#include <array>
#include <cerrno>
#include <fstream>
#include <string_view>
#include <system_error>

#include "adapter/virtual_adapter.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/save_header.h"
#include "formats/safe_write.h"

// A virtual card kept in a folder: one .dcm page image per page, page-01.dcm upward.
namespace quorvane::adapter {

namespace {

constexpr int NEW_FOLDER_PAGES = 4;

constexpr std::uint8_t FILE_TYPE_DATA = 0x33;

struct SampleFile {
    std::string_view name;
    std::uint16_t blocks;
    std::string_view shortDescription;
    std::string_view longDescription;
    std::array<std::uint8_t, 8> timeStamp;  // BCD: century, year, month, day, h, m, s, weekday
};

constexpr std::array<SampleFile, 3> SAMPLE_FILES{{
    {"QUORVANE_001",
     1,
     "QUORVANE SAMPLE1",
     "Sample save made by Quorvane",
     {0x20, 0x26, 0x12, 0x07, 0x09, 0x00, 0x00, 0x00}},
    {"RACEDATA_001",
     3,
     "RACE DATA",
     "Lap times of the sample circuit",
     {0x20, 0x26, 0x12, 0x07, 0x09, 0x15, 0x30, 0x00}},
    {"PUZZLE___SYS",
     5,
     "PUZZLE SYSTEM",
     "Puzzle settings and progress",
     {0x20, 0x26, 0x12, 0x07, 0x09, 0x30, 0x45, 0x00}},
}};
constexpr std::string_view SAMPLE_APPLICATION = "QUORVANE";

// Text fields of the save header are padded with spaces.
void putText(card::FileBuffer& buffer, std::size_t offset, std::size_t size,
             std::string_view text) {
    for (std::size_t i = 0; i < size; ++i) {
        buffer[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
    }
}

void storeSample(card::PageBytes& pageImage, const SampleFile& sample, std::uint8_t seed) {
    auto data = std::make_unique<card::FileBuffer>();
    putText(*data, card::SHORT_DESCRIPTION_OFFSET, card::SHORT_DESCRIPTION_SIZE,
            sample.shortDescription);
    putText(*data, card::LONG_DESCRIPTION_OFFSET, card::LONG_DESCRIPTION_SIZE,
            sample.longDescription);
    putText(*data, card::APPLICATION_NAME_OFFSET, card::APPLICATION_NAME_SIZE, SAMPLE_APPLICATION);
    const std::size_t end = std::size_t{sample.blocks} * card::BLOCK_SIZE;
    for (std::size_t i = card::SAVE_HEADER_TEXT_SIZE; i < end; ++i) {
        (*data)[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    card::DirEntry entry;
    entry.fileType = FILE_TYPE_DATA;
    std::copy(sample.name.begin(), sample.name.end(), entry.fileName.begin());
    entry.timeStamp = sample.timeStamp;
    entry.sizeInBlocks = sample.blocks;
    card::DirtyMap dirty{};
    card::storeNewFile(pageImage, dirty, entry, *data);
}

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

std::vector<card::PageBytes> makeSamplePages() {
    std::vector<card::PageBytes> pages(NEW_FOLDER_PAGES);
    auto pageImage = std::make_unique<card::PageBytes>();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        card::formatPage(*pageImage);
        if (i == 0) {
            std::uint8_t seed = 0x11;
            for (const SampleFile& sample : SAMPLE_FILES) {
                storeSample(*pageImage, sample, seed);
                seed = static_cast<std::uint8_t>(seed + 0x22);
            }
        }
        card::pageToCard(*pageImage, pages[i]);
    }
    return pages;
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
