#include "TestSupport.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(BlessTool, BootDeviceOfFakeRoots)
{
    // The real sysfs links sys/dev/block/M:m to the device's directory.
    TempFolder linked;
    fs::create_directories(linked.Path() / "proc/self");
    fs::copy_file(FixturePath("boot-block/proc/self/mountinfo"), linked.Path() / "proc/self/mountinfo");
    fs::create_directories(linked.Path() / "sys/devices/pci0000:00/virtio1/block/vda");
    fs::create_directories(linked.Path() / "sys/dev/block");
    fs::create_symlink("../../devices/pci0000:00/virtio1/block/vda", linked.Path() / "sys/dev/block/254:0");

    struct Case {
        std::string root;
        int status;
        const char* output;
    };
    const Case cases[] = {
        {FixturePath("boot-block").string(), 0, "/dev/vda\n"},  // plain directory with a uevent
        {linked.Path().string(), 0, "/dev/vda\n"},
        {FixturePath("listing").string(), 0, "/dev/vda1\n"},  // found through sys/block
        {FixturePath("boot-overlay").string(), 1, ""},        // device number 0:45
        {FixturePath("boot-unknown").string(), 1, ""},        // 8:1 is in no sysfs
        {linked.Path().string() + "/nowhere", 1, ""},         // no mountinfo at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        auto result = RunToolOn(c.root, "bless", {"--getBoot"});
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errorOutput.empty(), c.status == 0) << result.errorOutput;
    }
}

TEST(BlessTool, OverlayRootIsExplained)
{
    auto result = RunToolOn(FixturePath("boot-overlay"), "bless", {"--getBoot"});
    EXPECT_EQ(result.errorOutput, "bless: / is not on a block device (overlay from overlay)\n");
}

TEST(BlessTool, BtrfsRootIsFoundThroughItsSource)
{
    // mountinfo gives "/" an anonymous number; only the node its source names tells the device.
    TempFolder root;
    fs::copy(FixturePath("boot-btrfs"), root.Path(), fs::copy_options::recursive);
    auto without = RunToolOn(root.Path(), "bless", {"--getBoot"});
    EXPECT_EQ(without.status, 1);
    EXPECT_EQ(without.errorOutput, "bless: / is not on a block device (btrfs from /dev/vda2)\n");

    fs::create_directory(root.Path() / "dev");
    if (::mknod((root.Path() / "dev/vda2").c_str(), S_IFBLK | 0600, ::makedev(254, 2)) != 0)
        GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
    auto result = RunToolOn(root.Path(), "bless", {"--getBoot"});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_EQ(result.output, "/dev/vda2\n");
}

TEST(BlessTool, ThisMachine)
{
    // "/" is wherever the host keeps it; the answer must name a node sysfs knows.
    auto result = RunTool("bless", {"--getBoot"});
    if (result.status != 0)
        GTEST_SKIP() << "/ is not on a block device here: " << result.errorOutput;
    ASSERT_EQ(result.output.rfind("/dev/", 0), 0u);
    ASSERT_EQ(result.output.back(), '\n');
    std::string name = result.output.substr(5, result.output.size() - 6);
    EXPECT_TRUE(fs::exists(fs::path("/sys/class/block") / name)) << name;
}

TEST(BlessTool, UsageErrorsExitTwo)
{
    // No option points the program at another tree than the system's own.
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--getboot"},
        {"--getBoot", "x"},
        {"--info"},
        {"--root", "/tmp", "--getBoot"},
        {"--root=/tmp", "--getBoot"},
    };
    for (const auto& args : cases) {
        auto result = RunTool("bless", args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.errorOutput, "usage: bless --getBoot\n");
    }
}

}  // namespace
