// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/subdirectories.h"

#include <system_error>

namespace quorvane::pc {

std::vector<std::filesystem::path> listSubdirectories(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        // An entry whose type cannot be told (a dangling link) is no directory.
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            paths.push_back(it->path());
        }
    }
    if (error) {
        return {};
    }
    return paths;
}

bool hasSubdirectory(const std::filesystem::path& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            return true;
        }
    }
    return false;
}

}  // namespace quorvane::pc
