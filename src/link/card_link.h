// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>

#include "link/port_io.h"
#include "link/wire.h"

// The bit-serial, four-phase handshake byte link to the card adapter.
namespace quorvane::link {

// Re-polls after which a wait inside sendByte gives up.
inline constexpr std::uint32_t SEND_WAIT_LIMIT = 600000;
// Bounds on the waits that the handshake leaves open, in status reads. (Set and explained by
// the link implementation.)
extern const std::uint32_t RECEIVE_WAIT_LIMIT;
extern const std::uint32_t READY_WAIT_LIMIT;

class CardLink {
public:
    explicit CardLink(PortIo& port) : m_port(port) {}

    // The data register's address; the status register is at portBase + 1. Read afresh by
    // every operation, so a change takes effect at the next one.
    std::uint16_t portBase = DEFAULT_PORT_BASE;
    // Which of the organisers sharing this link chose the adapter's page last: another one
    // chooses its own page again before it writes.
    const void* pageChooser = nullptr;
    // How many commits each page (by index) has had through this link, so that one organiser
    // never writes a page read before another one wrote it.
    std::map<int, unsigned> pageCommits;

    int sendByte(unsigned value);  // 0 = sent, 1 = time-out
    // A byte whose waits reached their bound reads as an open port's 0xFF; its value means
    // nothing, and the link is lost from then on (linkLost).
    std::uint8_t receiveByte();
    bool adapterBusy();  // handshake line low
    void driveIdle();
    bool resetLink();  // false when the adapter did not show ready in time
    // Polls adapterBusy until it is false; false when READY_WAIT_LIMIT polls passed.
    bool waitUntilReady();

    // The one report of a time-out: true once any wait has reached its bound, until the next
    // resetLink that sees the adapter ready. While lost, every wait gives up at its first
    // read, so a command sent to an unplugged adapter costs one bound, not one per byte; a
    // command whose reply was cut short looks here rather than at the bytes it got.
    bool linkLost() const { return m_lost; }

private:
    std::uint16_t statusAddress() const { return static_cast<std::uint16_t>(portBase + 1); }
    bool waitForLine(bool high, std::uint32_t limit);
    bool waitTwice(bool high, std::uint32_t limit);

    PortIo& m_port;
    bool m_lost = false;
};

}  // namespace quorvane::link
