#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>

#include "link/port_io.h"
#include "link/wire.h"

// Real port access on Linux, chosen per port address: ppdev, then raw port I/O, else no port.
namespace quorvane::link {

// Every status read gives what an open port shows: the adapter looks absent.
class NoPort final : public PortIo {
public:
    void write(std::uint16_t, std::uint8_t) override {}
    std::uint8_t read(std::uint16_t) override { return OPEN_PORT_STATUS; }
};

// Where to look for parallel ports; tests point these at a fake tree.
struct PortPaths {
    std::filesystem::path procParport = "/proc/sys/dev/parport";
    std::filesystem::path devDir = "/dev";
    // Raw port I/O is tried only where allowed; tests turn it off so that no real port is
    // touched on a machine that permits it.
    bool allowDirectIo = true;
};

// A port reached through the kernel's ppdev driver, claimed for the backend's lifetime.
class PpdevPort final : public PortIo {
public:
    // Null when the device cannot be opened or claimed.
    static std::unique_ptr<PpdevPort> open(const std::filesystem::path& device);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void write(std::uint16_t address, std::uint8_t value) override;  // PPWDATA
    std::uint8_t read(std::uint16_t address) override;               // PPRSTATUS

private:
    explicit PpdevPort(int fd) : m_fd(fd) {}
    int m_fd;
};

// Raw inb/outb after ioperm (root, x86 only).
class DirectPort final : public PortIo {
public:
    // Null when the process may not reach the two registers of `base`.
    static std::unique_ptr<DirectPort> open(std::uint16_t base);

    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

private:
    DirectPort() = default;
};

// The /dev/parportN whose base-addr begins with `base` in decimal, if any.
std::filesystem::path findPpdevDevice(std::uint16_t base, const PortPaths& paths = {});

// Opens the best backend for `base` (the data register's address): PpdevPort, DirectPort or
// NoPort. A failure to open or claim falls through to the next choice.
std::unique_ptr<PortIo> openPort(std::uint16_t base, const PortPaths& paths = {});

// A PortIo for the whole machine: each access goes to the backend of its port, opened on
// first use (the data register at base, the status register at base + 1).
class SystemPorts final : public PortIo {
public:
    explicit SystemPorts(PortPaths paths = {}) : m_paths(std::move(paths)) {}
    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

private:
    PortIo& backendFor(std::uint16_t base);
    PortPaths m_paths;
    std::map<std::uint16_t, std::unique_ptr<PortIo>> m_backends;
};

}  // namespace quorvane::link
