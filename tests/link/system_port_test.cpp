#include "link/system_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace quorvane::link {
namespace {

namespace fs = std::filesystem;

// A fake /proc/sys/dev/parport and /dev in a temporary folder. The device files are plain
// files, so opening works and claiming fails, as on a machine whose port belongs to another
// driver.
class FakePortTree : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "quorvane-ports-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        paths = {.procParport = root / "proc", .devDir = root / "dev", .allowDirectIo = false};
        fs::create_directories(paths.devDir);
    }
    void TearDown() override { fs::remove_all(root); }

    void addPort(const std::string& name, const std::string& baseAddr) {
        fs::create_directories(paths.procParport / name);
        std::ofstream(paths.procParport / name / "base-addr") << baseAddr;
        std::ofstream(paths.devDir / name) << "";
    }

    fs::path root;
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

}  // namespace
}  // namespace quorvane::link
