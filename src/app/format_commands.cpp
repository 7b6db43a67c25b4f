// SPDX-License-Identifier: GPL-3.0-or-later
#include <memory>
#include <string>

#include "app/organizer.h"
#include "card/file_system.h"
#include "card/root_block.h"

// The Tools menu's formatting: the page read made a formatted empty page, or a new card image.
namespace quorvane::app {

bool Organizer::pageFormatted() const {
    return m_loaded && card::hasFormatMark(m_loaded->page);
}

// Only the system blocks are written: the data blocks keep their bytes, which the new FAT
// holds free, as a delete leaves them.
bool Organizer::formatPage() {
    if (refuseWithoutPage(text::FORMAT_CAPTION) || !mayRemoveFiles(text::FORMAT_CAPTION)) {
        return false;
    }
    const std::string question = text::formatPageQuestion(loaded().pageIndex + 1);
    if (!confirmed({question, text::FORMAT_CAPTION, BoxButtons::YesNo, BoxIcon::Warning})) {
        return false;
    }
    card::formatSystemBlocks(loaded().page, loaded().dirty, formats::bcdTimeStamp(m_clock()));
    return commitRemoval(text::PAGE_FORMATTED);
}

bool Organizer::newCardImage(const std::filesystem::path& file, formats::ImageOrder order) {
    if (!acceptWriteTarget(file, text::IMAGE_NOT_WRITTEN, text::CANCELLED,
                           text::NEW_IMAGE_CAPTION)) {
        return false;
    }
    auto page = std::make_unique<card::PageBytes>();
    card::formatPage(*page, formats::bcdTimeStamp(m_clock()));
    const formats::WriteStatus status = formats::writeCardImage(file, order, *cardImageOf(*page));
    if (!status.ok()) {
        reportWriteFailure(file, status, text::IMAGE_NOT_WRITTEN, text::NEW_IMAGE_CAPTION);
        return false;
    }
    setStatus(text::IMAGE_WRITTEN);
    return true;
}

}  // namespace quorvane::app
