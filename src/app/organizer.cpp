// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/organizer.h"

#include <algorithm>
#include <utility>

#include "app/card_source.h"
#include "card/file_system.h"
#include "card/listing.h"

namespace quorvane::app {

Organizer::Organizer(Screen& screen, link::CardLink& link, Clock clock)
    : m_screen(screen), m_link(link), m_clock(std::move(clock)) {}

void Organizer::start() {
    if (m_cardSource != nullptr && m_cardSource->location().image) {
        m_boundTexts.page.cardName = text::pathText(m_cardSource->location().image->filename());
    }
    refreshTexts();
    showPageState();
    m_link.resetLink();  // only waits for the adapter; nobody is told if it is absent
    m_link.portBase = link::DEFAULT_PORT_BASE;
}

void Organizer::startWith(const LoadedPage& page) {
    m_chosenPageIndex = page.pageIndex;
    m_loaded = page;
    m_commitsAtRead = m_link.pageCommits[page.pageIndex];
    m_selection.reset();
    listFiles();
    showPageState();
}

void Organizer::setStatus(std::string_view text) {
    m_boundTexts.status = text;
    refreshTexts();
}

void Organizer::refreshTexts() {
    m_screen.showTexts(m_boundTexts);
}

void Organizer::showPageState() {
    m_boundTexts.page.chosenPage = m_chosenPageIndex + 1;
    m_boundTexts.page.listedPage = m_loaded ? m_loaded->pageIndex + 1 : 0;
    refreshTexts();
}

BoxAnswer Organizer::show(const text::Box& box) {
    return m_screen.ask(box);
}

void Organizer::tell(std::string_view status, const text::Box& box) {
    setStatus(status);
    show(box);
}

bool Organizer::confirmed(const text::Box& question) {
    if (show(question) == BoxAnswer::Yes) {
        return true;
    }
    setStatus(text::CANCELLED);
    return false;
}

bool Organizer::commitEdit() {
    if (commitPage(false)) {
        return true;
    }
    setStatus(text::CANCELLED);
    return false;
}

// Assigned without a refresh: they show with the next one, the pictures with them.
void Organizer::blankInfoLines() {
    m_boundTexts.info1 = " ";
    m_boundTexts.info2 = " ";
    m_boundTexts.info3 = " ";
    m_boundTexts.icon.reset();
    m_boundTexts.eyecatch.reset();
}

void Organizer::listFiles() {
    Listing listing;
    // Whatever its directory blocks hold, an unformatted page has no files and no room: it lists
    // neither, rather than an empty card that nothing fits on.
    if (!pageFormatted()) {
        m_counts.reset();
        m_freeBlockCount = 0;
        m_screen.showListing(listing);
        refreshTexts();
        return;
    }
    const card::PageBytes& page = loaded().page;
    for (const card::FileRow& row : card::listFileRows(page)) {
        std::shared_ptr<const card::SaveIcon> icon;
        if (std::optional<card::SaveIcon> decoded = card::fileIcon(page, row.slot)) {
            icon = std::make_shared<const card::SaveIcon>(std::move(*decoded));
        }
        listing.rows.push_back({row.slot, row.name, row.sizeInBlocks,
                                card::readFileInfo(page, row.slot), icon,
                                card::fileHasEyecatch(page, row.slot)});
    }
    listing.counts = card::countBlocks(page);
    m_counts = listing.counts;
    m_freeBlockCount = listing.counts->free;
    m_screen.showListing(listing);
    refreshTexts();
}

// The rows go while a read runs; the counts stay until the new page's replace them.
void Organizer::clearListing() {
    Listing listing;
    listing.counts = m_counts;
    m_screen.showListing(listing);
}

void Organizer::relistAfterEdit() {
    listFiles();
    m_selection.reset();
}

void Organizer::selectFile(int slot) {
    if (!m_loaded || slot < 0 || slot >= card::DIR_SLOT_COUNT) {
        return;
    }
    const card::PageBytes& page = loaded().page;
    const card::DirEntry entry = card::readSlot(page, slot);
    if (entry.inUse()) {
        assignInfoLines(slot);
        std::optional<card::SaveIcon> icon = card::fileIcon(page, slot);
        m_boundTexts.icon =
            icon ? std::make_shared<const card::SaveIcon>(std::move(*icon)) : nullptr;
        std::optional<card::Eyecatch> eyecatch = card::fileEyecatch(page, slot);
        m_boundTexts.eyecatch =
            eyecatch ? std::make_shared<const card::Eyecatch>(*eyecatch) : nullptr;
        m_selection = FileOnPage{slot, card::entryName(entry)};
    }
    refreshTexts();
}

std::vector<FileOnPage> Organizer::filesInSlots(const std::vector<int>& slots) const {
    std::vector<FileOnPage> files;
    for (int slot : slots) {
        if (m_loaded && slot >= 0 && slot < card::DIR_SLOT_COUNT) {
            const card::DirEntry entry = card::readSlot(m_loaded->page, slot);
            if (entry.inUse()) {
                files.push_back({slot, card::entryName(entry)});
            }
        }
    }
    return files;
}

void Organizer::assignInfoLines(int slot) {
    const card::FileInfoLines lines = card::readFileInfo(loaded().page, slot);
    m_boundTexts.info1 = lines[0];
    m_boundTexts.info2 = lines[1];
    m_boundTexts.info3 = lines[2];
}

// The slot still holds the file picked. After a delete whose commit failed the slot is free
// (and an add may since have taken it): it then no longer holds that file.
bool Organizer::holds(const FileOnPage& file) const {
    if (!m_loaded || file.slot < 0 || file.slot >= card::DIR_SLOT_COUNT) {
        return false;
    }
    const card::DirEntry entry = card::readSlot(m_loaded->page, file.slot);
    return entry.inUse() && card::entryName(entry) == file.name;
}

}  // namespace quorvane::app
