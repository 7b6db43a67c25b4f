// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include <cstdlib>

#include "app/backups.h"

namespace quorvane::app {

Program wireProgram(std::unique_ptr<CardSource> card, Screen& screen) {
    Program program;
    program.card = std::move(card);
    program.link = std::make_unique<link::CardLink>(program.card->port());
    program.organizer = organizerOnSameCard(program, screen);
    program.organizer->setCardSource(program.card.get());
    return program;
}

std::unique_ptr<Organizer> organizerOnSameCard(const Program& program, Screen& screen) {
    auto organizer = std::make_unique<Organizer>(screen, *program.link);
    organizer->setPortReporter(program.card->portReporter());
    organizer->setBackupFolder(
        defaultBackupFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    return organizer;
}

}  // namespace quorvane::app
