#pragma once

#include "base/Process.h"

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

// Helpers for tests that attach loop devices and mount under /media. Such a
// test holds the RESOURCE_LOCK loop_devices. Commands run through
// /bin/sh directly, never through the application's (possibly scripted) shell.

// Runs line through /bin/sh with sbin on PATH, where losetup, mkfs and
// btrfs live and a plain PATH may not look.
ProcessResult RunWithSbin(const std::string& line);

// Why loop devices cannot be used here (not root, no /dev/loop-control, or
// losetup, findmnt or mkfs.ext4 missing); empty when they can.
std::string WhyNoLoopDevices();

// Whether the kernel knows the file system type (it may still have to load a module for others).
bool KernelHas(const std::string& fileSystem);

// A sizeMiB image file at path holding the file system made by
// mkfs.<type> (ext4, vfat, btrfs) with label, or zeros when type is empty.
// Returns the mkfs error text, empty on success.
std::string MakeImage(const std::filesystem::path& path, const std::string& type, const std::string& label,
                      int sizeMiB);

// Where the kernel has node mounted, as findmnt reads it.
std::vector<std::string> MountTargets(const std::string& node);

// A loop device attached to an image. On the way out everything mounted from
// it is unmounted, the mount points it had under /media and the one it was
// expected to get are removed when empty, and it is detached. With
// partitions the kernel reads the image's partition table.
class LoopDevice {
public:
    explicit LoopDevice(const std::filesystem::path& image, std::filesystem::path mountPoint = {},
                        bool partitions = false);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    // "/dev/loopN"; empty when losetup failed.
    const std::string& Node() const { return node_; }
    // "loopN"
    std::string Id() const { return node_.substr(5); }
    const std::string& Error() const { return error_; }

private:
    std::string node_;
    std::string error_;
    std::filesystem::path mountPoint_;
};

// A child sitting in a directory, which keeps its file system busy until it is ended.
class BusyProcess {
public:
    explicit BusyProcess(const std::filesystem::path& directory);
    ~BusyProcess() { Stop(); }
    BusyProcess(const BusyProcess&) = delete;
    BusyProcess& operator=(const BusyProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Whether the child runs sleep inside directory within two seconds.
    bool WaitUntilInside(const std::filesystem::path& directory) const;
    void Stop();

private:
    pid_t pid_ = -1;
};
