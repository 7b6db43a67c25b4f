#include "link/adapter_commands.h"

namespace quorvane::link {

namespace {

inline constexpr int UNWRITTEN_FIRST_BLOCK = 200;
inline constexpr int UNWRITTEN_LAST_BLOCK = 240;
inline constexpr int QUARTERS_PER_BLOCK = 4;
inline constexpr int MAX_INDICATOR_LEVEL = 8;

std::uint8_t low8(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

void endTransaction(CardLink& link) {
    link.sendByte(CMD_END_TRANSACTION);
}

// The sends are not checked: a quarter the adapter did not take shows in its acknowledgement.
// An acknowledgement that never came is a failure even when the all-ones it reads as happens to
// equal the XOR of the data.
int writeQuarter(CardLink& link, int block, int quarter,
                 std::span<const std::uint8_t, QUARTER_SIZE> data) {
    link.sendByte(CMD_WRITE_QUARTER);
    link.sendByte(low8(block));
    link.sendByte(low8(quarter));
    std::uint8_t check = 0;
    for (std::uint8_t byte : data) {
        link.sendByte(byte);
        check ^= byte;
    }
    const std::uint64_t timeoutsBefore = link.receiveTimeouts();
    const std::uint8_t acknowledgement = link.receiveByte();
    const bool answered = link.receiveTimeouts() == timeoutsBefore;
    return answered && acknowledgement == check ? QUARTER_ACKNOWLEDGED : 0;
}

int writeBlock(CardLink& link, int block, std::span<const std::uint8_t, 512> data) {
    if (block >= UNWRITTEN_FIRST_BLOCK && block <= UNWRITTEN_LAST_BLOCK) {
        return BLOCK_ACKNOWLEDGED;
    }
    int acknowledged = 0;
    for (int quarter = 0; quarter < QUARTERS_PER_BLOCK; ++quarter) {
        acknowledged += writeQuarter(
            link, block, quarter,
            data.subspan(static_cast<std::size_t>(quarter) * QUARTER_SIZE).first<QUARTER_SIZE>());
    }
    return acknowledged;
}

int selectPage(CardLink& link, int pageIndex) {
    if (link.sendByte(CMD_SELECT_PAGE) != 0) {
        return 1;
    }
    link.sendByte(low8(pageIndex));
    link.waitUntilReady();
    endTransaction(link);
    return 0;
}

void queryStatus(CardLink& link, AdapterStatus& status) {
    if (link.sendByte(CMD_QUERY_STATUS) != 0) {
        status.state = STATE_NO_ADAPTER;
        return;
    }
    status.state = link.receiveByte();
    status.second = link.receiveByte();
    status.pageCount = link.receiveByte();
    link.waitUntilReady();
    endTransaction(link);
}

// Levels outside 0..8 are clamped: the pattern table has no other entries.
void setIndicator(CardLink& link, int level) {
    const int clamped = level < 0 ? 0 : (level > MAX_INDICATOR_LEVEL ? MAX_INDICATOR_LEVEL : level);
    const auto& pattern = INDICATOR_PATTERN[static_cast<std::size_t>(clamped)];
    link.sendByte(CMD_SET_INDICATOR);
    link.sendByte(pattern[0]);
    link.sendByte(pattern[1]);
}

std::uint8_t querySelectedPage(CardLink& link) {
    link.sendByte(CMD_QUERY_SELECTED_PAGE);
    return link.receiveByte();
}

// The destination holds the bytes received whatever the outcome. A block whose reply was cut
// short fails even if the all-ones it then reads as happen to match the check byte.
bool readBlock(CardLink& link, int block, std::span<std::uint8_t, 512> destination) {
    if (link.sendByte(CMD_READ_BLOCK) != 0) {
        return false;
    }
    if (link.sendByte(low8(block)) != 0) {
        return false;
    }
    const std::uint64_t timeoutsBefore = link.receiveTimeouts();
    std::uint8_t check = 0;
    for (std::uint8_t& byte : destination) {
        byte = link.receiveByte();
        check ^= byte;
    }
    const std::uint8_t received = link.receiveByte();
    return received == check && link.receiveTimeouts() == timeoutsBefore;
}

}  // namespace quorvane::link
