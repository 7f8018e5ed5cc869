#pragma once

#include "platform/SystemRoot.h"

#include <ostream>
#include <string>
#include <vector>

// The bless command line: only --getBoot, which prints the node of the disk
// holding "/" of the system under root (the program passes "/").
class BlessCommand {
public:
    static int Run(const SystemRoot& root, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};
