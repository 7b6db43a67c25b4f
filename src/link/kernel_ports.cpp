// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/kernel_ports.h"

#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "link/ppdev_port.h"
#include "pc/file_lock.h"

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
    names.reserve(numbers.size());
    for (unsigned number : numbers) {
        names.push_back(std::string(PARPORT_PREFIX) + std::to_string(number));
    }
    return names;
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
    const int fd = openPpdevDevice(port.device);
    port.openError = fd < 0 ? errno : 0;
    if (fd >= 0) {
        port.claimError = ::ioctl(fd, PPCLAIM) == 0 ? 0 : errno;
        if (port.claimError == 0) {
            ::ioctl(fd, PPRELEASE);
        }
        ::close(fd);
    }
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

}  // namespace quorvane::link
