#pragma once

#include "platform/DiskEntry.h"
#include "platform/SystemRoot.h"

#include <filesystem>

// Finds out what a device holds: label, type and UUID from the node itself
// (libblkid's low-level probe) when it can be read, otherwise from the udev
// database; Content::Unreadable when neither tells.
class VolumeProbe {
public:
    static void Fill(const SystemRoot& root, const std::filesystem::path& node, DiskEntry& entry);

    // false when the node cannot be opened or probed.
    static bool FromNode(const std::filesystem::path& node, DiskEntry& entry);
    // false when there is no udev record.
    static bool FromUdev(const SystemRoot& root, DiskEntry& entry);

private:
    static void Classify(const std::string& type, const std::string& usage, DiskEntry& entry);
};
