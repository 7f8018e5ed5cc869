#pragma once

#include "platform/DiskEntry.h"
#include "platform/SystemRoot.h"
#include "platform/UdevRecord.h"

#include <cstdint>
#include <filesystem>
#include <optional>

// Finds out what a device holds: label, type and UUID, from the udev
// database where its record is current, else from the node itself
// (libblkid's low-level probe).
class VolumeProbe {
public:
    // Call once before probing from several threads.
    static void Prepare();

    // false when the node cannot be opened or probed.
    static bool FromNode(const std::filesystem::path& node, DiskEntry& entry);

    // The udev record of a device, unless it is stale: udev named a disk
    // sequence number other than the disk's own (diskSequence, from sysfs),
    // so the record describes media that was there before, or another
    // partition number than the device's. A partition's record without such
    // a link is judged by its disk's record.
    static std::optional<UdevRecord> CurrentRecord(const SystemRoot& root, const DiskEntry& entry,
                                                   std::optional<uint64_t> diskSequence);
    static void FromRecord(const UdevRecord& record, DiskEntry& entry);
    // Whether the record says what the device holds, so probing can tell no more.
    static bool Describes(const UdevRecord& record);

private:
    static void Classify(const std::string& type, const std::string& usage, DiskEntry& entry);
};
