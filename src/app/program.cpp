// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include <cstdlib>

#include "app/backups.h"
#include "app/texts.h"

namespace quorvane::app {

Program wireProgram(std::unique_ptr<CardSource> card, Screen& screen) {
    Program program;
    program.card = std::move(card);
    program.link = std::make_unique<link::CardLink>(program.card->port());
    program.organizer = organizerOnSameCard(program, screen);
    return program;
}

std::unique_ptr<Organizer> organizerOnSameCard(const Program& program, Screen& screen) {
    auto organizer = std::make_unique<Organizer>(screen, *program.link);
    organizer->setPortReporter(program.card->portReporter());
    // Its read-only pages are refused on either side.
    organizer->setCardSource(program.card.get());
    organizer->setBackupFolder(
        defaultBackupFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    return organizer;
}

std::unique_ptr<SideCard> SideCard::otherPage(const Program& program, Screen& screen) {
    return of(organizerOnSameCard(program, screen));
}

std::unique_ptr<SideCard> SideCard::of(std::unique_ptr<Organizer> organizer) {
    auto side = std::make_unique<SideCard>();
    side->m_page = std::move(organizer);
    return side;
}

std::unique_ptr<SideCard> SideCard::ownCard(std::unique_ptr<CardSource> card, Screen& screen) {
    auto side = std::make_unique<SideCard>();
    side->m_ownCard = wireProgram(std::move(card), screen);
    return side;
}

std::unique_ptr<SideCard> SideCard::image(const std::filesystem::path& file, Screen& screen) {
    CardLocation location;
    location.image = file;
    OpenOptions options;
    options.askOtherOrder = otherOrderQuestionOn(screen);
    CardProblem problem;
    std::unique_ptr<CardSource> card = CardSource::open(location, problem, options);
    if (!card) {
        screen.ask({problem.text, text::IMAGE_CAPTION, BoxButtons::Ok, BoxIcon::Warning});
        return nullptr;
    }
    return ownCard(std::move(card), screen);
}

}  // namespace quorvane::app
