#include "link/system_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define QUORVANE_HAS_PORT_IO 1
#else
#define QUORVANE_HAS_PORT_IO 0
#endif

namespace quorvane::link {

namespace {

constexpr std::string_view PARPORT_PREFIX = "parport";

// N of a "parportN" directory name, if it is one.
std::optional<unsigned> parportNumber(const std::string& name) {
    if (name.size() <= PARPORT_PREFIX.size() ||
        name.compare(0, PARPORT_PREFIX.size(), PARPORT_PREFIX) != 0) {
        return std::nullopt;
    }
    unsigned number = 0;
    for (std::size_t i = PARPORT_PREFIX.size(); i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (std::isdigit(c) == 0 || number > 1000) {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

// base-addr holds the port's addresses in decimal ("888\t1912"); none when it cannot be read.
std::vector<std::uint16_t> readBaseAddresses(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::uint16_t> bases;
    unsigned long value = 0;
    while (in >> value && value <= 0xFFFF) {
        bases.push_back(static_cast<std::uint16_t>(value));
    }
    return bases;
}

// The kernel's parportN entries, in number order.
std::vector<std::string> parportNames(const std::filesystem::path& procParport) {
    // Error codes throughout: a missing or unreadable tree means no ppdev port, not a throw.
    std::error_code error;
    std::vector<unsigned> numbers;
    for (std::filesystem::directory_iterator it(procParport, error), end; !error && it != end;
         it.increment(error)) {
        if (auto number = parportNumber(it->path().filename().string())) {
            numbers.push_back(*number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::string> names;
    for (unsigned number : numbers) {
        names.push_back(std::string(PARPORT_PREFIX) + std::to_string(number));
    }
    return names;
}

PortAttempt failed(Backend backend, PortProblem problem, int systemError = 0,
                   std::filesystem::path path = {}) {
    return PortAttempt{backend, problem, std::move(path), systemError, std::nullopt};
}

// Opens the device for the link's use; -1 with errno set when it cannot be.
int openDevice(const std::filesystem::path& device) {
    return ::open(device.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
}

// Whether this user may open and claim the port, without waiting on another program's
// claim: a port whose lock is held is neither opened nor claimed.
void checkDevice(KernelPort& port) {
    pc::LockError lockError;
    const std::optional<pc::FileLock> lock = pc::FileLock::take(port.device, lockError);
    if (lockError.problem == pc::LockProblem::HeldElsewhere) {
        port.heldByOtherProgram = true;
        port.holder = lockError.holder;
        return;
    }
    const int fd = openDevice(port.device);
    port.openError = fd < 0 ? errno : 0;
    if (fd >= 0) {
        port.claimError = ::ioctl(fd, PPCLAIM) == 0 ? 0 : errno;
        if (port.claimError == 0) {
            ::ioctl(fd, PPRELEASE);
        }
        ::close(fd);
    }
}

PortProblem openProblem(int systemError) {
    return systemError == ENOENT ? PortProblem::DeviceMissing : PortProblem::CannotOpenDevice;
}

}  // namespace

bool isPortAddress(std::uint32_t base) {
    return std::find(PORT_ADDRESSES.begin(), PORT_ADDRESSES.end(), base) != PORT_ADDRESSES.end();
}

std::vector<KernelPort> readKernelPorts(const PortPaths& paths) {
    std::vector<KernelPort> ports;
    for (const std::string& name : parportNames(paths.procParport)) {
        KernelPort port;
        port.name = name;
        port.bases = readBaseAddresses(paths.procParport / name / "base-addr");
        port.device = paths.devDir / name;
        ports.push_back(std::move(port));
    }
    return ports;
}

std::filesystem::path findPpdevDevice(std::uint16_t base, const PortPaths& paths) {
    for (const KernelPort& port : readKernelPorts(paths)) {
        if (!port.bases.empty() && port.bases.front() == base) {
            return port.device;
        }
    }
    return {};
}

bool isKnownPort(std::uint32_t base, const PortPaths& paths) {
    return isPortAddress(base) ||
           (base <= 0xFFFF && !findPpdevDevice(static_cast<std::uint16_t>(base), paths).empty());
}

std::vector<KernelPort> listKernelPorts(const PortPaths& paths) {
    std::vector<KernelPort> ports = readKernelPorts(paths);
    for (KernelPort& port : ports) {
        std::error_code error;
        port.deviceExists = std::filesystem::exists(port.device, error);
        if (port.deviceExists) {
            checkDevice(port);
        }
    }
    return ports;
}

std::unique_ptr<PpdevPort> PpdevPort::open(const std::filesystem::path& device,
                                           PortAttempt* attempt) {
    const auto fail = [&](PortProblem problem, int systemError,
                          std::optional<long> holder = {}) -> std::unique_ptr<PpdevPort> {
        if (attempt != nullptr) {
            *attempt = failed(Backend::Ppdev, problem, systemError, device);
            attempt->holder = holder;
        }
        return nullptr;
    };
    pc::LockError lockError;
    std::optional<pc::FileLock> lock = pc::FileLock::take(device, lockError);
    if (!lock) {
        return lockError.problem == pc::LockProblem::HeldElsewhere
                   ? fail(PortProblem::HeldByOtherProgram, lockError.systemError, lockError.holder)
                   : fail(openProblem(lockError.systemError), lockError.systemError);
    }
    const int fd = openDevice(device);
    if (fd < 0) {
        const int openError = errno;
        return fail(openProblem(openError), openError);
    }
    if (::ioctl(fd, PPCLAIM) != 0) {
        const int claimError = errno;
        ::close(fd);
        return fail(PortProblem::CannotClaim, claimError);
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd, std::move(*lock)));
}

PpdevPort::~PpdevPort() {
    ::ioctl(m_fd, PPRELEASE);
    ::close(m_fd);
}

void PpdevPort::write(std::uint16_t, std::uint8_t value) {
    unsigned char byte = value;
    ::ioctl(m_fd, PPWDATA, &byte);
}

// A failed status read gives what an open port shows, so the adapter looks absent.
std::uint8_t PpdevPort::read(std::uint16_t) {
    unsigned char status = OPEN_PORT_STATUS;
    if (::ioctl(m_fd, PPRSTATUS, &status) != 0) {
        return OPEN_PORT_STATUS;
    }
    return status;
}

std::unique_ptr<DirectPort> DirectPort::open([[maybe_unused]] std::uint16_t base,
                                             PortAttempt* attempt) {
    if (!isPortAddress(base)) {
        if (attempt != nullptr) {
            *attempt = failed(Backend::DirectIo, PortProblem::AddressRefused);
        }
        return nullptr;
    }
#if QUORVANE_HAS_PORT_IO
    if (::ioperm(base, 2, 1) == 0) {
        return std::unique_ptr<DirectPort>(new DirectPort());
    }
    if (attempt != nullptr) {
        // A kernel built without port I/O answers ENOSYS even to root.
        *attempt = failed(
            Backend::DirectIo,
            errno == ENOSYS ? PortProblem::DirectIoUnsupported : PortProblem::DirectIoRefused,
            errno);
    }
#else
    if (attempt != nullptr) {
        *attempt = failed(Backend::DirectIo, PortProblem::DirectIoUnsupported);
    }
#endif
    return nullptr;
}

void DirectPort::write([[maybe_unused]] std::uint16_t address,
                       [[maybe_unused]] std::uint8_t value) {
#if QUORVANE_HAS_PORT_IO
    ::outb(value, address);
#endif
}

std::uint8_t DirectPort::read([[maybe_unused]] std::uint16_t address) {
#if QUORVANE_HAS_PORT_IO
    return ::inb(address);
#else
    return OPEN_PORT_STATUS;
#endif
}

bool dataRegisterEchoes(PortIo& port, std::uint16_t base) {
    // Alternate bits above the two link lines, which stay idle so the adapter sees no clock.
    static constexpr std::array<std::uint8_t, 2> PATTERNS{0x54 | LINK_IDLE, 0xA8 | LINK_IDLE};
    bool echoed = true;
    for (std::uint8_t pattern : PATTERNS) {
        port.write(base, pattern);
        echoed = echoed && port.read(base) == pattern;
    }
    port.write(base, LINK_IDLE);
    return echoed;
}

namespace {

// Opens one backend; a failure is added to the report.
template <typename Open>
std::unique_ptr<PortIo> tryBackend(PortReport& report, Open open) {
    PortAttempt attempt;
    std::unique_ptr<PortIo> port = open(&attempt);
    if (!port) {
        report.attempts.push_back(attempt);
    }
    return port;
}

std::unique_ptr<PortIo> openPpdev(std::uint16_t base, const PortPaths& paths, PortReport& report) {
    std::error_code error;
    if (!std::filesystem::is_directory(paths.procParport, error)) {
        report.attempts.push_back(
            failed(Backend::Ppdev, PortProblem::NoParportSupport, 0, paths.procParport));
        return nullptr;
    }
    const std::filesystem::path device = findPpdevDevice(base, paths);
    if (device.empty()) {
        report.attempts.push_back(
            failed(Backend::Ppdev, PortProblem::NoPortAtAddress, 0, paths.procParport));
        return nullptr;
    }
    return tryBackend(report,
                      [&](PortAttempt* attempt) { return PpdevPort::open(device, attempt); });
}

// Raw port I/O never bypasses another program's claim, and never writes where no parallel
// port was found: a port the kernel lists is one; elsewhere the data register must echo.
std::unique_ptr<PortIo> openDirect(std::uint16_t base, const PortPaths& paths, PortReport& report) {
    if (!paths.allowDirectIo) {
        report.attempts.push_back(failed(Backend::DirectIo, PortProblem::DirectIoNotTried));
        return nullptr;
    }
    std::unique_ptr<PortIo> port =
        tryBackend(report, [&](PortAttempt* attempt) { return DirectPort::open(base, attempt); });
    if (port && findPpdevDevice(base, paths).empty() && !dataRegisterEchoes(*port, base)) {
        report.attempts.push_back(failed(Backend::DirectIo, PortProblem::NoPortFound));
        return nullptr;
    }
    return port;
}

bool heldByOtherProgram(const PortReport& report) {
    return std::any_of(report.attempts.begin(), report.attempts.end(), [](const PortAttempt& a) {
        return a.problem == PortProblem::HeldByOtherProgram;
    });
}

}  // namespace

std::unique_ptr<PortIo> openPort(std::uint16_t base, const PortPaths& paths, PortReport* report) {
    PortReport made;
    made.base = base;
    std::unique_ptr<PortIo> port;
    if (!isKnownPort(base, paths)) {
        made.attempts.push_back(failed(Backend::None, PortProblem::AddressRefused));
    } else {
        port = openPpdev(base, paths, made);
        made.chosen = Backend::Ppdev;
        if (!port && isPortAddress(base) && !heldByOtherProgram(made)) {
            port = openDirect(base, paths, made);
            made.chosen = Backend::DirectIo;
        }
    }
    if (!port) {
        port = std::make_unique<NoPort>();
        made.chosen = Backend::None;
    }
    if (report != nullptr) {
        *report = std::move(made);
    }
    return port;
}

std::vector<PortReport> probeAddresses(const PortPaths& paths) {
    std::vector<PortReport> reports;
    for (std::uint16_t base : PORT_ADDRESSES) {
        PortReport report;
        openPort(base, paths, &report);
        reports.push_back(std::move(report));
    }
    return reports;
}

// The data register is the port's base; the status register one above it.
void SystemPorts::write(std::uint16_t address, std::uint8_t value) {
    backendFor(address).port->write(address, value);
}

std::uint8_t SystemPorts::read(std::uint16_t address) {
    return backendFor(static_cast<std::uint16_t>(address - 1)).port->read(address);
}

const PortReport& SystemPorts::report(std::uint16_t base) {
    return backendFor(base).report;
}

void SystemPorts::retryHeldPorts() {
    std::erase_if(m_backends,
                  [](const auto& entry) { return heldByOtherProgram(entry.second.report); });
}

SystemPorts::Opened& SystemPorts::backendFor(std::uint16_t base) {
    Opened& opened = m_backends[base];
    if (!opened.port) {
        opened.port = openPort(base, m_paths, &opened.report);
    }
    return opened;
}

}  // namespace quorvane::link
