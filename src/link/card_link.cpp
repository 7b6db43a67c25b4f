// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/card_link.h"

namespace quorvane::link {

// The send waits keep their historical bound. The other waits had none; ours are counted in
// status reads like the send waits, so tests are exact and no clock is consulted. A real port
// access costs about 1 us, so 600000 reads give a receive half-bit 0.6 s, thousands of times
// more than a working adapter needs between two clock edges. A page change is the slowest
// thing the adapter does (it may take seconds), so the ready wait gets ten times that: about
// 6 s on real hardware, still short enough that an unplugged adapter does not stall the window
// for long.
const std::uint32_t RECEIVE_WAIT_LIMIT = 600000;
const std::uint32_t READY_WAIT_LIMIT = 6000000;

namespace {

// Every value of the link is written twice in immediate succession.
void writeTwice(PortIo& port, std::uint16_t address, std::uint8_t value) {
    port.write(address, value);
    port.write(address, value);
}

bool handshakeReads(std::uint8_t status, bool high) {
    return ((status & STATUS_HANDSHAKE) != 0) == high;
}

}  // namespace

// One wait: the first read is free; every further read is a re-poll, and the wait fails once
// `limit` re-polls have been made, even when the last of them shows the wanted level. While the
// link is lost the wait gives up after its first read.
bool CardLink::waitForLine(bool high, std::uint32_t limit) {
    const std::uint16_t status = statusAddress();
    if (handshakeReads(m_port.read(status), high)) {
        return true;
    }
    if (!m_lost) {
        for (std::uint32_t repolls = 1; repolls < limit; ++repolls) {
            if (handshakeReads(m_port.read(status), high)) {
                return true;
            }
        }
        if (limit > 0) {
            m_port.read(status);  // the re-poll that reaches the bound counts even if it succeeds
        }
    }
    m_lost = true;
    return false;
}

// The first wait until the line reads the level, then a confirming wait from a fresh read:
// a single glitch on the line is not taken for an answer.
bool CardLink::waitTwice(bool high, std::uint32_t limit) {
    return waitForLine(high, limit) && waitForLine(high, limit);
}

int CardLink::sendByte(unsigned value) {
    const std::uint16_t data = portBase;
    for (unsigned mask = 0x80; mask != 0; mask >>= 1) {
        writeTwice(m_port, data, CLOCK_LOW);
        if (!waitTwice(false, SEND_WAIT_LIMIT)) {
            return 1;
        }
        if ((value & mask) != 0) {
            // The value line settles before the clock rises.
            writeTwice(m_port, data, LINE_VALUE);
            writeTwice(m_port, data, LINE_VALUE | LINE_CLOCK);
        } else {
            writeTwice(m_port, data, LINE_CLOCK);
        }
        if (!waitTwice(true, SEND_WAIT_LIMIT)) {
            return 1;
        }
    }
    return 0;
}

std::uint8_t CardLink::receiveByte() {
    const std::uint16_t data = portBase;
    std::uint8_t result = 0;
    for (unsigned mask = 0x80; mask != 0; mask >>= 1) {
        if (!waitTwice(false, RECEIVE_WAIT_LIMIT)) {
            return OPEN_PORT_STATUS;
        }
        writeTwice(m_port, data, CLOCK_LOW);
        if (!waitTwice(true, RECEIVE_WAIT_LIMIT)) {
            return OPEN_PORT_STATUS;
        }
        m_port.read(statusAddress());
        const std::uint8_t sample = m_port.read(statusAddress());
        if ((sample & STATUS_REPLY) == 0) {  // bit 7 inverted: clear is a 1 bit
            result = static_cast<std::uint8_t>(result | mask);
        }
        writeTwice(m_port, data, LINK_IDLE);
    }
    return result;
}

bool CardLink::adapterBusy() {
    return (m_port.read(statusAddress()) & STATUS_HANDSHAKE) == 0;
}

void CardLink::driveIdle() {
    m_port.write(portBase, LINK_IDLE);
}

bool CardLink::waitUntilReady() {
    const std::uint32_t limit = m_lost ? 1 : READY_WAIT_LIMIT;
    for (std::uint32_t polls = 0; polls < limit; ++polls) {
        if (!adapterBusy()) {
            return true;
        }
    }
    m_lost = true;
    return false;
}

// The one place that clears a lost link: it waits the full bound whatever the link's state.
bool CardLink::resetLink() {
    driveIdle();
    m_lost = false;
    return waitUntilReady();
}

}  // namespace quorvane::link
