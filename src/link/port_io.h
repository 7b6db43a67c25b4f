// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quorvane::link {

// The narrow transport under the card link: one byte out to an I/O address, one byte in.
// The link uses the data register (portBase) and the status register (portBase + 1) only.
class PortIo {
public:
    virtual ~PortIo() = default;
    virtual void write(std::uint16_t address, std::uint8_t value) = 0;
    virtual std::uint8_t read(std::uint16_t address) = 0;
};

}  // namespace quorvane::link
