#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

// The readers take file names, so each input is written to a scratch file first.
namespace quorvane::fuzz {

inline std::filesystem::path scratchPath(const std::string& name) {
    static const std::filesystem::path DIR = [] {
        std::filesystem::path d = std::filesystem::temp_directory_path() /
                                  ("quorvane-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return DIR / name;
}

inline std::filesystem::path writeScratch(const std::string& name,
                                          std::span<const std::uint8_t> bytes) {
    std::filesystem::path path = scratchPath(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::abort();
    }
    std::fclose(file);
    return path;
}

#define QUORVANE_FUZZ_CHECK(condition)                                                  \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "check failed: %s at %s:%d\n", #condition, __FILE__,  \
                         __LINE__);                                                     \
            std::abort();                                                               \
        }                                                                               \
    } while (false)

}  // namespace quorvane::fuzz
