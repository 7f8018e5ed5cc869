#include "platform/BootDevice.h"

#include "platform/MountTable.h"
#include "platform/SysfsBlockDevices.h"

#include <sys/stat.h>

BootDevice::Result BootDevice::Find(const SystemRoot& root)
{
    MountTable table;
    auto mountinfo = root.Path("/proc/self/mountinfo");
    if (!table.LoadMountInfo(mountinfo))
        return {{}, "Could not read " + mountinfo.string()};
    const MountTable::Mount* mount = table.MountAt("/");
    if (!mount)
        return {{}, "No file system is mounted on /"};

    DeviceNumber device = mount->device;
    if (device.majorNumber == 0) {
        // btrfs reports an anonymous device number, but its source is still a real node.
        struct stat info {};
        if (mount->source.rfind("/dev/", 0) == 0 && ::stat(root.Path(mount->source).c_str(), &info) == 0 &&
            S_ISBLK(info.st_mode))
            device = DeviceNumber::FromDev(info.st_rdev);
        else
            return {{}, "/ is not on a block device (" + mount->fileSystemType + " from " + mount->source + ")"};
    }
    auto name = SysfsBlockDevices::NameOf(root, device);
    if (!name)
        return {{}, "/ is on device " + device.Text() + ", which sysfs does not know"};
    return {*name, {}};
}
