// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/help_texts.h"

#include "app/texts.h"
#include "app/version.h"
#include "link/system_port.h"

namespace quorvane::cli::help {

using app::text::hexAddress;
using app::text::pathText;
using app::text::quoted;

std::string versionLine() {
    return std::string(PROGRAM) + " " + std::string(app::VERSION) + "\n" +
           std::string(app::text::LICENCE_NOTICE);
}

std::string unknownCommand(std::string_view command) {
    return "unknown command " + quoted(command);
}

std::string unknownOption(std::string_view option) {
    return "unknown option " + quoted(option);
}

std::string optionNotTaken(std::string_view command, std::string_view option) {
    return std::string(command) + " takes no option " + std::string(option);
}

std::string optionGivenTwice(std::string_view option) {
    return std::string(option) + " is given twice";
}

std::string missingValue(std::string_view option) {
    return std::string(option) + " needs a value";
}

std::string badPage(std::string_view value) {
    return "--page takes a page number from 1 to " + std::to_string(link::MAX_PAGES) + ", not " +
           quoted(value);
}

std::string badPort(std::string_view value) {
    return "--port takes a port address such as 0x378 or 888, not " + quoted(value);
}

std::string unusablePort(std::string_view value, const std::vector<link::KernelPort>& kernelPorts) {
    std::string text = "--port takes ";
    for (std::size_t i = 0; i < link::PORT_ADDRESSES.size(); ++i) {
        const bool last = i + 1 == link::PORT_ADDRESSES.size();
        text += (i == 0 ? "" : last ? " or " : ", ") + hexAddress(link::PORT_ADDRESSES[i]);
    }
    text += ", or a parallel port the kernel lists (";
    std::string listed;
    for (const link::KernelPort& port : kernelPorts) {
        if (!port.bases.empty()) {
            listed += (listed.empty() ? "" : ", ") + hexAddress(port.bases.front()) + " or " +
                      pathText(port.device);
        }
    }
    return text + (listed.empty() ? "none now" : listed) + "), not " + quoted(value);
}

std::string badFormat(std::string_view value) {
    return "--format takes ddc or vms, not " + quoted(value);
}

std::string missingOperand(std::string_view command, std::string_view operand) {
    return std::string(command) + " needs " + std::string(operand);
}

std::string extraOperand(std::string_view command, std::string_view operand) {
    return std::string(command) + " takes no further argument " + quoted(operand);
}

std::string needsTo(std::string_view command) {
    return std::string(command) + " needs --to DIR";
}

std::string needsTarget(std::string_view command) {
    return std::string(command) + " needs --to-page N or --to-image FILE (one of them)";
}

std::string sameTargetPage(std::string_view command, int page) {
    return std::string(command) + ": the files are on page " + std::to_string(page) +
           " already; name another page with --to-page";
}

}  // namespace quorvane::cli::help
