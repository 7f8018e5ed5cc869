#include "platform/BootDevice.h"

#include "platform/DiskList.h"
#include "platform/MountTable.h"
#include "platform/SysfsBlockDevices.h"

BootDevice::Result BootDevice::Find(const SystemRoot& root)
{
    MountTable table;
    auto mountinfo = root.Path("/proc/self/mountinfo");
    if (!table.LoadMountInfo(mountinfo))
        return {{}, "Could not read " + mountinfo.string()};
    // btrfs reports an anonymous device number, but its source is still a real node.
    table.ResolveSources(root.Path("/proc/filesystems"),
                         [&root](std::string_view source) { return BlockDeviceAt(root, source); });
    const MountTable::Mount* mount = table.MountAt("/");
    if (!mount)
        return {{}, "No file system is mounted on /"};
    if (mount->device.majorNumber == 0)
        return {{}, "/ is not on a block device (" + mount->fileSystemType + " from " + mount->source + ")"};
    auto name = SysfsBlockDevices::NameOf(root, mount->device);
    if (!name)
        return {{}, "/ is on device " + mount->device.Text() + ", which sysfs does not know"};
    return {*name, {}};
}
