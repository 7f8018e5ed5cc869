#pragma once

#include "platform/DiskEntry.h"

#include <cstdint>
#include <string>
#include <vector>

// Writes entries as "label: value" lines with the values in one column.
//
// Callers grep the whole output for "Volume Name:", "Device Node:" and
// "Mounted:" and pair the n-th hits up, so each entry carries each of those
// exactly once and no value may contain them or a line break: every value
// goes through PrintableLine.
class EntryFormatter {
public:
    static std::string Entry(const DiskEntry& entry);
    // Entries separated by a line of asterisks.
    static std::string All(const std::vector<DiskEntry>& entries);

    // "16.8 MB (16777216 Bytes)", in decimal units.
    static std::string HumanSize(uint64_t bytes);
};
