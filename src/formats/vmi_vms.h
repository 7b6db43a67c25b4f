// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "card/card_file.h"
#include "card/dir_entry.h"
#include "card/page_layout.h"
#include "formats/read_result.h"
#include "formats/safe_write.h"

// The .vmi/.vms pair: .vmi names the file (12 bytes at offset 88), .vms is its raw data.
namespace quorvane::formats {

inline constexpr std::string_view VMI_EXTENSION = ".vmi";
inline constexpr std::string_view VMS_EXTENSION = ".vms";

inline constexpr std::size_t VMI_READ_SIZE = 128;
inline constexpr std::size_t VMI_NAME_OFFSET = 88;
inline constexpr std::size_t VMI_MIN_SIZE = VMI_NAME_OFFSET + 12;     // 100
inline constexpr std::uint8_t PAIR_FILE_TYPE = card::DATA_FILE_TYPE;  // a pair holds a data file

enum class PairMember { Vmi, Vms };

// The partner's file name from the chosen file's lower-cased name: race.vmi -> race.vms,
// race_vmi.vmi -> race_vms.vms (the first "vmi" of the base name becomes "vms").
std::string partnerName(std::string_view lowerCaseName, PairMember chosen);

using CardFileName = std::array<std::uint8_t, 12>;
// `bytes` is the whole .vmi or at least its first VMI_READ_SIZE bytes; `name` is only written
// on Ok.
ReadResult parseVmiName(std::span<const std::uint8_t> bytes, CardFileName& name);
ReadResult readVmiName(const std::filesystem::path& path, CardFileName& name);

// Takes the .vms into `data`. The length is rounded up to whole blocks and the last block padded
// with zeros, so no byte of the save is lost. More than a page's user blocks: the first
// FILE_DATA_CAPACITY bytes are taken and TooManyBlocks reported (blocks still says how many).
// EmptyVms and ReadFailed leave `data` and blocks alone.
//
// `length` is the whole .vms's length and `bytes` its first bytes: at least the first
// min(length, FILE_DATA_CAPACITY), or the file ended while it was read (ReadFailed); further
// bytes are not looked at. The length alone counts the blocks, so a wrapper need not read more.
ReadResult parseVmsData(std::span<const std::uint8_t> bytes, std::uint64_t length,
                        std::vector<std::uint8_t>& data, std::uint16_t& blocks);
ReadResult readVmsData(const std::filesystem::path& path, std::vector<std::uint8_t>& data,
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
// `time` in the time-stamp layout of a directory entry and of the root block's format time.
std::array<std::uint8_t, 8> bcdTimeStamp(const LocalTime& time);

// The .vmi's mode (VMI_MODE_GAME, VMI_MODE_COPY_PROTECTED); 0, a data file, when `bytes` ends
// before it.
std::uint16_t parseVmiMode(std::span<const std::uint8_t> bytes);

// The entry of a pair: the mode makes it a game (whose save header is in block 1) or a data
// file, copy protected or not; the time stamp is `now` in BCD.
card::DirEntry buildPairEntry(const CardFileName& name, std::uint16_t blocks, const LocalTime& now,
                              std::uint16_t mode);

// --- Writing a card file as a pair ---

// The .vmi as written, 16- and 32-bit values little-endian.
inline constexpr std::size_t VMI_CHECKSUM_OFFSET = 0x00;     // 4 bytes
inline constexpr std::size_t VMI_DESCRIPTION_OFFSET = 0x04;  // 32 bytes, zero padded
inline constexpr std::size_t VMI_COPYRIGHT_OFFSET = 0x24;    // 32 bytes, zero padded
inline constexpr std::size_t VMI_TEXT_SIZE = 32;
// u16 year, then month, day, hour, minute, second and weekday (0 = Sunday) a byte each.
inline constexpr std::size_t VMI_DATE_OFFSET = 0x44;
inline constexpr std::size_t VMI_VERSION_OFFSET = 0x4C;        // u16
inline constexpr std::size_t VMI_FILE_NUMBER_OFFSET = 0x4E;    // u16
inline constexpr std::size_t VMI_RESOURCE_NAME_OFFSET = 0x50;  // NAME, zero padded
inline constexpr std::size_t VMI_RESOURCE_NAME_SIZE = 8;
inline constexpr std::size_t VMI_MODE_OFFSET = 0x64;      // u16, then a u16 of zero
inline constexpr std::size_t VMI_VMS_SIZE_OFFSET = 0x68;  // u32
inline constexpr std::size_t VMI_SIZE = 108;
inline constexpr std::uint16_t VMI_MODE_COPY_PROTECTED = 0x0001;
inline constexpr std::uint16_t VMI_MODE_GAME = 0x0002;
inline constexpr std::string_view VMI_COPYRIGHT = "Quorvane";
static_assert(VMI_COPYRIGHT.size() <= VMI_TEXT_SIZE);
static_assert(VMI_RESOURCE_NAME_OFFSET + VMI_RESOURCE_NAME_SIZE == VMI_NAME_OFFSET);
static_assert(VMI_VMS_SIZE_OFFSET + 4 == VMI_SIZE);

// NAME, the pair's file names without extension and the .vmi's resource name: 1 to 8 of
// A-Z, 0-9 and '_'.
inline constexpr std::size_t PAIR_NAME_MAX_SIZE = VMI_RESOURCE_NAME_SIZE;
bool isValidPairName(std::string_view name);

using VmiBytes = std::array<std::uint8_t, VMI_SIZE>;
// The .vmi of a card file: `entry` is its directory entry, `fileData` its blocks along the chain
// (the description comes from its save header, in block headerOffset; zeros when that block is
// not in fileData), `name` a valid NAME.
VmiBytes buildVmi(const card::DirEntry& entry, std::span<const std::uint8_t> fileData,
                  std::string_view name);

enum class PairWriteResult {
    Written,
    BadName,        // NAME is not valid: nothing was written
    CannotReadOld,  // the .vmi already there could not be read, so could not be put back on a
                    // failure: nothing was written
    NotWritten,     // writing `path` failed; the folder holds what it held before
    PartlyWritten,  // writing the .vms failed and the .vmi written before it could not be put
                    // back: `path` is the .vms, `leftBehind` the new .vmi
};
struct PairWriteStatus {
    PairWriteResult result = PairWriteResult::Written;
    WriteResult write = WriteResult::Written;  // how `path` failed, for NotWritten, PartlyWritten
    int systemError = 0;                       // errno of the failing call
    std::filesystem::path path;                // the file that could not be read or written
    std::filesystem::path leftBehind;
    bool ok() const { return result == PairWriteResult::Written; }
};
// Writes folder/NAME.vmi and folder/NAME.vms (the file's data) for `file`, each through the safe
// writer, and never one without the other. Existing files of those names are replaced.
PairWriteStatus writePairFiles(const std::filesystem::path& folder, std::string_view name,
                               const card::CardFile& file);

}  // namespace quorvane::formats
