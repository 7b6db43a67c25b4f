// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

#include "card/page_layout.h"
#include "link/card_link.h"
#include "link/wire.h"

// The adapter's one-byte commands, built on the byte link. Results are the small integers the
// adapter's users know (writeQuarter 128 or 0, writeBlock 512 when whole, selectPage 0 or 1);
// a time-out anywhere in a command shows in the link's linkLost().
namespace quorvane::link {

inline constexpr int QUARTER_ACKNOWLEDGED = static_cast<int>(QUARTER_SIZE);
inline constexpr int BLOCK_ACKNOWLEDGED = static_cast<int>(card::BLOCK_SIZE);

using BlockData = std::span<const std::uint8_t, card::BLOCK_SIZE>;
using BlockDestination = std::span<std::uint8_t, card::BLOCK_SIZE>;

struct AdapterStatus {
    std::uint8_t state = STATE_NO_ADAPTER;  // STATE_NO_ADAPTER: no adapter answered
    std::uint8_t second = 0;                // stored, never interpreted
    std::uint8_t pageCount = 0;
};

void endTransaction(CardLink& link);
int writeQuarter(CardLink& link, int block, int quarter,
                 std::span<const std::uint8_t, QUARTER_SIZE> data);  // 128 or 0
// Blocks the PC never writes (isNeverWritten) send nothing and count as written.
int writeBlock(CardLink& link, int block, BlockData data);  // 512 when every quarter was taken
int selectPage(CardLink& link, int pageIndex);              // 0 = done, 1 = code byte timed out
// On a time-out of the code byte only `state` is set (to STATE_NO_ADAPTER); the rest keeps its
// values.
void queryStatus(CardLink& link, AdapterStatus& status);
void setIndicator(CardLink& link, int level);  // level 0..8
std::uint8_t querySelectedPage(CardLink& link);
bool readBlock(CardLink& link, int block, BlockDestination destination);

}  // namespace quorvane::link
