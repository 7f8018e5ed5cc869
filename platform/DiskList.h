#pragma once

#include "platform/DiskEntry.h"
#include "platform/MountTable.h"
#include "platform/SystemRoot.h"

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The devices of a system with their contents and mount state: sysfs for the
// devices, libblkid or the udev database for contents, mountinfo and swaps
// for what is in use. Everything is read under one SystemRoot.
class DiskList {
public:
    explicit DiskList(SystemRoot root = SystemRoot());

    // Reads sysfs and the mount tables, without probing contents. false (see
    // Error()) when sysfs cannot be read.
    bool Load();
    void ProbeAll();

    const std::vector<DiskEntry>& Entries() const { return entries_; }
    // By kernel name ("loop0"), node ("/dev/loop0"), mapper node
    // ("/dev/mapper/x") or any block node under /dev that leads to it; the
    // found entry is probed. nullptr when no device matches.
    const DiskEntry* Find(std::string_view id);

    // The node a device is read and mounted through.
    std::filesystem::path NodePath(const DiskEntry& entry) const;
    const MountTable& Mounts() const { return mounts_; }
    const SystemRoot& Root() const { return root_; }
    const std::string& Error() const { return error_; }

private:
    void Probe(DiskEntry& entry);
    void ApplyMountState(DiskEntry& entry) const;
    const DiskEntry* ByNodePath(std::string_view path) const;

    SystemRoot root_;
    std::vector<DiskEntry> entries_;
    std::vector<bool> probed_;
    MountTable mounts_;
    std::set<DeviceNumber> activeSwaps_;
    std::string error_;
};
