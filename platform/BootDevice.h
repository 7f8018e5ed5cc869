#pragma once

#include "platform/SystemRoot.h"

#include <string>

// The block device that holds "/".
class BootDevice {
public:
    struct Result {
        std::string name;   // kernel name such as "vda"; empty on failure
        std::string error;  // why there is no name
    };

    static Result Find(const SystemRoot& root);
};
