#pragma once

#include <string>
#include <vector>

// The lowest layer's way to run a program: spawn it, read both of its output
// pipes at once, wait for it. The windowing runtime's Shell and the disk-tool
// stand-ins both run programs through it.

// The status when the runner itself failed rather than the program: it could
// not start it for want of pipes, processes or memory, or could not read its
// output or learn how it ended. No program exits with it; errorOutput ends
// with the cause.
inline constexpr int kRunFailed = -1;

// What a program left behind.
struct ProcessResult {
    // The exit status; 128 + n when ended by signal n; 127 when the program
    // could not be started (missing, not executable); kRunFailed.
    int status = 0;
    std::string output;
    std::string errorOutput;
};

// The search path used when the environment has none.
inline constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

// Runs a program (argv[0] is its path) with the given environment and waits
// for it: stdin is /dev/null, stdout and stderr are read at once, so outputs
// of any size neither deadlock nor get cut. It returns once the program has
// exited and what it wrote is read; a background child it leaves holding
// the pipes is not waited for, and what that child writes later is lost.
// A program that is stopped is waited for until it ends. The status is the
// program's own also when this process ignores SIGCHLD; when a handler of
// this process reaps the program first, the status is lost and the result
// is kRunFailed.
// The child gets no other descriptor of this process and default signal
// handling.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
// The same with this process's own environment.
ProcessResult RunProcess(const std::vector<std::string>& argv);

// The texts as exec and posix_spawn take them: a pointer to each, then a null
// pointer. The texts must outlive the pointers; neither is changed.
std::vector<char*> ExecPointers(const std::vector<std::string>& texts);

// This process's own environment, as entries "NAME=value".
std::vector<std::string> CurrentEnvironment();
