#include "adapter/virtual_adapter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

// Data register lines as the adapter sees them.
constexpr std::uint8_t PC_VALUE = 0x01;
constexpr std::uint8_t PC_CLOCK = 0x02;
constexpr std::uint8_t PC_IDLE = PC_VALUE | PC_CLOCK;
// Status register lines the adapter drives.
constexpr std::uint8_t LINE_HIGH = 0x40;
constexpr std::uint8_t BIT_INVERTED = 0x80;
// What a port with nothing on it reads.
constexpr std::uint8_t NOTHING_ATTACHED = 0xFF;

constexpr std::uint8_t CODE_END_TRANSACTION = 0x01;
constexpr std::uint8_t CODE_WRITE_QUARTER = 0x02;
constexpr std::uint8_t CODE_SELECT_PAGE = 0x04;
constexpr std::uint8_t CODE_QUERY_STATUS = 0x08;
constexpr std::uint8_t CODE_SET_INDICATOR = 0x10;
constexpr std::uint8_t CODE_QUERY_SELECTED_PAGE = 0x20;
constexpr std::uint8_t CODE_READ_BLOCK = 0x80;

constexpr std::uint8_t STATE_OK = 0x00;
constexpr std::uint8_t STATUS_SECOND_BYTE = 0x00;

constexpr std::size_t QUARTER_BYTES = 128;
constexpr std::size_t WRITE_QUARTER_OPERANDS = 2 + QUARTER_BYTES;  // block, quarter, data
constexpr std::size_t BLOCK_REPLY_BYTES = card::BLOCK_SIZE + 1;    // data, check byte

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
    std::vector<card::PageBytes> pages;
    std::vector<std::uint8_t> pageWritten;
    std::unique_ptr<PageStore> store;
    FaultPlan faults;
    AdapterTiming timing;
    int selected = 0;

    std::uint64_t accesses = 0;
    bool gone = false;

    // The lines: what a status read shows now, and what it will show after `delay` reads.
    std::uint8_t dataLatch = PC_IDLE;
    std::uint8_t shown = LINE_HIGH;
    std::uint8_t next = LINE_HIGH;
    std::uint32_t delay = 0;
    FollowUp followUp = FollowUp::None;

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
    std::array<std::uint8_t, BLOCK_REPLY_BYTES> reply{};
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
                    followUp = FollowUp::EndBusy;
                }
                break;
            case FollowUp::EndBusy:
                next = static_cast<std::uint8_t>(shown | LINE_HIGH);
                delay = timing.pageChangeBusy > 0 ? timing.pageChangeBusy - 1 : 0;
                break;
            case FollowUp::None:
                break;
        }
    }

    void writeData(std::uint8_t value) {
        const bool clockWasHigh = (dataLatch & PC_CLOCK) != 0;
        dataLatch = value;
        const bool clockHigh = (value & PC_CLOCK) != 0;
        if (clockHigh == clockWasHigh) {
            return;
        }
        if (clockHigh) {
            onClockRise((value & PC_VALUE) != 0);
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
            case CODE_END_TRANSACTION:
                endTransaction();
                break;
            case CODE_QUERY_STATUS:
                reply[0] = STATE_OK;
                reply[1] = STATUS_SECOND_BYTE;
                reply[2] = static_cast<std::uint8_t>(pages.size());
                startReply(3);
                break;
            case CODE_QUERY_SELECTED_PAGE:
                reply[0] = static_cast<std::uint8_t>(selected);
                startReply(1);
                break;
            case CODE_WRITE_QUARTER:
                expectOperands(code, WRITE_QUARTER_OPERANDS);
                break;
            case CODE_SELECT_PAGE:
            case CODE_READ_BLOCK:
                expectOperands(code, 1);
                break;
            case CODE_SET_INDICATOR:
                expectOperands(code, 2);
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
            case CODE_WRITE_QUARTER:
                writeQuarter(operands[0], operands[1]);
                break;
            case CODE_SELECT_PAGE:
                if (operands[0] < pages.size()) {
                    selected = operands[0];
                }
                followUp = FollowUp::StartBusy;
                break;
            case CODE_SET_INDICATOR:
                indicatorLevel = std::popcount(operands[0]) + (operands[1] != 0 ? 1 : 0);
                indicatorHistory.push_back(indicatorLevel);
                break;
            case CODE_READ_BLOCK:
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
        const std::uint8_t* source = pages[static_cast<std::size_t>(selected)].data() +
                                     std::size_t{block} * card::BLOCK_SIZE;
        std::memcpy(reply.data(), source, card::BLOCK_SIZE);
        std::uint8_t check = xorOf(source, card::BLOCK_SIZE);
        if (faults.corruptReadCheckOfBlock == block && faults.corruptReadCheckTimes > 0) {
            --faults.corruptReadCheckTimes;
            check = static_cast<std::uint8_t>(~check);
        }
        reply[card::BLOCK_SIZE] = check;
        ++blockReads[block];
        startReply(BLOCK_REPLY_BYTES);
    }

    void writeQuarter(std::uint8_t block, std::uint8_t quarterByte) {
        const int quarter = quarterByte & 3;
        const std::uint8_t* data = operands.data() + 2;
        auto& page = pages[static_cast<std::size_t>(selected)];
        std::memcpy(page.data() + std::size_t{block} * card::BLOCK_SIZE +
                        static_cast<std::size_t>(quarter) * QUARTER_BYTES,
                    data, QUARTER_BYTES);
        pageWritten[static_cast<std::size_t>(selected)] = 1;
        std::uint8_t acknowledgement = xorOf(data, QUARTER_BYTES);
        if (faults.corruptAckOfBlock == block && faults.corruptAckQuarter == quarter &&
            faults.corruptAckTimes > 0) {
            --faults.corruptAckTimes;
            acknowledgement = static_cast<std::uint8_t>(~acknowledgement);
        }
        ++quarterWrites[block];
        reply[0] = acknowledgement;
        startReply(1);
    }

    void endTransaction() {
        ++transactionsEnded;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (pageWritten[i] != 0 && store) {
                store->save(static_cast<int>(i), pages[i]);
            }
            pageWritten[i] = 0;
        }
    }
};

VirtualAdapter::VirtualAdapter(std::vector<card::PageBytes> pages, std::unique_ptr<PageStore> store)
    : m_state(std::make_unique<State>()) {
    if (pages.size() > static_cast<std::size_t>(MAX_VIRTUAL_PAGES)) {
        pages.resize(MAX_VIRTUAL_PAGES);
    }
    if (pages.empty()) {
        pages.emplace_back();
    }
    m_state->pageWritten.assign(pages.size(), 0);
    m_state->pages = std::move(pages);
    m_state->store = std::move(store);
}

VirtualAdapter::~VirtualAdapter() = default;

void VirtualAdapter::write(std::uint16_t address, std::uint8_t value) {
    if (address != VIRTUAL_ADAPTER_BASE || m_state->countAccessAndCheckGone()) {
        return;
    }
    m_state->writeData(value);
}

std::uint8_t VirtualAdapter::read(std::uint16_t address) {
    if (address == VIRTUAL_ADAPTER_BASE + 1) {
        return m_state->countAccessAndCheckGone() ? NOTHING_ATTACHED : m_state->readStatus();
    }
    if (address == VIRTUAL_ADAPTER_BASE) {
        return m_state->countAccessAndCheckGone() ? NOTHING_ATTACHED : m_state->dataLatch;
    }
    return NOTHING_ATTACHED;
}

int VirtualAdapter::pageCount() const {
    return static_cast<int>(m_state->pages.size());
}

int VirtualAdapter::selectedPage() const {
    return m_state->selected;
}

const card::PageBytes& VirtualAdapter::page(int index) const {
    return m_state->pages.at(static_cast<std::size_t>(index));
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
