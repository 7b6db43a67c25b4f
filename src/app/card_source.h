// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "adapter/virtual_adapter.h"
#include "app/organizer.h"
#include "formats/write_access.h"
#include "link/port_io.h"
#include "link/system_port.h"

// Where the card is, for both front ends: the machine's parallel ports, a virtual card kept in
// a folder, or one card image as a one-page card. The link talks to one port that stays put
// while the card behind it changes.
namespace quorvane::app {

struct CardLocation {
    std::optional<std::filesystem::path> virtualCard;  // a folder of page-NN.dcm files
    std::optional<std::filesystem::path> image;        // a .bin, .vmu or .dcm card image
    // Neither: the parallel ports, found where `ports` says.
    link::PortPaths ports;
};

// Asked when an image reads as a formatted card only in the other byte order: true takes it
// in that order.
using OtherOrderQuestion = std::function<bool(const std::filesystem::path& image)>;

// What to do with an image that reads as a card only in the other byte order when the question
// is answered No: the window takes it as named (the user may mean to look at its bytes), the
// command line refuses it, since a card that is not one would list empty and take no files.
enum class OtherOrderRefused { TakeAsNamed, Refuse };

// Why a card cannot be used, in the user's words; `inUse` when another program holds it, which
// may pass.
struct CardProblem {
    std::string text;
    bool inUse = false;
};

// How a card is opened: what a missing virtual card folder becomes, and the questions.
struct OpenOptions {
    adapter::NewFolder newFolder = adapter::NewFolder::WithSampleFiles;
    OtherOrderQuestion askOtherOrder;
    OtherOrderRefused otherOrderRefused = OtherOrderRefused::TakeAsNamed;
};
// The question as a Yes/No box on `screen`, which must outlive it.
OtherOrderQuestion otherOrderQuestionOn(Screen& screen);

class CardSource {
public:
    // Null when the card cannot be used; `problem` then says why.
    static std::unique_ptr<CardSource> open(const CardLocation& location, CardProblem& problem,
                                            const OpenOptions& options = {});
    // A source for `location` with no card behind its port yet (another program holds it): it
    // looks like an adapter that is absent until takeCard succeeds.
    static std::unique_ptr<CardSource> withoutCard(const CardLocation& location,
                                                   const OpenOptions& options = {});
    bool waitingForCard() const { return m_waiting; }
    // Tries again to open the card of location(); false and `problem` while it still cannot.
    bool takeCard(CardProblem& problem);

    // Puts another card behind the same port; on failure the card stays as it was and
    // `problem` says why.
    bool switchTo(const CardLocation& location, CardProblem& problem,
                  const OtherOrderQuestion& askOtherOrder = {});

    // Where the page `pageIndex` of the card is kept, when this user may not write there; none
    // for a card that can be written (the adapter's pages are never known to be read-only).
    std::optional<formats::WriteBlocker> notWritable(int pageIndex) const;

    link::PortIo& port() { return m_forward; }
    const CardLocation& location() const { return m_location; }
    // Where the card goes back to when an image is closed: the location the program started
    // with, or the machine's ports when that was an image.
    const CardLocation& home() const { return m_home; }
    // Tells a failed connection's details where the ports are the machine's; empty otherwise.
    Organizer::PortReporter portReporter();
    // A port that another program held is tried again at its next access.
    void retryHeldPorts();

private:
    // Every access goes to the card of the moment.
    class Forward final : public link::PortIo {
    public:
        void write(std::uint16_t address, std::uint8_t value) override {
            target->write(address, value);
        }
        std::uint8_t read(std::uint16_t address) override { return target->read(address); }
        link::PortIo* target = nullptr;
    };

    explicit CardSource(OpenOptions options) : m_options(std::move(options)) {}

    OpenOptions m_options;
    bool m_waiting = false;
    Forward m_forward;
    std::unique_ptr<link::PortIo> m_port;
    adapter::VirtualAdapter* m_virtualAdapter = nullptr;  // m_port, when it is a virtual card
    link::SystemPorts* m_systemPorts = nullptr;           // m_port, when it is the machine's ports
    CardLocation m_location;
    CardLocation m_home;
};

}  // namespace quorvane::app
