#pragma once

#include "platform/DiskEntry.h"
#include "platform/MountTable.h"
#include "platform/ProbeCache.h"
#include "platform/SystemRoot.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The devices of a system with their contents and mount state: sysfs for the
// devices, the udev database or libblkid for contents, mountinfo and swaps
// for what is in use. Everything is read under one SystemRoot.
class DiskList {
public:
    explicit DiskList(SystemRoot root = SystemRoot());

    // Reads sysfs and the mount tables for every device, without probing
    // contents. false (see Error()) when sysfs cannot be read.
    bool Load();
    // Reads only the device id names (as Find takes it), probed, with the
    // mount tables; nullptr when the listing would not show such a device.
    const DiskEntry* LoadOne(std::string_view id);
    // Probes every loaded device, several at a time.
    void ProbeAll();

    const std::vector<DiskEntry>& Entries() const { return entries_; }
    // By kernel name ("loop0"), node ("/dev/loop0"), mapper node
    // ("/dev/mapper/x") or any block node under /dev that leads to it; the
    // found entry is probed. nullptr when no loaded device matches.
    const DiskEntry* Find(std::string_view id);

    // The node a device is read and mounted through.
    std::filesystem::path NodePath(const DiskEntry& entry) const;
    const MountTable& Mounts() const { return mounts_; }
    // The mount tables read afresh, as loading reads them; Mounts() stays as it was.
    MountTable CurrentMounts() const;
    // Whether the file system on "/" lives on device (or on it among others).
    bool HoldsSystemVolume(DeviceNumber device) const;
    const SystemRoot& Root() const { return root_; }
    const std::string& Error() const { return error_; }

    // Remembers probe results for a few seconds in folder (see ProbeCache).
    void UseProbeCache(std::filesystem::path folder);
    // The cache folder of this user: run/tarnvik for root, run/user/UID/tarnvik otherwise.
    std::filesystem::path DefaultProbeCacheFolder() const;

private:
    void LoadMountState();
    void Probe(DiskEntry& entry);
    void ApplyMountState(DiskEntry& entry) const;
    const DiskEntry* ByNodePath(std::string_view path) const;
    std::optional<ProbeCache::Key> CacheKey(const DiskEntry& entry, std::optional<uint64_t> diskSequence) const;

    SystemRoot root_;
    std::vector<DiskEntry> entries_;
    std::vector<bool> probed_;
    MountTable mounts_;
    std::set<DeviceNumber> activeSwaps_;
    std::string error_;
    std::optional<ProbeCache> cache_;  // none: every device is probed
};

// The block device a node path under root leads to, following symlinks;
// nullopt when it leads to none.
std::optional<DeviceNumber> BlockDeviceAt(const SystemRoot& root, std::string_view path);
