#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/organizer.h"
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
// The question as a Yes/No box on `screen`, which must outlive it.
OtherOrderQuestion otherOrderQuestionOn(Screen& screen);

class CardSource {
public:
    // Null when the card cannot be used; `error` then says why, in the user's words.
    static std::unique_ptr<CardSource> open(const CardLocation& location, std::string& error,
                                            const OtherOrderQuestion& askOtherOrder = {});

    // Puts another card behind the same port; on failure the card stays as it was and
    // `error` says why.
    bool switchTo(const CardLocation& location, std::string& error,
                  const OtherOrderQuestion& askOtherOrder = {});

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

    CardSource() = default;

    Forward m_forward;
    std::unique_ptr<link::PortIo> m_port;
    link::SystemPorts* m_systemPorts = nullptr;  // m_port, when it is the machine's ports
    CardLocation m_location;
    CardLocation m_home;
};

}  // namespace quorvane::app
