#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "card/ddc_image.h"
#include "card/dir_entry.h"
#include "card/page_layout.h"
#include "formats/read_result.h"

// The .vmi/.vms pair: .vmi names the file (12 bytes at offset 88), .vms is its raw data.
namespace quorvane::formats {

inline constexpr std::size_t VMI_READ_SIZE = 128;
inline constexpr std::size_t VMI_NAME_OFFSET = 88;
inline constexpr std::size_t VMI_MIN_SIZE = VMI_NAME_OFFSET + 12;  // 100
inline constexpr std::uint8_t PAIR_FILE_TYPE = 0x33;

enum class PairMember { Vmi, Vms };

// The partner's file name from the chosen file's lower-cased name: race.vmi -> race.vms,
// race_vmi.vmi -> race_vms.vms (the first "vmi" of the base name becomes "vms").
std::string partnerName(std::string_view lowerCaseName, PairMember chosen);

using CardFileName = std::array<std::uint8_t, 12>;
// `bytes` is the whole .vmi or at least its first VMI_READ_SIZE bytes; `name` is only written
// on Ok.
ReadResult parseVmiName(std::span<const std::uint8_t> bytes, CardFileName& name);
ReadResult readVmiName(const std::filesystem::path& path, CardFileName& name);

// Takes the .vms into fileBuffer from byte 0. The length is rounded up to whole blocks and the
// last block padded with zeros, so no byte of the save is lost. More than a page's user blocks:
// the first FILE_DATA_CAPACITY bytes are taken and TooManyBlocks reported (blocks still says how
// many). EmptyVms and ReadFailed leave fileBuffer and blocks alone.
//
// `length` is the whole .vms's length and `bytes` its first bytes: at least the first
// min(length, FILE_DATA_CAPACITY), or the file ended while it was read (ReadFailed); further
// bytes are not looked at. The length alone counts the blocks, so a wrapper need not read more.
ReadResult parseVmsData(std::span<const std::uint8_t> bytes, std::uint64_t length,
                        card::FileBuffer& fileBuffer, std::uint16_t& blocks);
ReadResult readVmsData(const std::filesystem::path& path, card::FileBuffer& fileBuffer,
                       std::uint16_t& blocks);

// Local calendar time, as the entry stores it.
struct LocalTime {
    int year = 2000;  // e.g. 2026
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;   // 0..59
    int second = 0;   // 0..59
    int weekday = 0;  // 0 = Monday .. 6 = Sunday
};
LocalTime currentLocalTime();
// The C library's calendar time (tm_wday 0 = Sunday) in the entry's terms.
LocalTime localTimeFromTm(const std::tm& calendar);

card::DirEntry buildPairEntry(const CardFileName& name, std::uint16_t blocks, const LocalTime& now);

}  // namespace quorvane::formats
