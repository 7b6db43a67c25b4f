#include "app/program.h"

#include <cstdlib>

#include "app/backups.h"

namespace quorvane::app {

Program wireProgram(std::unique_ptr<CardSource> card, Screen& screen) {
    Program program;
    program.card = std::move(card);
    program.link = std::make_unique<link::CardLink>(program.card->port());
    program.organizer = std::make_unique<Organizer>(screen, *program.link);
    program.organizer->setPortReporter(program.card->portReporter());
    program.organizer->setCardSource(program.card.get());
    program.organizer->setBackupFolder(
        defaultBackupFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    return program;
}

}  // namespace quorvane::app
