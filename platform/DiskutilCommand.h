#pragma once

#include <ostream>
#include <string>
#include <vector>

// The diskutil command line: info -all, info ID, mount ID, unmount ID.
//
// A leading "--root DIR" (or "--root=DIR") makes it read DIR/sys,
// DIR/proc/self/mountinfo, DIR/proc/swaps, DIR/run/udev/data and the nodes
// under DIR/dev instead of the system's own; tests run it on prepared trees.
// It is left out of the usage text on purpose.
class DiskutilCommand {
public:
    // args without the program name. Returns the exit status: 0, 1 for a
    // failure, 2 for a usage error.
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};
