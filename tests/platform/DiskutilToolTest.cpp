#include "TestSupport.h"

#include "LoopDevices.h"
#include "platform/DiskList.h"
#include "platform/MountTable.h"
#include "platform/Mounter.h"

#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

// The diskutil command on the fake system.
class DiskutilTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { system_ = std::make_unique<FakeSystem>(); }
    static void TearDownTestSuite() { system_.reset(); }
    void SetUp() override { ASSERT_EQ(system_->Error(), ""); }

    static ProcessResult Diskutil(const std::vector<std::string>& args)
    {
        return RunToolOn(system_->Root(), "diskutil", args);
    }

    static std::unique_ptr<FakeSystem> system_;
};

std::unique_ptr<FakeSystem> DiskutilTool::system_;

TEST_F(DiskutilTool, ApplicationPipelinesGiveAlignedRows)
{
    // The listing of the fake system through the application's own pipelines.
    TempFolder saved;
    const fs::path listing = saved.Path() / "listing";
    std::ofstream(listing) << Diskutil({"info", "-all"}).output;
    ListingColumns columns = ListingColumnsOf("cat " + ShellWord(listing.string()));

    ASSERT_EQ(columns.names.size(), 10u);
    ASSERT_EQ(columns.nodes.size(), columns.names.size());
    ASSERT_EQ(columns.mounted.size(), columns.names.size());
    const char* rows[][3] = {
        {"BackupMountedx", "/dev/dm-0", "Yes"},
        {"Untitled", "/dev/loop2", "No"},
        {"Notapplicable(no", "/dev/loop10", "Not"},
        {"Unknown", "/dev/sdb", "No"},
        {"DeviceNodex", "/dev/sdc", "No"},
        {"Notapplicable(no", "/dev/vda", "Not"},
        {"ROOTFS", "/dev/vda1", "Yes"},
        {"Untitled", "/dev/vda2", "Swap"},
        {"spare", "/dev/vda3", "No"},
        {"DataDisk", "/dev/vda10", "No"},
    };
    for (size_t i = 0; i < columns.names.size(); ++i) {
        EXPECT_EQ(columns.names[i], rows[i][0]) << i;
        EXPECT_EQ(columns.nodes[i], rows[i][1]) << i;
        EXPECT_EQ(columns.mounted[i], rows[i][2]) << i;
    }
}

TEST_F(DiskutilTool, InfoByNameAndByNodeGiveTheSameEntry)
{
    auto byName = Diskutil({"info", "vda10"});
    auto byNode = Diskutil({"info", "/dev/vda10"});
    EXPECT_EQ(byName.status, 0);
    EXPECT_EQ(byName.errorOutput, "");
    EXPECT_EQ(byName.output, byNode.output);
    EXPECT_EQ(byNode.status, 0);
    EXPECT_EQ(Lines(byName.output).at(0), "   Device Identifier:        vda10");
    EXPECT_NE(byName.output.find("   Part of Whole:            vda\n"), std::string::npos);
    EXPECT_NE(byName.output.find("   Volume Name:              Data Disk\n"), std::string::npos);
    EXPECT_EQ(Count(byName.output, "Mounted:"), 1u);
}

TEST_F(DiskutilTool, InfoOfOneDeviceIsItsEntryOfTheWholeListing)
{
    // One device is read on its own, yet must read exactly as in the listing.
    auto all = Diskutil({"info", "-all"});
    ASSERT_EQ(all.status, 0);
    const std::string separator = "\n**********\n\n";
    std::vector<std::string> entries;
    for (size_t start = 0;;) {
        size_t end = all.output.find(separator, start);
        entries.push_back(all.output.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + separator.size();
    }
    ASSERT_EQ(entries.size(), 10u);
    for (const auto& entry : entries) {
        std::string id = Lines(entry).at(0).substr(29);
        SCOPED_TRACE(id);
        for (const std::string& operand : {id, "/dev/" + id}) {
            auto one = Diskutil({"info", operand});
            EXPECT_EQ(one.status, 0);
            EXPECT_EQ(one.output, entry);
        }
    }
    EXPECT_EQ(Diskutil({"info", "/dev/mapper/vg-data"}).output, entries.at(0));
    // Devices the listing leaves out are not found one by one either.
    for (const char* hidden : {"loop3", "loop4", "loop5", "sr0", "..", "block", "/dev/mapper/nope"})
        EXPECT_EQ(Diskutil({"info", hidden}).status, 1) << hidden;
}

TEST_F(DiskutilTool, UnknownDeviceIsReportedOnStderr)
{
    TempFolder scratch;
    fs::path marker = scratch.Path() / "ran";
    for (const std::string& id : std::vector<std::string>{"foo", "/dev/nothing", "$(touch " + marker.string() + ")",
                                                          "vda1; touch " + marker.string()}) {
        auto result = Diskutil({"info", id});
        EXPECT_EQ(result.status, 1) << id;
        EXPECT_EQ(result.output, "") << id;
        EXPECT_EQ(result.errorOutput.rfind("Could not find disk: ", 0), 0u) << result.errorOutput;
    }
    EXPECT_FALSE(fs::exists(marker)) << "the identifier reached a shell";
}

TEST_F(DiskutilTool, MountAndUnmountRefusalsAndNoOps)
{
    // Each is decided from the listing, before anything is mounted.
    struct Case {
        const char* verb;
        const char* id;
        int status;
        const char* message;  // start of stdout (exit 0) or stderr
    };
    const Case cases[] = {
        {"mount", "loop10", 1, "Mount of loop10 failed: loop10 has no file system"},
        {"mount", "vda", 1,
         "Mount of vda failed: vda holds a partition table; mount one of its partitions (vda1, vda2, vda3, vda10)"},
        {"mount", "vda2", 1, "Mount of vda2 failed: vda2 is in use as swap"},
        {"unmount", "vda2", 1, "Unmount of vda2 failed: vda2 is in use as swap"},
        {"mount", "vda3", 1, "Mount of vda3 failed: vda3 is a swap area, not a file system"},
        {"unmount", "loop10", 1, "Unmount of loop10 failed: loop10 has no file system"},
        {"mount", "foo", 1, "Could not find disk: foo"},
        {"unmount", "/dev/foo", 1, "Could not find disk: /dev/foo"},
        {"mount", "dm-0", 0, "Volume Backup Mounted x Volume Name y on dm-0 is already mounted at /srv/backup"},
        {"mount", "/dev/vda1", 0, "Volume ROOT FS on vda1 is already mounted at /"},
        {"unmount", "vda10", 0, "Volume Data Disk on vda10 is not mounted"},
        // The system volume is refused as such, on a prepared tree as on the system itself.
        {"unmount", "vda1", 1, "Unmount of vda1 failed: vda1 holds the system volume (/)"},
        {"unmount", "/dev/vda1", 1, "Unmount of vda1 failed: vda1 holds the system volume (/)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.verb) + " " + c.id);
        auto result = Diskutil({c.verb, c.id});
        EXPECT_EQ(result.status, c.status);
        const std::string& text = c.status == 0 ? result.output : result.errorOutput;
        EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
        EXPECT_EQ(Lines(text).size(), 1u) << text;
    }
}

TEST_F(DiskutilTool, UsageErrorsExitTwo)
{
    const std::string root = system_->Root().string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"info"},
        {"mount"},
        {"unmount"},
        {"list"},
        {"eject", "loop2"},
        {"info", "vda1", "extra"},
        {"--root"},
        // No option points the program at another tree: it would mount that tree's image files for real.
        {"--root", root, "mount", "sdc"},
        {"--root=" + root, "mount", "sdc"},
        {"--root", root, "info", "-all"},
    };
    for (const auto& args : cases) {
        auto result = RunTool("diskutil", args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(result.output, "");
        EXPECT_NE(result.errorOutput.find("usage: diskutil"), std::string::npos);
    }
    EXPECT_EQ(RunWithSbin("losetup -n -j " + ShellWord(root + "/dev/sdc")).output, "");
}

TEST_F(DiskutilTool, UnreadableRootFailsCleanly)
{
    TempFolder empty;
    auto result = RunToolOn(empty.Path(), "diskutil", {"info", "-all"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "");
    EXPECT_NE(result.errorOutput.find("sys/block"), std::string::npos);
}

// A prepared tree's devices are not this system's: as root, libmount would
// mount its image files and unmount whatever its mount table names, for real.
TEST(DiskTestTree, NothingIsMountedOrUnmountedForReal)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: only then could a mount or unmount go through";
    FakeSystem system;
    ASSERT_EQ(system.Error(), "");
    TempFolder media;
    TempFolder held;  // really mounted; the tree says it is sdc's
    ASSERT_EQ(::mount("tarnvik-held", held.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k"), 0)
        << std::strerror(errno);
    struct Cleanup {
        const FakeSystem& system;
        const fs::path& media;
        const fs::path& held;
        ~Cleanup()
        {
            ::umount2(held.c_str(), MNT_DETACH);
            std::error_code error;
            for (const auto& made : fs::directory_iterator(media, error))
                ::umount2(made.path().c_str(), MNT_DETACH);
            RunWithSbin("for n in $(losetup -n -O NAME -j " + ShellWord((system.Root() / "dev/loop2").string()) +
                        "); do losetup -d $n; done");
        }
    } cleanup{system, media.Path(), held.Path()};
    std::ofstream(system.Root() / "proc/self/mountinfo", std::ios::app)
        << "50 26 8:32 / " << held.Path().string() << " rw,relatime - ext4 /dev/sdc rw\n";
    TempFolder bin;
    const fs::path log = bin.Path() / "ran";
    bin.AddScript("udisksctl", ": > " + ShellWord(log.string()));
    SavedVariable path("PATH");
    ::setenv("PATH", bin.Path().c_str(), 1);

    const std::string where = " is in the test tree " + system.Root().string() + ", not on this system";
    for (bool privileged : {true, false}) {
        SCOPED_TRACE(privileged ? "as root" : "through the udisksctl on PATH");
        DiskList disks{SystemRoot(system.Root())};
        ASSERT_TRUE(disks.Load());
        Mounter mounter(disks);
        mounter.SetPrivileged(privileged);
        mounter.SetMediaDirectory(media.Path());
        auto mounted = mounter.Mount("loop2");
        EXPECT_EQ(mounted.exitCode, 1);
        EXPECT_EQ(mounted.message, "Mount of loop2 failed: loop2" + where);
        auto unmounted = mounter.Unmount("sdc");
        EXPECT_EQ(unmounted.exitCode, 1);
        EXPECT_EQ(unmounted.message, "Unmount of sdc failed: sdc" + where);
    }
    EXPECT_TRUE(fs::is_empty(media.Path()));
    EXPECT_FALSE(fs::exists(log)) << "udisksctl ran";
    MountTable now;
    ASSERT_TRUE(now.LoadMountInfo("/proc/self/mountinfo"));
    const MountTable::Mount* still = now.MountAt(held.Path().string());
    ASSERT_NE(still, nullptr) << "the real mount the tree named is gone";
    EXPECT_EQ(still->fileSystemType, "tmpfs");
}

}  // namespace
