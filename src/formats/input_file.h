#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

// Reading PC files in byte mode, with the short reads and the errors told apart.
namespace quorvane::formats {

class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path)
        : m_file(std::fopen(path.c_str(), "rb")) {}
    ~InputFile() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // Reads until `size` bytes are in or the file ends; returns how many came.
    std::size_t read(std::uint8_t* into, std::size_t size) {
        return std::fread(into, 1, size, m_file);
    }
    bool failed() const { return std::ferror(m_file) != 0; }
    // Length of the file, or -1 when it cannot be told (not a seekable file).
    long long length();

private:
    std::FILE* m_file;
};

}  // namespace quorvane::formats
