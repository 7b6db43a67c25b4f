// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const quorvane::cli::Console console{std::cout, std::cerr, std::cin,
                                         ::isatty(STDIN_FILENO) == 1, ::isatty(STDERR_FILENO) == 1};
    return static_cast<int>(quorvane::cli::runCommandLine(arguments, console));
}
