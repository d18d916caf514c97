// twinseek-cli run in-process, its exit status and what it printed.
#pragma once

#include "cli/CliApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace twinseek::testing {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun RunCommand(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "twinseek-cli");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    int status = RunCli(int(arguments.size()), argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string err = ::testing::internal::GetCapturedStderr();
    return {status, std::move(out), std::move(err)};
}

}  // namespace twinseek::testing
