// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "app/window_commands.h"
#include "card/byte_order.h"
#include "card/dir_entry.h"
#include "card/file_system.h"
#include "card/listing.h"
#include "link/card_link.h"
#include "recording_screen.h"
#include "support/card_builders.h"

namespace quorvane::app::testing {

using namespace quorvane::testing;

// Sits between the link and the adapter and decodes the bytes that pass. A rising clock edge
// written straight from 0x00 to 0x03 is a bit the PC takes (sampled from the last status read,
// bit 7 inverted); one reached through 0x01 or 0x02 is a bit the PC sends.
class TrafficPort final : public link::PortIo {
public:
    struct Byte {
        bool sent = false;  // PC to adapter
        std::uint8_t value = 0;
        bool operator==(const Byte&) const = default;
    };
    std::vector<Byte> bytes;

    explicit TrafficPort(link::PortIo& inner) : m_inner(inner) {}

    void write(std::uint16_t address, std::uint8_t value) override {
        m_inner.write(address, value);
        const bool rising = (m_lastData & link::LINE_CLOCK) == 0 && (value & link::LINE_CLOCK) != 0;
        if (rising) {
            if (m_lastData == 0x00 && value == link::LINK_IDLE) {
                addBit(false, (m_lastStatus & link::STATUS_REPLY) == 0);
            } else {
                addBit(true, (value & link::LINE_VALUE) != 0);
            }
        }
        m_lastData = value;
    }
    std::uint8_t read(std::uint16_t address) override {
        m_lastStatus = m_inner.read(address);
        return m_lastStatus;
    }

    std::vector<std::uint8_t> sent() const { return valuesOf(true); }
    std::vector<std::uint8_t> received() const { return valuesOf(false); }
    void clear() {
        bytes.clear();
        m_bitCount = 0;
    }

private:
    void addBit(bool sent, bool one) {
        if (m_bitCount > 0 && sent != m_sending) {
            m_bitCount = 0;  // a byte broken off by a time-out
        }
        m_sending = sent;
        m_partial = static_cast<std::uint8_t>((m_partial << 1) | (one ? 1 : 0));
        if (++m_bitCount == 8) {
            bytes.push_back({sent, m_partial});
            m_bitCount = 0;
        }
    }
    std::vector<std::uint8_t> valuesOf(bool sent) const {
        std::vector<std::uint8_t> values;
        for (const Byte& b : bytes) {
            if (b.sent == sent) {
                values.push_back(b.value);
            }
        }
        return values;
    }

    link::PortIo& m_inner;
    std::uint8_t m_lastData = link::LINK_IDLE;
    std::uint8_t m_lastStatus = 0xFF;
    std::uint8_t m_partial = 0;
    int m_bitCount = 0;
    bool m_sending = false;
};

// An organiser wired to a recording screen and a virtual adapter with in-memory pages.
// Tests adjust `pages` (card byte order) before calling start().
class AppFixture : public ::testing::Test {
protected:
    std::vector<card::CardOrderPage> pages =
        std::vector<card::CardOrderPage>(4, formattedCardPage());
    std::unique_ptr<adapter::VirtualAdapter> adapter;
    std::unique_ptr<TrafficPort> traffic;  // what passed between link and adapter
    std::unique_ptr<link::CardLink> link;
    RecordingScreen screen;
    std::unique_ptr<Organizer> organizer;
    std::unique_ptr<WindowCommands> commands;  // the window's commands on the organiser
    std::filesystem::path pcFolder;            // the PC pane's folder, for "<--"

    void start() {
        adapter = std::make_unique<adapter::VirtualAdapter>(pages);
        traffic = std::make_unique<TrafficPort>(*adapter);
        link = std::make_unique<link::CardLink>(*traffic);
        wireOrganizer();
    }

    // An organiser and the window's commands on `link`, started.
    void wireOrganizer() {
        organizer = std::make_unique<Organizer>(screen, *link, fixedTime);
        commands = std::make_unique<WindowCommands>(*organizer, screen);
        organizer->start();
    }

    // start() and a successful read of page `pageIndex`.
    void startAndRead(int pageIndex = 0) {
        start();
        organizer->readPage(pageIndex + 1);
        ASSERT_TRUE(organizer->loadedPage());
        screen.events.clear();
        traffic->clear();
    }

    // The page in memory (one must be loaded).
    const LoadedPage& loaded() const { return *organizer->loadedPage(); }
    // The same in card byte order, as a commit writes it.
    card::CardOrderPage cardImage() const { return *cardImageOf(loaded().page); }
    // The slot of the file selected, -1 when none.
    int selectedEntry() const { return organizer->selection() ? organizer->selection()->slot : -1; }
    // As the window's row of that name became selected (the first of two of one name).
    void selectFile(std::string_view name) {
        const int slot = card::findSlotByName(loaded().page, std::string(name));
        organizer->selectFile(slot);
    }
    // The page number field stepped by `delta`, as its arrows step it.
    void stepPage(int delta) { organizer->choosePage(organizer->chosenPage() + delta); }
    // The page in memory changed by `edit` (a pending edit, bytes the card never had).
    template <typename Edit>
    void editLoaded(Edit edit) {
        auto page = std::make_unique<LoadedPage>(loaded());
        edit(*page);
        organizer->startWith(*page);
    }
    // As a page was read that brought `cardImage`, without the transfer.
    void loadPage(const card::CardOrderPage& cardImage, int pageIndex = 0) {
        auto loaded = std::make_unique<LoadedPage>();
        loaded->pageIndex = pageIndex;
        card::cardToPage(cardImage, loaded->page);
        organizer->startWith(*loaded);
    }
};

}  // namespace quorvane::app::testing
