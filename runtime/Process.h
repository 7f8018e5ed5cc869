#pragma once

#include <string>
#include <vector>

// Runs a program (argv[0] is its path) with the given environment and waits
// for it: stdin is /dev/null, stdout and stderr are read at once, so outputs
// of any size neither deadlock nor get cut. The child gets no other
// descriptor of this process and default signal handling.
struct ProcessOutcome {
    std::string output;
    std::string errorOutput;
    int status = 0;  // the exit status; 128 + n when ended by signal n; 127 when it could not start
};
ProcessOutcome RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

// This process's own environment, as entries "NAME=value".
std::vector<std::string> CurrentEnvironment();
