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

void checkChain(const LinkWalk& walk, const DirEntry& entry, int slot,
                std::vector<FileFinding>& findings) {
    const auto found = static_cast<std::uint32_t>(walk.blocks.size());
    if (walk.damage) {
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
    const auto beyond = std::find_if(walk.blocks.begin(), walk.blocks.end(),
                                     [](int block) { return !isUserBlock(block); });
    if (beyond != walk.blocks.end()) {
        findings.push_back(FileFinding{
            .slot = slot, .problem = FileProblem::DataBeyondUserBlocks, .block = *beyond});
    }
}

void checkGame(const LinkWalk& walk, const DirEntry& entry, int slot,
               std::vector<FileFinding>& findings) {
    if (entry.fileType != GAME_FILE_TYPE || walk.blocks.empty()) {
        return;
    }
    if (walk.blocks.front() != 0) {
        findings.push_back(FileFinding{.slot = slot,
                                       .problem = FileProblem::GameNotAtBlockZero,
                                       .block = walk.blocks.front()});
    }
    for (std::size_t k = 1; k < walk.blocks.size(); ++k) {
        if (walk.blocks[k] != walk.blocks[k - 1] + 1) {
            findings.push_back(FileFinding{
                .slot = slot, .problem = FileProblem::GameNotContiguous, .block = walk.blocks[k]});
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
    for (int block = 0; block < USER_BLOCK_COUNT; ++block) {
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
            checkChain(walk->second, entry, slot, findings);
            checkGame(walk->second, entry, slot, findings);
        }
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
