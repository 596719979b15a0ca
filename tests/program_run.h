#pragma once

// Runs a built program the way a user's shell would, capturing what it prints.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

struct ProgramRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Quoted for /bin/sh, so spaces, empty words and globs arrive as they are.
inline std::string shellWord(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// `environment` is a list of NAME=value assignments put before the command.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment = {})
{
    static int runs = 0;
    const auto errFile = std::filesystem::path(::testing::TempDir())
                         / ("program-run-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
    std::string command;
    for (const auto& assignment : environment)
        command += assignment.substr(0, assignment.find('=') + 1) + shellWord(assignment.substr(assignment.find('=') + 1)) + " ";
    command += shellWord(program);
    for (const auto& argument : arguments)
        command += " " + shellWord(argument);
    command += " 2>" + shellWord(errFile.string());

    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    std::filesystem::remove(errFile);
    return run;
}
