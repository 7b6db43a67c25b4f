// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/vmi_vms.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <vector>

#include "card/byte_order.h"
#include "card/save_header.h"
#include "formats/input_file.h"

namespace quorvane::formats {

namespace {

constexpr int YEARS_PER_CENTURY = 100;
constexpr int DAYS_PER_WEEK = 7;

constexpr std::array<std::uint8_t, 4> CHECKSUM_MASK = {'S', 'E', 'G', 'A'};
constexpr std::uint16_t VMI_VERSION = 0;
constexpr std::uint16_t VMI_FILE_NUMBER = 1;
constexpr int BCD_INVALID = -1;
// Places in the entry's time stamp; month to second have the same places in the .vmi's date.
constexpr std::size_t STAMP_CENTURY = 0;
constexpr std::size_t STAMP_YEAR = 1;
constexpr std::size_t STAMP_MONTH = 2;
constexpr std::size_t STAMP_SECOND = 6;
constexpr std::size_t STAMP_WEEKDAY = 7;

int fromBcd(std::uint8_t value) {
    const int high = value >> 4;
    const int low = value & 0x0F;
    return high > 9 || low > 9 ? BCD_INVALID : high * 10 + low;
}

std::uint8_t toBcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

using TimeStamp = std::array<std::uint8_t, 8>;

// Pairs this program added before its stamps were BCD hold plain numbers, which show as a nibble
// above 9 (a year of 26 is 0x1A): such a stamp is read as the numbers it holds.
bool isBcdStamp(const TimeStamp& timeStamp) {
    return std::all_of(timeStamp.begin(), timeStamp.end(),
                       [](std::uint8_t field) { return fromBcd(field) != BCD_INVALID; });
}

// The card counts the week from Monday, the .vmi from Sunday.
std::uint8_t weekdayFromSunday(int cardWeekday) {
    return static_cast<std::uint8_t>(
        cardWeekday >= DAYS_PER_WEEK ? 0 : (cardWeekday + 1) % DAYS_PER_WEEK);
}

void putDate(VmiBytes& vmi, const TimeStamp& timeStamp) {
    const bool bcd = isBcdStamp(timeStamp);
    const auto field = [&timeStamp, bcd](std::size_t place) {
        return bcd ? fromBcd(timeStamp[place]) : int{timeStamp[place]};
    };
    const int fullYear = field(STAMP_CENTURY) * YEARS_PER_CENTURY + field(STAMP_YEAR);
    card::writeLe16(vmi, VMI_DATE_OFFSET, static_cast<std::uint16_t>(fullYear));
    for (std::size_t place = STAMP_MONTH; place <= STAMP_SECOND; ++place) {
        vmi[VMI_DATE_OFFSET + place] = static_cast<std::uint8_t>(field(place));
    }
    vmi[VMI_DATE_OFFSET + STAMP_WEEKDAY] = weekdayFromSunday(field(STAMP_WEEKDAY));
}

static_assert(card::LONG_DESCRIPTION_SIZE == VMI_TEXT_SIZE);

// The long description up to its first zero byte; nothing when the header block is not there.
void putDescription(VmiBytes& vmi, const card::DirEntry& entry,
                    std::span<const std::uint8_t> fileData) {
    const std::uint64_t start =
        std::uint64_t{entry.headerOffset} * card::BLOCK_SIZE + card::LONG_DESCRIPTION_OFFSET;
    if (entry.headerOffset >= entry.sizeInBlocks ||
        start + card::LONG_DESCRIPTION_SIZE > fileData.size()) {
        return;
    }
    const auto text =
        fileData.subspan(static_cast<std::size_t>(start), card::LONG_DESCRIPTION_SIZE);
    const auto end = std::find(text.begin(), text.end(), 0);
    std::copy(text.begin(), end, vmi.begin() + VMI_DESCRIPTION_OFFSET);
}

std::uint16_t modeOf(const card::DirEntry& entry) {
    std::uint16_t mode = 0;
    if (entry.fileType == card::GAME_FILE_TYPE) {
        mode |= VMI_MODE_GAME;
    }
    if (entry.copyFlag == card::COPY_PROTECTED) {
        mode |= VMI_MODE_COPY_PROTECTED;
    }
    return mode;
}

// What a file held before it is replaced, so that it can be put back: none when there was no
// such file. False when it exists but cannot be read.
bool readPrevious(const std::filesystem::path& path,
                  std::optional<std::vector<std::uint8_t>>& previous, int& error) {
    FileStart file = readWholeFile(path);
    if (file.result == ReadResult::CannotOpen && file.systemError == ENOENT) {
        previous.reset();
        return true;
    }
    if (file.result != ReadResult::Ok) {
        error = file.systemError;
        return false;
    }
    previous = std::move(file.bytes);
    return true;
}

bool putBack(const std::filesystem::path& path,
             const std::optional<std::vector<std::uint8_t>>& previous) {
    if (previous) {
        return writeFileAtomically(path, *previous).ok();
    }
    return ::unlink(path.c_str()) == 0;
}

PairWriteStatus pairFailure(PairWriteResult result, const std::filesystem::path& path,
                            int systemError, WriteResult write = WriteResult::Written) {
    PairWriteStatus status;
    status.result = result;
    status.write = write;
    status.systemError = systemError;
    status.path = path;
    return status;
}

}  // namespace

std::string partnerName(std::string_view lowerCaseName, PairMember chosen) {
    const std::size_t dot = lowerCaseName.rfind('.');
    const std::size_t slash = lowerCaseName.rfind('/');
    const bool dotInName =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    std::string base(dotInName ? lowerCaseName.substr(0, dot) : lowerCaseName);

    const std::string_view own = chosen == PairMember::Vmi ? "vmi" : "vms";
    const char partnerLetter = chosen == PairMember::Vmi ? 's' : 'i';
    const std::size_t at = base.find(own);
    if (at != std::string::npos) {
        base[at + 2] = partnerLetter;
    }
    return base + (chosen == PairMember::Vmi ? ".vms" : ".vmi");
}

ReadResult parseVmiName(std::span<const std::uint8_t> bytes, CardFileName& name) {
    if (bytes.size() < VMI_MIN_SIZE) {
        return ReadResult::VmiTooShort;
    }
    std::copy_n(bytes.begin() + VMI_NAME_OFFSET, name.size(), name.begin());
    return ReadResult::Ok;
}

ReadResult readVmiName(const std::filesystem::path& path, CardFileName& name) {
    const FileStart file = readFileStart(path, VMI_READ_SIZE);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parseVmiName(file.bytes, name);
}

ReadResult parseVmsData(std::span<const std::uint8_t> bytes, std::uint64_t length,
                        std::vector<std::uint8_t>& data, std::uint16_t& blocks) {
    if (length == 0) {
        return ReadResult::EmptyVms;
    }
    const std::size_t kept =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, card::FILE_DATA_CAPACITY));
    if (bytes.size() < kept) {
        return ReadResult::ReadFailed;
    }
    const std::uint64_t wholeBlocks =
        length / card::BLOCK_SIZE + (length % card::BLOCK_SIZE != 0 ? 1 : 0);
    // A trailing part block is kept, padded with zeros, rather than dropped.
    data.assign(bytes.begin(), bytes.begin() + static_cast<long>(kept));
    data.resize(
        static_cast<std::size_t>(std::min<std::uint64_t>(wholeBlocks, card::USER_BLOCK_COUNT)) *
        card::BLOCK_SIZE);
    blocks = static_cast<std::uint16_t>(
        std::min<std::uint64_t>(wholeBlocks, std::numeric_limits<std::uint16_t>::max()));
    return wholeBlocks > card::USER_BLOCK_COUNT ? ReadResult::TooManyBlocks : ReadResult::Ok;
}

ReadResult readVmsData(const std::filesystem::path& path, std::vector<std::uint8_t>& data,
                       std::uint16_t& blocks) {
    const FileStart file = readFileStartAndLength(path, card::FILE_DATA_CAPACITY);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parseVmsData(file.bytes, file.length, data, blocks);
}

LocalTime localTimeFromTm(const std::tm& calendar) {
    LocalTime time;
    time.year = calendar.tm_year + 1900;
    time.month = calendar.tm_mon + 1;
    time.day = calendar.tm_mday;
    time.hour = calendar.tm_hour;
    time.minute = calendar.tm_min;
    time.second = calendar.tm_sec;
    // The card counts the week from Monday.
    time.weekday = (calendar.tm_wday + DAYS_PER_WEEK - 1) % DAYS_PER_WEEK;
    return time;
}

LocalTime currentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm calendar{};
    if (::localtime_r(&now, &calendar) == nullptr) {
        return LocalTime{};
    }
    return localTimeFromTm(calendar);
}

std::array<std::uint8_t, 8> bcdTimeStamp(const LocalTime& time) {
    return {toBcd(time.year / YEARS_PER_CENTURY % YEARS_PER_CENTURY),
            toBcd(time.year % YEARS_PER_CENTURY),
            toBcd(time.month),
            toBcd(time.day),
            toBcd(time.hour),
            toBcd(time.minute),
            toBcd(time.second),
            toBcd(time.weekday)};
}

std::uint16_t parseVmiMode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < VMI_MODE_OFFSET + 2) {
        return 0;
    }
    return card::readLe16(bytes, VMI_MODE_OFFSET);
}

card::DirEntry buildPairEntry(const CardFileName& name, std::uint16_t blocks, const LocalTime& now,
                              std::uint16_t mode) {
    const bool game = (mode & VMI_MODE_GAME) != 0;
    card::DirEntry entry;
    entry.fileType = game ? card::GAME_FILE_TYPE : PAIR_FILE_TYPE;
    entry.copyFlag = (mode & VMI_MODE_COPY_PROTECTED) != 0 ? card::COPY_PROTECTED : 0;
    entry.firstBlock = 0;
    entry.fileName = name;
    // BCD, as the console and every tool read a directory's time stamp.
    entry.timeStamp = bcdTimeStamp(now);
    entry.sizeInBlocks = blocks;
    // A game starts with its code; its save header follows in block 1 (of a game that has one).
    entry.headerOffset = game && blocks > 1 ? 1 : 0;
    entry.reservedTail = {};
    return entry;
}

bool isValidPairName(std::string_view name) {
    if (name.empty() || name.size() > PAIR_NAME_MAX_SIZE) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

VmiBytes buildVmi(const card::DirEntry& entry, std::span<const std::uint8_t> fileData,
                  std::string_view name) {
    VmiBytes vmi{};
    const std::size_t nameSize = std::min(name.size(), VMI_RESOURCE_NAME_SIZE);
    std::copy_n(name.begin(), nameSize, vmi.begin() + VMI_RESOURCE_NAME_OFFSET);
    for (std::size_t i = 0; i < CHECKSUM_MASK.size(); ++i) {
        vmi[VMI_CHECKSUM_OFFSET + i] = vmi[VMI_RESOURCE_NAME_OFFSET + i] & CHECKSUM_MASK[i];
    }
    putDescription(vmi, entry, fileData);
    std::copy(VMI_COPYRIGHT.begin(), VMI_COPYRIGHT.end(), vmi.begin() + VMI_COPYRIGHT_OFFSET);
    putDate(vmi, entry.timeStamp);
    card::writeLe16(vmi, VMI_VERSION_OFFSET, VMI_VERSION);
    card::writeLe16(vmi, VMI_FILE_NUMBER_OFFSET, VMI_FILE_NUMBER);
    std::copy(entry.fileName.begin(), entry.fileName.end(), vmi.begin() + VMI_NAME_OFFSET);
    card::writeLe16(vmi, VMI_MODE_OFFSET, modeOf(entry));
    card::writeLe32(
        vmi, VMI_VMS_SIZE_OFFSET,
        static_cast<std::uint32_t>(
            std::min<std::size_t>(entry.sizeInBlocks, card::USER_BLOCK_COUNT) * card::BLOCK_SIZE));
    return vmi;
}

PairWriteStatus writePairFiles(const std::filesystem::path& folder, std::string_view name,
                               const card::CardFile& file) {
    if (!isValidPairName(name)) {
        PairWriteStatus status;
        status.result = PairWriteResult::BadName;
        return status;
    }
    const std::string base(name);
    const std::filesystem::path vmiPath = folder / (base + std::string(VMI_EXTENSION));
    const std::filesystem::path vmsPath = folder / (base + std::string(VMS_EXTENSION));

    std::optional<std::vector<std::uint8_t>> previousVmi;
    int readError = 0;
    if (!readPrevious(vmiPath, previousVmi, readError)) {
        return pairFailure(PairWriteResult::CannotReadOld, vmiPath, readError);
    }

    const VmiBytes vmi = buildVmi(file.entry, file.data, name);
    // The small .vmi first: should the .vms not fit, putting the .vmi back needs little room.
    if (const WriteStatus written = writeFileAtomically(vmiPath, vmi); !written.ok()) {
        return pairFailure(PairWriteResult::NotWritten, vmiPath, written.systemError,
                           written.result);
    }
    if (const WriteStatus written = writeFileAtomically(vmsPath, file.data); !written.ok()) {
        const bool putBackDone = putBack(vmiPath, previousVmi);
        PairWriteStatus status =
            pairFailure(putBackDone ? PairWriteResult::NotWritten : PairWriteResult::PartlyWritten,
                        vmsPath, written.systemError, written.result);
        if (!putBackDone) {
            status.leftBehind = vmiPath;
        }
        return status;
    }
    return PairWriteStatus{};
}

}  // namespace quorvane::formats
