#include "formats/vmi_vms.h"

#include <algorithm>
#include <limits>

#include "formats/input_file.h"

namespace quorvane::formats {

namespace {

constexpr std::uint8_t PAIR_CENTURY = 20;
constexpr int PAIR_YEAR_BASE = 2000;
constexpr int DAYS_PER_WEEK = 7;

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
                        card::FileBuffer& fileBuffer, std::uint16_t& blocks) {
    if (length == 0) {
        return ReadResult::EmptyVms;
    }
    const std::size_t kept =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, card::FILE_DATA_CAPACITY));
    if (bytes.size() < kept) {
        return ReadResult::ReadFailed;
    }
    // A trailing part block is kept, padded with zeros, rather than dropped.
    std::copy_n(bytes.begin(), kept, fileBuffer.begin());
    std::fill(fileBuffer.begin() + static_cast<long>(kept),
              fileBuffer.begin() + static_cast<long>(card::FILE_DATA_CAPACITY), 0);
    const std::uint64_t wholeBlocks =
        length / card::BLOCK_SIZE + (length % card::BLOCK_SIZE != 0 ? 1 : 0);
    blocks = static_cast<std::uint16_t>(
        std::min<std::uint64_t>(wholeBlocks, std::numeric_limits<std::uint16_t>::max()));
    return wholeBlocks > card::USER_BLOCK_COUNT ? ReadResult::TooManyBlocks : ReadResult::Ok;
}

ReadResult readVmsData(const std::filesystem::path& path, card::FileBuffer& fileBuffer,
                       std::uint16_t& blocks) {
    const FileStart file = readFileStartAndLength(path, card::FILE_DATA_CAPACITY);
    if (file.result != ReadResult::Ok) {
        return file.result;
    }
    return parseVmsData(file.bytes, file.length, fileBuffer, blocks);
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

card::DirEntry buildPairEntry(const CardFileName& name, std::uint16_t blocks,
                              const LocalTime& now) {
    card::DirEntry entry;
    entry.fileType = PAIR_FILE_TYPE;
    entry.copyFlag = 0;
    entry.firstBlock = 0;
    entry.fileName = name;
    entry.timeStamp = {PAIR_CENTURY,
                       static_cast<std::uint8_t>(now.year - PAIR_YEAR_BASE),
                       static_cast<std::uint8_t>(now.month),
                       static_cast<std::uint8_t>(now.day),
                       static_cast<std::uint8_t>(now.hour),
                       static_cast<std::uint8_t>(now.minute),
                       static_cast<std::uint8_t>(now.second),
                       static_cast<std::uint8_t>(now.weekday)};
    entry.sizeInBlocks = blocks;
    entry.headerOffset = 0;
    entry.reservedTail = {};
    return entry;
}

}  // namespace quorvane::formats
