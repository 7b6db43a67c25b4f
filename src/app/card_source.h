#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/organizer.h"
#include "link/port_io.h"

// Where the card is, for both front ends: the machine's parallel ports, or a virtual card kept
// in a folder.
namespace quorvane::app {

struct CardLocation {
    std::optional<std::filesystem::path> virtualCard;  // none = the parallel ports
};

class CardSource {
public:
    // Null when the card cannot be used; `error` then says why, in the user's words.
    static std::unique_ptr<CardSource> open(const CardLocation& location, std::string& error);

    link::PortIo& port() { return *m_port; }
    // Tells a failed connection's details where the ports are the machine's; empty otherwise.
    Organizer::PortReporter portReporter();

private:
    std::unique_ptr<link::PortIo> m_port;
    link::SystemPorts* m_systemPorts = nullptr;  // m_port, when it is the machine's ports
};

}  // namespace quorvane::app
