// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "link/port_io.h"

namespace quorvane::link::testing {

using Bytes = std::vector<std::uint8_t>;

// A port that records every access and answers status reads from a script. The script sees
// how many status reads came before and the last value written to the data register.
class ScriptedPort final : public PortIo {
public:
    using Script = std::function<std::uint8_t(std::uint64_t readIndex, std::uint8_t data)>;
    struct Access {
        bool isWrite;
        std::uint16_t address;
        std::uint8_t value;
    };

    explicit ScriptedPort(Script script) : m_script(std::move(script)) {}

    void write(std::uint16_t address, std::uint8_t value) override {
        accesses.push_back({true, address, value});
        m_data = value;
    }
    std::uint8_t read(std::uint16_t address) override {
        const std::uint8_t value = m_script(m_reads++, m_data);
        accesses.push_back({false, address, value});
        return value;
    }

    Bytes writtenValues() const {
        Bytes values;
        for (const Access& access : accesses) {
            if (access.isWrite) {
                values.push_back(access.value);
            }
        }
        return values;
    }
    std::uint64_t readCount() const { return m_reads; }

    std::vector<Access> accesses;

private:
    Script m_script;
    std::uint64_t m_reads = 0;
    std::uint8_t m_data = 0x03;
};

// Handshake line high, as an absent adapter's open port reads.
inline std::uint8_t alwaysHigh(std::uint64_t, std::uint8_t) {
    return 0x40;
}
// A receiver that answers every clock edge at once: the line follows the clock.
inline std::uint8_t followsClock(std::uint64_t, std::uint8_t data) {
    return (data & 0x02) != 0 ? 0x40 : 0x00;
}

}  // namespace quorvane::link::testing
