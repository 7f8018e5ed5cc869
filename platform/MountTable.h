#pragma once

#include "platform/DeviceNumber.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The mounts of a mountinfo file and the active swap areas of a swaps file,
// parsed with libmount.
class MountTable {
public:
    struct Mount {
        int id = 0;
        int parentId = 0;
        // The device the mount belongs to. mountinfo reports an anonymous
        // number (0:N) for btrfs and its kind; ResolveSources replaces it
        // with the device the mount's source names.
        DeviceNumber device;
        std::string source;
        std::string target;
        std::string fileSystemType;
        std::string root;  // the subtree of the file system that is mounted
        // Every device of a file system that spans several (btrfs), device
        // among them; empty for a file system on one device.
        std::vector<DeviceNumber> members;

        // Whether the mount's file system lives on device.
        bool IsOn(DeviceNumber other) const;
    };

    // false when the file cannot be read; the table is then empty.
    bool LoadMountInfo(const std::filesystem::path& mountinfo);
    bool LoadSwaps(const std::filesystem::path& swaps);

    // Gives each mount with an anonymous device number the device its
    // source path leads to, where deviceOf finds one. Only file systems that
    // live on block devices are matched so, as the kernel's list of file
    // system kinds (proc/filesystems) tells them from the "nodev" ones: a
    // tmpfs may name any device as its source. Without that list none is.
    void ResolveSources(const std::filesystem::path& fileSystems,
                        const std::function<std::optional<DeviceNumber>(std::string_view source)>& deviceOf);
    // Whether a mount of a file system of this kind is in the table.
    bool HasType(std::string_view fileSystemType) const;
    // Joins the devices of each group (the members of one file system) to
    // the mounts of a device among them.
    void AddMembers(const std::vector<std::vector<DeviceNumber>>& groups);

    // Sources of the active swap areas as the swaps file names them.
    const std::vector<std::string>& SwapSources() const { return swapSources_; }

    // All mounts of a device (of a file system it is a member of), in mount order.
    std::vector<const Mount*> MountsOf(DeviceNumber device) const;
    // The mount a device is shown at: its whole file system if mounted so, else its first mount.
    const Mount* PrimaryMountOf(DeviceNumber device) const;
    // The mount now visible at target (the last one mounted there).
    const Mount* MountAt(std::string_view target) const;
    // The mounts whose parent is mount.
    std::vector<const Mount*> ChildrenOf(const Mount& mount) const;

private:
    std::vector<Mount> mounts_;
    std::vector<std::string> swapSources_;
};
