#pragma once

#include "base/Process.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
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

// base with a tag of this test process, so two runs on one machine never
// meet at the same /media folder: "MY DATA" gives "MY DATA K3F9Z". At most 11
// bytes long when base is at most 5 (a vfat label's limit).
std::string TestName(const std::string& base);

// A loop device attached to an image. On the way out everything mounted from
// it is unmounted, the mount points it had under /media and the one it was
// expected to get are removed when empty, and it is detached. A watcher
// process outside the test's process tree does the same when the test
// process dies first (killed at its time limit, say).
class LoopDevice {
public:
    // Whether the kernel reads the image's partition table.
    enum class Partitions { Ignored, Read };
    // Attached to the first free loop device, or to node ("/dev/loopN") when one is given.
    explicit LoopDevice(const std::filesystem::path& image, std::filesystem::path mountPoint = {},
                        Partitions partitions = Partitions::Ignored, const std::string& node = {});
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
    std::string sequence_;  // the kernel's disk sequence number: this attachment and no later one
    std::string error_;
    std::filesystem::path mountPoint_;
};

// Why btrfs file systems cannot be made here (mkfs.btrfs or btrfs missing); empty when they can.
std::string WhyNoBtrfs();

// A btrfs file system labelled label over two loop devices, data and
// metadata on both, their images made in folder. On the way out it is
// unmounted and the kernel forgets its devices, before they are detached.
class BtrfsOverTwo {
public:
    // mountPoint as for LoopDevice, given to the first device.
    BtrfsOverTwo(const std::filesystem::path& folder, const std::string& label, std::filesystem::path mountPoint = {});
    ~BtrfsOverTwo();
    BtrfsOverTwo(const BtrfsOverTwo&) = delete;
    BtrfsOverTwo& operator=(const BtrfsOverTwo&) = delete;

    const LoopDevice& First() const { return *first_; }
    const LoopDevice& Second() const { return *second_; }
    // Why it could not be made; empty when it is.
    const std::string& Error() const { return error_; }

private:
    std::unique_ptr<LoopDevice> first_;
    std::unique_ptr<LoopDevice> second_;
    std::string error_;
};

// A small tmpfs mounted on target, with source as its name in the mount
// table; lazily unmounted on the way out.
class TmpfsMount {
public:
    TmpfsMount(const std::filesystem::path& target, const std::string& source = "tarnvik-test");
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // Why it could not be mounted; empty when it is.
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path target_;
    std::string error_;
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
