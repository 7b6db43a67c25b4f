// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane::link {
struct KernelPort;
}  // namespace quorvane::link

// quorvane-cli's own words: its help, its usage and what cannot be used on its command line.
// The words of its commands, which it shares with the window, are in app/texts.h.
namespace quorvane::cli::help {

inline constexpr std::string_view PROGRAM = "quorvane-cli";
std::string versionLine();  // "quorvane-cli 1.21", then the licence notice

inline constexpr std::string_view HELP =
    "Usage: quorvane-cli [OPTIONS] COMMAND [ARGUMENTS]\n"
    "\n"
    "Organises Dreamcast memory cards held in a parallel-port card adapter. A page is one\n"
    "whole card; every change is written to the card at once, each block read back.\n"
    "\n"
    "Where the card is:\n"
    "  --port ADDR          the adapter's parallel port, such as 0x378 (the default) or 888\n"
    "  --virtual-card DIR   the virtual adapter, its pages in DIR/page-01.dcm upward; it\n"
    "                       answers at 0x378 (make a new card with the create command)\n"
    "  --image FILE         a card image as a one-page card: a raw .bin or .vmu image, or a\n"
    "                       .dcm; every change is saved back to the file\n"
    "\n"
    "Questions (delete, overwrite, import, replace):\n"
    "  --yes                answer Yes; without it they are asked on the terminal, and\n"
    "                       refused when standard input is not a terminal\n"
    "\n"
    "Commands:\n"
    "  pages                how many pages the card holds\n"
    "  list                 a page's files: sizes, information lines, blocks used and free\n"
    "  check                checks a page's directory, FAT and chains\n"
    "  save NAME...         saves card files as .ddc files or .vmi/.vms pairs\n"
    "  save-all             saves every file of a page into a folder\n"
    "  add FILE...          adds .ddc, .dci or .vmi/.vms files to a page\n"
    "  delete NAME...       deletes card files\n"
    "  delete-all           deletes every file of a page\n"
    "  copy NAME...         copies card files to another page (--to-page M) or an image\n"
    "                       (--to-image FILE)\n"
    "  move NAME...         the same, then deletes them from their page\n"
    "  export FILE          writes a page to a .dcm file (a raw image for .bin or .vmu)\n"
    "  import FILE          replaces a page with a .dcm file or a raw .bin or .vmu image\n"
    "  format               makes a page a formatted empty page\n"
    "  backup --to DIR      writes every page to DIR/page-NN.dcm, a virtual card folder\n"
    "  create               makes an empty virtual card in the folder of --virtual-card\n"
    "  new-image FILE       writes a formatted empty card image (.dcm, or raw .bin or .vmu)\n"
    "  help [COMMAND]       this text, or a command's (also: COMMAND --help)\n"
    "\n"
    "  --help               this text\n"
    "  --version            the program's version\n"
    "  --                   ends the options: a NAME or FILE after it may start with -\n"
    "\n"
    "Commands on one page take --page N (1 to 16, default 1) and read the page first. NAME is\n"
    "a card file name as list shows it, with its placeholder \xEF\xBF\xBD for a character that\n"
    "cannot be typed. Message boxes go to standard error as \"[Caption] text\", a line of the\n"
    "box each; a question names the file it is about in brackets after its text. The status\n"
    "line follows each step. Exit status: 0 done, 1 failed or refused, 2 the command line\n"
    "cannot be used.\n";

inline constexpr std::string_view PAGES_HELP =
    "Usage: quorvane-cli [OPTIONS] pages\n"
    "\n"
    "Prints how many pages the card holds.\n";
inline constexpr std::string_view LIST_HELP =
    "Usage: quorvane-cli [OPTIONS] list [--page N] [--json]\n"
    "\n"
    "Lists the files of page N: each name, its size in blocks and its three information\n"
    "lines, then the blocks used and free. --json prints one JSON object: page, blocksUsed,\n"
    "blocksFree and files, each with name, blocks and info (three strings, without the\n"
    "spaces that pad them on the card).\n";
inline constexpr std::string_view CHECK_HELP =
    "Usage: quorvane-cli [OPTIONS] check [--page N] [--json]\n"
    "\n"
    "Checks page N: every file's chain, size, type and name against the directory and the\n"
    "FAT, lost blocks and the format mark. It reads only; the exit status is 0 whatever it\n"
    "finds. --json prints the findings as one JSON object.\n";
inline constexpr std::string_view SAVE_HELP =
    "Usage: quorvane-cli [OPTIONS] save NAME... --to DIR [--format ddc|vms] [--page N]\n"
    "\n"
    "Saves each named file of page N as DIR/NAME.ddc, making DIR if needed and asking before\n"
    "it replaces a file. It stops at the first file that fails. --format vms writes a\n"
    "DIR/NAME.vms with its DIR/NAME.vmi instead, NAME being the card name in capitals with\n"
    "anything but A-Z, 0-9 and _ made _, cut to 8 characters (save-all numbers names that\n"
    "clash instead).\n";
inline constexpr std::string_view SAVE_ALL_HELP =
    "Usage: quorvane-cli [OPTIONS] save-all --to DIR [--format ddc|vms] [--page N]\n"
    "\n"
    "Saves every file of page N into DIR (made if needed) as .ddc files, or with --format\n"
    "vms as .vmi/.vms pairs. A name already taken in DIR gets a number instead: nothing is\n"
    "replaced. Damaged files and names that cannot be used are skipped, and a summary says\n"
    "which; the exit status is then 1.\n";
inline constexpr std::string_view ADD_HELP =
    "Usage: quorvane-cli [OPTIONS] add FILE... [--page N]\n"
    "\n"
    "Adds each file (.ddc, .dci, or .vmi/.vms with its partner beside it) to page N and\n"
    "writes the page at once. It stops at the first file that fails, naming it, the files\n"
    "added before it and those not tried.\n";
inline constexpr std::string_view DELETE_HELP =
    "Usage: quorvane-cli [OPTIONS] delete NAME... [--page N]\n"
    "\n"
    "Deletes the named files from page N, asking first (one question for them all), and\n"
    "writes the page at once.\n";
inline constexpr std::string_view COPY_HELP =
    "Usage: quorvane-cli [OPTIONS] copy NAME... [--page N] (--to-page M | --to-image FILE)\n"
    "\n"
    "Copies the named files of page N to page M of the same card, or to the card image FILE\n"
    "(raw .bin/.vmu or .dcm), and writes that page at once. Everything is checked before\n"
    "anything is written: room, names already there (replaced only after a question), games\n"
    "(at the start of the card, one per card).\n";
inline constexpr std::string_view MOVE_HELP =
    "Usage: quorvane-cli [OPTIONS] move NAME... [--page N] (--to-page M | --to-image FILE)\n"
    "\n"
    "Copies as copy does, then deletes the files from page N, only once the copy has been\n"
    "written.\n";
inline constexpr std::string_view DELETE_ALL_HELP =
    "Usage: quorvane-cli [OPTIONS] delete-all [--page N]\n"
    "\n"
    "Deletes every file of page N, asking first, and writes the page at once.\n";
inline constexpr std::string_view EXPORT_HELP =
    "Usage: quorvane-cli [OPTIONS] export FILE [--page N]\n"
    "\n"
    "Writes page N as it was read to FILE, a .dcm page image (.dcm is added to a name\n"
    "without an extension) or, for a name ending .bin or .vmu, a raw card image. It asks\n"
    "before it replaces a file.\n";
inline constexpr std::string_view IMPORT_HELP =
    "Usage: quorvane-cli [OPTIONS] import FILE [--page N]\n"
    "\n"
    "Replaces page N with the .dcm page image FILE (a raw card image when it ends .bin or\n"
    ".vmu), asking first, and writes the page.\n";
inline constexpr std::string_view FORMAT_HELP =
    "Usage: quorvane-cli [OPTIONS] format [--page N]\n"
    "\n"
    "Formats page N, asking first: its root block (dated now), FAT and directory are written\n"
    "as those of an empty card, and every file on it is lost. A page that reads as not\n"
    "formatted needs this (or an import) before files can be added.\n";
inline constexpr std::string_view BACKUP_HELP =
    "Usage: quorvane-cli [OPTIONS] backup --to DIR\n"
    "\n"
    "Reads every page of the card and writes it to DIR/page-01.dcm upward, making DIR if\n"
    "needed; --virtual-card DIR then opens the backup. Page files already in DIR are\n"
    "replaced after a question, those beyond the card's pages removed.\n";
inline constexpr std::string_view CREATE_HELP =
    "Usage: quorvane-cli --virtual-card DIR create\n"
    "\n"
    "Makes a virtual card in DIR (made if needed, or empty): 4 formatted pages without files,\n"
    "page-01.dcm to page-04.dcm. A folder that holds anything is left as it is.\n";
inline constexpr std::string_view NEW_IMAGE_HELP =
    "Usage: quorvane-cli new-image FILE\n"
    "\n"
    "Writes a formatted empty card, dated now, to FILE: a .dcm page image (.dcm is added to a\n"
    "name without an extension) or, for a name ending .bin or .vmu, a raw card image; either\n"
    "opens with --image. It needs no card, and asks before it replaces a file.\n";
inline constexpr std::string_view CREATE_NEEDS_FOLDER = "create needs --virtual-card DIR";
inline constexpr std::string_view HELP_HELP =
    "Usage: quorvane-cli help [COMMAND]\n"
    "\n"
    "Prints the program's help, or the command's.\n";

// What cannot be used on the command line; each is followed by TRY_HELP.
inline constexpr std::string_view TRY_HELP = "Try 'quorvane-cli --help'.";
inline constexpr std::string_view NO_COMMAND = "no command given";
std::string unknownCommand(std::string_view command);
std::string unknownOption(std::string_view option);
std::string optionNotTaken(std::string_view command, std::string_view option);
std::string optionGivenTwice(std::string_view option);
std::string missingValue(std::string_view option);
std::string badPage(std::string_view value);
std::string badPort(std::string_view value);
// An address or device that is no parallel port: the six addresses, and the ports that the
// kernel lists, by address or device.
std::string unusablePort(std::string_view value, const std::vector<link::KernelPort>& kernelPorts);
std::string badFormat(std::string_view value);
std::string missingOperand(std::string_view command, std::string_view operand);
std::string extraOperand(std::string_view command, std::string_view operand);
std::string needsTo(std::string_view command);  // "save needs --to DIR"
// "copy needs --to-page N or --to-image FILE (one of them)"
std::string needsTarget(std::string_view command);
std::string sameTargetPage(std::string_view command, int page);

inline constexpr std::string_view ONE_CARD_ONLY =
    "--image and --virtual-card name two cards; give one";

}  // namespace quorvane::cli::help
