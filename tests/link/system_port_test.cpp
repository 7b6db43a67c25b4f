// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/system_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "pc/file_lock.h"
#include "scripted_port.h"
#include "support/temp_folder.h"

namespace quorvane::link {
namespace {

namespace fs = std::filesystem;

// A fake /proc/sys/dev/parport and /dev in a temporary folder. The device files are plain
// files, so opening works and claiming fails, as on a machine whose port belongs to another
// driver.
class FakePortTree : public quorvane::testing::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        paths = {.procParport = root / "proc", .devDir = root / "dev", .allowDirectIo = false};
        fs::create_directories(paths.devDir);
    }

    void addPort(const std::string& name, const std::string& baseAddr) {
        fs::create_directories(paths.procParport / name);
        std::ofstream(paths.procParport / name / "base-addr") << baseAddr;
        std::ofstream(paths.devDir / name) << "";
    }

    fs::path root = folder;
    PortPaths paths;
};

TEST_F(FakePortTree, ChoosesTheDeviceWhoseBaseAddrStartsWithTheAddressInDecimal) {
    EXPECT_TRUE(findPpdevDevice(0x378, paths).empty());  // no tree at all
    addPort("parport0", "8880\n");                       // a longer number is another address
    addPort("parport_pc", "888\n");                      // not a port entry
    addPort("parport1", "632\t1656\n");
    addPort("parport2", "888\t1912\n");
    EXPECT_EQ(findPpdevDevice(0x378, paths), paths.devDir / "parport2");
    EXPECT_EQ(findPpdevDevice(0x278, paths), paths.devDir / "parport1");
    EXPECT_TRUE(findPpdevDevice(0x3BC, paths).empty());
}

TEST_F(FakePortTree, DeviceThatCannotBeClaimedFallsThroughToNoPort) {
    addPort("parport0", "888\n");
    ASSERT_EQ(PpdevPort::open(paths.devDir / "parport0"), nullptr);
    auto port = openPort(0x378, paths);
    ASSERT_NE(port, nullptr);
    EXPECT_NE(dynamic_cast<NoPort*>(port.get()), nullptr);
    EXPECT_EQ(port->read(0x379), 0xFF);

    SystemPorts ports(paths);
    ports.write(0x378, 0x03);
    EXPECT_EQ(ports.read(0x379), 0xFF);  // no port there: the adapter looks absent
    EXPECT_EQ(ports.read(0x279), 0xFF);
}

// The first failed attempt of opening `base` on the tree.
PortAttempt firstAttempt(std::uint16_t base, const PortPaths& paths) {
    PortReport report;
    openPort(base, paths, &report);
    EXPECT_EQ(report.base, base);
    EXPECT_EQ(report.chosen, Backend::None);
    return report.attempts.empty() ? PortAttempt{} : report.attempts.front();
}

TEST_F(FakePortTree, EachReasonThePortCannotBeUsedIsReported) {
    // No /proc tree at all: the parport modules are not loaded.
    const PortPaths noTree{
        .procParport = root / "no-proc", .devDir = paths.devDir, .allowDirectIo = false};
    EXPECT_EQ(firstAttempt(0x378, noTree).problem, PortProblem::NoParportSupport);

    fs::create_directories(paths.procParport);
    EXPECT_EQ(firstAttempt(0x378, paths).problem, PortProblem::NoPortAtAddress);

    addPort("parport0", "888\n");
    fs::remove(paths.devDir / "parport0");
    PortAttempt attempt = firstAttempt(0x378, paths);
    EXPECT_EQ(attempt.problem, PortProblem::DeviceMissing);
    EXPECT_EQ(attempt.path, paths.devDir / "parport0");

    // A plain file opens but is no port: the claim fails.
    std::ofstream(paths.devDir / "parport0") << "";
    attempt = firstAttempt(0x378, paths);
    EXPECT_EQ(attempt.problem, PortProblem::CannotClaim);
    EXPECT_EQ(attempt.systemError, ENOTTY);

    PortReport report;
    openPort(0x378, paths, &report);
    ASSERT_EQ(report.attempts.size(), 2u);
    EXPECT_EQ(report.attempts[1].problem, PortProblem::DirectIoNotTried);

    // Raw port I/O is never tried away from the six addresses, even at a port the kernel lists.
    addPort("parport1", "53264\n");
    openPort(0xD010, paths, &report);
    EXPECT_EQ(report.attempts.size(), 1u);

    // Root opens a file whatever its permissions; a user not allowed on the device cannot.
    fs::permissions(paths.devDir / "parport0", fs::perms::none);
    if (::geteuid() != 0) {
        attempt = firstAttempt(0x378, paths);
        EXPECT_EQ(attempt.problem, PortProblem::CannotOpenDevice);
        EXPECT_EQ(attempt.systemError, EACCES);
    }
}

TEST_F(FakePortTree, AnAddressThatIsNoParallelPortIsNeverOpened) {
    addPort("parport0", "888\n");
    // The clock, the interrupt controller, a serial port, the port's status register.
    for (std::uint16_t base : {0x70, 0x20, 0x3F8, 0x379}) {
        EXPECT_EQ(firstAttempt(base, paths).problem, PortProblem::AddressRefused) << base;
        EXPECT_EQ(DirectPort::open(base), nullptr) << base;
    }
}

TEST_F(FakePortTree, APortHeldByAnotherProgramIsLeftAloneUntilTriedAgain) {
    addPort("parport0", "888\n");
    pc::LockError lockError;
    std::optional<pc::FileLock> other = pc::FileLock::take(paths.devDir / "parport0", lockError);
    ASSERT_TRUE(other.has_value());
    SystemPorts ports(paths);
    EXPECT_EQ(ports.read(0x379), 0xFF);
    // Told who holds it, and no raw port I/O behind its back.
    const std::vector<PortAttempt> held = ports.report(0x378).attempts;
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].problem, PortProblem::HeldByOtherProgram);
    EXPECT_EQ(held[0].holder, std::optional<long>(::getpid()));
    EXPECT_TRUE(listKernelPorts(paths)[0].heldByOtherProgram);

    // Let go: tried again when the user starts again, not at the next byte.
    other.reset();
    ports.read(0x379);
    EXPECT_EQ(ports.report(0x378).attempts[0].problem, PortProblem::HeldByOtherProgram);
    ports.retryHeldPorts();
    EXPECT_EQ(ports.report(0x378).attempts[0].problem, PortProblem::CannotClaim);
}

TEST(DataRegisterEcho, FindsAPortOnlyWhereTheDataRegisterKeepsWhatIsWritten) {
    using testing::ScriptedPort;
    const std::vector<std::pair<ScriptedPort::Script, bool>> cases{
        {[](std::uint64_t, std::uint8_t data) { return data; }, true},
        {[](std::uint64_t, std::uint8_t) -> std::uint8_t { return 0xFF; }, false},  // nothing
        {[](std::uint64_t read, std::uint8_t data) { return read == 0 ? data : std::uint8_t{0}; },
         false},
    };
    for (const auto& [script, found] : cases) {
        ScriptedPort port(script);
        EXPECT_EQ(dataRegisterEchoes(port, 0x278), found);
        // The data register alone, the link's lines idle throughout and at the end.
        for (const ScriptedPort::Access& access : port.accesses) {
            EXPECT_EQ(access.address, 0x278);
            EXPECT_TRUE(!access.isWrite || (access.value & LINK_IDLE) == LINK_IDLE);
        }
        EXPECT_EQ(port.writtenValues().back(), LINK_IDLE);
    }
}

TEST_F(FakePortTree, KernelPortsAreListedWithWhatThisUserMayDoWithEach) {
    addPort("parport1", "632\t1656\n");
    addPort("parport0", "888\n");
    fs::remove(paths.devDir / "parport1");

    const std::vector<KernelPort> ports = listKernelPorts(paths);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].name, "parport0");
    EXPECT_EQ(ports[0].bases, (std::vector<std::uint16_t>{0x378}));
    EXPECT_TRUE(ports[0].deviceExists);
    EXPECT_EQ(ports[0].openError, 0);
    EXPECT_EQ(ports[0].claimError, ENOTTY);
    EXPECT_EQ(ports[1].bases, (std::vector<std::uint16_t>{0x278, 0x678}));
    EXPECT_FALSE(ports[1].deviceExists);
    EXPECT_FALSE(ports[1].claimError.has_value());

    const std::vector<PortReport> addresses = probeAddresses(paths);
    ASSERT_EQ(addresses.size(), PORT_ADDRESSES.size());
    for (const PortReport& address : addresses) {
        EXPECT_EQ(address.chosen, Backend::None) << address.base;
    }
}

}  // namespace
}  // namespace quorvane::link
