#pragma once

#include <cstdint>

#include "link/port_io.h"

// The bit-serial, four-phase handshake byte link to the card adapter.
namespace quorvane::link {

inline constexpr std::uint16_t DEFAULT_PORT_BASE = 0x378;

// Data register lines.
inline constexpr std::uint8_t LINE_VALUE = 0x01;  // D0: bit value to the adapter
inline constexpr std::uint8_t LINE_CLOCK = 0x02;  // D1: clock from the PC
inline constexpr std::uint8_t LINK_IDLE = LINE_VALUE | LINE_CLOCK;
// Status register lines.
inline constexpr std::uint8_t STATUS_HANDSHAKE = 0x40;  // bit 6, ACK
inline constexpr std::uint8_t STATUS_REPLY = 0x80;      // bit 7, BUSY, inverted: clear = 1

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

    int sendByte(unsigned value);  // 0 = sent, 1 = time-out
    std::uint8_t receiveByte();    // 0xFF for a byte whose waits reached their bound
    bool adapterBusy();            // handshake line low
    void driveIdle();
    bool resetLink();  // false when the adapter did not show ready in time
    // Polls adapterBusy until it is false; false when READY_WAIT_LIMIT polls passed.
    bool waitUntilReady();

    // True once a wait has reached its bound, until the next resetLink that sees the adapter
    // ready. While lost, every wait gives up at its first read, so a command sent to an
    // unplugged adapter costs one bound, not one per byte.
    bool linkLost() const { return m_lost; }
    // How many receiveByte calls have given up at a wait's bound so far. A command compares it
    // before and after its replies: a reply cut short is never taken for a valid one.
    std::uint64_t receiveTimeouts() const { return m_receiveTimeouts; }

    PortIo& port() { return m_port; }

private:
    std::uint16_t statusAddress() const { return static_cast<std::uint16_t>(portBase + 1); }
    bool waitForLine(bool high, std::uint32_t limit);
    bool waitTwice(bool high, std::uint32_t limit);
    std::uint8_t giveUpReceive();

    PortIo& m_port;
    bool m_lost = false;
    std::uint64_t m_receiveTimeouts = 0;
};

}  // namespace quorvane::link
