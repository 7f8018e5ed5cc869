#pragma once

#include <ostream>
#include <string>
#include <vector>

// The bless command line: only --getBoot, which prints the node of the disk
// holding "/". Like diskutil it takes a leading hidden "--root DIR" to read
// DIR/proc/self/mountinfo and DIR/sys instead of the system's own.
class BlessCommand {
public:
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};
