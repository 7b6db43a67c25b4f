// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// <sys/mount.h> defines a BLOCK_SIZE of its own, which would hide the card's.
#undef BLOCK_SIZE

namespace quorvane::testing {

// A small tmpfs mounted on a folder, to fill up or turn read-only under the program. Mounting
// needs root and a kernel that lets this process mount; `whyNot` says why it was not mounted.
class SmallFileSystem {
public:
    SmallFileSystem(const std::filesystem::path& folder, std::size_t bytes)
        : m_folder(folder), m_bytes(bytes) {
        if (::geteuid() != 0) {
            whyNot = "mounting a small file system needs root";
            return;
        }
        const std::string options = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            whyNot = std::string("cannot mount tmpfs here: ") + std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~SmallFileSystem() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    std::string whyNot;

    // Fills the file system until fewer than `leave` bytes are free.
    void fillLeaving(std::size_t leave) const {
        std::ofstream filler(m_folder / "filler", std::ios::binary);
        const std::vector<char> chunk(4096, static_cast<char>(0xEE));
        for (std::size_t written = 0; written + leave + chunk.size() <= m_bytes;
             written += chunk.size()) {
            filler.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            filler.flush();
            if (!filler) {
                break;
            }
        }
    }
    bool remountReadOnly() const {
        return ::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    bool remountWritable() const {
        return ::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT, nullptr) == 0;
    }

private:
    std::filesystem::path m_folder;
    std::size_t m_bytes;
    bool m_mounted = false;
};

// While it lives, no file of this process may grow past `bytes`: the disk is "full" for it on
// any machine, root or not (writes fail with EFBIG rather than killing the process).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool set() const { return m_set; }

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int);
    bool m_set = false;
};

}  // namespace quorvane::testing
