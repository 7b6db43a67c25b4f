#include "app/texts.h"

#include <cstring>

#include "adapter/virtual_adapter.h"

namespace quorvane::app::text {

std::string currentPage(int pageNumber) {
    return "Current Page : " + std::to_string(pageNumber);
}

std::string writingBlock(int block) {
    return "Writing block " + std::to_string(block) + "... ";
}

std::string onlyPages(int pageCount) {
    return "There are only " + std::to_string(pageCount) + " pages on this Memory card";
}

namespace {

// The system's words for an errno, after the rest of a message.
std::string withReason(std::string text, int systemError) {
    if (systemError != 0) {
        text += "\n";
        text += std::strerror(systemError);
    }
    return text;
}

}  // namespace

std::string writeFailure(const std::filesystem::path& target, int systemError) {
    return withReason("The file could not be written:\n" + target.string(), systemError);
}

std::string virtualCardProblem(const adapter::FolderError& error) {
    const std::string path = error.path.string();
    std::string text;
    switch (error.problem) {
        case adapter::FolderProblem::NotAFolder:
            text = path + " is not a folder.";
            break;
        case adapter::FolderProblem::CannotCreate:
            text = "Cannot create the virtual card folder " + path + ".";
            break;
        case adapter::FolderProblem::CannotWriteSample:
            text = "Cannot write " + path + ".";
            break;
        case adapter::FolderProblem::NotAPageImage:
            text = path + " is not a page image: it must be exactly " +
                   std::to_string(card::PAGE_SIZE) + " bytes.";
            break;
        case adapter::FolderProblem::CannotRead:
            text = "Cannot read " + path + ".";
            break;
        case adapter::FolderProblem::NoFirstPage:
            text = "The folder holds no " + error.path.filename().string() + ".";
            break;
        case adapter::FolderProblem::None:
            break;
    }
    return withReason("Cannot use the virtual card folder: " + text, error.systemError);
}

}  // namespace quorvane::app::text
