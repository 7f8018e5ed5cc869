#pragma once

#include "platform/SystemRoot.h"

#include <ostream>
#include <string>
#include <vector>

// The diskutil command line: info -all, info ID, mount ID, unmount ID.
class DiskutilCommand {
public:
    // args without the program name, on the system under root (the program
    // passes "/"; tests pass prepared trees, where nothing is mounted or
    // unmounted). Returns the exit status: 0, 1 for a failure, 2 for a usage
    // error.
    static int Run(const SystemRoot& root, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};
