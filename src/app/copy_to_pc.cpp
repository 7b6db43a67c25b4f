#include <string>

#include "app/organizer.h"
#include "card/card_text.h"
#include "pc/safe_file_name.h"

// The PC pane's folder and "<--": the selected card file written into that folder as a .ddc
// file under its card name.
namespace quorvane::app {

void Organizer::pcDirectorySelected(const std::filesystem::path& directory) {
    m_currentPcDirectory = directory;
    m_screen.listPcFiles(m_currentPcDirectory);
    refreshBoundTexts();
}

void Organizer::copyFileToPc() {
    if (refuseWithoutSelection(text::COPY_TO_PC_CAPTION)) {
        return;
    }
    if (m_currentPcDirectory.empty()) {
        tell(text::NO_FOLDER_STATUS, text::NO_FOLDER);
        return;
    }
    if (!pc::usableAsFileName(m_selectedName)) {
        tell(text::CANCELLED, text::UNUSABLE_PC_NAME);
        return;
    }
    if (!confirmed(text::COPY_QUESTION)) {
        return;
    }
    const std::filesystem::path target = m_currentPcDirectory / card::nameToUtf8(m_selectedName);
    if (!confirmOverwrite(target) || !writeDdcFile(target, m_selectedEntry)) {
        return;
    }
    m_screen.selectPcPath(m_currentPcDirectory);
    m_screen.listPcFiles(m_currentPcDirectory);
}

}  // namespace quorvane::app
