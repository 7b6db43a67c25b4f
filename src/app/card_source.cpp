#include "app/card_source.h"

#include "adapter/virtual_adapter.h"
#include "app/texts.h"
#include "formats/image_file.h"
#include "link/system_port.h"

namespace quorvane::app {

namespace {

// An image in the order its name says, or in the other one where it reads as a card only so
// and the user agrees.
std::unique_ptr<link::PortIo> openImage(const std::filesystem::path& file, std::string& error,
                                        const OtherOrderQuestion& askOtherOrder) {
    adapter::ImageError problem;
    adapter::ImageCard card = adapter::VirtualAdapter::openImage(file, std::nullopt, problem);
    if (!card.adapter) {
        error = text::imageProblem(problem);
        return nullptr;
    }
    if (card.orderCheck == formats::OrderCheck::FormattedOnlyInOtherOrder && askOtherOrder &&
        askOtherOrder(file)) {
        card = adapter::VirtualAdapter::openImage(file, formats::otherOrder(card.order), problem);
        if (!card.adapter) {
            error = text::imageProblem(problem);
            return nullptr;
        }
    }
    return std::move(card.adapter);
}

}  // namespace

OtherOrderQuestion otherOrderQuestionOn(Screen& screen) {
    return [&screen](const std::filesystem::path& image) {
        const std::string question = text::otherByteOrderQuestion(image);
        return screen.messageBox({question, text::IMAGE_CAPTION, BoxButtons::YesNo,
                                  BoxIcon::Question}) == BoxAnswer::Yes;
    };
}

std::unique_ptr<CardSource> CardSource::open(const CardLocation& location, std::string& error,
                                             const OtherOrderQuestion& askOtherOrder) {
    auto source = std::unique_ptr<CardSource>(new CardSource());
    if (!source->switchTo(location, error, askOtherOrder)) {
        return nullptr;
    }
    if (!location.image) {
        source->m_home = location;
    }
    return source;
}

bool CardSource::switchTo(const CardLocation& location, std::string& error,
                          const OtherOrderQuestion& askOtherOrder) {
    std::unique_ptr<link::PortIo> port;
    link::SystemPorts* systemPorts = nullptr;
    if (location.image) {
        port = openImage(*location.image, error, askOtherOrder);
    } else if (location.virtualCard) {
        adapter::FolderError problem;
        port = adapter::VirtualAdapter::openDirectory(*location.virtualCard, problem);
        if (!port) {
            error = text::virtualCardProblem(problem);
        }
    } else {
        auto ports = std::make_unique<link::SystemPorts>(location.ports);
        systemPorts = ports.get();
        port = std::move(ports);
    }
    if (!port) {
        return false;
    }
    m_port = std::move(port);
    m_systemPorts = systemPorts;
    m_forward.target = m_port.get();
    m_location = location;
    return true;
}

void CardSource::retryHeldPorts() {
    if (m_systemPorts != nullptr) {
        m_systemPorts->retryHeldPorts();
    }
}

Organizer::PortReporter CardSource::portReporter() {
    // Asked at the time of the failure: the card may have changed since.
    return [this](std::uint16_t base) -> std::optional<link::PortReport> {
        if (m_systemPorts == nullptr) {
            return std::nullopt;
        }
        return m_systemPorts->report(base);
    };
}

}  // namespace quorvane::app
