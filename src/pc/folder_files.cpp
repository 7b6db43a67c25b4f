// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/folder_files.h"

#include <system_error>

namespace quorvane::pc {

std::vector<FolderFile> listFolderFiles(const std::filesystem::path& folder) {
    std::vector<FolderFile> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            continue;
        }
        std::error_code sizeError;
        const std::uintmax_t size = it->file_size(sizeError);
        files.push_back({it->path().filename().native(),
                         sizeError ? std::uint64_t{0} : static_cast<std::uint64_t>(size)});
    }
    if (error) {
        return {};
    }
    return files;
}

}  // namespace quorvane::pc
