// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/page_check.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>

#include "card/card_text.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/root_block.h"
#include "card/save_header.h"

namespace quorvane::card {

namespace {

constexpr int NO_OWNER = -1;

// A chain followed by its links, whatever the directory says its size is, until FAT_END or
// damage. Every block reached belongs to the file, even past its size or up to the damage.
struct LinkWalk {
    std::vector<int> blocks;
    bool endedAtFatEnd = false;
    std::optional<FileFinding> damage;  // how the walk stopped when not at FAT_END
};

LinkWalk walkLinks(const PageBytes& pageImage, int slot, std::uint16_t first) {
    LinkWalk walk;
    std::array<bool, BLOCK_COUNT> visited{};
    int holder = -1;  // the block whose link led here
    long block = first;
    const auto stop = [&](FileProblem problem, int at) {
        walk.damage = FileFinding{.slot = slot, .problem = problem, .block = at};
        return walk;
    };
    while (true) {
        if (block == FAT_END || block == FAT_FREE) {
            return stop(FileProblem::ChainEndsEarly, holder);
        }
        if (block >= BLOCK_COUNT) {
            return stop(FileProblem::ChainPastPage, holder);
        }
        if (!isDataBlock(block)) {
            return stop(FileProblem::ChainIntoSystemBlocks, static_cast<int>(block));
        }
        if (visited[static_cast<std::size_t>(block)]) {
            return stop(FileProblem::ChainLoops, static_cast<int>(block));
        }
        visited[static_cast<std::size_t>(block)] = true;
        walk.blocks.push_back(static_cast<int>(block));
        const std::uint16_t next = fatEntry(pageImage, static_cast<int>(block));
        if (next == FAT_END) {
            walk.endedAtFatEnd = true;
            return walk;
        }
        if (next == FAT_FREE) {
            // A block of the chain that the FAT calls free: the chain is broken there.
            return stop(FileProblem::ChainEndsEarly, static_cast<int>(block));
        }
        holder = static_cast<int>(block);
        block = next;
    }
}

// The blocks that hold the file's data: its first sizeInBlocks blocks, however far the links
// run on.
std::vector<int> fileBlocks(const LinkWalk& walk, const DirEntry& entry) {
    const std::size_t size = std::min<std::size_t>(walk.blocks.size(), entry.sizeInBlocks);
    return {walk.blocks.begin(), walk.blocks.begin() + static_cast<long>(size)};
}

// How a chain that reaches all of the file's blocks goes wrong after the last: marked free, so
// that the next add takes it; or linked on into damage. None where it ends well or holds more
// blocks to a FAT_END of its own, which SizeDisagrees tells.
std::optional<FileFinding> damageAfterLastBlock(const PageBytes& pageImage, const LinkWalk& walk,
                                                const DirEntry& entry, int slot) {
    const std::size_t size = entry.sizeInBlocks;
    if (!walk.damage || size == 0 || walk.blocks.size() < size) {
        return std::nullopt;
    }
    const int last = walk.blocks[size - 1];
    const std::uint16_t link = fatEntry(pageImage, last);
    return FileFinding{
        .slot = slot,
        .problem = link == FAT_FREE ? FileProblem::LastBlockFree : FileProblem::ChainRunsOn,
        .block = last,
        .expected = entry.sizeInBlocks,
        .found = link};
}

void checkChain(const PageBytes& pageImage, const LinkWalk& walk, const DirEntry& entry, int slot,
                std::vector<FileFinding>& findings) {
    const auto found = static_cast<std::uint32_t>(walk.blocks.size());
    if (const auto afterLast = damageAfterLastBlock(pageImage, walk, entry, slot)) {
        findings.push_back(*afterLast);
    } else if (walk.damage) {
        FileFinding damage = *walk.damage;
        damage.expected = entry.sizeInBlocks;
        damage.found = found;
        findings.push_back(damage);
    } else if (found != entry.sizeInBlocks) {
        findings.push_back(FileFinding{.slot = slot,
                                       .problem = found < entry.sizeInBlocks
                                                      ? FileProblem::ChainEndsEarly
                                                      : FileProblem::SizeDisagrees,
                                       .block = walk.blocks.back(),
                                       .expected = entry.sizeInBlocks,
                                       .found = found});
    }
    const std::vector<int> blocks = fileBlocks(walk, entry);
    const auto beyond =
        std::find_if(blocks.begin(), blocks.end(), [](int block) { return !isUserBlock(block); });
    if (beyond != blocks.end()) {
        findings.push_back(FileFinding{
            .slot = slot, .problem = FileProblem::DataBeyondUserBlocks, .block = *beyond});
    }
}

// The card's own menu reads the save header from block headerOffset of the file.
void checkHeaderOffset(const DirEntry& entry, int slot, std::vector<FileFinding>& findings) {
    if (entry.sizeInBlocks != 0 && entry.headerOffset >= entry.sizeInBlocks) {
        findings.push_back(FileFinding{.slot = slot,
                                       .problem = FileProblem::HeaderPastFile,
                                       .expected = entry.sizeInBlocks,
                                       .found = entry.headerOffset});
    }
}

void checkGame(const LinkWalk& walk, const DirEntry& entry, int slot,
               std::vector<FileFinding>& findings) {
    const std::vector<int> blocks = fileBlocks(walk, entry);
    if (entry.fileType != GAME_FILE_TYPE || blocks.empty()) {
        return;
    }
    if (blocks.front() != 0) {
        findings.push_back(FileFinding{
            .slot = slot, .problem = FileProblem::GameNotAtBlockZero, .block = blocks.front()});
    }
    for (std::size_t k = 1; k < blocks.size(); ++k) {
        if (blocks[k] != blocks[k - 1] + 1) {
            findings.push_back(FileFinding{
                .slot = slot, .problem = FileProblem::GameNotContiguous, .block = blocks[k]});
            return;
        }
    }
}

// A data file's save header against its check value; games keep none that the card reads.
void checkHeader(const PageBytes& pageImage, int slot, const DirEntry& entry,
                 std::vector<FileFinding>& findings) {
    if (entry.fileType != DATA_FILE_TYPE) {
        return;
    }
    const FileChain chain = followChain(pageImage, slot);
    if (!chain.complete) {
        return;
    }
    const std::optional<HeaderCheck> header =
        checkSaveHeader(chainData(pageImage, chain.blocks), entry);
    if (header && header->stored != header->computed) {
        findings.push_back(FileFinding{.slot = slot,
                                       .problem = FileProblem::HeaderCrcMismatch,
                                       .expected = header->computed,
                                       .found = header->stored});
    }
}

// Blocks reached by more than one chain: reported once for each pair of files, at the first
// block they share.
void checkCrossings(const std::map<int, LinkWalk>& walks, std::vector<FileFinding>& findings) {
    std::array<int, BLOCK_COUNT> owner{};
    owner.fill(NO_OWNER);
    for (const auto& [slot, walk] : walks) {
        std::vector<int> crossed;
        for (int block : walk.blocks) {
            const int other = owner[static_cast<std::size_t>(block)];
            if (other == NO_OWNER) {
                owner[static_cast<std::size_t>(block)] = slot;
            } else if (std::find(crossed.begin(), crossed.end(), other) == crossed.end()) {
                crossed.push_back(other);
                findings.push_back(FileFinding{.slot = slot,
                                               .problem = FileProblem::ChainCrossesFile,
                                               .block = block,
                                               .otherSlot = other});
            }
        }
    }
}

std::array<bool, BLOCK_COUNT> reachedBlocks(const std::map<int, LinkWalk>& walks) {
    std::array<bool, BLOCK_COUNT> reached{};
    for (const auto& [slot, walk] : walks) {
        for (int block : walk.blocks) {
            reached[static_cast<std::size_t>(block)] = true;
        }
    }
    return reached;
}

std::map<int, LinkWalk> walkEveryFile(const PageBytes& pageImage) {
    std::map<int, LinkWalk> walks;
    for (int slot : enumerateFiles(pageImage)) {
        const DirEntry entry = readSlot(pageImage, slot);
        if (entry.sizeInBlocks != 0) {
            walks.emplace(slot, walkLinks(pageImage, slot, entry.firstBlock));
        }
    }
    return walks;
}

std::vector<int> lostBlocksOf(const PageBytes& pageImage, const std::map<int, LinkWalk>& walks) {
    const std::array<bool, BLOCK_COUNT> reached = reachedBlocks(walks);
    std::vector<int> lost;
    const int userBlocks = userBlockCountOf(pageImage);
    for (int block = 0; block < userBlocks; ++block) {
        if (fatEntry(pageImage, block) != FAT_FREE && !reached[static_cast<std::size_t>(block)]) {
            lost.push_back(block);
        }
    }
    return lost;
}

}  // namespace

PageCheck checkPage(const PageBytes& pageImage) {
    PageCheck check;
    const std::map<int, LinkWalk> walks = walkEveryFile(pageImage);
    std::map<std::string, int> firstWithName;
    std::vector<FileFinding> findings;
    for (int slot : enumerateFiles(pageImage)) {
        const DirEntry entry = readSlot(pageImage, slot);
        if (entry.fileType != DATA_FILE_TYPE && entry.fileType != GAME_FILE_TYPE) {
            findings.push_back(FileFinding{
                .slot = slot, .problem = FileProblem::OddFileType, .found = entry.fileType});
        }
        const std::string name = entryName(entry);
        const auto [named, isFirst] = firstWithName.emplace(name, slot);
        if (!isFirst) {
            findings.push_back(FileFinding{
                .slot = slot, .problem = FileProblem::DuplicateName, .otherSlot = named->second});
        }
        if (!usableAsPcFileName(name)) {
            findings.push_back(FileFinding{.slot = slot, .problem = FileProblem::NameUnusableOnPc});
        }
        if (const auto walk = walks.find(slot); walk != walks.end()) {
            checkChain(pageImage, walk->second, entry, slot, findings);
            checkGame(walk->second, entry, slot, findings);
        }
        checkHeaderOffset(entry, slot, findings);
        checkHeader(pageImage, slot, entry, findings);
    }
    checkCrossings(walks, findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const FileFinding& a, const FileFinding& b) { return a.slot < b.slot; });
    check.files = std::move(findings);
    check.formatMarkMissing = !hasFormatMark(pageImage);
    check.lostBlocks = lostBlocksOf(pageImage, walks);
    check.freeShown = countBlocks(pageImage).free;
    check.freeInFat = countFreeUserBlocks(pageImage);
    return check;
}

int freeLostBlocks(PageBytes& pageImage, DirtyMap& dirtyMap) {
    const std::vector<int> lost = lostBlocksOf(pageImage, walkEveryFile(pageImage));
    for (int block : lost) {
        setFatEntry(pageImage, block, FAT_FREE);
    }
    if (!lost.empty()) {
        markSystemBlocks(dirtyMap);
    }
    return static_cast<int>(lost.size());
}

}  // namespace quorvane::card
