#include "app/card_source.h"

#include "adapter/virtual_adapter.h"
#include "app/texts.h"
#include "link/system_port.h"

namespace quorvane::app {

std::unique_ptr<CardSource> CardSource::open(const CardLocation& location, std::string& error) {
    auto source = std::unique_ptr<CardSource>(new CardSource());
    if (!location.virtualCard) {
        auto ports = std::make_unique<link::SystemPorts>();
        source->m_systemPorts = ports.get();
        source->m_port = std::move(ports);
        return source;
    }
    adapter::FolderError problem;
    source->m_port = adapter::VirtualAdapter::openDirectory(*location.virtualCard, problem);
    if (!source->m_port) {
        error = text::virtualCardProblem(problem);
        return nullptr;
    }
    return source;
}

Organizer::PortReporter CardSource::portReporter() {
    if (m_systemPorts == nullptr) {
        return {};
    }
    link::SystemPorts* ports = m_systemPorts;
    return [ports](std::uint16_t base) -> std::optional<link::PortReport> {
        return ports->report(base);
    };
}

}  // namespace quorvane::app
