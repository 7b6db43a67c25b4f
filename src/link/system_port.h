#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/port_io.h"
#include "link/wire.h"
#include "pc/file_lock.h"

// Real port access on Linux, chosen per port address: ppdev, then raw port I/O, else no port.
// Every choice records why the backends before it could not be used, so the user can be told.
// Only the six addresses of the port buttons and the ports the kernel lists are ever opened:
// another I/O address may be the clock or the interrupt controller.
namespace quorvane::link {

// The six addresses a user can choose, as the single-pane window orders its buttons.
inline constexpr std::array<std::uint16_t, 6> PORT_ADDRESSES{0x268, 0x26C, 0x278,
                                                             0x27C, 0x378, 0x3BC};

// Whether `base` is one of PORT_ADDRESSES.
bool isPortAddress(std::uint32_t base);

// Every status read gives what an open port shows: the adapter looks absent.
class NoPort final : public PortIo {
public:
    void write(std::uint16_t, std::uint8_t) override {}
    std::uint8_t read(std::uint16_t) override { return OPEN_PORT_STATUS; }
};

// Where to look for parallel ports; tests point these at a fake tree.
struct PortPaths {
    std::filesystem::path procParport = "/proc/sys/dev/parport";
    std::filesystem::path devDir = "/dev";
    // Raw port I/O is tried only where allowed; tests turn it off so that no real port is
    // touched on a machine that permits it.
    bool allowDirectIo = true;
};

enum class Backend { Ppdev, DirectIo, None };

// Why a backend could not be used for an address.
enum class PortProblem {
    None,
    NoParportSupport,     // no /proc/sys/dev/parport: the kernel's parport modules are not loaded
    NoPortAtAddress,      // the kernel knows no parallel port at this address
    DeviceMissing,        // the port's /dev/parportN is not there (ppdev not loaded)
    CannotOpenDevice,     // opening the device failed (EACCES: not allowed to use it)
    CannotClaim,          // claiming it failed (EBUSY: another driver, such as lp, holds it)
    DirectIoRefused,      // raw port I/O was refused (only root may use it)
    DirectIoUnsupported,  // this machine has no raw port I/O
    DirectIoNotTried,     // raw port I/O is switched off (tests)
    AddressRefused,       // neither one of PORT_ADDRESSES nor a port the kernel lists
    HeldByOtherProgram,   // another program holds the device's lock: it has the card
    NoPortFound,          // raw port I/O found no parallel port at the address
};

struct PortAttempt {
    Backend backend = Backend::None;
    PortProblem problem = PortProblem::None;
    std::filesystem::path path;  // the file concerned: the /proc tree or the device
    int systemError = 0;         // errno of the failing call, where there was one
    std::optional<long> holder;  // HeldByOtherProgram: its process id, where the kernel tells
};

// How the program reaches one address: the backend chosen and every backend tried before it.
struct PortReport {
    std::uint16_t base = 0;
    Backend chosen = Backend::None;
    std::vector<PortAttempt> attempts;  // the failed ones, in the order they were tried
};

// A port the kernel lists under /proc/sys/dev/parport, and what this user may do with it.
struct KernelPort {
    std::string name;                  // parportN
    std::vector<std::uint16_t> bases;  // from base-addr; the first is the data register
    std::filesystem::path device;      // /dev/parportN
    bool deviceExists = false;
    int openError = 0;                // errno of opening the device for writing, 0 = opened
    std::optional<int> claimError;    // errno of claiming it, 0 = claimed; none = not tried
    bool heldByOtherProgram = false;  // its lock is held: neither opened nor claimed
    std::optional<long> holder;       // the holder's process id, where the kernel tells
};
// The kernel's ports, each device opened and claimed to see whether this user may.
std::vector<KernelPort> listKernelPorts(const PortPaths& paths = {});
// The kernel's ports by name, addresses and device only, without touching a device.
std::vector<KernelPort> readKernelPorts(const PortPaths& paths = {});

// How each of the six addresses would be reached now (each backend opened, then let go).
std::vector<PortReport> probeAddresses(const PortPaths& paths = {});

// A port reached through the kernel's ppdev driver, claimed for the backend's lifetime.
// The device's lock is taken before the claim, which would wait for as long as another
// program holds the port; the lock is kept with the claim.
class PpdevPort final : public PortIo {
public:
    // Null when the device cannot be locked, opened or claimed; `attempt` then says why.
    static std::unique_ptr<PpdevPort> open(const std::filesystem::path& device,
                                           PortAttempt* attempt = nullptr);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void write(std::uint16_t address, std::uint8_t value) override;  // PPWDATA
    std::uint8_t read(std::uint16_t address) override;               // PPRSTATUS

private:
    PpdevPort(int fd, pc::FileLock lock) : m_fd(fd), m_lock(std::move(lock)) {}
    int m_fd;
    pc::FileLock m_lock;
};

// Raw inb/outb after ioperm (root, x86 only), at PORT_ADDRESSES alone.
class DirectPort final : public PortIo {
public:
    // Null when `base` is not one of PORT_ADDRESSES or the process may not reach its two
    // registers; `attempt` says why.
    static std::unique_ptr<DirectPort> open(std::uint16_t base, PortAttempt* attempt = nullptr);

    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

private:
    DirectPort() = default;
};

// Whether a parallel port answers at `base` through `port`: its data register keeps what is
// written to it, where an empty address reads 0xFF. Only the data register is written, the
// clock and value lines held at their idle level, and it is left idle.
bool dataRegisterEchoes(PortIo& port, std::uint16_t base);

// The /dev/parportN whose base-addr begins with `base` in decimal, if any.
std::filesystem::path findPpdevDevice(std::uint16_t base, const PortPaths& paths = {});

// Whether `base` may be opened at all: one of PORT_ADDRESSES or a port the kernel lists.
bool isKnownPort(std::uint32_t base, const PortPaths& paths = {});

// Opens the best backend for `base` (the data register's address): PpdevPort, DirectPort or
// NoPort. A failure to open or claim falls through to the next choice, except where another
// program holds the port; raw port I/O is used only at PORT_ADDRESSES after a parallel port
// was found there. Any other address than isKnownPort's is refused. `report` says which
// backend was chosen and why the others were not.
std::unique_ptr<PortIo> openPort(std::uint16_t base, const PortPaths& paths = {},
                                 PortReport* report = nullptr);

// A PortIo for the whole machine: each access goes to the backend of its port, opened on
// first use (the data register at base, the status register at base + 1).
class SystemPorts final : public PortIo {
public:
    explicit SystemPorts(PortPaths paths = {}) : m_paths(std::move(paths)) {}
    void write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t read(std::uint16_t address) override;

    // How `base` is reached (opening its backend if it was not yet).
    const PortReport& report(std::uint16_t base);

    // Lets the next access try again each port that another program held, rather than every
    // access: called when the user starts a new transfer.
    void retryHeldPorts();

private:
    struct Opened {
        std::unique_ptr<PortIo> port;
        PortReport report;
    };
    Opened& backendFor(std::uint16_t base);
    PortPaths m_paths;
    std::map<std::uint16_t, Opened> m_backends;
};

}  // namespace quorvane::link
