// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>

#include "cli/command_line.h"
#include "cli/text_screen.h"

// quorvane-cli's commands on the organiser, behind a text screen.
namespace quorvane::cli {

// The program's exit status.
enum class ExitStatus {
    Done = 0,
    Failed = 1,    // the operation failed or was refused
    BadUsage = 2,  // the command line cannot be used (or asks for what is not there yet)
};

// Runs a parsed command line.
ExitStatus runInvocation(const Invocation& invocation, const Console& console);
// Reads the command line (without the program's name) and runs it.
ExitStatus runCommandLine(std::span<const std::string> arguments, const Console& console);

}  // namespace quorvane::cli
