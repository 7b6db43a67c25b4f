#include "formats/input_file.h"

#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace quorvane::formats {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

enum class Wanted { Bytes, BytesAndLength };

// Leaves the file at its start again.
bool measure(std::FILE* file, std::uint64_t& length) {
    if (::fseeko(file, 0, SEEK_END) != 0) {
        return false;
    }
    const off_t end = ::ftello(file);
    if (end < 0 || ::fseeko(file, 0, SEEK_SET) != 0) {
        return false;
    }
    length = static_cast<std::uint64_t>(end);
    return true;
}

FileStart readStart(const std::filesystem::path& path, std::size_t limit, Wanted wanted) {
    FileStart start;
    const FileHandle file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        start.result = ReadResult::CannotOpen;
        start.systemError = errno;
        return start;
    }
    if (wanted == Wanted::BytesAndLength && !measure(file.get(), start.length)) {
        start.result = ReadResult::ReadFailed;
        start.systemError = errno;
        return start;
    }
    start.bytes.resize(limit);
    // fread keeps going until `limit` bytes are in, the file ends or an error stops it.
    const std::size_t got = std::fread(start.bytes.data(), 1, limit, file.get());
    if (std::ferror(file.get()) != 0) {
        start.result = ReadResult::ReadFailed;
        start.systemError = errno;
        start.bytes.clear();
        return start;
    }
    start.bytes.resize(got);
    return start;
}

}  // namespace

FileStart readFileStart(const std::filesystem::path& path, std::size_t limit) {
    return readStart(path, limit, Wanted::Bytes);
}

FileStart readFileStartAndLength(const std::filesystem::path& path, std::size_t limit) {
    return readStart(path, limit, Wanted::BytesAndLength);
}

FileStart readWholeFile(const std::filesystem::path& path) {
    FileStart whole;
    const FileHandle file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        whole.result = ReadResult::CannotOpen;
        whole.systemError = errno;
        return whole;
    }
    // Read to the end rather than to a measured length, which a folder or a device may give as
    // anything at all.
    constexpr std::size_t CHUNK = 4096;
    std::size_t got = CHUNK;
    while (got == CHUNK) {
        const std::size_t had = whole.bytes.size();
        whole.bytes.resize(had + CHUNK);
        got = std::fread(whole.bytes.data() + had, 1, CHUNK, file.get());
        whole.bytes.resize(had + got);
    }
    if (std::ferror(file.get()) != 0) {
        whole.result = ReadResult::ReadFailed;
        whole.systemError = errno;
        whole.bytes.clear();
    }
    whole.length = whole.bytes.size();
    return whole;
}

}  // namespace quorvane::formats
