// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/files.h"

extern char** environ;

// Runs the built quorvane-cli as a user would, its output caught in files.
namespace quorvane::cli::testing {

struct ProgramRun {
    int exitStatus = -1;  // -1: it did not end by itself
    std::string out;
    std::string err;
};

inline std::string readText(const std::filesystem::path& path) {
    const quorvane::testing::Bytes bytes = quorvane::testing::readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A terminal for the program's standard input, with `typed` already typed on it.
class TypedTerminal {
public:
    explicit TypedTerminal(const std::string& typed) {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            return;
        }
        const char* name = ::ptsname(m_master);
        if (name == nullptr) {
            return;
        }
        m_slave = name;
        // Opened here too, so that what is typed stays until the program reads it.
        m_slaveFd = ::open(name, O_RDWR | O_NOCTTY);
        m_ready = m_slaveFd >= 0 && ::write(m_master, typed.data(), typed.size()) ==
                                        static_cast<ssize_t>(typed.size());
    }
    ~TypedTerminal() {
        if (m_slaveFd >= 0) {
            ::close(m_slaveFd);
        }
        if (m_master >= 0) {
            ::close(m_master);
        }
    }
    TypedTerminal(const TypedTerminal&) = delete;
    TypedTerminal& operator=(const TypedTerminal&) = delete;

    bool ready() const { return m_ready; }
    const std::string& path() const { return m_slave; }

private:
    int m_master = -1;
    int m_slaveFd = -1;
    std::string m_slave;
    bool m_ready = false;
};

// Runs `program` with `arguments`; standard input is /dev/null unless `input` names another
// file (a terminal). Standard output and error go to files in `scratch`.
inline ProgramRun runProgram(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments,
                             const std::filesystem::path& scratch,
                             const std::string& input = "/dev/null") {
    const std::filesystem::path outFile = scratch / "stdout.txt";
    const std::filesystem::path errFile = scratch / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ProgramRun run;
    if (spawned != 0) {
        run.err = std::string("cannot start the program: ") + std::strerror(spawned);
        return run;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readText(outFile);
    run.err = readText(errFile);
    return run;
}

}  // namespace quorvane::cli::testing
