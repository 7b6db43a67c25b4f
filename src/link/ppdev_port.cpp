// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "link/wire.h"

namespace quorvane::link {

namespace {

PortProblem openProblem(int systemError) {
    return systemError == ENOENT ? PortProblem::DeviceMissing : PortProblem::CannotOpenDevice;
}

}  // namespace

int openPpdevDevice(const std::filesystem::path& device) {
    return ::open(device.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
}

std::unique_ptr<PpdevPort> PpdevPort::open(const std::filesystem::path& device,
                                           PortAttempt* attempt) {
    const auto fail = [&](PortProblem problem, int systemError,
                          std::optional<long> holder = {}) -> std::unique_ptr<PpdevPort> {
        if (attempt != nullptr) {
            *attempt = failedAttempt(Backend::Ppdev, problem, systemError, device);
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
    const int fd = openPpdevDevice(device);
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

}  // namespace quorvane::link
