#pragma once

#include "base/Process.h"
#include "platform/DiskEntry.h"
#include "platform/DiskList.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Mounts and unmounts volumes: itself through libmount when running as root,
// otherwise through udisksctl, which asks for authorisation on our behalf.
class Mounter {
public:
    struct Outcome {
        int exitCode = 0;
        std::string message;  // for stdout when exitCode is 0, for stderr otherwise
    };

    // disks must be loaded; it is not reloaded here.
    explicit Mounter(DiskList& disks);

    void SetPrivileged(bool privileged) { privileged_ = privileged; }
    // Where volumes are mounted as root; /media by default.
    void SetMediaDirectory(std::filesystem::path media) { media_ = std::move(media); }
    // Where udisksctl (and setsid) are looked for; PATH by default. On a
    // prepared tree udisksctl runs only from a search path set here.
    void SetSearchPath(std::string searchPath)
    {
        searchPath_ = std::move(searchPath);
        ownSearchPath_ = true;
    }

    Outcome Mount(std::string_view id);
    Outcome Unmount(std::string_view id);

    // One short reason from what a failed udisksctl printed, in the words
    // used as root: known udisks errors get our own wording, others keep
    // udisks' text without its bus error name. busyAt names the mount point
    // a busy unmount was about, when there is only one.
    static std::string UdisksReason(const std::string& verb, const std::string& ident, const ProcessResult& result,
                                    const std::string& busyAt);

private:
    // Each gives why it failed; empty when it went through.
    std::string MountAsRoot(const DiskEntry& entry);
    std::string UnmountAsRoot(const std::vector<const MountTable::Mount*>& mounts);
    // Has udisksctl act on node: entry's own, or the device udisks knows its file system by.
    std::string RunUdisks(const std::string& verb, const DiskEntry& entry, const std::filesystem::path& node);
    // Why a device cannot be mounted or unmounted; empty when it can.
    std::string Refusal(const DiskEntry& entry) const;
    // Of the device's mounts, where one would keep an unmount from succeeding; empty when none would.
    std::string BusyMountOf(const std::vector<const MountTable::Mount*>& mounts) const;
    // Each mount after every mount inside it, the latest first otherwise.
    static std::vector<const MountTable::Mount*> InnermostFirst(std::vector<const MountTable::Mount*> mounts);
    // Why nothing may act on the device: it is in a prepared tree, not on this system. Empty on this system.
    std::string OffSystem(const DiskEntry& entry) const;

    DiskList& disks_;
    bool privileged_ = false;
    std::filesystem::path media_ = "/media";
    std::string searchPath_;
    bool ownSearchPath_ = false;
};
