#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "link/card_link.h"

// The adapter's one-byte commands, built on the byte link.
namespace quorvane::link {

inline constexpr std::uint8_t CMD_END_TRANSACTION = 0x01;
inline constexpr std::uint8_t CMD_WRITE_QUARTER = 0x02;
inline constexpr std::uint8_t CMD_SELECT_PAGE = 0x04;
inline constexpr std::uint8_t CMD_QUERY_STATUS = 0x08;
inline constexpr std::uint8_t CMD_SET_INDICATOR = 0x10;
inline constexpr std::uint8_t CMD_QUERY_SELECTED_PAGE = 0x20;
inline constexpr std::uint8_t CMD_READ_BLOCK = 0x80;

inline constexpr std::size_t QUARTER_SIZE = 128;
inline constexpr int QUARTER_ACKNOWLEDGED = 128;
inline constexpr int BLOCK_ACKNOWLEDGED = 512;
inline constexpr std::uint8_t STATE_NO_ADAPTER = 0xFF;

inline constexpr std::array<std::array<std::uint8_t, 2>, 9> INDICATOR_PATTERN{{
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

struct AdapterStatus {
    std::uint8_t state = STATE_NO_ADAPTER;  // 0xFF = no adapter answered
    std::uint8_t second = 0;                // stored, never interpreted
    std::uint8_t pageCount = 0;
};

void endTransaction(CardLink& link);
int writeQuarter(CardLink& link, int block, int quarter,
                 std::span<const std::uint8_t, QUARTER_SIZE> data);                  // 128 or 0
int writeBlock(CardLink& link, int block, std::span<const std::uint8_t, 512> data);  // 512 = ok
int selectPage(CardLink& link, int pageIndex);  // 0 = done, 1 = code byte timed out
// On a time-out of the code byte only `state` is set (to 0xFF); the rest keeps its values.
void queryStatus(CardLink& link, AdapterStatus& status);
void setIndicator(CardLink& link, int level);  // level 0..8
std::uint8_t querySelectedPage(CardLink& link);
bool readBlock(CardLink& link, int block, std::span<std::uint8_t, 512> destination);

}  // namespace quorvane::link
