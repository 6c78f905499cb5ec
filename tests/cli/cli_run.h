#pragma once
// Runs the real ostrel-cli through bash, as a user types it, and collects
// what it did: its exit status as the shell reports it (128 + N when ended by
// signal N), standard output and standard error. Paths in the arguments must
// not need quoting (scratch folders never do).

#include "../recorder/record_test_util.h"
#include "recorder/record_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace ostrel::test {

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The folder of a test's files, removed at its end.
using CliDir = ScratchDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// "ostrel-cli " + arguments, run by bash in dir. arguments may carry
// redirections of their own ("> x", "| head -n 1"); standard output and
// standard error are collected unless redirected there.
inline CliRun RunCli(const CliDir& dir, const std::string& arguments,
                     const std::string& input = {}) {
    const std::string in = dir / ".stdin", out = dir / ".stdout", err = dir / ".stderr";
    WriteText(in, input);
    const std::string script = "cd " + dir.path().string() + " && { " + OSTREL_CLI + " " +
                               arguments + "; } <" + in + " >" + out + " 2>" + err;
    const std::string command = "bash -c 'set -o pipefail; " + script + "'";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(out);
    run.err = ReadText(err);
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

// The samples of a record file that must load whole.
inline SampleBuffer Load(const std::string& path) {
    SampleBuffer pairs;
    EXPECT_EQ(LoadRecordFile(path, pairs).status, LoadStatus::Ok) << path;
    return pairs;
}

// Waits (five seconds unless told) until done() holds, looking every 10 ms;
// whether it does.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Starts a shell command line in the background; its process id.
inline int StartInBackground(const std::string& command) {
    FILE* shell = ::popen((command + " & echo $!").c_str(), "r");
    int pid = 0;
    if (shell) {
        if (std::fscanf(shell, "%d", &pid) != 1)
            pid = 0;
        ::pclose(shell);
    }
    return pid;
}

} // namespace ostrel::test
