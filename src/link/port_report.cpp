// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_report.h"

#include <utility>

namespace quorvane::link {

PortAttempt failedAttempt(Backend backend, PortProblem problem, int systemError,
                          std::filesystem::path path) {
    return PortAttempt{backend, problem, std::move(path), systemError, std::nullopt};
}

}  // namespace quorvane::link
