// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

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

// Opens a regular file for reading, or says why not. Opened without blocking and checked on the
// open descriptor, so a FIFO never hangs the program and /dev/zero is never taken for a file.
FileHandle openRegularFile(const std::filesystem::path& path, ReadResult& result, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result = ReadResult::CannotOpen;
        error = errno;
        return nullptr;
    }
    struct stat opened {};
    const bool measured = ::fstat(fd, &opened) == 0;
    if (!measured || !S_ISREG(opened.st_mode)) {
        result = measured ? ReadResult::NotAFile : ReadResult::CannotOpen;
        // A folder has a reason of its own; a FIFO or a device has none.
        error = !measured ? errno : S_ISDIR(opened.st_mode) ? EISDIR : 0;
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FileHandle file(::fdopen(fd, "rb"));
    if (file == nullptr) {
        result = ReadResult::CannotOpen;
        error = errno;
        ::close(fd);
    }
    return file;
}

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
    const FileHandle file = openRegularFile(path, start.result, start.systemError);
    if (file == nullptr) {
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
    const FileHandle file = openRegularFile(path, whole.result, whole.systemError);
    if (file == nullptr) {
        return whole;
    }
    // Read to the end rather than to a measured length, which may change while it is read.
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
