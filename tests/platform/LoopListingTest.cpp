#include "TestSupport.h"

#include "LoopDevices.h"
#include "base/TextLines.h"

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace {

const fs::path kMedia = "/media";

// The value after a key such as "Mounted:" in an info entry.
std::string Field(const std::string& info, const std::string& key)
{
    for (const auto& line : Lines(info))
        if (line.rfind("   " + key, 0) == 0)
            return std::string(TrimSpace(line.substr(3 + key.size())));
    ADD_FAILURE() << "no " << key << " in " << info;
    return {};
}

std::string InfoOf(const std::string& id)
{
    auto info = RunTool("diskutil", {"info", id});
    EXPECT_EQ(info.status, 0) << info.errorOutput;
    return info.output;
}

// Lazily unmounts what is at a folder on the way out, however the test ends.
struct UnmountOnExit {
    fs::path target;
    ~UnmountOnExit() { ::umount2(target.c_str(), MNT_DETACH); }
};

TEST(DiskLoopListing, FileSystemOnNoDeviceIsNotTheDeviceItNames)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    TempFolder images;
    ASSERT_EQ(MakeImage(images.Path() / "claimed.img", "ext4", "PL CLAIMED", 16), "");
    TempFolder claim;
    const fs::path point = kMedia / "PL CLAIMED";
    LoopDevice device(images.Path() / "claimed.img", point);
    ASSERT_EQ(device.Error(), "");
    const std::string id = device.Id();
    // Any file system can give a device's node as its source; a tmpfs still lives on no device.
    ASSERT_EQ(::mount(device.Node().c_str(), claim.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k"), 0)
        << std::strerror(errno);
    UnmountOnExit claimed{claim.Path()};
    const std::vector<std::string> onlyTheTmpfs = {claim.Path().string()};

    EXPECT_EQ(Field(InfoOf(id), "Mounted:"), "No");
    auto unmounted = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(unmounted.status, 0);
    EXPECT_EQ(unmounted.output, "Volume PL CLAIMED on " + id + " is not mounted\n");
    EXPECT_EQ(MountTargets(device.Node()), onlyTheTmpfs);

    // Mounted for real, it shows its own mount, and unmounting it leaves the tmpfs alone.
    auto mounted = RunTool("diskutil", {"mount", id});
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    EXPECT_EQ(mounted.output, "Volume PL CLAIMED on " + id + " mounted\n");
    EXPECT_EQ(Field(InfoOf(id), "Mount Point:"), point.string());
    unmounted = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume PL CLAIMED on " + id + " unmounted\n");
    EXPECT_EQ(MountTargets(device.Node()), onlyTheTmpfs);
    EXPECT_FALSE(fs::exists(point));
}

TEST(DiskLoopListing, EveryDeviceOfABtrfsOverTwoIsMounted)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    if (RunWithSbin("command -v mkfs.btrfs && command -v btrfs").status != 0)
        GTEST_SKIP() << "needs mkfs.btrfs (btrfs-progs)";
    TempFolder images;
    ASSERT_EQ(MakeImage(images.Path() / "a.img", "", "", 128), "");
    ASSERT_EQ(MakeImage(images.Path() / "b.img", "", "", 128), "");
    const fs::path point = kMedia / "PL Multi";
    LoopDevice a(images.Path() / "a.img", point);
    LoopDevice b(images.Path() / "b.img", kMedia / "PL Multi 1");
    ASSERT_EQ(a.Error(), "");
    ASSERT_EQ(b.Error(), "");
    // Before the devices go: the file system is unmounted and the kernel forgets its devices.
    struct Forget {
        const LoopDevice& a;
        const LoopDevice& b;
        ~Forget()
        {
            for (const LoopDevice* device : {&a, &b})
                for (const std::string& target : MountTargets(device->Node()))
                    ::umount2(target.c_str(), MNT_DETACH);
            RunWithSbin("btrfs device scan --forget " + ShellWord(a.Node()) + " " + ShellWord(b.Node()));
        }
    } forget{a, b};
    auto made = RunWithSbin("mkfs.btrfs -q -f -L 'PL Multi' -d raid1 -m raid1 " + ShellWord(a.Node()) + " " +
                            ShellWord(b.Node()));
    ASSERT_EQ(made.status, 0) << made.errorOutput;

    auto mounted = RunTool("diskutil", {"mount", a.Id()});
    if (mounted.status != 0 && !KernelHas("btrfs"))
        GTEST_SKIP() << "the kernel has no btrfs: " << mounted.errorOutput;
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    for (const LoopDevice* device : {&a, &b}) {
        SCOPED_TRACE(device->Id());
        const std::string info = InfoOf(device->Id());
        EXPECT_EQ(Field(info, "Mounted:"), "Yes");
        EXPECT_EQ(Field(info, "Mount Point:"), point.string());
        auto again = RunTool("diskutil", {"mount", device->Id()});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.output,
                  "Volume PL Multi on " + device->Id() + " is already mounted at " + point.string() + "\n");
    }
    EXPECT_EQ(MountTargets(a.Node()), std::vector<std::string>{point.string()});
    EXPECT_TRUE(MountTargets(b.Node()).empty());

    auto unmounted = RunTool("diskutil", {"unmount", b.Id()});
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume PL Multi on " + b.Id() + " unmounted\n");
    EXPECT_TRUE(MountTargets(a.Node()).empty());
    EXPECT_FALSE(fs::exists(point));
    for (const LoopDevice* device : {&a, &b})
        EXPECT_EQ(Field(InfoOf(device->Id()), "Mounted:"), "No") << device->Id();
}

}  // namespace
