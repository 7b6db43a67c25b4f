#include <algorithm>
#include <memory>
#include <span>
#include <string>

#include "app/organizer.h"
#include "card/byte_order.h"
#include "link/adapter_commands.h"

namespace quorvane::app {

namespace {

constexpr int PROGRESS_BLOCKS = card::BLOCK_COUNT;
// Room for repeated blocks beyond one step per block.
constexpr int COMMIT_PROGRESS_RANGE = 280;
constexpr int BLOCKS_PER_INDICATOR_LEVEL = 32;

constexpr std::string_view CONNECTING = "Connecting to Memory card.......";
constexpr std::string_view CONNECTION_FAILED_STATUS = "Connection FAILED!!!";
constexpr std::string_view CONNECTION_FAILED_TEXT = "Connection FAILED.";
constexpr std::string_view CONNECTION_ERROR_CAPTION = "Connection Error";
constexpr std::string_view TIMEOUT_STATUS = "Timeout error.......";
constexpr std::string_view CANCELLED_STATUS = "Action cancelled...";
constexpr std::string_view OVERWRITE_QUESTION =
    "Committing to Memory pack will overwrite data\n\n                           Are you sure?";

std::span<std::uint8_t, card::BLOCK_SIZE> blockOf(card::PageBytes& page, int block) {
    return std::span<std::uint8_t, card::BLOCK_SIZE>(page.data() + block * card::BLOCK_SIZE,
                                                     card::BLOCK_SIZE);
}

int indicatorLevelFor(int block) {
    return block / BLOCKS_PER_INDICATOR_LEVEL + 1;
}

bool isNeverWritten(int block) {
    return block >= card::UNUSED_FIRST_BLOCK && block <= card::UNUSED_LAST_BLOCK;
}

}  // namespace

void Organizer::stepPage(int delta) {
    // Widened so that no delta can overflow before the clamp.
    const long long wanted = static_cast<long long>(currentPageIndex) + delta;
    currentPageIndex = static_cast<int>(std::clamp<long long>(wanted, 0, MAX_PAGES - 1));
    m_screen.showPageNumber(currentPageIndex + 1);
}

void Organizer::selectAndRefresh() {
    if (connectAndRead() != 1) {
        return;
    }
    m_screen.showPageCaption("Current Page : " + std::to_string(currentPageIndex + 1));
    // Shown with the next refresh, as the other bound texts are.
    boundTexts.info1 = " ";
    boundTexts.info2 = " ";
    boundTexts.info3 = " ";
}

void Organizer::selectPort(std::uint16_t address) {
    m_link.portBase = address;
    m_link.resetLink();
}

int Organizer::connectAndRead() {
    m_screen.setProgressRange(0, PROGRESS_BLOCKS);
    setStatus(CONNECTING);
    m_screen.setProgressPos(0);

    link::AdapterStatus status;
    link::queryStatus(m_link, status);
    if (status.state == link::STATE_NO_ADAPTER) {
        setStatus(CONNECTION_FAILED_STATUS);
        m_screen.messageBox(CONNECTION_FAILED_TEXT, CONNECTION_ERROR_CAPTION, BoxButtons::Ok,
                            BoxIcon::Error);
        m_link.resetLink();
        return 0;
    }
    if (status.pageCount < currentPageIndex + 1) {
        m_screen.messageBox(
            "There are only " + std::to_string(status.pageCount) + " pages on this Memory card",
            "Page out of range", BoxButtons::Ok, BoxIcon::Warning);
        return 0;
    }

    setStatus("Connected....");
    m_screen.clearCardList();
    setStatus("Reading Memory card.......");
    link::queryStatus(m_link, status);
    if (status.state == link::STATE_NO_ADAPTER) {
        return timeOut();
    }
    if (link::selectPage(m_link, currentPageIndex) != 0) {
        return timeOut();
    }
    setStatus("Changing pages...Please wait.....");
    if (!m_link.waitUntilReady()) {
        return timeOut();
    }
    setStatus("Page changed.......");

    // The page arrives in a scratch buffer so that a read that gives up leaves the loaded
    // page whole.
    auto scratch = std::make_unique<card::PageBytes>();
    link::setIndicator(m_link, 0);
    for (int block = 0; block < card::BLOCK_COUNT; ++block) {
        if (!readBlockForPage(block, blockOf(*scratch, block))) {
            return timeOut();
        }
    }
    link::setIndicator(m_link, 0);
    link::endTransaction(m_link);
    dirtyMap.fill(0);
    m_screen.setProgressPos(0);

    cardImage = *scratch;
    card::cardToPage(cardImage, pageImage);
    pageLoaded = true;
    setStatus("Memory card read successful.");
    selectedEntry = -1;
    listFiles();
    enableEditCommands();
    return 1;
}

bool Organizer::readBlockForPage(int block, std::span<std::uint8_t, card::BLOCK_SIZE> destination) {
    for (int attempt = 1;; ++attempt) {
        m_screen.setProgressPos(block);
        const bool read = link::readBlock(m_link, block, destination);
        if (read) {
            setStatus("Block read OK...");
            link::setIndicator(m_link, indicatorLevelFor(block));
            return true;
        }
        if (m_link.linkLost()) {
            return false;
        }
        setStatus("Block read error...");
        if (attempt >= MAX_BLOCK_READ_ATTEMPTS) {
            return false;
        }
        link::endTransaction(m_link);
        m_link.driveIdle();
    }
}

int Organizer::timeOut() {
    setStatus(TIMEOUT_STATUS);
    m_link.resetLink();
    return 0;
}

int Organizer::commitPage(bool confirm) {
    m_screen.setProgressRange(0, PROGRESS_BLOCKS);
    setStatus(CONNECTING);
    m_screen.setProgressPos(0);

    if (!m_link.resetLink()) {
        setStatus(CONNECTION_FAILED_STATUS);
        m_screen.messageBox(CONNECTION_FAILED_TEXT, CONNECTION_ERROR_CAPTION, BoxButtons::Ok,
                            BoxIcon::Error);
        return 0;
    }
    if (link::querySelectedPage(m_link) != currentPageIndex) {
        m_screen.messageBox("Page on Memory pack is not the same as the page read.",
                            "Writing to Memory Page", BoxButtons::Ok, BoxIcon::Warning);
        setStatus(CANCELLED_STATUS);
        return 0;
    }
    if (confirm && m_screen.messageBox(OVERWRITE_QUESTION, "Last Chance Warning!",
                                       BoxButtons::YesNo, BoxIcon::Warning) != BoxAnswer::Yes) {
        setStatus(CANCELLED_STATUS);
        return 0;
    }

    card::pageToCard(pageImage, cardImage);
    setStatus("Writing to Memory card.......");
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
    dirtyMap.fill(0);
    setStatus("Memory card written successfully....");
    m_screen.progressDestroy();
    return 1;
}

bool Organizer::commitBlock(int block) {
    for (int attempt = 1;; ++attempt) {
        if (!m_link.waitUntilReady()) {
            return false;
        }
        bool writeAgain = false;
        if (dirtyMap[block] == 1 && !isNeverWritten(block)) {
            setStatus("Writing block " + std::to_string(block) + "... ");
            const int written = link::writeBlock(m_link, block, blockOf(cardImage, block));
            if (m_link.linkLost()) {
                return false;
            }
            if (written != link::BLOCK_ACKNOWLEDGED) {
                m_screen.messageBox("Block write ERROR", "Write Memory Card", BoxButtons::Ok,
                                    BoxIcon::Warning);
                setStatus("Block write error...");
                writeAgain = true;
            } else {
                // The read-back's own check is not needed: the bytes are compared in full.
                link::readBlock(m_link, block, verifyBuffer);
                if (m_link.linkLost()) {
                    return false;
                }
                writeAgain = !std::equal(verifyBuffer.begin(), verifyBuffer.end(),
                                         blockOf(cardImage, block).begin());
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
    setStatus(TIMEOUT_STATUS);
    m_link.resetLink();
    m_screen.progressDestroy();
    m_screen.setProgressPos(0);
    return 0;
}

}  // namespace quorvane::app
