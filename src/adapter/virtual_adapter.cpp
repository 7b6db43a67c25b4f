// SPDX-License-Identifier: GPL-3.0-or-later
#include "adapter/virtual_adapter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "link/card_link.h"
#include "link/wire.h"

// The adapter's side of the link. The PC clocks every bit on D1 and the adapter paces it on
// its handshake line (status bit 6):
//  - a byte from the PC: the clock falls, the adapter lowers the line; the PC sets the value
//    on D0 and raises the clock, the adapter takes the bit and raises the line.
//  - a byte to the PC: the adapter lowers the line, the PC lowers the clock, the adapter puts
//    the bit on status bit 7 (inverted on the port: clear is a 1) and raises the line, the PC
//    samples it and raises the clock.
// Everything advances on port accesses alone: a status read is the adapter's unit of time.
namespace quorvane::adapter {

namespace {

using link::BLOCK_REPLY_SIZE;
using link::LINE_CLOCK;
using link::LINE_VALUE;
using link::LINK_IDLE;
using link::OPEN_PORT_STATUS;
using link::QUARTER_SIZE;
using link::WRITE_QUARTER_OPERANDS;
// The lines the adapter drives: its handshake line, and the reply bit, which the port shows
// inverted.
constexpr std::uint8_t LINE_HIGH = link::STATUS_HANDSHAKE;
constexpr std::uint8_t BIT_INVERTED = link::STATUS_REPLY;
// Longer than the PC waits for the adapter to take a byte.
constexpr std::uint32_t FAILED_SAVE_BUSY_READS = link::SEND_WAIT_LIMIT + 2;
// The status reply's second byte carries nothing the PC looks at.
constexpr std::uint8_t STATUS_SECOND_BYTE = 0x00;

enum class Direction : std::uint8_t { FromPc, ToPc };

// What the adapter does once the line it raised after a byte has been seen high.
enum class FollowUp : std::uint8_t { None, StartReply, StartBusy, EndBusy };

std::uint8_t xorOf(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < count; ++i) {
        check ^= bytes[i];
    }
    return check;
}

}  // namespace

struct VirtualAdapter::State {
    std::vector<card::CardOrderPage> pages;
    std::vector<std::uint8_t> pageWritten;  // written since the transaction began
    std::unique_ptr<PageStore> store;
    // With a store: each page as its file holds it.
    std::vector<card::CardOrderPage> savedPages;
    FaultPlan faults;
    AdapterTiming timing;
    int selected = 0;

    std::uint64_t accesses = 0;
    bool gone = false;

    // The lines: what a status read shows now, and what it will show after `delay` reads.
    std::uint8_t dataLatch = LINK_IDLE;
    std::uint8_t shown = LINE_HIGH;
    std::uint8_t next = LINE_HIGH;
    std::uint32_t delay = 0;
    FollowUp followUp = FollowUp::None;
    std::uint32_t busyReads = 0;  // how long the line stays low once a busy time has begun

    // The byte under way.
    Direction direction = Direction::FromPc;
    std::uint8_t shift = 0;
    int bitCount = 0;

    // The command being assembled.
    std::uint8_t command = 0;
    std::array<std::uint8_t, WRITE_QUARTER_OPERANDS> operands{};
    std::size_t operandCount = 0;
    std::size_t operandsWanted = 0;

    // The reply being sent.
    std::array<std::uint8_t, BLOCK_REPLY_SIZE> reply{};
    std::size_t replyLength = 0;
    std::size_t replyPos = 0;
    int replyBit = 0;
    std::uint64_t replyBitsSent = 0;

    // Observations.
    bool recording = false;
    std::vector<WireCommand> commands;
    int indicatorLevel = 0;
    std::vector<int> indicatorHistory;
    std::array<int, card::BLOCK_COUNT> blockReads{};
    std::array<int, card::BLOCK_COUNT> quarterWrites{};
    int transactionsEnded = 0;

    bool countAccessAndCheckGone() {
        const std::uint64_t index = accesses++;
        if (!gone && faults.unplugAfterAccesses && index >= *faults.unplugAfterAccesses) {
            gone = true;
        }
        return gone;
    }

    // The line answers an edge after the configured latency; a newer edge replaces an answer
    // not yet shown.
    void answer(std::uint8_t status) {
        next = status;
        delay = timing.answerLatency;
        followUp = FollowUp::None;
    }
    void answerLine(bool high) {
        answer(static_cast<std::uint8_t>((next & BIT_INVERTED) | (high ? LINE_HIGH : 0)));
    }

    std::uint8_t readStatus() {
        if (faults.stayBusy) {
            return BIT_INVERTED;  // line low
        }
        if (delay != 0) {
            --delay;
            return shown;
        }
        shown = next;
        if (followUp != FollowUp::None) {
            runFollowUp();
        }
        return shown;
    }

    // The raised line stays up for this read and one more, so that the PC's confirming
    // re-read sees it too; only then does the adapter lower it again on its own.
    void runFollowUp() {
        const FollowUp step = followUp;
        followUp = FollowUp::None;
        switch (step) {
            case FollowUp::StartReply:
                next = static_cast<std::uint8_t>(shown & ~LINE_HIGH);
                delay = 1 + timing.answerLatency;
                break;
            case FollowUp::StartBusy:
                if (timing.pageChangeBusy != 0) {
                    next = static_cast<std::uint8_t>(shown & ~LINE_HIGH);
                    delay = 1 + timing.answerLatency;
                    busyReads = timing.pageChangeBusy;
                    followUp = FollowUp::EndBusy;
                }
                break;
            case FollowUp::EndBusy:
                next = static_cast<std::uint8_t>(shown | LINE_HIGH);
                delay = busyReads > 0 ? busyReads - 1 : 0;
                break;
            case FollowUp::None:
                break;
        }
    }

    void writeData(std::uint8_t value) {
        const bool clockWasHigh = (dataLatch & LINE_CLOCK) != 0;
        dataLatch = value;
        const bool clockHigh = (value & LINE_CLOCK) != 0;
        if (clockHigh == clockWasHigh) {
            return;
        }
        if (clockHigh) {
            onClockRise((value & LINE_VALUE) != 0);
        } else {
            onClockFall();
        }
    }

    void onClockFall() {
        if (direction == Direction::FromPc) {
            answerLine(false);
            return;
        }
        const std::uint8_t byte = reply[replyPos];
        bool bit = ((byte >> (7 - replyBit)) & 1) != 0;
        if (flipsReplyBit(replyBitsSent++)) {
            bit = !bit;
        }
        answer(static_cast<std::uint8_t>(LINE_HIGH | (bit ? 0 : BIT_INVERTED)));
    }

    void onClockRise(bool value) {
        if (direction == Direction::ToPc) {
            if (++replyBit == 8) {
                replyBit = 0;
                if (++replyPos == replyLength) {
                    direction = Direction::FromPc;  // the line stays high: ready
                    return;
                }
            }
            answerLine(false);  // the next bit is on its way
            return;
        }
        shift = static_cast<std::uint8_t>((shift << 1) | (value ? 1 : 0));
        answerLine(true);
        if (++bitCount == 8) {
            bitCount = 0;
            takeByte(shift);
        }
    }

    bool flipsReplyBit(std::uint64_t index) const {
        const auto& flips = faults.flipReplyBits;
        return !flips.empty() && std::find(flips.begin(), flips.end(), index) != flips.end();
    }

    void takeByte(std::uint8_t byte) {
        if (recording && command != 0 && !commands.empty()) {
            commands.back().received.push_back(byte);
        }
        if (command == 0) {
            beginCommand(byte);
            return;
        }
        operands[operandCount++] = byte;
        if (operandCount == operandsWanted) {
            finishCommand();
        }
    }

    void beginCommand(std::uint8_t code) {
        if (recording) {
            commands.push_back(WireCommand{{code}, {}});
        }
        operandCount = 0;
        switch (code) {
            case link::CMD_END_TRANSACTION:
                endTransaction();
                break;
            case link::CMD_QUERY_STATUS:
                reply[0] = link::STATE_READY;
                reply[1] = STATUS_SECOND_BYTE;
                reply[2] = static_cast<std::uint8_t>(pages.size());
                startReply(link::STATUS_REPLY_SIZE);
                break;
            case link::CMD_QUERY_SELECTED_PAGE:
                reply[0] = static_cast<std::uint8_t>(selected);
                startReply(link::SELECTED_PAGE_REPLY_SIZE);
                break;
            case link::CMD_WRITE_QUARTER:
                expectOperands(code, WRITE_QUARTER_OPERANDS);
                break;
            case link::CMD_SELECT_PAGE:
                expectOperands(code, link::SELECT_PAGE_OPERANDS);
                break;
            case link::CMD_READ_BLOCK:
                expectOperands(code, link::READ_BLOCK_OPERANDS);
                break;
            case link::CMD_SET_INDICATOR:
                expectOperands(code, link::SET_INDICATOR_OPERANDS);
                break;
            default:
                break;  // not a command: the adapter waits for the next byte
        }
    }

    void expectOperands(std::uint8_t code, std::size_t count) {
        command = code;
        operandsWanted = count;
    }

    void finishCommand() {
        const std::uint8_t code = command;
        command = 0;
        switch (code) {
            case link::CMD_WRITE_QUARTER:
                writeQuarter(operands[0], operands[1]);
                break;
            case link::CMD_SELECT_PAGE:
                if (operands[0] < pages.size()) {
                    selected = operands[0];
                }
                followUp = FollowUp::StartBusy;
                break;
            case link::CMD_SET_INDICATOR:
                indicatorLevel = std::popcount(operands[0]) + (operands[1] != 0 ? 1 : 0);
                indicatorHistory.push_back(indicatorLevel);
                break;
            case link::CMD_READ_BLOCK:
                readBlock(operands[0]);
                break;
            default:
                break;
        }
    }

    void startReply(std::size_t length) {
        if (recording) {
            commands.back().replied.assign(reply.begin(),
                                           reply.begin() + static_cast<long>(length));
        }
        direction = Direction::ToPc;
        replyLength = length;
        replyPos = 0;
        replyBit = 0;
        followUp = FollowUp::StartReply;
    }

    void readBlock(std::uint8_t block) {
        const std::uint8_t* source = pages[static_cast<std::size_t>(selected)].bytes.data() +
                                     std::size_t{block} * card::BLOCK_SIZE;
        std::memcpy(reply.data(), source, card::BLOCK_SIZE);
        std::uint8_t check = xorOf(source, card::BLOCK_SIZE);
        if (faults.corruptReadCheckOfBlock == block && faults.corruptReadCheckTimes > 0) {
            --faults.corruptReadCheckTimes;
            check = static_cast<std::uint8_t>(~check);
        }
        reply[card::BLOCK_SIZE] = check;
        ++blockReads[block];
        startReply(BLOCK_REPLY_SIZE);
    }

    // The acknowledgement is the XOR of the bytes as they came; what is stored may differ (a
    // fault for tests), which only the PC's read-back can tell.
    void writeQuarter(std::uint8_t block, std::uint8_t quarterByte) {
        const int quarter = quarterByte % link::QUARTERS_PER_BLOCK;
        const std::uint8_t* data = operands.data() + (WRITE_QUARTER_OPERANDS - QUARTER_SIZE);
        std::uint8_t* stored = selectedPage().bytes.data() + std::size_t{block} * card::BLOCK_SIZE +
                               static_cast<std::size_t>(quarter) * QUARTER_SIZE;
        std::memcpy(stored, data, QUARTER_SIZE);
        if (takeFault(faults.storeWrongOfBlock, faults.storeWrongQuarter, faults.storeWrongTimes,
                      block, quarter)) {
            stored[0] = static_cast<std::uint8_t>(~stored[0]);
        }
        pageWritten[static_cast<std::size_t>(selected)] = 1;
        std::uint8_t acknowledgement = xorOf(data, QUARTER_SIZE);
        if (takeFault(faults.corruptAckOfBlock, faults.corruptAckQuarter, faults.corruptAckTimes,
                      block, quarter)) {
            acknowledgement = static_cast<std::uint8_t>(~acknowledgement);
        }
        ++quarterWrites[block];
        reply[0] = acknowledgement;
        startReply(link::ACKNOWLEDGEMENT_SIZE);
    }

    static bool takeFault(const std::optional<int>& ofBlock, int ofQuarter, int& times,
                          std::uint8_t block, int quarter) {
        if (ofBlock != block || ofQuarter != quarter || times <= 0) {
            return false;
        }
        --times;
        return true;
    }

    card::CardOrderPage& selectedPage() { return pages[static_cast<std::size_t>(selected)]; }

    // The pages written in the transaction are saved as it ends. A page that cannot be saved (a
    // full disk, a read-only folder) goes back to what its file holds, and the adapter does not
    // take the end of the transaction: its line stays low longer than the PC waits for a byte,
    // so the commit ends as one whose adapter stopped answering and reports no success.
    void endTransaction() {
        ++transactionsEnded;
        bool allSaved = true;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (pageWritten[i] != 0 && store) {
                if (store->save(static_cast<int>(i), pages[i]).ok()) {
                    savedPages[i] = pages[i];
                } else {
                    pages[i] = savedPages[i];
                    allSaved = false;
                }
            }
            pageWritten[i] = 0;
        }
        if (!allSaved) {
            holdLineLow(FAILED_SAVE_BUSY_READS);
        }
    }

    // The line drops at the next status read instead of rising, and rises `reads` reads later.
    void holdLineLow(std::uint32_t reads) {
        next = static_cast<std::uint8_t>(shown & ~LINE_HIGH);
        delay = 0;
        busyReads = reads;
        followUp = FollowUp::EndBusy;
    }
};

VirtualAdapter::VirtualAdapter(std::vector<card::CardOrderPage> pages,
                               std::unique_ptr<PageStore> store)
    : m_state(std::make_unique<State>()) {
    if (pages.size() > static_cast<std::size_t>(link::MAX_PAGES)) {
        pages.resize(link::MAX_PAGES);
    }
    if (pages.empty()) {
        pages.emplace_back();
    }
    m_state->pageWritten.assign(pages.size(), 0);
    if (store) {
        m_state->savedPages = pages;
    }
    m_state->pages = std::move(pages);
    m_state->store = std::move(store);
}

VirtualAdapter::~VirtualAdapter() = default;

void VirtualAdapter::write(std::uint16_t address, std::uint8_t value) {
    if (address != link::DEFAULT_PORT_BASE || m_state->countAccessAndCheckGone()) {
        return;
    }
    m_state->writeData(value);
}

std::uint8_t VirtualAdapter::read(std::uint16_t address) {
    if (address == link::DEFAULT_PORT_BASE + 1) {
        return m_state->countAccessAndCheckGone() ? OPEN_PORT_STATUS : m_state->readStatus();
    }
    if (address == link::DEFAULT_PORT_BASE) {
        return m_state->countAccessAndCheckGone() ? OPEN_PORT_STATUS : m_state->dataLatch;
    }
    return OPEN_PORT_STATUS;
}

int VirtualAdapter::pageCount() const {
    return static_cast<int>(m_state->pages.size());
}

int VirtualAdapter::selectedPage() const {
    return m_state->selected;
}

const card::CardOrderPage& VirtualAdapter::page(int index) const {
    return m_state->pages.at(static_cast<std::size_t>(index));
}

std::optional<formats::WriteBlocker> VirtualAdapter::notWritable(int pageIndex) const {
    if (!m_state->store) {
        return std::nullopt;
    }
    return m_state->store->notWritable(pageIndex);
}

std::uint64_t VirtualAdapter::accessCount() const {
    return m_state->accesses;
}

FaultPlan& VirtualAdapter::faults() {
    return m_state->faults;
}

AdapterTiming& VirtualAdapter::timing() {
    return m_state->timing;
}

void VirtualAdapter::recordCommands(bool on) {
    m_state->recording = on;
}

const std::vector<VirtualAdapter::WireCommand>& VirtualAdapter::commands() const {
    return m_state->commands;
}

int VirtualAdapter::indicatorLevel() const {
    return m_state->indicatorLevel;
}

const std::vector<int>& VirtualAdapter::indicatorHistory() const {
    return m_state->indicatorHistory;
}

int VirtualAdapter::blockReads(int block) const {
    return m_state->blockReads.at(static_cast<std::size_t>(block));
}

int VirtualAdapter::quarterWrites(int block) const {
    return m_state->quarterWrites.at(static_cast<std::size_t>(block));
}

int VirtualAdapter::transactionsEnded() const {
    return m_state->transactionsEnded;
}

}  // namespace quorvane::adapter
