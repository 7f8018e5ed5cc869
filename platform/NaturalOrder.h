#pragma once

#include <string_view>

// Orders names the way a person counts: runs of digits compare by value, so
// "loop2" comes before "loop10" and "sda" before "sdaa".
struct NaturalOrder {
    bool operator()(std::string_view a, std::string_view b) const;
};
