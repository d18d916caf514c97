// twinseek-cli run in-process, its exit status and what it printed; and a
// temporary tree whose Trash and journal are the test's own.
#pragma once

#include "cli/CliApp.h"
#include "tests/session/SessionTestSupport.h"

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

// A run that must succeed; what it printed is returned for further checks.
inline CliRun Succeeds(std::vector<std::string> arguments) {
    CliRun run = RunCommand(std::move(arguments));
    EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
    return run;
}

// Whether text holds part; on failure, shows the whole text.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << text;
}

struct CliTreeTest : ::testing::Test {
    std::string Path(const std::string& name) const { return tree.Path(name); }
    bool Exists(const std::string& name) const { return access(tree.Path(name).c_str(), F_OK) == 0; }

    TemporaryTree tree;
    ScopedDataHome dataHome{tree.Path("data")};
};

}  // namespace twinseek::testing
