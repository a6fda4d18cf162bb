#pragma once

// Runs the built command-line tool as a user does, through the shell.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

struct Result {
    int status;
    std::string output;
};

// The tool with arguments; environment ("NAME=value ...") goes in front of it.
inline Result RunTool(const std::string& arguments, const std::string& environment = "") {
    const std::string command = environment + " " + VORTALIS_TOOL + " " + arguments + " 2>&1";
    Result result{-1, {}};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, got);
    result.status = pclose(pipe);
    return result;
}

// Runs a command that must work and gives its output.
inline std::string Succeed(const std::string& arguments, const std::string& environment = "") {
    Result result = RunTool(arguments, environment);
    EXPECT_EQ(result.status, 0) << arguments << "\n" << result.output;
    return result.output;
}
