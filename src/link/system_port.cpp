#include "link/system_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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

// base-addr holds the port's addresses in decimal ("888\t1912"). The first must be `base`
// itself, not merely start with its digits.
bool baseAddrMatches(const std::filesystem::path& file, std::uint16_t base) {
    std::ifstream in(file);
    std::string text;
    if (!in || !std::getline(in, text)) {
        return false;
    }
    const std::string wanted = std::to_string(base);
    if (text.compare(0, wanted.size(), wanted) != 0) {
        return false;
    }
    return text.size() == wanted.size() ||
           std::isdigit(static_cast<unsigned char>(text[wanted.size()])) == 0;
}

}  // namespace

std::filesystem::path findPpdevDevice(std::uint16_t base, const PortPaths& paths) {
    // Error codes throughout: a missing or unreadable tree means no ppdev port, not a throw.
    std::error_code error;
    std::vector<unsigned> numbers;
    for (std::filesystem::directory_iterator it(paths.procParport, error), end; !error && it != end;
         it.increment(error)) {
        if (auto number = parportNumber(it->path().filename().string())) {
            numbers.push_back(*number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    for (unsigned number : numbers) {
        const std::string name = std::string(PARPORT_PREFIX) + std::to_string(number);
        if (baseAddrMatches(paths.procParport / name / "base-addr", base)) {
            return paths.devDir / name;
        }
    }
    return {};
}

std::unique_ptr<PpdevPort> PpdevPort::open(const std::filesystem::path& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return nullptr;
    }
    if (::ioctl(fd, PPCLAIM) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd));
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

std::unique_ptr<DirectPort> DirectPort::open([[maybe_unused]] std::uint16_t base) {
#if QUORVANE_HAS_PORT_IO
    if (::ioperm(base, 2, 1) == 0) {
        return std::unique_ptr<DirectPort>(new DirectPort());
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

std::unique_ptr<PortIo> openPort(std::uint16_t base, const PortPaths& paths) {
    const std::filesystem::path device = findPpdevDevice(base, paths);
    if (!device.empty()) {
        if (auto port = PpdevPort::open(device)) {
            return port;
        }
    }
    if (paths.allowDirectIo) {
        if (auto port = DirectPort::open(base)) {
            return port;
        }
    }
    return std::make_unique<NoPort>();
}

// The data register is the port's base; the status register one above it.
void SystemPorts::write(std::uint16_t address, std::uint8_t value) {
    backendFor(address).write(address, value);
}

std::uint8_t SystemPorts::read(std::uint16_t address) {
    return backendFor(static_cast<std::uint16_t>(address - 1)).read(address);
}

PortIo& SystemPorts::backendFor(std::uint16_t base) {
    auto& backend = m_backends[base];
    if (!backend) {
        backend = openPort(base, m_paths);
    }
    return *backend;
}

}  // namespace quorvane::link
