// SPDX-License-Identifier: GPL-3.0-or-later
// The adapter commands over a port whose status reads come from the fuzzer: whatever the
// adapter answers, every command returns, writes only the four line levels to the data
// register, and reports results in their ranges.
#include <array>
#include <cstring>

#include "fuzz_check.h"
#include "link/adapter_commands.h"
#include "link/card_link.h"
#include "link/port_io.h"

using namespace quorvane;

namespace {

constexpr std::uint16_t BASE = 0x378;

class FuzzedPort final : public link::PortIo {
public:
    FuzzedPort(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    void write(std::uint16_t address, std::uint8_t value) override {
        QUORVANE_FUZZ_CHECK(address == BASE);
        QUORVANE_FUZZ_CHECK(value <= 0x03);
    }
    // Each input byte answers a run of reads (its low bits say how many), so short inputs
    // still carry whole handshakes. An exhausted input reads as an open port (every wait runs
    // into its bound) or as an adapter that toggles its handshake line (commands end quickly).
    std::uint8_t read(std::uint16_t address) override {
        QUORVANE_FUZZ_CHECK(address == BASE + 1);
        ++reads;
        if (m_repeat == 0) {
            if (m_next >= m_size) {
                m_toggle = !m_toggle;
                return openPortWhenExhausted ? 0xFF : (m_toggle ? 0xC0 : 0x00);
            }
            m_value = m_data[m_next++];
            m_repeat = 1 + (m_value & 0x07);
        }
        --m_repeat;
        return m_value;
    }
    std::uint64_t reads = 0;
    bool openPortWhenExhausted = false;

private:
    bool m_toggle = false;
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_next = 0;
    std::uint8_t m_value = 0xFF;
    int m_repeat = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const int command = data[0] % 8;
    const int operand = data[1];
    FuzzedPort port(data + 2, size - 2);
    port.openPortWhenExhausted = (data[0] & 0x08) != 0;
    link::CardLink cardLink(port);

    std::array<std::uint8_t, 512> block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7 + operand);
    }
    switch (command) {
        case 0: {
            std::array<std::uint8_t, 516> guarded{};
            guarded.fill(0xCC);
            link::readBlock(cardLink, operand,
                            std::span<std::uint8_t, 512>(guarded.data() + 2, 512));
            QUORVANE_FUZZ_CHECK(guarded[0] == 0xCC && guarded[1] == 0xCC && guarded[514] == 0xCC &&
                                guarded[515] == 0xCC);
            break;
        }
        case 1: {
            int result = link::writeBlock(cardLink, operand, block);
            QUORVANE_FUZZ_CHECK(result >= 0 && result <= 512 && result % 128 == 0);
            if (operand >= 200 && operand <= 240) {
                QUORVANE_FUZZ_CHECK(result == 512 && port.reads == 0);
            }
            break;
        }
        case 2: {
            int result = link::writeQuarter(cardLink, operand, operand % 4,
                                            std::span<const std::uint8_t, 128>(block.data(), 128));
            QUORVANE_FUZZ_CHECK(result == 0 || result == 128);
            break;
        }
        case 3: {
            int result = link::selectPage(cardLink, operand % 16);
            QUORVANE_FUZZ_CHECK(result == 0 || result == 1);
            break;
        }
        case 4: {
            link::AdapterStatus status;
            status.second = 0x42;
            status.pageCount = 0x17;
            link::queryStatus(cardLink, status);
            break;
        }
        case 5:
            link::setIndicator(cardLink, operand % 9);
            break;
        case 6:
            link::querySelectedPage(cardLink);
            break;
        default: {
            cardLink.resetLink();
            link::endTransaction(cardLink);
            break;
        }
    }
    return 0;
}
