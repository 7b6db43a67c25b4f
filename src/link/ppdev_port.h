// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <utility>

#include "link/port_io.h"
#include "link/port_report.h"
#include "pc/file_lock.h"

namespace quorvane::link {

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

// Opens a port's device for the link's use; -1 with errno set when it cannot be.
int openPpdevDevice(const std::filesystem::path& device);

}  // namespace quorvane::link
