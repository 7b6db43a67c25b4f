// SPDX-License-Identifier: GPL-3.0-or-later
#include <memory>
#include <utility>

#include "adapter/virtual_adapter.h"
#include "formats/input_file.h"
#include "pc/file_lock.h"

// A virtual card of one page kept in an image file, as emulators keep a card: the adapter's
// page is the file's card, saved back in the file's own byte order.
namespace quorvane::adapter {

namespace {

class ImagePageStore final : public PageStore {
public:
    ImagePageStore(std::filesystem::path file, formats::ImageOrder order, pc::FileLock lock)
        : m_file(std::move(file)), m_order(order), m_lock(std::move(lock)) {}
    formats::WriteStatus save(int /*pageIndex*/, const card::CardOrderPage& cardImage) override {
        if (const auto blocked = notWritable(0)) {
            return formats::WriteStatus{formats::WriteResult::CannotCreate, blocked->systemError};
        }
        // The new file is locked before it takes the name: no second program slips in.
        auto fileBytes = std::make_unique<card::PageBytes>();
        formats::imageFileBytes(cardImage, m_order, *fileBytes);
        std::optional<pc::FileLock> next;
        const formats::WriteStatus status =
            formats::writeFileAtomically(m_file, *fileBytes, [&next](int fd) {
                next = pc::FileLock::onDescriptor(fd);
                return next.has_value();
            });
        if (status.ok()) {
            m_lock = std::move(*next);
        }
        return status;
    }
    std::optional<formats::WriteBlocker> notWritable(int /*pageIndex*/) const override {
        return formats::replacementBlocker(m_file);
    }

private:
    std::filesystem::path m_file;
    formats::ImageOrder m_order;
    pc::FileLock m_lock;
};

ImageError problem(ImageProblem kind, const std::filesystem::path& path, int systemError = 0) {
    return ImageError{kind, path, systemError, std::nullopt};
}

std::optional<pc::FileLock> lockImage(const std::filesystem::path& file, ImageError& error) {
    pc::LockError problem;
    std::optional<pc::FileLock> lock = pc::FileLock::take(file, problem);
    if (!lock) {
        error =
            ImageError{problem.problem == pc::LockProblem::HeldElsewhere ? ImageProblem::InUse
                                                                         : ImageProblem::CannotRead,
                       file, problem.systemError, problem.holder};
    }
    return lock;
}

}  // namespace

ImageCard VirtualAdapter::openImage(const std::filesystem::path& file,
                                    std::optional<formats::ImageOrder> order, ImageError& error) {
    ImageCard card;
    if (!order) {
        order = formats::imageOrderOf(file);
    }
    if (!order) {
        error = problem(ImageProblem::UnknownKind, file);
        return card;
    }
    // Locked before it is read, so that what is read is what no other program changes.
    std::optional<pc::FileLock> lock = lockImage(file, error);
    if (!lock) {
        return card;
    }
    // One byte more than a page tells a longer file without reading it all.
    const formats::FileStart start = formats::readFileStart(file, card::PAGE_SIZE + 1);
    if (start.result == formats::ReadResult::NotAFile) {
        error = problem(ImageProblem::NotAFile, file);
        return card;
    }
    if (start.result != formats::ReadResult::Ok) {
        error = problem(ImageProblem::CannotRead, file, start.systemError);
        return card;
    }
    // Unlike an import, which takes the first page of a longer file, the card is saved back
    // over the file: whatever followed the page would be lost.
    if (start.bytes.size() != card::PAGE_SIZE) {
        error = problem(ImageProblem::NotExactlyOnePage, file);
        return card;
    }
    std::vector<card::CardOrderPage> pages(1);
    formats::parseCardImage(start.bytes, *order, pages.front());
    card.order = *order;
    card.orderCheck = formats::checkImageOrder(pages.front());
    card.adapter = std::make_unique<VirtualAdapter>(
        std::move(pages), std::make_unique<ImagePageStore>(file, *order, std::move(*lock)));
    return card;
}

}  // namespace quorvane::adapter
