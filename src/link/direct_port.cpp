// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/direct_port.h"

#include <array>
#include <cerrno>

#include "link/kernel_ports.h"
#include "link/wire.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define QUORVANE_HAS_PORT_IO 1
#else
#define QUORVANE_HAS_PORT_IO 0
#endif

namespace quorvane::link {

std::unique_ptr<DirectPort> DirectPort::open([[maybe_unused]] std::uint16_t base,
                                             PortAttempt* attempt) {
    if (!isPortAddress(base)) {
        if (attempt != nullptr) {
            *attempt = failedAttempt(Backend::DirectIo, PortProblem::AddressRefused);
        }
        return nullptr;
    }
#if QUORVANE_HAS_PORT_IO
    if (::ioperm(base, 2, 1) == 0) {
        return std::unique_ptr<DirectPort>(new DirectPort());
    }
    if (attempt != nullptr) {
        // A kernel built without port I/O answers ENOSYS even to root.
        *attempt = failedAttempt(
            Backend::DirectIo,
            errno == ENOSYS ? PortProblem::DirectIoUnsupported : PortProblem::DirectIoRefused,
            errno);
    }
#else
    if (attempt != nullptr) {
        *attempt = failedAttempt(Backend::DirectIo, PortProblem::DirectIoUnsupported);
    }
#endif
    return nullptr;
}

void DirectPort::write([[maybe_unused]] std::uint16_t address,
                       [[maybe_unused]] std::uint8_t value) {
#if QUORVANE_HAS_PORT_IO
    ::outb(value, address);
#endif
}

std::uint8_t DirectPort::read([[maybe_unused]] std::uint16_t address) {
#if QUORVANE_HAS_PORT_IO
    return ::inb(address);
#else
    return OPEN_PORT_STATUS;
#endif
}

bool dataRegisterEchoes(PortIo& port, std::uint16_t base) {
    // Alternate bits above the two link lines, which stay idle so the adapter sees no clock.
    static constexpr std::array<std::uint8_t, 2> PATTERNS{0x54 | LINK_IDLE, 0xA8 | LINK_IDLE};
    bool echoed = true;
    for (std::uint8_t pattern : PATTERNS) {
        port.write(base, pattern);
        echoed = echoed && port.read(base) == pattern;
    }
    port.write(base, LINK_IDLE);
    return echoed;
}

}  // namespace quorvane::link
