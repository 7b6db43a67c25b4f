// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/name_lookup.h"

#include <string>
#include <system_error>

#include "pc/name_order.h"

namespace quorvane::pc {

std::optional<std::filesystem::path> findEntryIgnoringCase(const std::filesystem::path& folder,
                                                           std::string_view name) {
    std::error_code error;
    std::filesystem::path exact = folder / name;
    if (std::filesystem::exists(exact, error)) {
        return exact;
    }
    std::optional<std::filesystem::path> found;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string entryName = it->path().filename().native();
        std::error_code existsError;
        if (equalIgnoringCase(entryName, name) &&
            (!found || entryName < found->filename().native()) && it->exists(existsError)) {
            found = it->path();
        }
    }
    if (error) {
        return std::nullopt;
    }
    return found;
}

}  // namespace quorvane::pc
