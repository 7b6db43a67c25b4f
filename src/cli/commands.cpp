// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "adapter/virtual_adapter.h"
#include "app/card_copy.h"
#include "app/card_source.h"
#include "app/organizer.h"
#include "app/program.h"
#include "app/texts.h"
#include "card/card_text.h"
#include "card/listing.h"
#include "card/page_check.h"
#include "cli/help_texts.h"
#include "cli/page_reports.h"
#include "cli/terminal_text.h"
#include "formats/image_file.h"
#include "formats/pc_file_names.h"
#include "formats/vmi_vms.h"
#include "link/card_link.h"

namespace quorvane::cli {

namespace {

namespace texts = help;

// Paths are taken relative to the folder the program started in, which nothing changes.
std::filesystem::path absoluteOrAsGiven(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute;
}

QuestionPolicy questionPolicy(const Invocation& invocation, const Console& console) {
    if (invocation.yes) {
        return QuestionPolicy::AnswerYes;
    }
    return console.inputIsTerminal ? QuestionPolicy::AskTerminal : QuestionPolicy::Refuse;
}

void printUsageError(const Console& console, std::string_view error) {
    console.err << texts::PROGRAM << ": " << error << '\n' << texts::TRY_HELP << '\n' << std::flush;
}

app::OpenOptions openOptions(TextScreen& screen) {
    app::OpenOptions options;
    // A typo in a folder's name would otherwise become a new card full of sample saves.
    options.newFolder = adapter::NewFolder::Refused;
    options.askOtherOrder = app::otherOrderQuestionOn(screen);
    options.otherOrderRefused = app::OtherOrderRefused::Refuse;
    return options;
}

// The card at `location`; none when it cannot be used (said why).
std::unique_ptr<app::CardSource> openCard(const app::CardLocation& location, TextScreen& screen) {
    app::CardProblem problem;
    std::unique_ptr<app::CardSource> card =
        app::CardSource::open(location, problem, openOptions(screen));
    if (!card) {
        screen.printError(printable(oneLine(problem.text)));
    }
    return card;
}

// A new image needs no card: none is opened, so none is locked or asked about.
std::unique_ptr<app::CardSource> newImageCard(TextScreen& screen) {
    return app::CardSource::withoutCard({}, openOptions(screen));
}

// One run of a command: the organiser on the card, as the window would drive it.
class Session {
public:
    Session(const app::Program& program, TextScreen& screen, const Invocation& invocation)
        : m_program(program),
          m_organizer(*program.organizer),
          m_screen(screen),
          m_invocation(invocation) {}

    bool run();

private:
    // Every step of the organiser ends with its status line on standard error.
    bool step(bool done) {
        m_screen.printStatus();
        return done;
    }
    // The page of --page, read as Select/Refresh reads it.
    bool readPage();
    // `pageNumber` of the card of `organizer`, read the same way.
    bool readPageOf(app::Organizer& organizer, int pageNumber);
    // The same for a command on the page's files: an unformatted page, told by the read, has
    // none and no room for any.
    bool readPageOfFiles();
    // The file each NAME names on the page, or none (said why) when one names no file.
    std::optional<std::vector<app::FileOnPage>> filesOnPage();
    // The folder of --to, made when it is missing (said why when it cannot be).
    bool makeTargetFolder();
    // Where `name` goes in the folder of --to, in the format of --format; none when the name
    // cannot name a PC file.
    std::optional<app::PcTarget> savedFileOf(const std::string& name) const;
    // The file of `export` and `new-image`: a name without an extension gets .dcm; a file
    // already there is replaced only after a question, `cancelled` the status on No.
    std::optional<std::filesystem::path> imageTarget(std::string_view cancelled);

    bool pages();
    bool list();
    bool check();
    bool save();
    bool saveAll();
    bool add();
    bool deleteFiles();
    bool deleteAll();
    bool exportPage();
    bool importPage();
    bool backup();
    bool transfer(app::Transfer how);
    bool formatPage();
    bool newImage();

    const app::Program& m_program;
    app::Organizer& m_organizer;
    TextScreen& m_screen;
    const Invocation& m_invocation;
};

bool Session::run() {
    switch (*m_invocation.command) {
        case Command::Pages:
            return pages();
        case Command::List:
            return list();
        case Command::Check:
            return check();
        case Command::Save:
            return save();
        case Command::Add:
            return add();
        case Command::Delete:
            return deleteFiles();
        case Command::DeleteAll:
            return deleteAll();
        case Command::Export:
            return exportPage();
        case Command::Import:
            return importPage();
        case Command::Backup:
            return backup();
        case Command::SaveAll:
            return saveAll();
        case Command::Copy:
            return transfer(app::Transfer::Copy);
        case Command::Move:
            return transfer(app::Transfer::Move);
        case Command::Format:
            return formatPage();
        case Command::NewImage:
            return newImage();
        case Command::Help:
        case Command::Create:
            break;
    }
    return false;
}

bool Session::readPage() {
    return readPageOf(m_organizer, m_invocation.page);
}

bool Session::readPageOf(app::Organizer& organizer, int pageNumber) {
    if (organizer.readPage(pageNumber)) {
        return step(true);
    }
    // A page the card lacks ends at its box with the status line still connecting, which
    // would say nothing that happened.
    if (m_screen.status() != app::text::CONNECTING) {
        m_screen.printStatus();
    }
    return false;
}

bool Session::readPageOfFiles() {
    return readPage() && m_organizer.pageFormatted();
}

std::optional<std::vector<app::FileOnPage>> Session::filesOnPage() {
    const std::vector<app::CardRow>& rows = m_screen.listing().rows;
    std::vector<app::FileOnPage> files;
    for (const std::string& typed : m_invocation.operands) {
        const std::optional<std::string> name = card::utf8ToName(typed);
        // Of two files of one name, the first listed.
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&name](const app::CardRow& r) { return name && r.name == *name; });
        // A name with bytes that cannot be typed, as list prints it.
        if (row == rows.end()) {
            row = std::find_if(rows.begin(), rows.end(), [&typed](const app::CardRow& r) {
                return printable(card::nameToUtf8(r.name)) == typed;
            });
        }
        if (row == rows.end()) {
            m_screen.printError(app::text::cli::noCardFile(printable(typed), m_invocation.page));
            return std::nullopt;
        }
        files.push_back({row->slot, row->name});
    }
    return files;
}

bool Session::pages() {
    const std::optional<int> count = m_organizer.countPages();
    step(count.has_value());
    if (count) {
        m_screen.print(std::to_string(*count) + "\n");
    }
    return count.has_value();
}

bool Session::list() {
    if (!readPageOfFiles()) {
        return false;
    }
    const app::Listing& listing = m_screen.listing();
    m_screen.print(m_invocation.json ? listingJson(listing, m_invocation.page)
                                     : listingText(listing));
    return true;
}

bool Session::check() {
    if (!readPage()) {
        return false;
    }
    const card::PageBytes& page = m_organizer.loadedPage()->page;
    const card::PageCheck found = card::checkPage(page);
    m_screen.print(m_invocation.json ? pageCheckJson(found, page, m_invocation.page)
                                     : printableLines(app::text::pageCheckReport(
                                           found, page, m_invocation.page)));
    return true;
}

bool Session::makeTargetFolder() {
    std::error_code error;
    std::filesystem::create_directories(*m_invocation.to, error);
    if (error) {
        const std::string message = app::text::folderFailure(*m_invocation.to, error.value());
        m_screen.printError(printable(oneLine(message)));
        return false;
    }
    return true;
}

std::optional<app::PcTarget> Session::savedFileOf(const std::string& name) const {
    const std::filesystem::path folder = absoluteOrAsGiven(*m_invocation.to);
    if (m_invocation.format == SaveFormat::Vms) {
        // A pair is named after the card name as Save All Files names it, without a number:
        // a pair of that name already there is replaced after the question.
        const std::optional<std::string> pairName = formats::pairNameOf(name);
        if (!pairName) {
            return std::nullopt;
        }
        return app::PcTarget{folder, *pairName, app::CopyFormat::VmiVmsPair};
    }
    const std::optional<std::string> fileName = formats::ddcFileName(name);
    if (!fileName) {
        return std::nullopt;
    }
    return app::PcTarget{folder, *fileName, app::CopyFormat::Ddc};
}

bool Session::save() {
    if (!readPageOfFiles()) {
        return false;
    }
    const auto files = filesOnPage();
    if (!files) {
        return false;
    }
    // Every name checked before the first file is written, as the window checks before it writes.
    std::vector<app::PcTarget> targets;
    for (const app::FileOnPage& file : *files) {
        const std::optional<app::PcTarget> target = savedFileOf(file.name);
        if (!target) {
            m_screen.ask(app::text::UNUSABLE_PC_NAME);
            return false;
        }
        targets.push_back(*target);
    }
    if (!makeTargetFolder()) {
        return false;
    }
    for (std::size_t i = 0; i < files->size(); ++i) {
        if (!step(m_organizer.saveFile((*files)[i], targets[i]))) {
            return false;
        }
    }
    return true;
}

bool Session::saveAll() {
    if (!readPageOfFiles() || !makeTargetFolder()) {
        return false;
    }
    const app::CopyFormat format =
        m_invocation.format == SaveFormat::Vms ? app::CopyFormat::VmiVmsPair : app::CopyFormat::Ddc;
    return step(m_organizer.saveAll(*m_invocation.to, format));
}

bool Session::add() {
    if (!readPageOfFiles()) {
        return false;
    }
    const std::vector<std::string>& files = m_invocation.operands;
    for (auto file = files.begin(); file != files.end(); ++file) {
        if (!step(m_organizer.addFile(absoluteOrAsGiven(*file)))) {
            // Each file is written as it is added: which of several are on the card now.
            if (files.size() > 1) {
                m_screen.printError(printable(app::text::cli::notAdded(
                    *file, {files.begin(), file}, {std::next(file), files.end()})));
            }
            return false;
        }
    }
    return true;
}

bool Session::deleteFiles() {
    if (!readPageOfFiles()) {
        return false;
    }
    const auto files = filesOnPage();
    return files && step(m_organizer.deleteFiles(*files));
}

bool Session::deleteAll() {
    return readPageOfFiles() && step(m_organizer.deleteAll());
}

std::optional<std::filesystem::path> Session::imageTarget(std::string_view cancelled) {
    std::filesystem::path target = absoluteOrAsGiven(m_invocation.operands.front());
    if (!target.has_extension()) {
        target += ".dcm";
    }
    // A link, folder or FIFO is left to the export, which names what it is and where it leads.
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(target, error))) {
        const std::string question = app::text::cli::replaceFileQuestion(target);
        if (m_screen.ask({question, app::text::cli::REPLACE_CAPTION, app::BoxButtons::YesNo,
                          app::BoxIcon::Warning}) != app::BoxAnswer::Yes) {
            m_organizer.setStatus(cancelled);
            return std::nullopt;
        }
    }
    return target;
}

bool Session::exportPage() {
    if (!readPage()) {
        return false;
    }
    const std::optional<std::filesystem::path> target = imageTarget(app::text::EXPORT_CANCELLED);
    if (!target) {
        return step(false);
    }
    const formats::ImageOrder order =
        formats::imageOrderOf(*target).value_or(formats::ImageOrder::Card);
    return step(m_organizer.exportPage(*target, order));
}

bool Session::importPage() {
    if (!readPage()) {
        return false;
    }
    return step(
        m_organizer.importPage(m_invocation.operands.front(), app::ImportWarning::AfterChecks));
}

bool Session::backup() {
    return step(m_organizer.backupCard(*m_invocation.to));
}

bool Session::transfer(app::Transfer how) {
    if (!readPage()) {
        return false;
    }
    const auto files = filesOnPage();
    if (!files) {
        return false;
    }
    std::unique_ptr<app::SideCard> side;
    if (m_invocation.toImage) {
        app::CardLocation location;
        location.image = absoluteOrAsGiven(*m_invocation.toImage);
        std::unique_ptr<app::CardSource> card = openCard(location, m_screen);
        if (!card) {
            return false;
        }
        side = app::SideCard::ownCard(std::move(card), m_screen);
    } else {
        side = app::SideCard::otherPage(m_program, m_screen);
    }
    app::Organizer* target = &side->organizer();
    target->start();
    if (!readPageOf(*target, m_invocation.toPage.value_or(1))) {
        return false;
    }
    return step(app::transferFiles(m_organizer, *files, *target, how));
}

bool Session::formatPage() {
    return readPage() && step(m_organizer.formatPage());
}

bool Session::newImage() {
    const std::optional<std::filesystem::path> target = imageTarget(app::text::CANCELLED);
    if (!target) {
        return step(false);
    }
    const formats::ImageOrder order =
        formats::imageOrderOf(*target).value_or(formats::ImageOrder::Card);
    return step(m_organizer.newCardImage(*target, order));
}

// An empty formatted card in the folder of --virtual-card.
ExitStatus createCard(const Invocation& invocation, TextScreen& screen) {
    adapter::FolderError error;
    if (!adapter::VirtualAdapter::createEmptyCard(*invocation.virtualCard, error)) {
        screen.printError(printable(oneLine(app::text::virtualCardProblem(error))));
        return ExitStatus::Failed;
    }
    screen.printError(app::text::cli::cardCreated(*invocation.virtualCard));
    return ExitStatus::Done;
}

}  // namespace

ExitStatus runInvocation(const Invocation& invocation, const Console& console) {
    if (invocation.version) {
        console.out << texts::versionLine() << '\n' << std::flush;
        return ExitStatus::Done;
    }
    if (invocation.help || invocation.command == Command::Help) {
        // "help list" and "list --help" alike; "help --help" is the help command's own.
        const bool helpCommand = invocation.command == Command::Help && !invocation.help;
        const std::optional<Command> topic =
            helpCommand ? invocation.helpTopic : invocation.command;
        console.out << (topic ? commandHelp(*topic) : texts::HELP) << std::flush;
        return ExitStatus::Done;
    }
    TextScreen screen(console, questionPolicy(invocation, console));
    if (invocation.command == Command::Create) {
        return createCard(invocation, screen);
    }
    app::CardLocation location;
    location.virtualCard = invocation.virtualCard;
    location.image = invocation.image;
    std::unique_ptr<app::CardSource> card =
        invocation.command == Command::NewImage ? newImageCard(screen) : openCard(location, screen);
    if (!card) {
        return ExitStatus::Failed;
    }
    const app::Program program = app::wireProgram(std::move(card), screen);
    program.organizer->start();
    // As the window's port buttons do, only when another port than the first is chosen.
    if (invocation.port != 0 && invocation.port != program.link->portBase) {
        program.organizer->selectPort(invocation.port);
    }
    Session session(program, screen, invocation);
    return session.run() ? ExitStatus::Done : ExitStatus::Failed;
}

ExitStatus runCommandLine(std::span<const std::string> arguments, const Console& console) {
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.usageError.empty()) {
        printUsageError(console, printable(parsed.usageError));
        return ExitStatus::BadUsage;
    }
    return runInvocation(parsed.invocation, console);
}

}  // namespace quorvane::cli
