// SPDX-License-Identifier: GPL-3.0-or-later
#include "pc/name_order.h"

#include <algorithm>

namespace quorvane::pc {

namespace {

unsigned char foldAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

std::string lowerAscii(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(foldAscii(c)); });
    return lower;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = foldAscii(a[i]);
        const unsigned char y = foldAscii(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoringCase(a, b) == 0;
}

void sortIgnoringCase(std::vector<std::filesystem::path>& paths) {
    std::stable_sort(paths.begin(), paths.end(),
                     [](const std::filesystem::path& a, const std::filesystem::path& b) {
                         return compareIgnoringCase(a.native(), b.native()) < 0;
                     });
}

}  // namespace quorvane::pc
