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

void Organizer::stepPage(int delta) {
    // Widened so that no delta can overflow before the clamp.
    const long long wanted = static_cast<long long>(m_currentPageIndex) + delta;
    m_currentPageIndex = static_cast<int>(std::clamp<long long>(wanted, 0, link::MAX_PAGES - 1));
    m_screen.showPageNumber(m_currentPageIndex + 1);
}

bool Organizer::selectAndRefresh() {
    if (!takeWaitingCard()) {
        return false;
    }
    if (connectAndRead() != 1) {
        return false;
    }
    keepBackupOfPage();
    m_screen.showPageCaption(text::currentPage(m_currentPageIndex + 1));
    // Shown with the next refresh, as the other bound texts are.
    blankInfoLines();
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
    m_screen.setProgressRange(0, PROGRESS_BLOCKS);
    setStatus(text::CONNECTING);
    m_screen.setProgressPos(0);

    const std::optional<link::AdapterStatus> status = askAdapter();
    if (!status) {
        return 0;
    }
    if (status->pageCount < m_currentPageIndex + 1) {
        const std::string onlyPages = text::onlyPages(status->pageCount);
        show({onlyPages, text::PAGE_RANGE_CAPTION, BoxButtons::Ok, text::PAGE_RANGE_ICON});
        return 0;
    }

    setStatus(text::CONNECTED);
    m_screen.clearCardList();
    setStatus(text::READING);
    link::AdapterStatus reading;
    link::queryStatus(m_link, reading);
    if (reading.state == link::STATE_NO_ADAPTER) {
        return timeOut();
    }
    if (link::selectPage(m_link, m_currentPageIndex) != 0) {
        return timeOut();
    }
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
        if (!readBlockForPage(block, blockOf(*scratch, block))) {
            return timeOut();
        }
    }
    link::setIndicator(m_link, 0);
    link::endTransaction(m_link);
    m_dirtyMap.fill(0);
    m_screen.setProgressPos(0);

    m_cardImage = *scratch;
    card::cardToPage(m_cardImage, m_pageImage);
    m_pageLoaded = true;
    setStatus(text::READ_SUCCESSFUL);
    m_selectedEntry = -1;
    listFiles();
    enableEditCommands();
    return 1;
}

bool Organizer::readBlockForPage(int block, link::BlockDestination destination) {
    for (int attempt = 1;; ++attempt) {
        m_screen.setProgressPos(block);
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

void Organizer::keepBackupOfPage() {
    m_noBackupReason.reset();
    if (!m_backupFolder) {
        return;
    }
    const BackupResult backup =
        keepBackup(*m_backupFolder, m_currentPageIndex + 1, m_cardImage, m_clock());
    if (backup.outcome != BackupResult::Outcome::Failed) {
        return;
    }
    const int systemError =
        backup.folderError != 0 ? backup.folderError : backup.status.systemError;
    m_noBackupReason = text::systemReason(systemError);
    const std::string message = text::noBackup(m_currentPageIndex + 1, backup.path, systemError);
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

int Organizer::commitPage(bool confirm) {
    if (refuseReadOnly(text::WRITE_CARD_CAPTION)) {
        return 0;
    }
    retryHeldPorts();
    m_screen.setProgressRange(0, PROGRESS_BLOCKS);
    setStatus(text::CONNECTING);
    m_screen.setProgressPos(0);

    if (!m_link.resetLink()) {
        reportConnectionFailed();
        return 0;
    }
    if (link::querySelectedPage(m_link) != m_currentPageIndex) {
        show(text::PAGE_MISMATCH);
        setStatus(text::CANCELLED);
        return 0;
    }
    if (confirm && show(text::COMMIT_QUESTION) != BoxAnswer::Yes) {
        setStatus(text::CANCELLED);
        return 0;
    }

    card::pageToCard(m_pageImage, m_cardImage);
    setStatus(text::WRITING);
    m_screen.progressCreate();
    m_screen.progressSetRange(0, COMMIT_PROGRESS_RANGE);
    m_screen.progressSetStep(1);
    link::setIndicator(m_link, 0);
    for (int block = 0; block < card::BLOCK_COUNT; ++block) {
        if (!commitBlock(block)) {
            return commitTimedOut();
        }
    }
    m_screen.progressSetPos(COMMIT_PROGRESS_RANGE);
    link::setIndicator(m_link, 0);
    link::endTransaction(m_link);
    // Every block is verified by now, but an adapter that missed the end of the transaction
    // may not have kept the page.
    if (m_link.linkLost()) {
        return commitTimedOut();
    }
    m_screen.setProgressPos(0);
    m_dirtyMap.fill(0);
    setStatus(text::WRITTEN_SUCCESSFULLY);
    m_screen.progressDestroy();
    return 1;
}

bool Organizer::commitBlock(int block) {
    for (int attempt = 1;; ++attempt) {
        if (!m_link.waitUntilReady()) {
            return false;
        }
        bool writeAgain = false;
        if (m_dirtyMap[block] == 1 && !link::isNeverWritten(block)) {
            setStatus(text::writingBlock(block));
            const int written = link::writeBlock(m_link, block, blockOf(m_cardImage, block));
            if (m_link.linkLost()) {
                return false;
            }
            if (written != link::BLOCK_ACKNOWLEDGED) {
                show(text::BLOCK_WRITE_ERROR);
                setStatus(text::BLOCK_WRITE_ERROR_STATUS);
                writeAgain = true;
            } else {
                // The read-back's own check is not needed: the bytes are compared in full.
                link::readBlock(m_link, block, m_verifyBuffer);
                if (m_link.linkLost()) {
                    return false;
                }
                writeAgain = !std::equal(m_verifyBuffer.begin(), m_verifyBuffer.end(),
                                         blockOf(m_cardImage, block).begin());
            }
            if (writeAgain && attempt >= MAX_BLOCK_WRITE_ATTEMPTS) {
                return false;
            }
            // A repeat shows the level of the block before it, so a repeat of block 0 shows 1.
            link::setIndicator(m_link, indicatorLevelFor(writeAgain ? block - 1 : block));
        }
        m_screen.progressStepIt();
        if (!writeAgain) {
            return true;
        }
    }
}

int Organizer::commitTimedOut() {
    setStatus(text::TIMEOUT);
    m_link.resetLink();
    m_screen.progressDestroy();
    m_screen.setProgressPos(0);
    return 0;
}

}  // namespace quorvane::app
