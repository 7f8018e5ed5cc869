#pragma once

#include "platform/DeviceNumber.h"

#include <cstdint>
#include <string>
#include <vector>

// What a device holds, as far as it could be found out.
enum class Content {
    FileSystem,    // a file system or swap area
    NoFileSystem,  // raw, a partition table, or a container such as LUKS
    Unreadable,    // neither the node nor the udev database could tell
};

enum class MountState {
    NotMounted,
    Mounted,
    Swap,  // active swap area
};

// One disk, partition, loop or device-mapper device: the sysfs facts, what
// is on it, and where it is mounted.
struct DiskEntry {
    std::string identifier;       // kernel name: vda1, loop0, dm-0
    std::string wholeIdentifier;  // the disk a partition belongs to; itself for a disk
    bool whole = true;
    uint64_t partitionNumber = 0;  // of a partition in its disk's table; 0 for a whole disk
    DeviceNumber device;
    uint64_t sizeBytes = 0;
    bool readOnly = false;
    bool removable = false;
    std::vector<std::string> partitions;  // of a whole disk, in order
    std::string mapperName;               // device-mapper name of a dm-N
    std::string backingFile;              // file behind a loop device

    Content content = Content::Unreadable;
    std::string label;
    std::string fileSystemType;
    std::string uuid;

    MountState mountState = MountState::NotMounted;
    std::string mountPoint;
    std::string mountedType;  // file system type mountinfo reports

    // Always /dev/<kernel name>: the application takes its third "/" field as
    // the identifier, which /dev/mapper/x would break.
    std::string DeviceNode() const;
    // Never empty, so the application keeps every volume it should show.
    std::string VolumeName() const;
    std::string MountedText() const;
    std::string Personality() const;
    bool HoldsPartitions() const { return !partitions.empty(); }
};
