#include <string>

#include "app/organizer.h"
#include "card/file_system.h"
#include "card/listing.h"
#include "card/save_header.h"

namespace quorvane::app {

namespace {

constexpr std::size_t SELECTED_NAME_LENGTH = 12;

// A row's text as the name it stands for: at most 12 bytes, ending at a zero byte.
std::string selectedNameOf(std::string_view rowName) {
    std::string_view name = rowName.substr(0, SELECTED_NAME_LENGTH);
    return std::string(name.substr(0, name.find('\0')));
}

}  // namespace

void Organizer::listFiles() {
    for (const card::FileRow& row : card::listFileRows(m_pageImage)) {
        const std::optional<card::SaveIcon> icon = card::fileIcon(m_pageImage, row.slot);
        m_screen.appendCardRow({row.name, row.sizeInBlocks, icon ? &*icon : nullptr});
    }
    const card::BlockCounts counts = card::countBlocks(m_pageImage);
    m_boundTexts.blocksUsed = std::to_string(counts.used);
    m_boundTexts.blocksFree = std::to_string(counts.free);
    m_freeBlockCount = counts.free;
    refreshBoundTexts();
}

void Organizer::selectFile(std::string_view rowName) {
    m_selectedName = selectedNameOf(rowName);
    // Rows carry nothing but their text, so the name decides; of two equal names the lower
    // slot wins.
    const int slot = card::findSlotByName(m_pageImage, m_selectedName);
    if (slot >= 0) {
        showFileInfo(slot);
        const std::optional<card::SaveIcon> icon = card::fileIcon(m_pageImage, slot);
        m_screen.showFileIcon(icon ? &*icon : nullptr);
        // A damaged chain leaves m_cardFile without the file's blocks; the save commands
        // extract again and report it there.
        card::extractFile(m_pageImage, slot, m_cardFile);
        m_selectedEntry = slot;
    }
    refreshBoundTexts();
}

void Organizer::showFileInfo(int slot) {
    const card::FileInfoLines lines = card::readFileInfo(m_pageImage, slot);
    m_boundTexts.info1 = lines[0];
    m_boundTexts.info2 = lines[1];
    m_boundTexts.info3 = lines[2];
}

}  // namespace quorvane::app
