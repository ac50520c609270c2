#pragma once
// Runs the qvconvert binary as a black box: arguments in, exit code and both output streams out.
#include "common/FileIO.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h> // environ
#include <vector>

struct TQvconvertRun
{
    int ExitCode = -1;
    std::string Out;
    /// Standard error without the run's figures, which a convert with plain output writes there.
    std::string Err;
    /// The figures' line ("12 files: 3 changed, 1 failed, 4 missed, 0.8 s"), empty when there was none.
    std::string Summary;
};

/// Takes the line of a run's figures out of `err` into `summary`; more than one such line is a failure.
inline void SplitSummaryLine(std::string &err, std::string &summary)
{
    static const std::regex kSummary(
        R"(^\d+ files?( \(simulated\))?: \d+ changed, \d+ failed, \d+ missed, \d+\.\d s( \(stopped\))?$)");
    std::string rest;
    std::size_t start = 0;
    while (start < err.size()) {
        const std::size_t end = err.find('\n', start);
        const std::size_t next = end == std::string::npos ? err.size() : end + 1;
        const std::string line = err.substr(start, (end == std::string::npos ? err.size() : end) - start);
        if (std::regex_match(line, kSummary)) {
            EXPECT_TRUE(summary.empty()) << "a second line of figures: " << line;
            summary = line;
        } else {
            rest += err.substr(start, next - start);
        }
        start = next;
    }
    err = rest;
}

/// Starts qvconvert with `args` without waiting for it; its standard output and error go to `outPath` and
/// `errPath`. Returns the process id, or -1 when it could not be started.
inline pid_t StartQvconvert(
    const std::vector<std::string> &args, const std::string &outPath, const std::string &errPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> argv = { QVC_QVCONVERT };
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> pointers;
    pointers.reserve(argv.size() + 1);
    for (std::string &arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, QVC_QVCONVERT, &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

/// Waits for a started qvconvert; its exit code (128 + the signal when a signal ended it).
inline int WaitForQvconvert(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/// Runs qvconvert with `args`; its standard output and error go through files in `scratchDir`.
inline TQvconvertRun RunQvconvert(const std::vector<std::string> &args, const std::string &scratchDir)
{
    const std::string outPath = scratchDir + "/stdout";
    const std::string errPath = scratchDir + "/stderr";
    TQvconvertRun run;
    const pid_t pid = StartQvconvert(args, outPath, errPath);
    if (pid < 0) {
        ADD_FAILURE() << "cannot start " << QVC_QVCONVERT;
        return run;
    }
    run.ExitCode = WaitForQvconvert(pid);
    run.Out = qvc::ReadFileBytes(outPath);
    run.Err = qvc::ReadFileBytes(errPath);
    SplitSummaryLine(run.Err, run.Summary);
    return run;
}
