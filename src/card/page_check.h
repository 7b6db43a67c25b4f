// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "card/page_layout.h"

// A check of a whole page before it is trusted: everything that the listing takes at face value
// (the directory, the FAT, the root block) is compared with what the chains really hold. It
// reads the page only.
namespace quorvane::card {

enum class FileProblem {
    ChainEndsEarly,         // FAT_END or FAT_FREE while blocks are due; `block` the last reached
    LastBlockFree,          // all `expected` blocks are reached, but `block`, the last, links
                            // to `found`, FAT_FREE: an add may take it
    ChainRunsOn,            // all `expected` blocks are reached, but `block`, the last, links on
                            // to `found`, from where no FAT_END is reached
    ChainLoops,             // `block` is reached a second time
    ChainIntoSystemBlocks,  // the chain runs into `block`, a directory, FAT or root block
    ChainPastPage,          // a link to no block of the page; `block` the one holding it
    ChainCrossesFile,       // `block` belongs to the chain of the file in `otherSlot` too
    SizeDisagrees,          // the directory says `expected` blocks, the chain holds `found`
    HeaderPastFile,         // the header offset `found` is not below the size `expected`
    OddFileType,            // `found` is neither 0x33 (data) nor 0xCC (game)
    DuplicateName,          // the file in `otherSlot` has the same name
    DataBeyondUserBlocks,   // the file's blocks include 200..240, which a commit never writes
    GameNotAtBlockZero,     // the card's own menu starts a game at block 0 only
    GameNotContiguous,      // a game's blocks must follow each other upward; `block` breaks it
    HeaderCrcMismatch,      // the save header's check value is `found`, its bytes give `expected`
    NameUnusableOnPc,       // the name cannot become a PC file name (usableAsPcFileName)
};

struct FileFinding {
    int slot = -1;
    FileProblem problem = FileProblem::ChainEndsEarly;
    int block = -1;
    int otherSlot = -1;
    std::uint32_t expected = 0;
    std::uint32_t found = 0;
    // Only a warning: some commercial saves never match their check value, and a name that
    // cannot become a PC file name harms nothing on the card.
    bool warningOnly() const {
        return problem == FileProblem::HeaderCrcMismatch ||
               problem == FileProblem::NameUnusableOnPc;
    }
    bool operator==(const FileFinding&) const = default;
};

struct PageCheck {
    std::vector<FileFinding> files;  // in slot order
    bool formatMarkMissing = false;  // the root block lacks its 16 x 0x55
    std::vector<int> lostBlocks;     // user blocks taken in the FAT that no chain reaches, in
                                     // the user blocks the card counts (userBlockCountOf)
    int freeShown = 0;               // Blocks Free as the listing shows it (the directory)
    int freeInFat = 0;               // the user blocks the FAT holds free: an add's real room

    // By how much Blocks Free promises more room than an add can use.
    int freeOverstatedBy() const { return freeShown > freeInFat ? freeShown - freeInFat : 0; }
    bool clean() const { return files.empty() && !formatMarkMissing && lostBlocks.empty(); }
};

PageCheck checkPage(const PageBytes& pageImage);

// Sets exactly the FAT entries of the lost blocks to FAT_FREE (never a block that any chain,
// even a damaged one, reaches) and marks the system blocks; returns how many were freed.
int freeLostBlocks(PageBytes& pageImage, DirtyMap& dirtyMap);

}  // namespace quorvane::card
