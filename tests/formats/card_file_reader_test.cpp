// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/card_file_reader.h"

#include <optional>
#include <variant>

#include "support/card_builders.h"
#include "support/temp_folder.h"

namespace quorvane::formats::testing {
namespace {

using namespace quorvane::testing;

Bytes vmiNaming(std::string_view name) {
    Bytes vmi(108, 0);
    std::copy(name.begin(), name.end(), vmi.begin() + 88);
    return vmi;
}

CardFileRefusal unreadable(ReadResult result) {
    return {CardFileProblem::Unreadable, result};
}

CardFileRefusal missing(PairMember member) {
    return {CardFileProblem::MissingPartner, ReadResult::CannotOpen, member};
}

TEST(CardFileReader, EachKindGivesItsFileOrTheRefusalThatComesFirst) {
    struct Case {
        const char* fileName;
        Bytes bytes;
        std::optional<Bytes> partner;
        std::variant<std::uint16_t, CardFileRefusal> expected;  // the file's blocks, or why not
    };
    Bytes dci = entryBytes("SAVE", 1);
    dci.resize(32 + 512, 0x40);
    const Case cases[] = {
        {"Race.DDC", ddcBytes("RACE", 2), std::nullopt, std::uint16_t{2}},
        {"race.dci", dci, std::nullopt, std::uint16_t{1}},
        {"race.vmi", vmiNaming("RACE"), Bytes(513, 1), std::uint16_t{2}},
        {"race.VMS", Bytes(512, 1), vmiNaming("RACE"), std::uint16_t{1}},
        {"race.vms", Bytes(512, 1), std::nullopt, missing(PairMember::Vmi)},
        // The partner is read before the chosen .vms, as a .vmi is read before its partner.
        {"race.vms", Bytes{}, Bytes(99, 0), unreadable(ReadResult::VmiTooShort)},
        {"race.vmi", vmiNaming("RACE"), Bytes(201 * 512, 1), unreadable(ReadResult::TooManyBlocks)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        std::optional<std::span<const std::uint8_t>> partner;
        if (c.partner) {
            partner = *c.partner;
        }
        const CardFileRead read = readCardFile(c.fileName, c.bytes, partner, fixedTime());
        if (const auto* blocks = std::get_if<std::uint16_t>(&c.expected)) {
            const auto& file = std::get<card::CardFile>(read);
            EXPECT_EQ(file.entry.sizeInBlocks, *blocks);
            EXPECT_EQ(file.data.size(), *blocks * 512u);
        } else {
            EXPECT_EQ(std::get<CardFileRefusal>(read), std::get<CardFileRefusal>(c.expected));
        }
    }
}

class CardFileFromFolder : public TempFolder {};

// Found ignoring case is tested through Add File; here what a partner that is there by name only
// gives.
TEST_F(CardFileFromFolder, APartnerThatCannotBeOpenedIsMissing) {
    std::filesystem::create_symlink(folder / "nowhere", folder / "lost.vms");
    write("lost.vmi", vmiNaming("LOST"));
    EXPECT_EQ(std::get<CardFileRefusal>(readCardFile(folder / "LOST.vmi", fixedTime())),
              unreadable(ReadResult::CannotOpen));  // the chosen file itself is not there
    EXPECT_EQ(std::get<CardFileRefusal>(readCardFile(folder / "lost.vmi", fixedTime())),
              missing(PairMember::Vms));
    std::filesystem::create_directory(folder / "dir.vms");
    write("dir.vmi", vmiNaming("DIR"));
    EXPECT_EQ(std::get<CardFileRefusal>(readCardFile(folder / "dir.vmi", fixedTime())),
              unreadable(ReadResult::NotAFile));
}

}  // namespace
}  // namespace quorvane::formats::testing
