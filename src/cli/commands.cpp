#include "cli/commands.h"

#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "adapter/virtual_adapter.h"
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
#include "formats/pc_file_names.h"
#include "formats/vmi_vms.h"
#include "link/card_link.h"

namespace quorvane::cli {

namespace {

namespace texts = help;

QuestionPolicy questionPolicy(const Invocation& invocation, const Console& console) {
    if (invocation.yes) {
        return QuestionPolicy::AnswerYes;
    }
    return console.inputIsTerminal ? QuestionPolicy::AskTerminal : QuestionPolicy::Refuse;
}

void printUsageError(const Console& console, std::string_view error) {
    console.err << texts::PROGRAM << ": " << error << '\n' << texts::TRY_HELP << '\n' << std::flush;
}

// One run of a command: the organiser on the card, as the window would drive it.
class Session {
public:
    Session(app::Organizer& organizer, TextScreen& screen, const Invocation& invocation,
            std::ostream& out)
        : m_organizer(organizer), m_screen(screen), m_invocation(invocation), m_out(out) {}

    bool run();

private:
    // Every step of the organiser ends with its status line on standard error.
    bool step(bool done) {
        m_screen.printStatus();
        return done;
    }
    // The page of --page, read as Select/Refresh reads it.
    bool readPage();
    // The name bytes of each NAME on the page, or none (said why) when one names no file.
    std::optional<std::vector<std::string>> namesOnPage();
    // The folder of --to, made when it is missing (said why when it cannot be).
    bool makeTargetFolder();
    // Where `name` goes in the folder of --to, in the format of --format; none when the name
    // cannot name a PC file.
    std::optional<std::filesystem::path> savedFileOf(const std::string& name) const;

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

    app::Organizer& m_organizer;
    TextScreen& m_screen;
    const Invocation& m_invocation;
    std::ostream& m_out;
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
        case Command::Help:
        case Command::Create:
            break;
    }
    return false;
}

bool Session::readPage() {
    m_organizer.stepPage(m_invocation.page - 1 - m_organizer.currentPageIndex());
    return step(m_organizer.selectAndRefresh());
}

std::optional<std::vector<std::string>> Session::namesOnPage() {
    std::vector<std::string> names;
    for (const std::string& typed : m_invocation.operands) {
        const std::optional<std::string> name = card::utf8ToName(typed);
        if (!name || card::findSlotByName(m_organizer.pageImage(), *name) < 0) {
            m_screen.printError(app::text::cli::noCardFile(printable(typed), m_invocation.page));
            return std::nullopt;
        }
        names.push_back(*name);
    }
    return names;
}

bool Session::pages() {
    const std::optional<int> count = m_organizer.countPages();
    step(count.has_value());
    if (count) {
        m_out << *count << '\n' << std::flush;
    }
    return count.has_value();
}

bool Session::list() {
    if (!readPage()) {
        return false;
    }
    const card::PageBytes& page = m_organizer.pageImage();
    m_out << (m_invocation.json ? listingJson(page, m_invocation.page) : listingText(page))
          << std::flush;
    return true;
}

bool Session::check() {
    if (!readPage()) {
        return false;
    }
    const card::PageBytes& page = m_organizer.pageImage();
    const card::PageCheck found = card::checkPage(page);
    m_out << (m_invocation.json
                  ? pageCheckJson(found, page, m_invocation.page)
                  : printableLines(app::text::pageCheckReport(found, page, m_invocation.page)))
          << std::flush;
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

std::optional<std::filesystem::path> Session::savedFileOf(const std::string& name) const {
    if (m_invocation.format == SaveFormat::Vms) {
        // A pair is named after the card name as Save All Files names it, without a number:
        // a pair of that name already there is replaced after the question.
        const std::optional<std::string> pairName = formats::pairNameOf(name);
        if (!pairName) {
            return std::nullopt;
        }
        return *m_invocation.to / (*pairName + std::string(formats::VMS_EXTENSION));
    }
    const std::optional<std::string> fileName = formats::ddcFileName(name);
    if (!fileName) {
        return std::nullopt;
    }
    return *m_invocation.to / *fileName;
}

bool Session::save() {
    if (!readPage()) {
        return false;
    }
    const auto names = namesOnPage();
    if (!names) {
        return false;
    }
    // Every name checked before the first file is written, as the window checks before it writes.
    std::vector<std::filesystem::path> targets;
    for (const std::string& name : *names) {
        const std::optional<std::filesystem::path> target = savedFileOf(name);
        if (!target) {
            m_screen.messageBox(app::text::UNUSABLE_PC_NAME);
            return false;
        }
        targets.push_back(*target);
    }
    if (!makeTargetFolder()) {
        return false;
    }
    for (std::size_t i = 0; i < names->size(); ++i) {
        m_organizer.selectFile((*names)[i]);
        // Save File asks before it overwrites; its dialog need not ask as well.
        m_screen.answerSaveDialog(targets[i], false);
        if (!step(m_organizer.saveFile())) {
            return false;
        }
    }
    return true;
}

bool Session::saveAll() {
    if (!readPage() || !makeTargetFolder()) {
        return false;
    }
    // The formats in the order the window's Save All Files dialog offers them.
    const std::size_t format = m_invocation.format == SaveFormat::Vms ? 1 : 0;
    m_screen.answerSaveAllDialog(*m_invocation.to, format);
    return step(m_organizer.saveAllFilesCommand());
}

bool Session::add() {
    if (!readPage()) {
        return false;
    }
    for (const std::string& file : m_invocation.operands) {
        m_screen.answerOpenDialog(file);
        if (!step(m_organizer.addFile())) {
            return false;
        }
    }
    return true;
}

bool Session::deleteFiles() {
    if (!readPage()) {
        return false;
    }
    const auto names = namesOnPage();
    if (!names) {
        return false;
    }
    for (const std::string& name : *names) {
        m_organizer.selectFile(name);
        if (!step(m_organizer.deleteFileCommand())) {
            return false;
        }
    }
    return true;
}

bool Session::deleteAll() {
    return readPage() && step(m_organizer.deleteAllCommand());
}

bool Session::exportPage() {
    if (!readPage()) {
        return false;
    }
    m_screen.answerSaveDialog(m_invocation.operands.front(), true);
    return step(m_organizer.exportPageFile());
}

bool Session::importPage() {
    if (!readPage()) {
        return false;
    }
    return step(m_organizer.importPageFileAt(m_invocation.operands.front()));
}

bool Session::backup() {
    return step(m_organizer.backupCard(*m_invocation.to));
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
    app::CardProblem problem;
    app::CardLocation location;
    location.virtualCard = invocation.virtualCard;
    location.image = invocation.image;
    app::OpenOptions options;
    // A typo in a folder's name would otherwise become a new card full of sample saves.
    options.newFolder = adapter::NewFolder::Refused;
    options.askOtherOrder = app::otherOrderQuestionOn(screen);
    options.otherOrderRefused = app::OtherOrderRefused::Refuse;
    std::unique_ptr<app::CardSource> card = app::CardSource::open(location, problem, options);
    if (!card) {
        screen.printError(printable(oneLine(problem.text)));
        return ExitStatus::Failed;
    }
    const app::Program program = app::wireProgram(std::move(card), screen);
    program.organizer->openWindow();
    // As the window's port buttons do, only when another port than the first is chosen.
    if (invocation.port != 0 && invocation.port != program.link->portBase) {
        program.organizer->selectPort(invocation.port);
    }
    Session session(*program.organizer, screen, invocation, console.out);
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
