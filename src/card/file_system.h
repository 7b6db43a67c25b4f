// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "card/card_file.h"
#include "card/dir_entry.h"
#include "card/page_layout.h"
#include "card/root_block.h"

// The card file system on a PageImage: directory slots 0..207, the FAT, user blocks 0..199 (or
// 0..240 where the root block counts 241). Card contents are untrusted: no operation here reads
// or writes outside the buffers, changes a FAT entry outside the card's user blocks or frees a
// block that another file's chain reaches.
namespace quorvane::card {

// In-use slots 0..207 in ascending order.
std::vector<int> enumerateFiles(const PageBytes& pageImage);

struct BlockCounts {
    int used = 0;  // sum of sizeInBlocks over in-use slots (from the directory alone)
    int free = 0;  // 200 - used, negative when the directory claims more than 200 blocks
};
BlockCounts countBlocks(const PageBytes& pageImage);

// The blocks of one file in chain order, as far as its chain could be followed: it runs
// through the data blocks 0..240 and stops before a system block, FAT_END, FAT_FREE, a link
// past the page or a block it has visited already.
struct FileChain {
    std::vector<int> blocks;
    bool complete = false;  // every one of its sizeInBlocks blocks was reached
};
FileChain followChain(const PageBytes& pageImage, int slot);

// The bytes of `blocks` one after another: a file's data along its chain.
std::vector<std::uint8_t> chainData(const PageBytes& pageImage, const std::vector<int>& blocks);

// The user blocks free in the FAT: the room an add really has, whatever the directory says.
int countFreeUserBlocks(const PageBytes& pageImage);

// The in-use slots whose chains reach blocks 200..240, which no commit writes to the card.
std::vector<int> filesBeyondUserBlocks(const PageBytes& pageImage);

enum class ExtractResult {
    Extracted,
    BadSlot,       // slot outside 0..207
    DamagedChain,  // the chain ends early, loops or leaves the data blocks; or over 200 blocks
};
// Makes `file` the file in `slot`: its entry and its blocks in chain order. A damaged chain is
// refused: `file` then holds the entry and no data. A chain that shares blocks with another
// file's is extracted, other file's blocks and all: filesSharingBlocks says so before a save.
// A bad slot leaves `file` as it was.
ExtractResult extractFile(const PageBytes& pageImage, int slot, CardFile& file);

// The in-use slots other than `slot` whose chains reach a block of the chain of `slot`.
std::vector<int> filesSharingBlocks(const PageBytes& pageImage, int slot);

int findFreeDirSlot(const PageBytes& pageImage);
int findTopFreeBlock(const PageBytes& pageImage);
int findFreeBlockFrom(const PageBytes& pageImage, int block);
bool fitsOnPage(int sizeInBlocks, int freeBlockCount);

enum class StoreResult {
    Stored,
    NoFreeSlot,        // every directory slot is in use
    NotEnoughBlocks,   // the FAT has fewer free user blocks than the file needs
    FreeEntryType,     // fileType 0 would leave the blocks allocated behind a free slot
    StartBlocksTaken,  // a game needs blocks 0..n-1, and one of them is allocated
};
// Stores `file` as a new file of the page. A data file takes the highest free blocks, chained
// downward; a game takes blocks 0..n-1 upward, where the console runs it from. Checks before it
// changes anything: a refused store leaves pageImage and dirtyMap exactly as they were. On
// success file.entry.firstBlock holds the allocated first block.
StoreResult storeNewFile(PageBytes& pageImage, DirtyMap& dirtyMap, CardFile& file);

bool isGame(const DirEntry& entry);
// Blocks 0..blocks-1 are all free in the FAT.
bool startBlocksFree(const PageBytes& pageImage, int blocks);
// The first in-use slot holding a game, or holding a file of `name` (entryName's bytes).
std::optional<int> findGame(const PageBytes& pageImage);
std::optional<int> findFileNamed(const PageBytes& pageImage, const std::string& name);

enum class MoveResult {
    Moved,
    NoRoom,           // the files at the start do not fit in the free blocks above them
    StartNotMovable,  // a block there is lost, damaged, part of a chain beyond block 199, or
                      // a file to move shares blocks with another chain
};
// Makes blocks 0..blocks-1 free for a game: the files whose chains reach them move, whole, to
// the highest free blocks above them (their bytes as they were, their chains rewritten and their
// entries' first blocks updated). Anything but Moved leaves pageImage and dirtyMap as they were.
MoveResult moveFilesFromStart(PageBytes& pageImage, DirtyMap& dirtyMap, int blocks);

enum class DeleteResult {
    Deleted,
    DeletedKeepingBlocksBeyondUserArea,  // blocks of its chain beyond the card's user blocks
                                         // keep their FAT entries
    DeletedDamagedChain,                 // slot freed; the walk stopped at a damaged link
    SlotAlreadyFree,                     // nothing changed
    BadSlot,                             // nothing changed
};
// Both free the FAT entries of the card's user blocks (userBlockCountOf); the data blocks keep
// their bytes.
DeleteResult deleteFile(PageBytes& pageImage, DirtyMap& dirtyMap, int slot);
void deleteAllFiles(PageBytes& pageImage, DirtyMap& dirtyMap);

// Marks blocks 241..255 (directory, FAT, root): they are always written together.
void markSystemBlocks(DirtyMap& dirtyMap);

// A freshly formatted page (root block, FAT, empty directory) in PageImage order, formatted at
// `formatTime` (without it, at the start of 2000).
void formatPage(PageBytes& pageImage);
void formatPage(PageBytes& pageImage, const FormatTime& formatTime);
// The same for the blocks a commit writes, which it marks: root block, FAT and directory. The
// data blocks keep their bytes, which the FAT now holds free.
void formatSystemBlocks(PageBytes& pageImage, DirtyMap& dirtyMap, const FormatTime& formatTime);

}  // namespace quorvane::card
