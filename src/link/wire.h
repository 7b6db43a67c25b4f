// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "card/page_layout.h"

// What crosses the parallel port, written once: the PC's side (CardLink and the adapter
// commands) and the adapter's side (the virtual adapter) both include this header.
namespace quorvane::link {

// The first parallel port, where the program starts and where the virtual adapter answers.
inline constexpr std::uint16_t DEFAULT_PORT_BASE = 0x378;
// The pages the PC addresses, 1 to 16; an adapter (or virtual card) holds at most as many.
inline constexpr int MAX_PAGES = 16;

// --- Lines of the data register, driven by the PC ---
inline constexpr std::uint8_t LINE_VALUE = 0x01;  // D0: bit value to the adapter
inline constexpr std::uint8_t LINE_CLOCK = 0x02;  // D1: clock from the PC
inline constexpr std::uint8_t LINK_IDLE = LINE_VALUE | LINE_CLOCK;
inline constexpr std::uint8_t CLOCK_LOW = 0x00;  // the clock falls with the value line low

// --- Lines of the status register, driven by the adapter ---
inline constexpr std::uint8_t STATUS_HANDSHAKE = 0x40;  // bit 6, ACK: low = busy
inline constexpr std::uint8_t STATUS_REPLY = 0x80;      // bit 7, BUSY, inverted: clear = a 1 bit
// A status read of a port with nothing attached: the handshake line high, every bit 0.
inline constexpr std::uint8_t OPEN_PORT_STATUS = 0xFF;

// --- Command bytes, each a single bit (0x40 is never sent) ---
inline constexpr std::uint8_t CMD_END_TRANSACTION = 0x01;
inline constexpr std::uint8_t CMD_WRITE_QUARTER = 0x02;
inline constexpr std::uint8_t CMD_SELECT_PAGE = 0x04;
inline constexpr std::uint8_t CMD_QUERY_STATUS = 0x08;
inline constexpr std::uint8_t CMD_SET_INDICATOR = 0x10;
inline constexpr std::uint8_t CMD_QUERY_SELECTED_PAGE = 0x20;
inline constexpr std::uint8_t CMD_READ_BLOCK = 0x80;

// --- The bytes of each command ---
// A block is written in four quarters: 0x02, block, quarter, the quarter's bytes.
inline constexpr std::size_t QUARTER_SIZE = 128;
inline constexpr int QUARTERS_PER_BLOCK = 4;
static_assert(QUARTER_SIZE * QUARTERS_PER_BLOCK == card::BLOCK_SIZE);
inline constexpr std::size_t WRITE_QUARTER_OPERANDS = 2 + QUARTER_SIZE;
inline constexpr std::size_t SELECT_PAGE_OPERANDS = 1;    // the page index
inline constexpr std::size_t READ_BLOCK_OPERANDS = 1;     // the block number
inline constexpr std::size_t SET_INDICATOR_OPERANDS = 2;  // the two pattern bytes
// Replies: the status (state, a second byte, the page count), the selected page, a block's
// bytes followed by their XOR, and a quarter's acknowledgement (the XOR of its bytes).
inline constexpr std::size_t STATUS_REPLY_SIZE = 3;
inline constexpr std::size_t SELECTED_PAGE_REPLY_SIZE = 1;
inline constexpr std::size_t BLOCK_REPLY_SIZE = card::BLOCK_SIZE + 1;
inline constexpr std::size_t ACKNOWLEDGEMENT_SIZE = 1;

// The state byte of the status reply: what reads back when no adapter answered, and what a
// working adapter says.
inline constexpr std::uint8_t STATE_NO_ADAPTER = 0xFF;
inline constexpr std::uint8_t STATE_READY = 0x00;

// The indicator's nine levels: from level 2 on each level lights one more bit of the first
// byte, from the most significant down.
inline constexpr int MAX_INDICATOR_LEVEL = 8;
inline constexpr std::array<std::array<std::uint8_t, 2>, MAX_INDICATOR_LEVEL + 1> INDICATOR_PATTERN{
    {
        {0x00, 0x00},
        {0x00, 0x03},
        {0x80, 0x03},
        {0xC0, 0x03},
        {0xE0, 0x03},
        {0xF0, 0x03},
        {0xF8, 0x03},
        {0xFC, 0x03},
        {0xFE, 0x03},
    }};

// The PC never writes the blocks between the user area and the directory; the card keeps what
// it holds there.
inline constexpr bool isNeverWritten(int block) {
    return block >= card::UNUSED_FIRST_BLOCK && block <= card::UNUSED_LAST_BLOCK;
}

}  // namespace quorvane::link
