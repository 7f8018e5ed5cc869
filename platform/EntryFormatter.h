#pragma once

#include "platform/DiskEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes entries as "label: value" lines with the values in one column.
//
// Callers grep the whole output for "Volume Name:", "Device Node:" and
// "Mounted:" and pair the n-th hits up, so each entry carries each of those
// exactly once and no value may contain them or a line break.
class EntryFormatter {
public:
    static std::string Entry(const DiskEntry& entry);
    // Entries separated by a line of asterisks.
    static std::string All(const std::vector<DiskEntry>& entries);

    // value as one line of printable text: control characters and invalid
    // UTF-8 become spaces or "?", and the three paired labels lose their colon.
    static std::string Sanitize(std::string_view value);
    // "16.8 MB (16777216 Bytes)", in decimal units.
    static std::string HumanSize(uint64_t bytes);
};
