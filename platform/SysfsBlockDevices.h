#pragma once

#include "platform/DeviceNumber.h"
#include "platform/DiskEntry.h"
#include "platform/SystemRoot.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The block devices sysfs knows. Works on the real sysfs, where sys/block/X
// and sys/dev/block/M:m are symlinks, and on test trees made of plain
// directories.
class SysfsBlockDevices {
public:
    // Whole disks in natural order, each followed by its partitions in
    // partition order. Unbound loop devices and devices of size 0 are left
    // out. nullopt when sys/block cannot be read at all.
    static std::optional<std::vector<DiskEntry>> Scan(const SystemRoot& root);

    // One device by kernel name, through sys/class/block/NAME, as Scan would
    // list it; nullopt when Scan would not list it.
    static std::optional<DiskEntry> One(const SystemRoot& root, std::string_view name);

    // The kernel name of a device number: from sys/dev/block/M:m (the target
    // of its symlink, or DEVNAME in its uevent), else by searching sys/block.
    static std::optional<std::string> NameOf(const SystemRoot& root, DeviceNumber device);

    // The devices of each mounted btrfs file system, as the kernel lists them
    // in sys/fs/btrfs/UUID/devices; one group for each file system.
    static std::vector<std::vector<DeviceNumber>> BtrfsMembers(const SystemRoot& root);

    // The device-mapper device called mapperName, by its kernel name.
    static std::optional<std::string> MapperDevice(const SystemRoot& root, std::string_view mapperName);

    // Whether name can be a kernel device name: not empty, no "/", not "." or "..".
    static bool IsKernelName(std::string_view name);
};
