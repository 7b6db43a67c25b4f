// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/page_file.h"

#include <algorithm>

#include "formats/input_file.h"

namespace quorvane::formats {

ReadResult parsePageFile(std::span<const std::uint8_t> bytes, card::CardOrderPage& cardImage) {
    // A short file must leave the page as it was: check before the first byte is copied.
    if (bytes.size() < card::PAGE_SIZE) {
        return ReadResult::PageFileTooShort;
    }
    std::copy_n(bytes.begin(), card::PAGE_SIZE, cardImage.bytes.begin());
    return ReadResult::Ok;
}

ReadResult readPageFile(const std::filesystem::path& path, card::CardOrderPage& cardImage) {
    const FileStart file = readFileStart(path, card::PAGE_SIZE);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parsePageFile(file.bytes, cardImage);
}

WriteStatus writePageFile(const std::filesystem::path& path, const card::CardOrderPage& cardImage) {
    return writeFileAtomically(path, cardImage.bytes);
}

}  // namespace quorvane::formats
