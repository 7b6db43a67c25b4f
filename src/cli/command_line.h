// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/system_port.h"

// The command line of quorvane-cli: where the card is, the command, its options and operands.
namespace quorvane::cli {

enum class Command {
    Pages,
    List,
    Check,
    Save,
    SaveAll,
    Add,
    Delete,
    DeleteAll,
    Export,
    Import,
    Backup,
    Help,
    Create,
    Copy,
    Move,
    Format,
    NewImage,
};

enum class SaveFormat { Ddc, Vms };

struct Invocation {
    bool help = false;     // --help: the program's help, or the command's
    bool version = false;  // --version
    std::optional<Command> command;
    std::optional<Command> helpTopic;  // the COMMAND of "help COMMAND"

    // Where the card is.
    std::uint16_t port = 0;  // 0: the organiser's own default; else one link::isKnownPort takes
    std::optional<std::filesystem::path> virtualCard;
    std::optional<std::filesystem::path> image;

    bool yes = false;
    int page = 1;  // counted from 1
    bool json = false;
    std::optional<std::filesystem::path> to;
    SaveFormat format = SaveFormat::Ddc;
    // The other card of copy and move: another page of this card, or a card image.
    std::optional<int> toPage;
    std::optional<std::filesystem::path> toImage;
    std::vector<std::string> operands;  // NAME... or FILE...
};

// A command line that can be used, or why not (in the user's words).
struct ParsedCommandLine {
    Invocation invocation;
    std::string usageError;  // empty: the invocation can be used
};

// `arguments` without the program's name; --port is checked against the kernel's ports as
// `ports` finds them.
ParsedCommandLine parseCommandLine(std::span<const std::string> arguments,
                                   const link::PortPaths& ports = {});

// The command's name, and its help text.
std::string_view commandName(Command command);
std::string_view commandHelp(Command command);

}  // namespace quorvane::cli
