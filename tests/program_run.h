#pragma once

// Runs built programs the way a user's shell would, capturing what they print.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

struct ProgramRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// The folder of fixture machine `name`.
inline std::string fixtureMachine(const std::string& name)
{
    return std::string(TEST_FIXTURES_DIR) + "/machines/" + name;
}

// Quoted for /bin/sh, so spaces, empty words and globs arrive as they are.
inline std::string shellWord(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs `command` with /bin/sh; what it writes to standard error is kept apart.
inline ProgramRun runShell(const std::string& command)
{
    const auto errFile = std::filesystem::path(::testing::TempDir()) / ("program-run-" + std::to_string(getpid()));
    ProgramRun run;
    FILE* pipe = popen((command + " 2>" + shellWord(errFile)).c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    std::filesystem::remove(errFile);
    return run;
}
