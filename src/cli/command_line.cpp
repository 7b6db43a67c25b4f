// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "cli/help_texts.h"
#include "link/wire.h"

namespace quorvane::cli {

namespace {

namespace texts = help;

// The options a command may take besides the ones every command takes, as flags.
constexpr unsigned PAGE_OPTION = 1U << 0;
constexpr unsigned JSON_OPTION = 1U << 1;
constexpr unsigned TO_OPTION = 1U << 2;
constexpr unsigned FORMAT_OPTION = 1U << 3;
constexpr unsigned TARGET_OPTION = 1U << 4;

struct CommandInfo {
    Command command;
    std::string_view name;
    std::string_view help;
    unsigned options;  // the flags of the options it takes
    std::size_t minOperands;
    std::size_t maxOperands;
    std::string_view operand;  // how its help names an operand, for the usage errors
    bool needsTo;
};

constexpr std::size_t ANY = static_cast<std::size_t>(-1);

constexpr std::array<CommandInfo, 17> COMMANDS{{
    {Command::Pages, "pages", texts::PAGES_HELP, 0, 0, 0, {}, false},
    {Command::List, "list", texts::LIST_HELP, PAGE_OPTION | JSON_OPTION, 0, 0, {}, false},
    {Command::Check, "check", texts::CHECK_HELP, PAGE_OPTION | JSON_OPTION, 0, 0, {}, false},
    {Command::Save, "save", texts::SAVE_HELP, PAGE_OPTION | TO_OPTION | FORMAT_OPTION, 1, ANY,
     "NAME", true},
    {Command::SaveAll,
     "save-all",
     texts::SAVE_ALL_HELP,
     PAGE_OPTION | TO_OPTION | FORMAT_OPTION,
     0,
     0,
     {},
     true},
    {Command::Add, "add", texts::ADD_HELP, PAGE_OPTION, 1, ANY, "FILE", false},
    {Command::Delete, "delete", texts::DELETE_HELP, PAGE_OPTION, 1, ANY, "NAME", false},
    {Command::DeleteAll, "delete-all", texts::DELETE_ALL_HELP, PAGE_OPTION, 0, 0, {}, false},
    {Command::Export, "export", texts::EXPORT_HELP, PAGE_OPTION, 1, 1, "FILE", false},
    {Command::Import, "import", texts::IMPORT_HELP, PAGE_OPTION, 1, 1, "FILE", false},
    {Command::Format, "format", texts::FORMAT_HELP, PAGE_OPTION, 0, 0, {}, false},
    {Command::Backup, "backup", texts::BACKUP_HELP, TO_OPTION, 0, 0, {}, true},
    {Command::Create, "create", texts::CREATE_HELP, 0, 0, 0, {}, false},
    {Command::Copy, "copy", texts::COPY_HELP, PAGE_OPTION | TARGET_OPTION, 1, ANY, "NAME", false},
    {Command::Move, "move", texts::MOVE_HELP, PAGE_OPTION | TARGET_OPTION, 1, ANY, "NAME", false},
    {Command::NewImage, "new-image", texts::NEW_IMAGE_HELP, 0, 1, 1, "FILE", false},
    {Command::Help, "help", texts::HELP_HELP, 0, 0, 1, "COMMAND", false},
}};

const CommandInfo* findCommand(std::string_view name) {
    for (const CommandInfo& info : COMMANDS) {
        if (info.name == name) {
            return &info;
        }
    }
    return nullptr;
}

const CommandInfo& infoOf(Command command) {
    for (const CommandInfo& info : COMMANDS) {
        if (info.command == command) {
            return info;
        }
    }
    return COMMANDS.back();
}

enum class Option {
    Port,
    VirtualCard,
    Image,
    Yes,
    Help,
    Version,
    Page,
    Json,
    To,
    Format,
    ToPage,
    ToImage
};

struct OptionInfo {
    Option option;
    std::string_view name;
    bool takesValue;
    unsigned commandOption;  // its flag, 0 for one that every command takes
};

constexpr std::array<OptionInfo, 12> OPTIONS{{
    {Option::Port, "--port", true, 0},
    {Option::VirtualCard, "--virtual-card", true, 0},
    {Option::Image, "--image", true, 0},
    {Option::Yes, "--yes", false, 0},
    {Option::Help, "--help", false, 0},
    {Option::Version, "--version", false, 0},
    {Option::Page, "--page", true, PAGE_OPTION},
    {Option::Json, "--json", false, JSON_OPTION},
    {Option::To, "--to", true, TO_OPTION},
    {Option::Format, "--format", true, FORMAT_OPTION},
    {Option::ToPage, "--to-page", true, TARGET_OPTION},
    {Option::ToImage, "--to-image", true, TARGET_OPTION},
}};

const OptionInfo* findOption(std::string_view name) {
    for (const OptionInfo& info : OPTIONS) {
        if (info.name == name) {
            return &info;
        }
    }
    return nullptr;
}

// Digits only, in the given base, no sign, no spaces.
std::optional<unsigned long> parseNumber(std::string_view text, int base) {
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// 0x378 or 888; the status register sits at the address after it.
std::optional<unsigned long> parseAddress(std::string_view text) {
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    return hex ? parseNumber(text.substr(2), 16) : parseNumber(text, 10);
}

// The base of the port that `device` names, where the kernel lists it.
std::optional<std::uint16_t> deviceBase(std::string_view device, const link::PortPaths& ports) {
    for (const link::KernelPort& port : link::readKernelPorts(ports)) {
        if (port.device == std::filesystem::path(device) && !port.bases.empty()) {
            return port.bases.front();
        }
    }
    return std::nullopt;
}

// Only a parallel port's address is taken: another I/O address may be the clock's or the
// interrupt controller's.
std::optional<std::uint16_t> knownPort(std::string_view text, const link::PortPaths& ports) {
    const auto address = parseAddress(text);
    if (!address) {
        return deviceBase(text, ports);
    }
    if (!link::isKnownPort(*address, ports)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*address);
}

std::optional<int> parsePage(std::string_view text) {
    const auto value = parseNumber(text, 10);
    if (!value || *value < 1 || *value > static_cast<unsigned long>(link::MAX_PAGES)) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

class Parser {
public:
    explicit Parser(const link::PortPaths& ports) : m_ports(ports) {}
    ParsedCommandLine parse(std::span<const std::string> arguments);

private:
    // Each returns false when it has set the usage error.
    bool takeOption(const OptionInfo& option, std::string_view value);
    bool takeOperand(const std::string& argument);
    bool check();
    // copy and move: one other card, not the page the files are on.
    bool checkTarget();
    bool fail(std::string error) {
        m_result.usageError = std::move(error);
        return false;
    }

    bool takePort(std::string_view value);

    const link::PortPaths& m_ports;
    ParsedCommandLine m_result;
    Invocation& m_invocation = m_result.invocation;
    const CommandInfo* m_command = nullptr;
    unsigned m_commandOptions = 0;  // the flags of the command options given
    std::vector<Option> m_given;
};

ParsedCommandLine Parser::parse(std::span<const std::string> arguments) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with("-") || argument == "-") {
            if (!takeOperand(argument)) {
                return m_result;
            }
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = std::string_view(argument).substr(0, equals);
        const OptionInfo* option = findOption(name);
        if (option == nullptr) {
            fail(texts::unknownOption(name));
            return m_result;
        }
        std::string_view value;
        if (option->takesValue) {
            if (equals != std::string::npos) {
                value = std::string_view(argument).substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                fail(texts::missingValue(name));
                return m_result;
            }
        } else if (equals != std::string::npos) {
            fail(texts::unknownOption(argument));
            return m_result;
        }
        if (!takeOption(*option, value)) {
            return m_result;
        }
    }
    check();
    return m_result;
}

bool Parser::takeOperand(const std::string& argument) {
    if (m_command != nullptr) {
        m_invocation.operands.push_back(argument);
        return true;
    }
    m_command = findCommand(argument);
    if (m_command == nullptr) {
        return fail(texts::unknownCommand(argument));
    }
    m_invocation.command = m_command->command;
    return true;
}

bool Parser::takeOption(const OptionInfo& option, std::string_view value) {
    const bool repeated = std::find(m_given.begin(), m_given.end(), option.option) != m_given.end();
    if (repeated && option.takesValue) {
        return fail(texts::optionGivenTwice(option.name));
    }
    m_given.push_back(option.option);
    m_commandOptions |= option.commandOption;
    switch (option.option) {
        case Option::Port:
            return takePort(value);
        case Option::VirtualCard:
            m_invocation.virtualCard = std::filesystem::path(value);
            return true;
        case Option::Image:
            m_invocation.image = std::filesystem::path(value);
            return true;
        case Option::Yes:
            m_invocation.yes = true;
            return true;
        case Option::Help:
            m_invocation.help = true;
            return true;
        case Option::Version:
            m_invocation.version = true;
            return true;
        case Option::Page: {
            const auto page = parsePage(value);
            if (!page) {
                return fail(texts::badPage(value));
            }
            m_invocation.page = *page;
            return true;
        }
        case Option::Json:
            m_invocation.json = true;
            return true;
        case Option::To:
            m_invocation.to = std::filesystem::path(value);
            return true;
        case Option::Format:
            if (value == "ddc") {
                m_invocation.format = SaveFormat::Ddc;
            } else if (value == "vms") {
                m_invocation.format = SaveFormat::Vms;
            } else {
                return fail(texts::badFormat(value));
            }
            return true;
        case Option::ToPage: {
            const auto page = parsePage(value);
            if (!page) {
                return fail(texts::badPage(value));
            }
            m_invocation.toPage = *page;
            return true;
        }
        case Option::ToImage:
            m_invocation.toImage = std::filesystem::path(value);
            return true;
    }
    return true;
}

bool Parser::takePort(std::string_view value) {
    const bool looksLikeAPort = parseAddress(value) || value.starts_with("/");
    if (!looksLikeAPort) {
        return fail(texts::badPort(value));
    }
    const auto port = knownPort(value, m_ports);
    if (!port) {
        return fail(texts::unusablePort(value, link::readKernelPorts(m_ports)));
    }
    m_invocation.port = *port;
    return true;
}

bool Parser::check() {
    if (m_command != nullptr && m_command->command == Command::Help &&
        !m_invocation.operands.empty()) {
        const CommandInfo* topic = findCommand(m_invocation.operands.front());
        if (topic == nullptr) {
            return fail(texts::unknownCommand(m_invocation.operands.front()));
        }
        m_invocation.helpTopic = topic->command;
    }
    // Help and the version need nothing else to be right.
    if (m_invocation.help || m_invocation.version) {
        return true;
    }
    if (m_command == nullptr) {
        return fail(std::string(texts::NO_COMMAND));
    }
    if (m_invocation.image && m_invocation.virtualCard) {
        return fail(std::string(texts::ONE_CARD_ONLY));
    }
    for (const OptionInfo& option : OPTIONS) {
        const bool given = (m_commandOptions & option.commandOption) != 0;
        if (given && (m_command->options & option.commandOption) == 0) {
            return fail(texts::optionNotTaken(m_command->name, option.name));
        }
    }
    const std::vector<std::string>& operands = m_invocation.operands;
    if (operands.size() < m_command->minOperands) {
        return fail(texts::missingOperand(m_command->name, m_command->operand));
    }
    if (m_command->maxOperands != ANY && operands.size() > m_command->maxOperands) {
        return fail(texts::extraOperand(m_command->name, operands[m_command->maxOperands]));
    }
    if (m_command->needsTo && !m_invocation.to) {
        return fail(texts::needsTo(m_command->name));
    }
    if (m_command->command == Command::Create && !m_invocation.virtualCard) {
        return fail(std::string(texts::CREATE_NEEDS_FOLDER));
    }
    return checkTarget();
}

bool Parser::checkTarget() {
    if ((m_command->options & TARGET_OPTION) == 0) {
        return true;
    }
    if (m_invocation.toPage.has_value() == m_invocation.toImage.has_value()) {
        return fail(texts::needsTarget(m_command->name));
    }
    // A copy onto its own page would replace each file with itself; a move would lose it.
    if (m_invocation.toPage == m_invocation.page) {
        return fail(texts::sameTargetPage(m_command->name, m_invocation.page));
    }
    return true;
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string> arguments,
                                   const link::PortPaths& ports) {
    return Parser(ports).parse(arguments);
}

std::string_view commandName(Command command) {
    return infoOf(command).name;
}

std::string_view commandHelp(Command command) {
    return infoOf(command).help;
}

}  // namespace quorvane::cli
