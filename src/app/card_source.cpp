// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/card_source.h"

#include "adapter/virtual_adapter.h"
#include "app/texts.h"
#include "formats/image_file.h"
#include "link/system_port.h"

namespace quorvane::app {

namespace {

CardProblem problemOf(const adapter::ImageError& error) {
    return {text::imageProblem(error), error.problem == adapter::ImageProblem::InUse};
}

// An image in the order its name says, or in the other one where it reads as a card only so
// and the user agrees.
std::unique_ptr<adapter::VirtualAdapter> openImage(const std::filesystem::path& file,
                                                   CardProblem& problem,
                                                   const OtherOrderQuestion& askOtherOrder,
                                                   OtherOrderRefused refused) {
    adapter::ImageError error;
    adapter::ImageCard card = adapter::VirtualAdapter::openImage(file, std::nullopt, error);
    if (!card.adapter) {
        problem = problemOf(error);
        return nullptr;
    }
    if (card.orderCheck != formats::OrderCheck::FormattedOnlyInOtherOrder) {
        return std::move(card.adapter);
    }
    if (askOtherOrder && askOtherOrder(file)) {
        const formats::ImageOrder other = formats::otherOrder(card.order);
        card.adapter.reset();  // the file's lock goes with it, before the file is opened again
        card = adapter::VirtualAdapter::openImage(file, other, error);
        if (!card.adapter) {
            problem = problemOf(error);
            return nullptr;
        }
        return std::move(card.adapter);
    }
    if (refused == OtherOrderRefused::Refuse) {
        problem = {text::otherByteOrderRefused(file), false};
        return nullptr;
    }
    return std::move(card.adapter);
}

}  // namespace

OtherOrderQuestion otherOrderQuestionOn(Screen& screen) {
    return [&screen](const std::filesystem::path& image) {
        const std::string question = text::otherByteOrderQuestion(image);
        return screen.ask({question, text::IMAGE_CAPTION, BoxButtons::YesNo, BoxIcon::Question}) ==
               BoxAnswer::Yes;
    };
}

std::unique_ptr<CardSource> CardSource::open(const CardLocation& location, CardProblem& problem,
                                             const OpenOptions& options) {
    auto source = std::unique_ptr<CardSource>(new CardSource(options));
    if (!source->switchTo(location, problem, options.askOtherOrder)) {
        return nullptr;
    }
    if (!location.image) {
        source->m_home = location;
    }
    return source;
}

std::unique_ptr<CardSource> CardSource::withoutCard(const CardLocation& location,
                                                    const OpenOptions& options) {
    auto source = std::unique_ptr<CardSource>(new CardSource(options));
    source->m_port = std::make_unique<link::NoPort>();
    source->m_forward.target = source->m_port.get();
    source->m_location = location;
    source->m_waiting = true;
    if (!location.image) {
        source->m_home = location;
    }
    return source;
}

bool CardSource::takeCard(CardProblem& problem) {
    return switchTo(m_location, problem, m_options.askOtherOrder);
}

std::optional<formats::WriteBlocker> CardSource::notWritable(int pageIndex) const {
    if (m_virtualAdapter == nullptr) {
        return std::nullopt;
    }
    return m_virtualAdapter->notWritable(pageIndex);
}

bool CardSource::switchTo(const CardLocation& location, CardProblem& problem,
                          const OtherOrderQuestion& askOtherOrder) {
    std::unique_ptr<link::PortIo> port;
    link::SystemPorts* systemPorts = nullptr;
    adapter::VirtualAdapter* virtualAdapter = nullptr;
    if (location.image) {
        auto image =
            openImage(*location.image, problem, askOtherOrder, m_options.otherOrderRefused);
        virtualAdapter = image.get();
        port = std::move(image);
    } else if (location.virtualCard) {
        adapter::FolderError error;
        auto folder = adapter::VirtualAdapter::openDirectory(*location.virtualCard, error,
                                                             m_options.newFolder);
        if (!folder) {
            problem = {text::virtualCardProblem(error),
                       error.problem == adapter::FolderProblem::InUse};
        }
        virtualAdapter = folder.get();
        port = std::move(folder);
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
    m_virtualAdapter = virtualAdapter;
    m_waiting = false;
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
