#pragma once

#include <cstddef>

// The text fields of the save header at the start of a file's first block. The listing shows
// them as the file's three information lines; the virtual card writes them into its samples.
namespace quorvane::card {

inline constexpr std::size_t SHORT_DESCRIPTION_OFFSET = 0;
inline constexpr std::size_t SHORT_DESCRIPTION_SIZE = 16;
inline constexpr std::size_t LONG_DESCRIPTION_OFFSET = 16;
inline constexpr std::size_t LONG_DESCRIPTION_SIZE = 32;
inline constexpr std::size_t APPLICATION_NAME_OFFSET = 48;
inline constexpr std::size_t APPLICATION_NAME_SIZE = 16;
// Where the text fields end; the rest of the header (icons, check value) is not read here.
inline constexpr std::size_t SAVE_HEADER_TEXT_SIZE = 64;

static_assert(SHORT_DESCRIPTION_OFFSET + SHORT_DESCRIPTION_SIZE == LONG_DESCRIPTION_OFFSET);
static_assert(LONG_DESCRIPTION_OFFSET + LONG_DESCRIPTION_SIZE == APPLICATION_NAME_OFFSET);
static_assert(APPLICATION_NAME_OFFSET + APPLICATION_NAME_SIZE == SAVE_HEADER_TEXT_SIZE);

}  // namespace quorvane::card
