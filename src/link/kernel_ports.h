// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The machine's parallel ports as the kernel lists them under /proc/sys/dev/parport, and the
// addresses the program may open at all: another I/O address may be the clock or the
// interrupt controller.
namespace quorvane::link {

// The six addresses a user can choose, as the single-pane window orders its buttons.
inline constexpr std::array<std::uint16_t, 6> PORT_ADDRESSES{0x268, 0x26C, 0x278,
                                                             0x27C, 0x378, 0x3BC};

// Whether `base` is one of PORT_ADDRESSES.
bool isPortAddress(std::uint32_t base);

// Where to look for parallel ports; tests point these at a fake tree.
struct PortPaths {
    std::filesystem::path procParport = "/proc/sys/dev/parport";
    std::filesystem::path devDir = "/dev";
    // Raw port I/O is tried only where allowed; tests turn it off so that no real port is
    // touched on a machine that permits it.
    bool allowDirectIo = true;
};

// A port the kernel lists under /proc/sys/dev/parport, and what this user may do with it.
struct KernelPort {
    std::string name;                  // parportN
    std::vector<std::uint16_t> bases;  // from base-addr; the first is the data register
    std::filesystem::path device;      // /dev/parportN
    bool deviceExists = false;
    int openError = 0;                // errno of opening the device for writing, 0 = opened
    std::optional<int> claimError;    // errno of claiming it, 0 = claimed; none = not tried
    bool heldByOtherProgram = false;  // its lock is held: neither opened nor claimed
    std::optional<long> holder;       // the holder's process id, where the kernel tells
};
// The kernel's ports, each device opened and claimed to see whether this user may.
std::vector<KernelPort> listKernelPorts(const PortPaths& paths = {});
// The kernel's ports by name, addresses and device only, without touching a device.
std::vector<KernelPort> readKernelPorts(const PortPaths& paths = {});

// The /dev/parportN whose base-addr begins with `base` in decimal, if any.
std::filesystem::path findPpdevDevice(std::uint16_t base, const PortPaths& paths = {});

// Whether `base` may be opened at all: one of PORT_ADDRESSES or a port the kernel lists.
bool isKnownPort(std::uint32_t base, const PortPaths& paths = {});

}  // namespace quorvane::link
