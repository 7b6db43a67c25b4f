// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/system_port.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quorvane::link {

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
            failedAttempt(Backend::Ppdev, PortProblem::NoParportSupport, 0, paths.procParport));
        return nullptr;
    }
    const std::filesystem::path device = findPpdevDevice(base, paths);
    if (device.empty()) {
        report.attempts.push_back(
            failedAttempt(Backend::Ppdev, PortProblem::NoPortAtAddress, 0, paths.procParport));
        return nullptr;
    }
    return tryBackend(report,
                      [&](PortAttempt* attempt) { return PpdevPort::open(device, attempt); });
}

// Raw port I/O never bypasses another program's claim, and never writes where no parallel
// port was found: a port the kernel lists is one; elsewhere the data register must echo.
std::unique_ptr<PortIo> openDirect(std::uint16_t base, const PortPaths& paths, PortReport& report) {
    if (!paths.allowDirectIo) {
        report.attempts.push_back(failedAttempt(Backend::DirectIo, PortProblem::DirectIoNotTried));
        return nullptr;
    }
    std::unique_ptr<PortIo> port =
        tryBackend(report, [&](PortAttempt* attempt) { return DirectPort::open(base, attempt); });
    if (port && findPpdevDevice(base, paths).empty() && !dataRegisterEchoes(*port, base)) {
        report.attempts.push_back(failedAttempt(Backend::DirectIo, PortProblem::NoPortFound));
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
        made.attempts.push_back(failedAttempt(Backend::None, PortProblem::AddressRefused));
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
