// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// What the program learns of each way to a port: the backend tried and why it could not be
// used, so the user can be told.
namespace quorvane::link {

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

// A failed attempt of `backend`, for the backends' own reports.
PortAttempt failedAttempt(Backend backend, PortProblem problem, int systemError = 0,
                          std::filesystem::path path = {});

}  // namespace quorvane::link
