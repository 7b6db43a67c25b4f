// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <memory>
#include <span>
#include <string>

#include "app/backups.h"
#include "app/card_source.h"
#include "app/organizer.h"
#include "card/byte_order.h"
#include "link/adapter_commands.h"

namespace quorvane::app {

namespace {

constexpr int PROGRESS_BLOCKS = card::BLOCK_COUNT;
// Room for repeated blocks beyond one step per block.
constexpr int COMMIT_PROGRESS_RANGE = 280;
constexpr int BLOCKS_PER_INDICATOR_LEVEL = 32;

link::BlockDestination blockOf(card::CardOrderPage& page, int block) {
    return link::BlockDestination(
        page.bytes.data() + static_cast<std::size_t>(block) * card::BLOCK_SIZE, card::BLOCK_SIZE);
}

int indicatorLevelFor(int block) {
    return block / BLOCKS_PER_INDICATOR_LEVEL + 1;
}

}  // namespace

std::unique_ptr<card::CardOrderPage> cardImageOf(const card::PageBytes& pageImage) {
    auto cardImage = std::make_unique<card::CardOrderPage>();
    card::pageToCard(pageImage, *cardImage);
    return cardImage;
}

namespace {}  // namespace

void Organizer::choosePage(int pageNumber) {
    m_chosenPageIndex = std::clamp(pageNumber, 1, link::MAX_PAGES) - 1;
    showPageState();
}

bool Organizer::readPage(int pageNumber) {
    choosePage(pageNumber);
    return readChosenPage();
}

bool Organizer::readChosenPage() {
    if (!takeWaitingCard()) {
        return false;
    }
    if (connectAndRead() != 1) {
        return false;
    }
    keepBackupOfPage(*cardImageOf(loaded().page));
    showPageState();
    // Shown with the next refresh, as the other bound texts are.
    blankInfoLines();
    // Still read: an import or a format is what such a page needs.
    if (!pageFormatted()) {
        tell(text::NOT_FORMATTED, text::NOT_FORMATTED_READ);
    }
    return true;
}

void Organizer::selectPort(std::uint16_t address) {
    retryHeldPorts();
    m_link.portBase = address;
    m_link.resetLink();
}

void Organizer::retryHeldPorts() {
    if (m_cardSource != nullptr) {
        m_cardSource->retryHeldPorts();
    }
}

std::optional<link::AdapterStatus> Organizer::askAdapter() {
    link::AdapterStatus status;
    link::queryStatus(m_link, status);
    if (status.state == link::STATE_NO_ADAPTER) {
        reportConnectionFailed();
        m_link.resetLink();
        return std::nullopt;
    }
    return status;
}

std::optional<int> Organizer::countPages() {
    retryHeldPorts();
    setStatus(text::CONNECTING);
    const std::optional<link::AdapterStatus> status = askAdapter();
    if (!status) {
        return std::nullopt;
    }
    setStatus(text::pagesOnCard(status->pageCount));
    return status->pageCount;
}

int Organizer::connectAndRead() {
    retryHeldPorts();
    Progress& progress = m_screen.progress(ProgressKind::Transfer);
    progress.begin(PROGRESS_BLOCKS);
    setStatus(text::CONNECTING);

    const std::optional<link::AdapterStatus> status = askAdapter();
    if (!status) {
        return 0;
    }
    if (status->pageCount < m_chosenPageIndex + 1) {
        const std::string onlyPages = text::onlyPages(status->pageCount);
        show({onlyPages, text::PAGE_RANGE_CAPTION, BoxButtons::Ok, text::PAGE_RANGE_ICON});
        return 0;
    }

    setStatus(text::CONNECTED);
    clearListing();
    setStatus(text::READING);
    link::AdapterStatus reading;
    link::queryStatus(m_link, reading);
    if (reading.state == link::STATE_NO_ADAPTER) {
        return timeOut();
    }
    if (link::selectPage(m_link, m_chosenPageIndex) != 0) {
        return timeOut();
    }
    m_link.pageChooser = this;
    setStatus(text::CHANGING_PAGES);
    if (!m_link.waitUntilReady()) {
        return timeOut();
    }
    setStatus(text::PAGE_CHANGED);

    // The page arrives in a scratch buffer so that a read that gives up leaves the loaded
    // page whole.
    auto scratch = std::make_unique<card::CardOrderPage>();
    link::setIndicator(m_link, 0);
    for (int block = 0; block < card::BLOCK_COUNT; ++block) {
        progress.advance(block);
        if (!readBlockForPage(block, blockOf(*scratch, block))) {
            return timeOut();
        }
    }
    link::setIndicator(m_link, 0);
    link::endTransaction(m_link);
    progress.end();

    if (!m_loaded) {
        m_loaded.emplace();
    }
    loaded().pageIndex = m_chosenPageIndex;
    m_commitsAtRead = m_link.pageCommits[m_chosenPageIndex];
    card::cardToPage(*scratch, loaded().page);
    loaded().dirty.fill(0);
    setStatus(text::READ_SUCCESSFUL);
    m_selection.reset();
    listFiles();
    return 1;
}

bool Organizer::readBlockForPage(int block, link::BlockDestination destination) {
    for (int attempt = 1;; ++attempt) {
        const bool read = link::readBlock(m_link, block, destination);
        if (read) {
            setStatus(text::BLOCK_READ_OK);
            link::setIndicator(m_link, indicatorLevelFor(block));
            return true;
        }
        if (m_link.linkLost()) {
            return false;
        }
        setStatus(text::BLOCK_READ_ERROR);
        if (attempt >= MAX_BLOCK_READ_ATTEMPTS) {
            return false;
        }
        link::endTransaction(m_link);
        m_link.driveIdle();
    }
}

// Said in a box of its own: the read stands, with its status texts, whatever became of it.
// A card that another program held when the program started is tried again at each read.
bool Organizer::takeWaitingCard() {
    if (m_cardSource == nullptr || !m_cardSource->waitingForCard()) {
        return true;
    }
    CardProblem problem;
    if (m_cardSource->takeCard(problem)) {
        return true;
    }
    tell(text::CONNECTION_FAILED_STATUS,
         {problem.text, text::CONNECTION_CAPTION, BoxButtons::Ok, BoxIcon::Error});
    return false;
}

void Organizer::keepBackupOfPage(const card::CardOrderPage& cardImage) {
    m_noBackupReason.reset();
    if (!m_backupFolder) {
        return;
    }
    const int pageNumber = loaded().pageIndex + 1;
    const BackupResult backup = keepBackup(*m_backupFolder, pageNumber, cardImage, m_clock());
    if (backup.outcome != BackupResult::Outcome::Failed) {
        return;
    }
    const int systemError =
        backup.folderError != 0 ? backup.folderError : backup.status.systemError;
    m_noBackupReason = text::systemReason(systemError);
    const std::string message = text::noBackup(pageNumber, backup.path, systemError);
    show({message, text::BACKUP_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
}

void Organizer::reportConnectionFailed() {
    setStatus(text::CONNECTION_FAILED_STATUS);
    text::Box box = text::CONNECTION_FAILED;
    std::string details;
    if (m_portReporter) {
        if (const auto report = m_portReporter(m_link.portBase)) {
            details = text::portDetails(*report);
            box.details = details;
        }
    }
    show(box);
}

int Organizer::timeOut() {
    setStatus(text::TIMEOUT);
    m_link.resetLink();
    return 0;
}

bool Organizer::commitPage(bool confirm) {
    if (refuseUnwritable(text::WRITE_CARD_CAPTION)) {
        return false;
    }
    retryHeldPorts();
    Progress& bar = m_screen.progress(ProgressKind::Transfer);
    bar.begin(PROGRESS_BLOCKS);
    setStatus(text::CONNECTING);

    if (!m_link.resetLink()) {
        reportConnectionFailed();
        return false;
    }
    // The other card of the window, on this adapter, chose its page since this one was read.
    if (m_loaded && m_link.pageChooser != this && !chooseLoadedPageAgain()) {
        return false;
    }
    // The adapter's page is the one last chosen and read: a commit while the page number
    // field shows another page is refused.
    if (link::querySelectedPage(m_link) != m_chosenPageIndex) {
        show(text::PAGE_MISMATCH);
        setStatus(text::CANCELLED);
        return false;
    }
    if (confirm && show(text::COMMIT_QUESTION) != BoxAnswer::Yes) {
        setStatus(text::CANCELLED);
        return false;
    }
    // Before the first read nothing is marked to be written: the passes write no block.
    std::unique_ptr<LoadedPage> nothingRead;
    if (!m_loaded) {
        nothingRead = std::make_unique<LoadedPage>();
    }
    LoadedPage& page = m_loaded ? loaded() : *nothingRead;
    const auto cardImage = cardImageOf(page.page);
    if (m_loaded) {
        m_commitsAtRead = ++m_link.pageCommits[loaded().pageIndex];
    }
    setStatus(text::WRITING);
    Progress& window = m_screen.progress(ProgressKind::Window);
    window.begin(COMMIT_PROGRESS_RANGE);
    m_commitSteps = 0;
    link::setIndicator(m_link, 0);
    for (int block = 0; block < card::BLOCK_COUNT; ++block) {
        if (!commitBlock(block, *cardImage, page.dirty)) {
            return commitTimedOut() != 0;
        }
    }
    window.advance(COMMIT_PROGRESS_RANGE);
    link::setIndicator(m_link, 0);
    link::endTransaction(m_link);
    // Every block is verified by now, but an adapter that missed the end of the transaction
    // may not have kept the page.
    if (m_link.linkLost()) {
        return commitTimedOut() != 0;
    }
    bar.end();
    page.dirty.fill(0);
    setStatus(text::WRITTEN_SUCCESSFULLY);
    window.end();
    return true;
}

bool Organizer::commitBlock(int block, card::CardOrderPage& cardImage, card::DirtyMap& dirty) {
    for (int attempt = 1;; ++attempt) {
        if (!m_link.waitUntilReady()) {
            return false;
        }
        bool writeAgain = false;
        if (dirty[block] == 1 && !link::isNeverWritten(block)) {
            setStatus(text::writingBlock(block));
            const int written = link::writeBlock(m_link, block, blockOf(cardImage, block));
            if (m_link.linkLost()) {
                return false;
            }
            if (written != link::BLOCK_ACKNOWLEDGED) {
                show(text::BLOCK_WRITE_ERROR);
                setStatus(text::BLOCK_WRITE_ERROR_STATUS);
                writeAgain = true;
            } else {
                // The read-back's own check is not needed: the bytes are compared in full.
                card::BlockBytes readBack{};
                link::readBlock(m_link, block, readBack);
                if (m_link.linkLost()) {
                    return false;
                }
                writeAgain = !std::equal(readBack.begin(), readBack.end(),
                                         blockOf(cardImage, block).begin());
            }
            if (writeAgain && attempt >= MAX_BLOCK_WRITE_ATTEMPTS) {
                return false;
            }
            // A repeat shows the level of the block before it, so a repeat of block 0 shows 1.
            link::setIndicator(m_link, indicatorLevelFor(writeAgain ? block - 1 : block));
        }
        m_screen.progress(ProgressKind::Window).advance(++m_commitSteps);
        if (!writeAgain) {
            return true;
        }
    }
}

int Organizer::commitTimedOut() {
    setStatus(text::TIMEOUT);
    m_link.resetLink();
    m_screen.progress(ProgressKind::Window).end();
    m_screen.progress(ProgressKind::Transfer).end();
    return 0;
}

}  // namespace quorvane::app
