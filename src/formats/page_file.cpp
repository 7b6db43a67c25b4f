#include "formats/page_file.h"

#include <algorithm>
#include <memory>

#include "formats/input_file.h"

namespace quorvane::formats {

ReadResult readPageFile(const std::filesystem::path& path, card::PageBytes& cardImage) {
    InputFile file(path);
    if (!file.isOpen()) {
        return ReadResult::CannotOpen;
    }
    // Read aside first: a short or failing file must leave the page as it was.
    auto incoming = std::make_unique<card::PageBytes>();
    const std::size_t got = file.read(incoming->data(), incoming->size());
    if (file.failed()) {
        return ReadResult::ReadFailed;
    }
    if (got < incoming->size()) {
        return ReadResult::PageFileTooShort;
    }
    std::copy(incoming->begin(), incoming->end(), cardImage.begin());
    return ReadResult::Ok;
}

WriteStatus writePageFile(const std::filesystem::path& path, const card::PageBytes& cardImage) {
    return writeFileAtomically(path, cardImage);
}

}  // namespace quorvane::formats
