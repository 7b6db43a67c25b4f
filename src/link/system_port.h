// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/direct_port.h"
#include "link/kernel_ports.h"
#include "link/port_io.h"
#include "link/port_report.h"
#include "link/ppdev_port.h"
#include "link/wire.h"

// Real port access on Linux, chosen per port address: ppdev, then raw port I/O, else no port.
// Every choice records why the backends before it could not be used, so the user can be told.
// Only the six addresses of the port buttons and the ports the kernel lists are ever opened.
namespace quorvane::link {

// Every status read gives what an open port shows: the adapter looks absent.
class NoPort final : public PortIo {
public:
    void write(std::uint16_t, std::uint8_t) override {}
    std::uint8_t read(std::uint16_t) override { return OPEN_PORT_STATUS; }
};

// How each of the six addresses would be reached now (each backend opened, then let go).
std::vector<PortReport> probeAddresses(const PortPaths& paths = {});

// Opens the best backend for `base` (the data register's address): PpdevPort, DirectPort or
// NoPort. A failure to open or claim falls through to the next choice, except where another
// program holds the port; raw port I/O is used only at PORT_ADDRESSES after a parallel port
// was found there. Any other address than isKnownPort's is refused. `report` says which
// backend was chosen and why the others were not.
std::unique_ptr<PortIo> openPort(std::uint16_t base, const PortPaths& paths = {},
                                 PortReport* report = nullptr);

// A PortIo for the whole machine: each access goes to the backend of its port, opened on
// first use (the data register at base, the status register at base + 1).
class SystemPorts final : public PortIo {
public:
    explicit SystemPorts(PortPaths paths = {}) : m_paths(std::move(paths)) {}
    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

    // How `base` is reached (opening its backend if it was not yet).
    const PortReport& report(std::uint16_t base);

    // Lets the next access try again each port that another program held, rather than every
    // access: called when the user starts a new transfer.
    void retryHeldPorts();

private:
    struct Opened {
        std::unique_ptr<PortIo> port;
        PortReport report;
    };
    Opened& backendFor(std::uint16_t base);
    PortPaths m_paths;
    std::map<std::uint16_t, Opened> m_backends;
};

}  // namespace quorvane::link
