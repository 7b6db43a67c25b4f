// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/pc_file_names.h"

#include "card/card_text.h"
#include "formats/vmi_vms.h"

namespace quorvane::formats {

namespace {

char pairNameCharacter(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
        return static_cast<char>(c);
    }
    return '_';
}

bool pairTaken(const std::string& name, const NameTaken& taken) {
    return taken(name + std::string(VMI_EXTENSION)) || taken(name + std::string(VMS_EXTENSION));
}

}  // namespace

std::optional<std::string> ddcFileName(std::string_view cardName) {
    if (!usableAsPcFileName(cardName)) {
        return std::nullopt;
    }
    return card::nameToUtf8(cardName) + std::string(DDC_EXTENSION);
}

std::optional<std::string> pairNameOf(std::string_view cardName) {
    if (cardName.empty()) {
        return std::nullopt;
    }
    std::string name;
    for (const unsigned char c : cardName.substr(0, PAIR_NAME_MAX_SIZE)) {
        name.push_back(pairNameCharacter(c));
    }
    return name;
}

std::optional<std::string> freeDdcFileName(std::string_view cardName, const NameTaken& taken) {
    if (!usableAsPcFileName(cardName)) {
        return std::nullopt;
    }
    const std::string base = card::nameToUtf8(cardName);
    std::string candidate = base + std::string(DDC_EXTENSION);
    for (int number = 2; taken(candidate); ++number) {
        if (number > MAX_NAME_NUMBER) {
            return std::nullopt;
        }
        candidate = base + " (" + std::to_string(number) + ")" + std::string(DDC_EXTENSION);
    }
    return candidate;
}

std::optional<std::string> freePairName(std::string_view cardName, const NameTaken& taken) {
    const std::optional<std::string> base = pairNameOf(cardName);
    if (!base) {
        return std::nullopt;
    }
    std::string candidate = *base;
    for (int number = 2; pairTaken(candidate, taken); ++number) {
        if (number > MAX_NAME_NUMBER) {
            return std::nullopt;
        }
        const std::string suffix = "_" + std::to_string(number);
        candidate = base->substr(0, PAIR_NAME_MAX_SIZE - suffix.size()) + suffix;
    }
    return candidate;
}

}  // namespace quorvane::formats
