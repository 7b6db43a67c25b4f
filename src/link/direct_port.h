// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

#include "link/port_io.h"
#include "link/port_report.h"

namespace quorvane::link {

// Raw inb/outb after ioperm (root, x86 only), at PORT_ADDRESSES alone.
class DirectPort final : public PortIo {
public:
    // Null when `base` is not one of PORT_ADDRESSES or the process may not reach its two
    // registers; `attempt` says why.
    static std::unique_ptr<DirectPort> open(std::uint16_t base, PortAttempt* attempt = nullptr);

    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

private:
    DirectPort() = default;
};

// Whether a parallel port answers at `base` through `port`: its data register keeps what is
// written to it, where an empty address reads 0xFF. Only the data register is written, the
// clock and value lines held at their idle level, and it is left idle.
bool dataRegisterEchoes(PortIo& port, std::uint16_t base);

}  // namespace quorvane::link
