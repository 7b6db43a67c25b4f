// SPDX-License-Identifier: GPL-3.0-or-later
// What the user is told when the parallel port cannot reach an adapter: the box's details and
// the port listing say which way to the port failed and what to do about it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "app/card_source.h"
#include "app/reports.h"
#include "app/texts.h"
#include "app_fixture.h"
#include "link/system_port.h"
#include "pc/file_lock.h"
#include "support/temp_folder.h"

namespace quorvane::app::testing {
namespace {

using link::Backend;
using link::PortAttempt;
using link::PortProblem;
using link::PortReport;

PortReport unreachable(std::initializer_list<PortAttempt> attempts) {
    return PortReport{0x378, Backend::None, attempts};
}

bool has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

TEST(PortDetails, EachReasonNamesItsRemedy) {
    const std::string noModules = text::portDetails(unreachable(
        {{Backend::Ppdev, PortProblem::NoParportSupport, "/proc/sys/dev/parport", 0, {}},
         {Backend::DirectIo, PortProblem::DirectIoRefused, {}, EPERM, {}}}));
    EXPECT_TRUE(has(noModules, "0x378")) << noModules;
    EXPECT_TRUE(has(noModules, "modprobe parport_pc ppdev")) << noModules;
    EXPECT_TRUE(has(noModules, "Only root may use raw port I/O")) << noModules;

    const std::string noDevice = text::portDetails(
        unreachable({{Backend::Ppdev, PortProblem::DeviceMissing, "/dev/parport0", ENOENT, {}}}));
    EXPECT_TRUE(has(noDevice, "/dev/parport0 is not present")) << noDevice;
    EXPECT_TRUE(has(noDevice, "modprobe ppdev")) << noDevice;

    const std::string denied = text::portDetails(unreachable(
        {{Backend::Ppdev, PortProblem::CannotOpenDevice, "/dev/parport0", EACCES, {}}}));
    EXPECT_TRUE(has(denied, "permission denied on /dev/parport0")) << denied;
    EXPECT_TRUE(has(denied, "usermod -aG lp")) << denied;

    const std::string busy = text::portDetails(
        unreachable({{Backend::Ppdev, PortProblem::CannotClaim, "/dev/parport0", EBUSY, {}}}));
    EXPECT_TRUE(has(busy, "held by another program or driver")) << busy;
    EXPECT_TRUE(has(busy, "rmmod lp")) << busy;

    const std::string elsewhere = text::portDetails(unreachable(
        {{Backend::Ppdev, PortProblem::NoPortAtAddress, "/proc/sys/dev/parport", 0, {}}}));
    EXPECT_TRUE(has(elsewhere, "no parallel port at 0x378")) << elsewhere;

    const std::string held = text::portDetails(
        unreachable({{Backend::Ppdev, PortProblem::HeldByOtherProgram, "/dev/parport0", 0, 4321},
                     {Backend::DirectIo, PortProblem::NoPortFound, {}, 0, {}}}));
    EXPECT_TRUE(has(held, "/dev/parport0 is held by another program (process 4321). Close"))
        << held;
    EXPECT_TRUE(has(held, "no parallel port answered at 0x378")) << held;

    const std::string open = text::portDetails(PortReport{0x278, Backend::Ppdev, {}});
    EXPECT_TRUE(has(open, "no adapter answered")) << open;
}

TEST(PortDetails, FailedConnectionShowsThemBehindTheUnchangedBox) {
    RecordingScreen screen;
    link::NoPort port;
    link::CardLink cardLink(port);
    Organizer organizer(screen, cardLink, fixedTime);
    organizer.start();
    const PortReport report =
        unreachable({{Backend::Ppdev, PortProblem::DeviceMissing, "/dev/parport0", ENOENT, {}}});
    organizer.setPortReporter([&](std::uint16_t base) -> std::optional<PortReport> {
        EXPECT_EQ(base, 0x378);
        return report;
    });

    EXPECT_FALSE(organizer.readChosenPage());
    EXPECT_EQ(screen.texts.status, "Connection FAILED!!!");
    EXPECT_EQ(screen.events.back(),
              "box: Connection FAILED. | Connection Error | Ok | Error | "
              "details: " +
                  text::portDetails(report));
}

class HeldPort : public quorvane::testing::TempFolder {};

TEST_F(HeldPort, IsToldWithItsHolderAndTriedAgainWhenTheUserSelectsAgain) {
    CardLocation location;
    location.ports = {folder / "proc", folder / "dev", false};
    std::filesystem::create_directories(location.ports.procParport / "parport0");
    std::filesystem::create_directories(location.ports.devDir);
    std::ofstream(location.ports.procParport / "parport0" / "base-addr") << "888\n";
    std::ofstream(location.ports.devDir / "parport0") << "";
    pc::LockError lockError;
    auto other = pc::FileLock::take(location.ports.devDir / "parport0", lockError);
    CardProblem error;
    const std::unique_ptr<CardSource> card = CardSource::open(location, error);
    ASSERT_NE(card, nullptr) << error.text;
    RecordingScreen screen;
    link::CardLink cardLink(card->port());
    Organizer organizer(screen, cardLink, fixedTime);
    organizer.setPortReporter(card->portReporter());
    organizer.setCardSource(card.get());
    organizer.start();

    EXPECT_FALSE(organizer.readChosenPage());
    const std::string holder = "held by another program (process " + std::to_string(::getpid());
    EXPECT_TRUE(has(screen.events.back(), holder)) << screen.events.back();
    other.reset();
    EXPECT_FALSE(organizer.readChosenPage());
    EXPECT_TRUE(has(screen.events.back(), "could not be claimed")) << screen.events.back();
}

TEST(PortListing, TellsEachPortAndAddressOnceWithTheRemediesAtTheEnd) {
    std::vector<link::KernelPort> ports(3);
    ports[0] = {"parport0", {0x378}, "/dev/parport0", true, EACCES, std::nullopt, false, {}};
    ports[1] = {"parport1", {0x278, 0x678}, "/dev/parport1", true, 0, 0, false, {}};
    ports[2] = {"parport2", {0xD010}, "/dev/parport2", true, 0, std::nullopt, true, 77};
    std::vector<PortReport> addresses;
    for (std::uint16_t base : link::PORT_ADDRESSES) {
        addresses.push_back(
            base == 0x278
                ? PortReport{base, Backend::Ppdev, {}}
                : unreachable({{Backend::Ppdev, PortProblem::NoPortAtAddress, {}, 0, {}}}));
        addresses.back().base = base;
    }
    const std::string listing = text::portListing(ports, addresses);
    EXPECT_TRUE(has(listing, "parport0 at 0x378, /dev/parport0: ppdev: permission denied"))
        << listing;
    EXPECT_TRUE(has(listing, "parport1 at 0x278, /dev/parport1: this user can open and claim"))
        << listing;
    EXPECT_TRUE(has(listing,
                    "parport2 at 0xD010, /dev/parport2: ppdev: /dev/parport2 is held by "
                    "another program (process 77)"))
        << listing;
    EXPECT_TRUE(has(listing, "0x278: ppdev")) << listing;
    // The addresses that fail alike share one line; the way to try without an adapter ends it.
    EXPECT_TRUE(has(listing,
                    "\n  0x268, 0x26C, 0x27C, 0x378, 0x3BC: no way to the port; ppdev: "
                    "the kernel has no parallel port there\n"))
        << listing;
    EXPECT_TRUE(listing.ends_with(std::string(text::TRY_WITHOUT_ADAPTER) + "\n")) << listing;
    EXPECT_TRUE(has(listing, "usermod -aG lp")) << listing;
    const std::string remedy = "Choose the address the kernel lists";
    EXPECT_EQ(listing.find(remedy), listing.rfind(remedy)) << listing;
}

}  // namespace
}  // namespace quorvane::app::testing
