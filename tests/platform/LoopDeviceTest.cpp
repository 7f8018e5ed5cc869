#include "TestSupport.h"

#include "base/TextLines.h"

#include "LoopDevices.h"
#include "platform/DiskList.h"
#include "platform/MountPointPlanner.h"
#include "platform/Mounter.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace {

const fs::path kMedia = "/media";
// The volume names of this test process: its mounts never meet another run's.
const std::string kData = TestName("MY DATA");
const std::string kStick = TestName("STICK");
const fs::path kDataPoint = kMedia / kData;

// Without its spaces, as the listing's pipelines give a name.
std::string Joined(std::string name)
{
    std::erase(name, ' ');
    return name;
}

class DiskLoopDevices : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = WhyNoLoopDevices(); !why.empty())
            GTEST_SKIP() << why;
        ASSERT_EQ(MakeImage(images_.Path() / "data.img", "ext4", kData, 16), "");
        ASSERT_EQ(MakeImage(images_.Path() / "stick.img", "vfat", kStick, 8), "");
        ASSERT_EQ(MakeImage(images_.Path() / "raw.img", "", "", 4), "");
        data_ = std::make_unique<LoopDevice>(images_.Path() / "data.img", kDataPoint);
        if (data_->Node().empty())
            GTEST_SKIP() << "loop devices cannot be attached here: " << data_->Error();
        stick_ = std::make_unique<LoopDevice>(images_.Path() / "stick.img", kMedia / kStick);
        raw_ = std::make_unique<LoopDevice>(images_.Path() / "raw.img");
        ASSERT_EQ(stick_->Error(), "");
        ASSERT_EQ(raw_->Error(), "");
        ASSERT_FALSE(fs::exists(kDataPoint)) << kDataPoint << " is left from an earlier run";
    }

    // Mounts the data volume with the tool at its own folder.
    void MountData()
    {
        auto mounted = RunTool("diskutil", {"mount", data_->Id()});
        ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
        ASSERT_EQ(MountTargets(data_->Node()), std::vector<std::string>{kDataPoint.string()});
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
        {data_.get(), {Joined(kData), "No"}},
        {stick_.get(), {Joined(kStick), "No"}},
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
    const std::pair<const LoopDevice*, std::string> volumes[] = {{data_.get(), kData}, {stick_.get(), kStick}};
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
        // Media of other people: their programs get no set-id bits or device nodes.
        const std::string listed = RunWithSbin("findmnt -n -o VFS-OPTIONS -S " + ShellWord(device->Node())).output;
        const std::string options = "," + std::string(TrimSpace(listed)) + ",";
        EXPECT_NE(options.find(",nosuid,"), std::string::npos) << options;
        EXPECT_NE(options.find(",nodev,"), std::string::npos) << options;

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
    const fs::path point = kDataPoint;
    MountData();
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

TEST_F(DiskLoopDevices, BindInsideAndBusyFolderUnmountNothing)
{
    // Four mounts of one device: its own folder, a bind inside it, a second
    // mount elsewhere and a bind of the whole volume. Busy at its own folder,
    // which the kernel cannot be asked about while the bind sits inside, in
    // each way a process or the kernel can hold it.
    const std::string id = data_->Id();
    MountData();
    fs::create_directory(kDataPoint / "a");
    fs::create_directory(kDataPoint / "b");
    const fs::path file = kDataPoint / "held.img";
    ASSERT_EQ(MakeImage(file, "", "", 1), "");
    TempFolder second;
    TempFolder bound;
    ASSERT_EQ(::mount((kDataPoint / "a").c_str(), (kDataPoint / "b").c_str(), nullptr, MS_BIND, nullptr), 0);
    ASSERT_EQ(::mount(data_->Node().c_str(), second.Path().c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
    ASSERT_EQ(::mount(kDataPoint.c_str(), bound.Path().c_str(), nullptr, MS_BIND, nullptr), 0);
    const auto all = MountTargets(data_->Node());
    ASSERT_EQ(all.size(), 4u);

    // Each holds the folder until what it gives back goes.
    const std::pair<const char*, std::function<std::shared_ptr<void>()>> holders[] = {
        {"a working folder",
         [&] {
             auto busy = std::make_shared<BusyProcess>(kDataPoint);
             EXPECT_TRUE(busy->WaitUntilInside(kDataPoint));
             return std::shared_ptr<void>(busy);
         }},
        {"an open file",
         [&] {
             int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
             EXPECT_GE(fd, 0) << std::strerror(errno);
             return std::shared_ptr<void>(nullptr, [fd](void*) { ::close(fd); });
         }},
        {"a mapped file whose descriptor is closed",
         [&] {
             int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
             void* map = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
             ::close(fd);
             EXPECT_NE(map, MAP_FAILED) << std::strerror(errno);
             return std::shared_ptr<void>(nullptr, [map](void*) {
                 if (map != MAP_FAILED)
                     ::munmap(map, 4096);
             });
         }},
        {"a loop device's backing file",
         [&] {
             auto loop = std::make_shared<LoopDevice>(file);
             EXPECT_EQ(loop->Error(), "");
             return std::shared_ptr<void>(loop);
         }},
    };
    for (const auto& [what, hold] : holders) {
        SCOPED_TRACE(what);
        auto held = hold();
        auto result = RunTool("diskutil", {"unmount", id});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.errorOutput, "Unmount of " + id + " failed: target is busy (" + kDataPoint.string() + ")\n");
        EXPECT_EQ(MountTargets(data_->Node()), all);
    }
    // A loop device lets its file go once nobody has it open any more.
    for (int i = 0; i < 200 && !RunWithSbin("losetup -n -j " + ShellWord(file.string())).output.empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto result = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_EQ(result.output, "Volume " + kData + " on " + id + " unmounted\n");
    EXPECT_TRUE(MountTargets(data_->Node()).empty());
    EXPECT_FALSE(fs::exists(kDataPoint));
}

TEST_F(DiskLoopDevices, MountOfItselfInsideGoesFirst)
{
    const std::string id = data_->Id();
    MountData();
    const fs::path inner = kDataPoint / "inner";
    fs::create_directory(inner);
    ASSERT_EQ(::mount(data_->Node().c_str(), inner.c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
    auto result = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_TRUE(MountTargets(data_->Node()).empty());
    EXPECT_FALSE(fs::exists(kDataPoint));
}

TEST_F(DiskLoopDevices, OlderMountMovedInsideANewerGoesFirst)
{
    // Mount order is no guide once a mount was moved: the older one inside goes before the newer around it.
    const std::string id = data_->Id();
    MountData();
    TempFolder older;
    TempFolder newer;
    ASSERT_EQ(::mount(data_->Node().c_str(), older.Path().c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
    ASSERT_EQ(::mount(data_->Node().c_str(), newer.Path().c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
    const fs::path moved = newer.Path() / "moved";
    fs::create_directory(moved);
    if (::mount(older.Path().c_str(), moved.c_str(), nullptr, MS_MOVE, nullptr) != 0)
        GTEST_SKIP() << "a mount cannot be moved here (" << std::strerror(errno) << "): / may be a shared mount";
    auto all = MountTargets(data_->Node());
    std::sort(all.begin(), all.end());
    std::vector<std::string> expected = {kDataPoint.string(), moved.string(), newer.Path().string()};
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(all, expected);
    auto result = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_TRUE(MountTargets(data_->Node()).empty());
    EXPECT_FALSE(fs::exists(kDataPoint));
}

TEST_F(DiskLoopDevices, ForeignMountOnTheSameFolder)
{
    // Another file system stacked on the volume's folder is in the way; one
    // underneath the volume is not, and stays.
    const std::string id = data_->Id();
    const std::string source = TestName("tarnvik-test");
    auto tmpfsMounts = [&] { return RunWithSbin("findmnt -n -o TARGET -S " + ShellWord(source)).output; };
    MountData();
    {
        TmpfsMount onTop(kDataPoint, source);
        ASSERT_EQ(onTop.Error(), "");
        auto result = RunTool("diskutil", {"unmount", id});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.errorOutput, "Unmount of " + id + " failed: target is busy (" + kDataPoint.string() + ")\n");
        EXPECT_EQ(MountTargets(data_->Node()), std::vector<std::string>{kDataPoint.string()});
        EXPECT_EQ(tmpfsMounts(), kDataPoint.string() + "\n");
    }
    ASSERT_EQ(RunTool("diskutil", {"unmount", id}).status, 0);

    TempFolder folder;
    const fs::path under = folder.Path();
    TmpfsMount beneath(under, source);
    ASSERT_EQ(beneath.Error(), "");
    ASSERT_EQ(::mount(data_->Node().c_str(), under.c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
    auto result = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_TRUE(MountTargets(data_->Node()).empty());
    EXPECT_EQ(tmpfsMounts(), under.string() + "\n");
}

// An empty folder that is removed again on the way out.
struct FolderOfTheTest {
    explicit FolderOfTheTest(fs::path folder) : path(std::move(folder)) { made = fs::create_directory(path); }
    ~FolderOfTheTest()
    {
        std::error_code ignored;
        if (made)
            fs::remove(path, ignored);
    }
    fs::path path;
    bool made = false;
};

TEST_F(DiskLoopDevices, FoldersOfOthersStay)
{
    // Folders the tool did not make stay after its unmount, in the media folder or not.
    const std::string id = data_->Id();
    TempFolder outside;
    FolderOfTheTest admins(kMedia / TestName("ADMIN"));
    ASSERT_TRUE(admins.made) << admins.path << " is left from an earlier run";
    for (const fs::path& folder : {admins.path, outside.Path()}) {
        SCOPED_TRACE(folder);
        ASSERT_EQ(::mount(data_->Node().c_str(), folder.c_str(), "ext4", 0, nullptr), 0) << std::strerror(errno);
        auto result = RunTool("diskutil", {"unmount", id});
        EXPECT_EQ(result.status, 0) << result.errorOutput;
        EXPECT_TRUE(MountTargets(data_->Node()).empty());
        EXPECT_TRUE(fs::is_directory(folder));
    }

    // An empty folder with the volume's name is someone else's: the tool makes the next name.
    FolderOfTheTest named(kDataPoint);
    ASSERT_TRUE(named.made);
    const fs::path next = kMedia / (kData + " 1");
    auto mounted = RunTool("diskutil", {"mount", id});
    EXPECT_EQ(mounted.status, 0) << mounted.errorOutput;
    EXPECT_EQ(MountTargets(data_->Node()), std::vector<std::string>{next.string()});
    EXPECT_EQ(RunTool("diskutil", {"unmount", id}).status, 0);
    EXPECT_FALSE(fs::exists(next));
    EXPECT_TRUE(fs::is_directory(kDataPoint));
}

TEST_F(DiskLoopDevices, FolderGoesOnlyWhileNoMountIsBeingMade)
{
    // A mount being made holds the planner's lock from tidying until its mount is on its new folder.
    MountData();
    std::optional<ProcessResult> unmounted;
    std::thread unmount;
    {
        MountPointPlanner planner(kMedia);
        MountPointPlanner::Lock making(planner);
        unmount = std::thread([&] { unmounted = RunTool("diskutil", {"unmount", data_->Id()}); });
        for (int i = 0; i < 500 && !MountTargets(data_->Node()).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(MountTargets(data_->Node()).empty());
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_TRUE(fs::is_directory(kDataPoint));
    }
    unmount.join();
    ASSERT_TRUE(unmounted);
    EXPECT_EQ(unmounted->status, 0) << unmounted->errorOutput;
    EXPECT_FALSE(fs::exists(kDataPoint));
}

TEST_F(DiskLoopDevices, MediaFolderNeverMountsThroughWhatIsThere)
{
    TempFolder media;
    TempFolder elsewhere;
    const fs::path& m = media.Path();
    std::ofstream(elsewhere.Path() / "precious") << "keep";
    fs::create_directory_symlink(elsewhere.Path(), m / kData);
    fs::create_directory(m / (kData + " 1"));
    std::ofstream(m / (kData + " 1") / "file") << "x";

    auto mount = [&] {
        DiskList disks;
        EXPECT_NE(disks.LoadOne(data_->Node()), nullptr);
        Mounter mounter(disks);
        mounter.SetMediaDirectory(m);
        return mounter.Mount(data_->Id());
    };
    auto outcome = mount();
    ASSERT_EQ(outcome.exitCode, 0) << outcome.message;
    EXPECT_EQ(MountTargets(data_->Node()), std::vector<std::string>{(m / (kData + " 2")).string()});
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "precious"));
    {
        DiskList disks;
        ASSERT_NE(disks.LoadOne(data_->Id()), nullptr);
        Mounter mounter(disks);
        mounter.SetMediaDirectory(m);
        ASSERT_EQ(mounter.Unmount(data_->Id()).exitCode, 0);
        EXPECT_FALSE(fs::exists(m / (kData + " 2")));
    }

    // With every name taken it says so and mounts nowhere.
    for (int n = 2; n < MountPointPlanner::kNames; ++n)
        fs::create_directory_symlink(elsewhere.Path(), m / (kData + " " + std::to_string(n)));
    outcome = mount();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.message, "Mount of " + data_->Id() + " failed: no free folder for it in " + m.string() + " (" +
                                   kData + " and its 99 numbered names are taken)");
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

// A test killed at its time limit runs no destructor; the watcher cleans up for it.
TEST(DiskLoopCleanUp, KilledTestLeavesNoDeviceOrMount)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    TempFolder images;
    const fs::path image = images.Path() / "killed.img";
    const fs::path folder = images.Path() / "mounted";
    ASSERT_EQ(MakeImage(image, "ext4", TestName("KILLED"), 16), "");
    fs::create_directory(folder);
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    pid_t test = ::fork();
    ASSERT_GE(test, 0);
    if (test == 0) {
        LoopDevice device(image);
        bool mounted = ::mount(device.Node().c_str(), folder.c_str(), "ext4", 0, nullptr) == 0;
        const std::string told = mounted ? device.Node() + "\n" : "\n";
        if (::write(report[1], told.data(), told.size()) < 0 || !mounted)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(report[1]);
    std::string node;
    char c;
    while (::read(report[0], &c, 1) == 1 && c != '\n')
        node += c;
    ::close(report[0]);
    ::kill(test, SIGKILL);
    ::waitpid(test, nullptr, 0);
    ASSERT_FALSE(node.empty()) << "the killed test could not attach and mount its image";

    const fs::path backing = "/sys/block/" + node.substr(5) + "/loop/backing_file";
    auto attached = [&] { return TextFile::Value(backing) == image.string(); };
    bool clean = false;
    for (int i = 0; i < 500 && !clean; ++i) {
        clean = !attached() && MountTargets(node).empty();
        if (!clean)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(clean) << node << " is still attached or mounted ten seconds after its test was killed";
    if (attached()) {
        ::umount2(folder.c_str(), MNT_DETACH);
        RunWithSbin("losetup -d " + ShellWord(node));
    }
}

// btrfs shows its mounts under an anonymous device number; the stand-ins
// still know where it is mounted.
TEST(DiskBtrfsVolume, MountInfoUnmountRoundTrip)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    if (const std::string why = WhyNoBtrfs(); !why.empty())
        GTEST_SKIP() << why;
    TempFolder images;
    const std::string label = TestName("BT DATA");
    const fs::path point = kMedia / label;
    ASSERT_EQ(MakeImage(images.Path() / "pool.img", "btrfs", label, 128), "");
    LoopDevice pool(images.Path() / "pool.img", point);
    ASSERT_EQ(pool.Error(), "");
    const std::string id = pool.Id();
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
    EXPECT_EQ(again.output, "Volume " + label + " on " + id + " is already mounted at " + point.string() + "\n");
    EXPECT_EQ(MountTargets(pool.Node()), std::vector<std::string>{point.string()});  // nothing stacked

    auto unmounted = run("unmount");
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume " + label + " on " + id + " unmounted\n");
    EXPECT_TRUE(MountTargets(pool.Node()).empty());
    EXPECT_NE(info().find("   Mounted:                  No\n"), std::string::npos) << info();
    EXPECT_FALSE(fs::exists(point));
    // The kernel keeps a list of the btrfs devices it has seen; this one goes again.
    RunWithSbin("btrfs device scan --forget " + ShellWord(pool.Node()));
}

}  // namespace
