#include <memory>
#include <utility>

#include "adapter/virtual_adapter.h"
#include "formats/input_file.h"

// A virtual card of one page kept in an image file, as emulators keep a card: the adapter's
// page is the file's card, saved back in the file's own byte order.
namespace quorvane::adapter {

namespace {

class ImagePageStore final : public PageStore {
public:
    ImagePageStore(std::filesystem::path file, formats::ImageOrder order)
        : m_file(std::move(file)), m_order(order) {}
    formats::WriteStatus save(int /*pageIndex*/, const card::PageBytes& cardImage) override {
        return formats::writeCardImage(m_file, m_order, cardImage);
    }

private:
    std::filesystem::path m_file;
    formats::ImageOrder m_order;
};

ImageError problem(ImageProblem kind, const std::filesystem::path& path, int systemError = 0) {
    return ImageError{kind, path, systemError};
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
    // One byte more than a page tells a longer file without reading it all.
    const formats::FileStart start = formats::readFileStart(file, card::PAGE_SIZE + 1);
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
    std::vector<card::PageBytes> pages(1);
    formats::parseCardImage(start.bytes, *order, pages.front());
    card.order = *order;
    card.orderCheck = formats::checkImageOrder(pages.front());
    card.adapter = std::make_unique<VirtualAdapter>(std::move(pages),
                                                    std::make_unique<ImagePageStore>(file, *order));
    return card;
}

}  // namespace quorvane::adapter
