// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "card/page_layout.h"
#include "formats/image_file.h"
#include "formats/safe_write.h"
#include "formats/write_access.h"
#include "link/port_io.h"
#include "link/wire.h"

// A software card adapter: plays the adapter's side of the byte link and the command set,
// as a deterministic state machine driven by the port accesses themselves.
namespace quorvane::adapter {

// The adapter answers at the first parallel port only (link::DEFAULT_PORT_BASE), so other port
// choices find none; it holds at most link::MAX_PAGES pages.
// The pages of a new virtual card folder.
inline constexpr int NEW_FOLDER_PAGES = 4;

// Faults to inject, for tests. Block and access numbers count from 0.
struct FaultPlan {
    // After this many port accesses the adapter is gone: every status read gives 0xFF.
    std::optional<std::uint64_t> unplugAfterAccesses;
    // Send a wrong check byte for reads of this block, the given number of times.
    std::optional<int> corruptReadCheckOfBlock;
    int corruptReadCheckTimes = 1;
    // Acknowledge this quarter (block, quarter) of a write wrongly, the given number of times.
    std::optional<int> corruptAckOfBlock;
    int corruptAckQuarter = 0;
    int corruptAckTimes = 1;
    // Acknowledge this quarter rightly but store it wrong (its first byte inverted), the given
    // number of times: only a read-back finds it.
    std::optional<int> storeWrongOfBlock;
    int storeWrongQuarter = 0;
    int storeWrongTimes = 1;
    // Invert the reply bit sent at these reply-bit indexes (counted over the adapter's life).
    std::vector<std::uint64_t> flipReplyBits;
    // Keep the handshake line low for ever (the adapter never becomes ready).
    bool stayBusy = false;
};

struct AdapterTiming {
    std::uint32_t answerLatency = 0;   // status reads before the adapter answers an edge
    std::uint32_t pageChangeBusy = 0;  // status reads the adapter stays busy after a page change
};

// Where the pages live between runs. Pages are CardImage bytes (card byte order).
class PageStore {
public:
    virtual ~PageStore() = default;
    virtual formats::WriteStatus save(int pageIndex, const card::CardOrderPage& cardImage) = 0;
    // Asked before an edit, so that a card the user may not write is read-only, not failing.
    virtual std::optional<formats::WriteBlocker> notWritable(int /*pageIndex*/) const {
        return std::nullopt;
    }
};

// Why a virtual card folder cannot be used.
enum class FolderProblem {
    None,
    NotAFolder,         // the path names a file
    CannotCreate,       // the new folder could not be made
    CannotWriteSample,  // a sample page of a new folder could not be written
    NotAPageImage,      // a page file is not exactly one page long
    CannotRead,         // a page file could not be read
    NoFirstPage,        // the folder holds files but no first page file
    Missing,            // no folder there (or an empty one), and none is to be made
    NotEmpty,           // a new card was to be made in a folder that holds files
    InUse,              // another program holds the card
};
struct FolderError {
    FolderProblem problem = FolderProblem::None;
    std::filesystem::path path;  // the folder or the page file concerned
    int systemError = 0;         // errno of the failing call, where there was one
    std::optional<long> holder;  // InUse: the process holding the card, where known
};

// What opening a folder does when there is no card in it yet.
enum class NewFolder {
    WithSampleFiles,  // made with formatted pages, page 1 holding sample files
    Refused,          // FolderProblem::Missing
};

// Why an image file cannot be used as a one-page card.
enum class ImageProblem {
    None,
    UnknownKind,        // the extension names no image kind (.dcm, .bin, .vmu)
    NotExactlyOnePage,  // the file is shorter or longer than one page
    CannotRead,         // the file could not be opened or read
    NotAFile,           // a folder, FIFO or device, or a link to one
    InUse,              // another program holds the card
};
struct ImageError {
    ImageProblem problem = ImageProblem::None;
    std::filesystem::path path;  // the image file
    int systemError = 0;         // errno of the failing call, where there was one
    std::optional<long> holder;  // InUse: the process holding the card, where known
};

struct ImageCard;

class VirtualAdapter final : public link::PortIo {
public:
    // In-memory pages (1..16), no store: for tests.
    explicit VirtualAdapter(std::vector<card::CardOrderPage> pages,
                            std::unique_ptr<PageStore> store = nullptr);
    ~VirtualAdapter() override;
    VirtualAdapter(const VirtualAdapter&) = delete;
    VirtualAdapter& operator=(const VirtualAdapter&) = delete;

    // Pages from DIR/page-01.dcm .. page-16.dcm (consecutive from page-01). A missing or empty
    // DIR is made as `newFolder` says. A page written in a transaction is saved when the
    // transaction ends. The folder is locked while the adapter lives, so that no second program
    // works on the same card. Returns null and sets `error` when the folder cannot be used.
    static std::unique_ptr<VirtualAdapter> openDirectory(
        const std::filesystem::path& dir, FolderError& error,
        NewFolder newFolder = NewFolder::WithSampleFiles);
    // Makes DIR (or fills an empty one) with formatted pages that hold no files; refused when
    // DIR holds anything already.
    static bool createEmptyCard(const std::filesystem::path& dir, FolderError& error);
    // One image file as a card of one page, read in `order` or, when none is given, in the order
    // its extension names. A page written in a transaction is saved back to the file in that
    // order when the transaction ends. The adapter is null and `error` set when the file cannot
    // be used.
    static ImageCard openImage(const std::filesystem::path& file,
                               std::optional<formats::ImageOrder> order, ImageError& error);

    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

    int pageCount() const;
    int selectedPage() const;
    const card::CardOrderPage& page(int index) const;
    // Where the page is kept, when this user may not write there; none for pages kept in memory.
    std::optional<formats::WriteBlocker> notWritable(int pageIndex) const;
    std::uint64_t accessCount() const;

    FaultPlan& faults();
    AdapterTiming& timing();

    // --- What tests observe ---
    // One command as it crossed the wire: the bytes the adapter took (code first) and the
    // bytes it answered with.
    struct WireCommand {
        std::vector<std::uint8_t> received;
        std::vector<std::uint8_t> replied;
    };
    // Recording is off by default, so a long session does not grow a log.
    void recordCommands(bool on);
    const std::vector<WireCommand>& commands() const;
    int indicatorLevel() const;                        // lit lamps of the last pattern, 0..8
    const std::vector<int>& indicatorHistory() const;  // every level set, in order
    int blockReads(int block) const;                   // 0x80 commands taken for the block
    int quarterWrites(int block) const;                // 0x02 commands taken for the block
    int transactionsEnded() const;                     // 0x01 commands taken

private:
    struct State;
    std::unique_ptr<State> m_state;
};

struct ImageCard {
    std::unique_ptr<VirtualAdapter> adapter;
    formats::ImageOrder order = formats::ImageOrder::Card;  // read and saved in this order
    // Whether the image reads as a formatted card in that order; FormattedOnlyInOtherOrder
    // is worth a question: opened again in formats::otherOrder(order), it would.
    formats::OrderCheck orderCheck = formats::OrderCheck::NotFormatted;
};

// The file of page `pageIndex` (0-based) in a virtual card folder: page-01.dcm .. page-16.dcm.
std::string pageFileName(int pageIndex);

// Four formatted pages in card byte order, page 1 holding the sample files: the seed of a new
// virtual card folder. Without sample files, the pages are empty.
enum class SampleFiles { OnFirstPage, None };
std::vector<card::CardOrderPage> makeSamplePages(SampleFiles samples = SampleFiles::OnFirstPage);

}  // namespace quorvane::adapter
