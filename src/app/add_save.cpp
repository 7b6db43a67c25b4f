// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/organizer.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "formats/card_file_reader.h"
#include "formats/pc_file_names.h"
#include "formats/single_file.h"
#include "formats/vmi_vms.h"
#include "pc/name_order.h"

// Add File: a PC file (.ddc, .dci or a .vmi/.vms pair) becomes a new file of the page, which is
// committed at once. Save File: the selected card file becomes a .ddc file on the PC.
namespace quorvane::app {

// How a refused add is told: the status line first (empty: left as it was), then the box.
struct AddRefusal {
    std::string_view status;
    text::Box box;
};

// What an add replaces or moves on the way, worked out before anything is asked.
struct AddPlan {
    std::optional<FileOnPage> sameName;  // the file of the new file's name
    std::optional<FileOnPage> game;      // the page's game, which a new game replaces
    bool movesFiles = false;             // out of blocks 0..n-1, for a game
};

namespace {

using formats::CardFileProblem;
using formats::PairMember;
using formats::ReadResult;

const AddRefusal WONT_FIT{text::WONT_FIT_STATUS, text::WONT_FIT};
const AddRefusal UNFORMATTED_PAGE{text::NOT_FORMATTED, text::NOT_FORMATTED_ADD};

AddRefusal refusalOf(ReadResult result) {
    switch (result) {
        case ReadResult::CannotOpen:
            return {{}, text::FILE_NOT_FOUND};
        case ReadResult::WrongTag:
            return {text::CANCELLED, text::NOT_A_DREAMCAST_FILE};
        case ReadResult::TooManyBlocks:
            return WONT_FIT;
        case ReadResult::FreeEntryType:
            return {text::CANCELLED, text::FREE_ENTRY_TYPE};
        case ReadResult::VmiTooShort:
            return {text::CANCELLED, text::VMI_TOO_SHORT};
        case ReadResult::EmptyVms:
            return {text::CANCELLED, text::EMPTY_VMS};
        case ReadResult::ReadFailed:
            return {text::CANCELLED, text::CANNOT_READ_ADDED};
        case ReadResult::NotAFile:
            return {text::CANCELLED, text::NOT_A_FILE_ADDED};
        case ReadResult::TooShortForHeader:
        case ReadResult::TooShortForData:
        case ReadResult::PageFileTooShort:
        case ReadResult::Ok:
            break;
    }
    return {text::CANCELLED, text::DAMAGED_FILE};
}

AddRefusal missingPartner(PairMember missing) {
    return {text::CANCELLED,
            missing == PairMember::Vms ? text::NO_VMS_PARTNER : text::NO_VMI_PARTNER};
}

AddRefusal refusalOf(const formats::CardFileRefusal& refusal) {
    switch (refusal.problem) {
        case CardFileProblem::Unreadable:
            return refusalOf(refusal.read);
        case CardFileProblem::MissingPartner:
            return missingPartner(refusal.missing);
        case CardFileProblem::UnsupportedType:
            break;
    }
    return {text::CANCELLED, text::UNSUPPORTED_TYPE};
}

// Reads the chosen file into `file`, or says why it cannot be added.
std::optional<AddRefusal> readAddSource(const std::filesystem::path& chosen,
                                        const Organizer::Clock& clock, card::CardFile& file) {
    formats::CardFileRead read = formats::readCardFile(chosen, clock());
    if (const auto* refusal = std::get_if<formats::CardFileRefusal>(&read)) {
        return refusalOf(*refusal);
    }
    file = std::move(std::get<card::CardFile>(read));
    return std::nullopt;
}

std::optional<FileOnPage> fileIn(const card::PageBytes& page, std::optional<int> slot) {
    if (!slot) {
        return std::nullopt;
    }
    return FileOnPage{*slot, card::entryName(card::readSlot(page, *slot))};
}

int blocksOf(const card::PageBytes& page, const std::optional<FileOnPage>& file) {
    return file ? card::readSlot(page, file->slot).sizeInBlocks : 0;
}

std::optional<AddRefusal> refusalOf(card::StoreResult result) {
    switch (result) {
        case card::StoreResult::Stored:
            return std::nullopt;
        case card::StoreResult::FreeEntryType:
            return refusalOf(ReadResult::FreeEntryType);
        case card::StoreResult::NoFreeSlot:
        case card::StoreResult::NotEnoughBlocks:
        case card::StoreResult::StartBlocksTaken:
            break;
    }
    return WONT_FIT;
}

// `file` added to `edited`: the file of its name and, for a game, the page's game replaced; for
// a game, the files in blocks 0..n-1 moved out of its way. `freeBlocks` is the listing's count,
// which an add has always been measured by, less what the adds before it took.
std::variant<AddPlan, AddRefusal> planAdd(LoadedPage& edited, card::CardFile& file,
                                          int& freeBlocks) {
    const card::DirEntry& entry = file.entry;
    AddPlan plan;
    plan.sameName = fileIn(edited.page, card::findFileNamed(edited.page, card::entryName(entry)));
    if (card::isGame(entry)) {
        plan.game = fileIn(edited.page, card::findGame(edited.page));
        if (plan.game && plan.sameName && plan.game->slot == plan.sameName->slot) {
            plan.game.reset();  // one question for the one file
        }
    }
    freeBlocks += blocksOf(edited.page, plan.sameName) + blocksOf(edited.page, plan.game);
    if (!card::fitsOnPage(entry.sizeInBlocks, freeBlocks)) {
        return WONT_FIT;
    }
    freeBlocks -= entry.sizeInBlocks;
    for (const auto& replaced : {plan.sameName, plan.game}) {
        if (replaced) {
            card::deleteFile(edited.page, edited.dirty, replaced->slot);
        }
    }
    if (card::isGame(entry) && !card::startBlocksFree(edited.page, entry.sizeInBlocks)) {
        switch (card::moveFilesFromStart(edited.page, edited.dirty, entry.sizeInBlocks)) {
            case card::MoveResult::Moved:
                plan.movesFiles = true;
                break;
            case card::MoveResult::NoRoom:
                return WONT_FIT;
            case card::MoveResult::StartNotMovable:
                return AddRefusal{text::CANCELLED, text::START_NOT_MOVABLE};
        }
    }
    // The free count trusts the directory; after an add whose commit failed the FAT can hold
    // fewer free blocks than it claims, and the store then refuses.
    if (std::optional<AddRefusal> refused =
            refusalOf(card::storeNewFile(edited.page, edited.dirty, file))) {
        return *refused;
    }
    return plan;
}

// The question before a save of the file in `slot` would hold blocks of other files; none when
// its chain is its own.
std::optional<std::string> sharedBlocksQuestionOf(const card::PageBytes& pageImage, int slot) {
    const std::vector<int> sharing = card::filesSharingBlocks(pageImage, slot);
    if (sharing.empty()) {
        return std::nullopt;
    }
    std::vector<std::string> others;
    others.reserve(sharing.size());
    for (const int other : sharing) {
        others.push_back(card::entryName(card::readSlot(pageImage, other)));
    }
    return text::sharedBlocksQuestion(card::entryName(card::readSlot(pageImage, slot)), others);
}

}  // namespace

bool Organizer::addFile(const std::filesystem::path& file) {
    if (refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        refuseUnwritable(text::COPY_TO_CARD_CAPTION)) {
        return false;
    }
    card::CardFile cardFile;
    if (std::optional<AddRefusal> refused = readAddSource(file, m_clock, cardFile)) {
        const std::string path = text::pathText(file);
        refused->box.subject = path;
        tellRefusal(*refused);
        return false;
    }
    return storeAndCommit({std::move(cardFile)});
}

bool Organizer::addFiles(const std::vector<std::filesystem::path>& files) {
    if (refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        refuseUnwritable(text::COPY_TO_CARD_CAPTION)) {
        return false;
    }
    return std::all_of(files.begin(), files.end(),
                       [this](const std::filesystem::path& file) { return addFile(file); });
}

bool Organizer::addCardFiles(std::vector<card::CardFile> files) {
    if (refuseWithoutPage(text::COPY_TO_CARD_CAPTION) ||
        refuseUnwritable(text::COPY_TO_CARD_CAPTION) || !chooseLoadedPageAgain()) {
        return false;
    }
    return storeAndCommit(std::move(files));
}

bool Organizer::storeAndCommit(std::vector<card::CardFile> files) {
    if (!pageFormatted()) {
        tellRefusal(UNFORMATTED_PAGE);
        return false;
    }
    // Worked out on a copy: a refusal, or a question answered No, leaves the page as it was.
    auto edited = std::make_unique<LoadedPage>(loaded());
    int freeBlocks = m_freeBlockCount;
    std::vector<AddPlan> plans;
    for (card::CardFile& file : files) {
        std::variant<AddPlan, AddRefusal> plan = planAdd(*edited, file, freeBlocks);
        if (const auto* refused = std::get_if<AddRefusal>(&plan)) {
            tellRefusal(*refused);
            return false;
        }
        plans.push_back(std::get<AddPlan>(plan));
    }
    for (const AddPlan& plan : plans) {
        if (!confirmAddPlan(plan)) {
            return false;
        }
    }
    loaded() = *edited;
    if (!commitEdit()) {
        return false;
    }
    relistAfterEdit();
    return true;
}

bool Organizer::confirmAddPlan(const AddPlan& plan) {
    const auto ask = [this](const std::string& question) {
        return confirmed(
            {question, text::COPY_TO_CARD_CAPTION, BoxButtons::YesNo, BoxIcon::Question});
    };
    if (plan.sameName && !ask(text::replaceSameName(plan.sameName->name))) {
        return false;
    }
    if (plan.game && !ask(text::replaceGame(plan.game->name))) {
        return false;
    }
    if (plan.movesFiles && !ask(std::string(text::MAKE_ROOM_FOR_GAME))) {
        return false;
    }
    // Replacing removes a file, which a page without a backup asks about first.
    return (!plan.sameName && !plan.game) || confirmWithoutBackup(text::COPY_TO_CARD_CAPTION);
}

void Organizer::tellRefusal(const AddRefusal& refusal) {
    if (!refusal.status.empty()) {
        setStatus(refusal.status);
    }
    show(refusal.box);
}

std::optional<card::CardFile> Organizer::extractForSave(int slot) {
    assignInfoLines(slot);
    card::CardFile cardFile;
    if (card::extractFile(loaded().page, slot, cardFile) != card::ExtractResult::Extracted) {
        tell(text::CANCELLED, text::DAMAGED_ON_CARD);
        return std::nullopt;
    }
    const std::optional<std::string> question = sharedBlocksQuestionOf(loaded().page, slot);
    if (question &&
        !confirmed({*question, text::COPY_TO_PC_CAPTION, BoxButtons::YesNo, BoxIcon::Warning})) {
        return std::nullopt;
    }
    return cardFile;
}

bool Organizer::writeDdcFile(const std::filesystem::path& target, int slot) {
    const std::optional<card::CardFile> cardFile = extractForSave(slot);
    if (!cardFile) {
        return false;
    }
    const formats::WriteStatus status = formats::writeDdcFile(target, *cardFile);
    if (!status.ok()) {
        reportWriteFailure(target, status, text::FILE_NOT_SAVED, text::COPY_TO_PC_CAPTION);
        return false;
    }
    return true;
}

bool Organizer::writePair(const std::filesystem::path& folder, const std::string& name, int slot) {
    if (!formats::isValidPairName(name)) {
        const std::string message = text::badPairName(name);
        tell(text::CANCELLED,
             {message, text::COPY_TO_PC_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return false;
    }
    const card::DirEntry entry = card::readSlot(loaded().page, slot);
    if (entry.sizeInBlocks == 0) {
        const std::string message = text::pairWithoutData(card::entryName(entry));
        tell(text::CANCELLED,
             {message, text::COPY_TO_PC_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return false;
    }
    // Either member already there is the pair being replaced: one question for both.
    if (!confirmOverwrite({folder / (name + std::string(formats::VMS_EXTENSION)),
                           folder / (name + std::string(formats::VMI_EXTENSION))})) {
        return false;
    }
    const std::optional<card::CardFile> cardFile = extractForSave(slot);
    if (!cardFile) {
        return false;
    }
    const formats::PairWriteStatus status = formats::writePairFiles(folder, name, *cardFile);
    if (!status.ok()) {
        reportWriteFailure(status.path, {status.write, status.systemError}, text::FILE_NOT_SAVED,
                           text::COPY_TO_PC_CAPTION);
        return false;
    }
    return true;
}

bool Organizer::writeFileToPc(const FileOnPage& file, const PcTarget& target) {
    if (refuseWithoutFile(file, text::COPY_TO_PC_CAPTION)) {
        return false;
    }
    if (target.format == CopyFormat::VmiVmsPair) {
        return writePair(target.folder, target.name, file.slot);
    }
    const std::filesystem::path path = target.folder / target.name;
    return confirmOverwrite({path}) && writeDdcFile(path, file.slot);
}

bool Organizer::saveFile(const FileOnPage& file, const PcTarget& target) {
    if (!writeFileToPc(file, target)) {
        return false;
    }
    setStatus(text::FILE_SAVED);
    return true;
}

}  // namespace quorvane::app
