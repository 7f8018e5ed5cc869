#include "TestSupport.h"

#include "LoopDevices.h"
#include "platform/DiskList.h"
#include "platform/MountPointPlanner.h"
#include "platform/Mounter.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path kMedia = "/media";

class DiskLoopDevices : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = WhyNoLoopDevices(); !why.empty())
            GTEST_SKIP() << why;
        ASSERT_EQ(MakeImage(images_.Path() / "data.img", "ext4", "MY DATA", 16), "");
        ASSERT_EQ(MakeImage(images_.Path() / "stick.img", "vfat", "STICK", 8), "");
        ASSERT_EQ(MakeImage(images_.Path() / "raw.img", "", "", 4), "");
        data_ = std::make_unique<LoopDevice>(images_.Path() / "data.img", kMedia / "MY DATA");
        if (data_->Node().empty())
            GTEST_SKIP() << "loop devices cannot be attached here: " << data_->Error();
        stick_ = std::make_unique<LoopDevice>(images_.Path() / "stick.img", kMedia / "STICK");
        raw_ = std::make_unique<LoopDevice>(images_.Path() / "raw.img");
        ASSERT_EQ(stick_->Error(), "");
        ASSERT_EQ(raw_->Error(), "");
        ASSERT_FALSE(MountPointInUse()) << "/media/MY DATA is taken by something else";
    }

    static bool MountPointInUse()
    {
        std::error_code error;
        fs::path dir = kMedia / "MY DATA";
        return fs::exists(dir, error) && (!fs::is_directory(dir, error) || !fs::is_empty(dir, error));
    }

    // The listing row of a node, through the application's pipelines.
    struct Row {
        std::string name;
        std::string mounted;
    };
    static Row RowOf(const std::string& node)
    {
        ListingColumns columns = ReadListingColumns(ShellWord(ToolPath("diskutil").string()));
        EXPECT_EQ(columns.names.size(), columns.nodes.size());
        EXPECT_EQ(columns.mounted.size(), columns.nodes.size());
        for (size_t i = 0; i < columns.nodes.size() && i < columns.names.size() && i < columns.mounted.size(); ++i)
            if (columns.nodes[i] == node)
                return {columns.names[i], columns.mounted[i]};
        ADD_FAILURE() << node << " is not listed";
        return {};
    }

    // Declared first, so the loop devices are gone before their images.
    TempFolder images_;
    std::unique_ptr<LoopDevice> data_;
    std::unique_ptr<LoopDevice> stick_;
    std::unique_ptr<LoopDevice> raw_;
};

TEST_F(DiskLoopDevices, ListedAndAligned)
{
    const std::pair<const LoopDevice*, Row> expected[] = {
        {data_.get(), {"MYDATA", "No"}},
        {stick_.get(), {"STICK", "No"}},
        {raw_.get(), {"Notapplicable(no", "Not"}},
    };
    for (const auto& [device, row] : expected) {
        SCOPED_TRACE(device->Node());
        Row listed = RowOf(device->Node());
        EXPECT_EQ(listed.name, row.name);
        EXPECT_EQ(listed.mounted, row.mounted);
        // Read on its own, a device reads exactly as in the listing.
        auto one = RunTool("diskutil", {"info", device->Id()});
        ASSERT_EQ(one.status, 0);
        EXPECT_NE(("\n\n" + RunTool("diskutil", {"info", "-all"}).output).find("\n\n" + one.output), std::string::npos)
            << one.output;
    }
}

TEST_F(DiskLoopDevices, MountAndUnmount)
{
    const std::pair<const LoopDevice*, std::string> volumes[] = {{data_.get(), "MY DATA"}, {stick_.get(), "STICK"}};
    for (const auto& [device, name] : volumes) {
        SCOPED_TRACE(device->Node());
        const std::string id = device->Id();
        const fs::path point = kMedia / name;

        auto mounted = RunTool("diskutil", {"mount", id});
        if (device == stick_.get() && !KernelHas("vfat")) {
            // libmount's reason is passed on, and the mount point made for it is gone again.
            EXPECT_EQ(mounted.status, 1);
            EXPECT_EQ(mounted.errorOutput, "Mount of " + id + " failed: unknown filesystem type 'vfat'\n");
            EXPECT_FALSE(fs::exists(point));
            continue;
        }
        ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
        EXPECT_EQ(mounted.output, "Volume " + name + " on " + id + " mounted\n");
        EXPECT_EQ(MountTargets(device->Node()), std::vector<std::string>{point.string()});
        EXPECT_EQ(RowOf(device->Node()).mounted, "Yes");

        auto again = RunTool("diskutil", {"mount", device->Node()});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.output, "Volume " + name + " on " + id + " is already mounted at " + point.string() + "\n");

        auto unmounted = RunTool("diskutil", {"unmount", id});
        ASSERT_EQ(unmounted.status, 0) << unmounted.errorOutput;
        EXPECT_EQ(unmounted.output, "Volume " + name + " on " + id + " unmounted\n");
        EXPECT_TRUE(MountTargets(device->Node()).empty());
        EXPECT_EQ(RowOf(device->Node()).mounted, "No");
        EXPECT_FALSE(fs::exists(point));
    }
}

TEST_F(DiskLoopDevices, BusyMountKeepsEveryMountInPlace)
{
    const std::string id = data_->Id();
    const fs::path point = kMedia / "MY DATA";
    ASSERT_EQ(RunTool("diskutil", {"mount", id}).status, 0);
    // A second, newer mount of the same device: it would go first.
    TempFolder second;
    ASSERT_EQ(::mount(data_->Node().c_str(), second.Path().c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
    const std::vector<std::string> both = {point.string(), second.Path().string()};
    {
        BusyProcess busy(point);
        ASSERT_TRUE(busy.Started());
        ASSERT_TRUE(busy.WaitUntilInside(point));

        auto result = RunTool("diskutil", {"unmount", id});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.errorOutput, "Unmount of " + id + " failed: target is busy (" + point.string() + ")\n");
        EXPECT_EQ(MountTargets(data_->Node()), both);
        EXPECT_EQ(RowOf(data_->Node()).mounted, "Yes");
        // The check left the idle mount as usable as before.
        EXPECT_TRUE(fs::exists(second.Path() / "lost+found"));
        EXPECT_EQ(RunTool("diskutil", {"unmount", id}).status, 1);
        EXPECT_EQ(MountTargets(data_->Node()), both);
    }
    auto result = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_TRUE(MountTargets(data_->Node()).empty());
    EXPECT_FALSE(fs::exists(point));
}

TEST_F(DiskLoopDevices, MediaFolderNeverMountsThroughWhatIsThere)
{
    TempFolder media;
    TempFolder elsewhere;
    const fs::path& m = media.Path();
    std::ofstream(elsewhere.Path() / "precious") << "keep";
    fs::create_directory_symlink(elsewhere.Path(), m / "MY DATA");
    fs::create_directory(m / "MY DATA 1");
    std::ofstream(m / "MY DATA 1" / "file") << "x";

    auto mount = [&] {
        DiskList disks;
        EXPECT_NE(disks.LoadOne(data_->Node()), nullptr);
        Mounter mounter(disks);
        mounter.SetMediaDirectory(m);
        return mounter.Mount(data_->Id());
    };
    auto outcome = mount();
    ASSERT_EQ(outcome.exitCode, 0) << outcome.message;
    EXPECT_EQ(MountTargets(data_->Node()), std::vector<std::string>{(m / "MY DATA 2").string()});
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "precious"));
    {
        DiskList disks;
        ASSERT_NE(disks.LoadOne(data_->Id()), nullptr);
        Mounter mounter(disks);
        mounter.SetMediaDirectory(m);
        ASSERT_EQ(mounter.Unmount(data_->Id()).exitCode, 0);
        EXPECT_FALSE(fs::exists(m / "MY DATA 2"));
    }

    // With every name taken it says so and mounts nowhere.
    for (int n = 2; n < MountPointPlanner::kNames; ++n)
        fs::create_directory_symlink(elsewhere.Path(), m / ("MY DATA " + std::to_string(n)));
    outcome = mount();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.message, "Mount of " + data_->Id() + " failed: no free folder for it in " + m.string() +
                                   " (MY DATA and its 99 numbered names are taken)");
    EXPECT_TRUE(MountTargets(data_->Node()).empty());
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "precious"));
}

TEST_F(DiskLoopDevices, BackingFileWithLineBreakStaysOnOneLine)
{
    const fs::path image = images_.Path() / "two\nlines.img";
    ASSERT_EQ(MakeImage(image, "", "", 1), "");
    LoopDevice odd(image);
    ASSERT_EQ(odd.Error(), "");
    auto result = RunTool("diskutil", {"info", odd.Id()});
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("\n   Backing File:             " + images_.Path().string() + "/two lines.img\n"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(RowOf(odd.Node()).name, "Notapplicable(no");
}

TEST_F(DiskLoopDevices, RawImageIsNotMounted)
{
    auto before = fs::exists(kMedia) ? std::distance(fs::directory_iterator(kMedia), fs::directory_iterator()) : 0;
    auto result = RunTool("diskutil", {"mount", raw_->Id()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errorOutput,
              "Mount of " + raw_->Id() + " failed: " + raw_->Id() + " has no file system to mount\n");
    EXPECT_TRUE(MountTargets(raw_->Node()).empty());
    auto after = fs::exists(kMedia) ? std::distance(fs::directory_iterator(kMedia), fs::directory_iterator()) : 0;
    EXPECT_EQ(after, before);
}

// btrfs shows its mounts under an anonymous device number; the stand-ins
// still know where it is mounted.
TEST(DiskBtrfsVolume, MountInfoUnmountRoundTrip)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    if (RunWithSbin("command -v mkfs.btrfs && command -v btrfs").status != 0)
        GTEST_SKIP() << "needs mkfs.btrfs (btrfs-progs)";
    TempFolder images;
    ASSERT_EQ(MakeImage(images.Path() / "pool.img", "btrfs", "BT DATA", 128), "");
    LoopDevice pool(images.Path() / "pool.img", kMedia / "BT DATA");
    ASSERT_EQ(pool.Error(), "");
    const std::string id = pool.Id();
    const fs::path point = kMedia / "BT DATA";
    auto info = [&] { return RunTool("diskutil", {"info", id}).output; };
    auto run = [&](const char* verb) { return RunTool("diskutil", {verb, id}); };

    auto mounted = run("mount");
    if (mounted.status != 0 && !KernelHas("btrfs"))
        GTEST_SKIP() << "the kernel has no btrfs: " << mounted.errorOutput;
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    EXPECT_NE(info().find("   Mounted:                  Yes\n   Mount Point:              " + point.string() + "\n"),
              std::string::npos)
        << info();

    auto again = run("mount");
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.output, "Volume BT DATA on " + id + " is already mounted at " + point.string() + "\n");
    EXPECT_EQ(MountTargets(pool.Node()), std::vector<std::string>{point.string()});  // nothing stacked

    auto unmounted = run("unmount");
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume BT DATA on " + id + " unmounted\n");
    EXPECT_TRUE(MountTargets(pool.Node()).empty());
    EXPECT_NE(info().find("   Mounted:                  No\n"), std::string::npos) << info();
    EXPECT_FALSE(fs::exists(point));
    // The kernel keeps a list of the btrfs devices it has seen; this one goes again.
    RunWithSbin("btrfs device scan --forget " + ShellWord(pool.Node()));
}

}  // namespace
