// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/adapter_commands.h"

namespace quorvane::link {

namespace {

std::uint8_t low8(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

void endTransaction(CardLink& link) {
    link.sendByte(CMD_END_TRANSACTION);
}

// The sends are not checked: a quarter the adapter did not take shows in its acknowledgement.
// An acknowledgement that never came is a failure even when what it reads as happens to equal
// the XOR of the data.
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
    const std::uint8_t acknowledgement = link.receiveByte();
    return !link.linkLost() && acknowledgement == check ? QUARTER_ACKNOWLEDGED : 0;
}

int writeBlock(CardLink& link, int block, BlockData data) {
    if (isNeverWritten(block)) {
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
// short fails even if what it then reads as happens to match the check byte.
bool readBlock(CardLink& link, int block, BlockDestination destination) {
    if (link.sendByte(CMD_READ_BLOCK) != 0) {
        return false;
    }
    if (link.sendByte(low8(block)) != 0) {
        return false;
    }
    std::uint8_t check = 0;
    for (std::uint8_t& byte : destination) {
        byte = link.receiveByte();
        check ^= byte;
    }
    const std::uint8_t received = link.receiveByte();
    return received == check && !link.linkLost();
}

}  // namespace quorvane::link
