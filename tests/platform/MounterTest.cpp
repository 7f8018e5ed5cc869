#include "TestSupport.h"

#include "platform/MountPointPlanner.h"
#include "platform/Mounter.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

TEST(DiskMountPointName, SafeDirectoryNames)
{
    const std::pair<std::string, std::string> cases[] = {
        {"MY DATA", "MY DATA"},
        {"a/b", "a_b"},
        {"../..", "_.."},
        {"..hidden", "hidden"},
        {" . .x", "x"},
        {"", "Untitled"},
        {"...", "Untitled"},
        {"line\nbreak", "line break"},
        {"Mounted: x", "Mounted x"},
        {std::string(300, 'a'), std::string(247, 'a')},
        {std::string(246, 'a') + "\xc3\xa9"
                                 "b",
         std::string(246, 'a')},  // never half a character
    };
    for (const auto& [volume, directory] : cases)
        EXPECT_EQ(MountPointPlanner::DirectoryName(volume), directory) << volume;
}

TEST(DiskMountPointName, SkipsDirectoriesInUse)
{
    TempDir media;
    const fs::path& m = media.Path();
    MountTable none;
    EXPECT_EQ(MountPointPlanner::Choose(m, "DATA", none), m / "DATA");

    fs::create_directory(m / "DATA");  // empty and unused: taken as it is
    EXPECT_EQ(MountPointPlanner::Choose(m, "DATA", none), m / "DATA");

    std::ofstream(m / "DATA" / "file") << "x";
    std::ofstream(m / "DATA 1") << "not a directory";
    fs::create_directory(m / "DATA 2");
    EXPECT_EQ(MountPointPlanner::Choose(m, "DATA", none), m / "DATA 2");

    // Mounted on, as mountinfo says (escaped space and all).
    fs::path mountinfo = m / "mountinfo";
    std::ofstream(mountinfo) << "30 1 8:1 / " << (m / "DATA\\0402").string() << " rw - ext4 /dev/sda1 rw\n";
    MountTable mounted;
    ASSERT_TRUE(mounted.LoadMountInfo(mountinfo));
    EXPECT_EQ(MountPointPlanner::Choose(m, "DATA", mounted), m / "DATA 3");
}

// Mounting as a user who is not root: through a stand-in udisksctl that
// records its arguments, one a line.
class DiskUserMount : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(system_.Error(), "");
        ASSERT_TRUE(disks_.Load());
        mounter_.SetPrivileged(false);
        mounter_.SetSearchPath("/nonexistent:" + bin_.Path().string());
    }

    void InstallUdisksctl(const std::string& body)
    {
        fs::path script = bin_.Path() / "udisksctl";
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > " << ShellWord(log_.string())
                              << "\n"
                              << body << "\n";
        fs::permissions(script, fs::perms::owner_all);
    }

    std::vector<std::string> Recorded() const
    {
        std::ifstream in(log_);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return Lines(text);
    }

    FakeSystem system_;
    TempDir bin_;
    fs::path log_ = bin_.Path() / "calls";
    DiskList disks_{SystemRoot(system_.Root())};
    Mounter mounter_{disks_};
};

TEST_F(DiskUserMount, SucceedsThroughUdisksctl)
{
    InstallUdisksctl("echo 'Mounted /dev/sdc at /media/user/x'");
    auto outcome = mounter_.Mount("sdc");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.message, "Volume Device Node x on sdc mounted");
    std::string node = (system_.Root() / "dev/sdc").string();
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"mount", "-b", node}));

    outcome = mounter_.Unmount("dm-0");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.message, "Volume Backup Mounted x Volume Name y on dm-0 unmounted");
    EXPECT_EQ(Recorded().at(0), "unmount");
}

TEST_F(DiskUserMount, PassesUdisksErrorsThrough)
{
    InstallUdisksctl("echo 'Error mounting /dev/sdc: Not authorized to perform operation' >&2\nexit 1");
    auto outcome = mounter_.Mount("/dev/sdc");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.message, "Mount of sdc failed: Error mounting /dev/sdc: Not authorized to perform operation");
}

TEST_F(DiskUserMount, WithoutUdisksSaysWhatIsNeeded)
{
    auto outcome = mounter_.Mount("sdc");
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_EQ(outcome.message, "Mount of sdc failed: this needs root privileges or udisks (udisksctl was not found)");
    outcome = mounter_.Unmount("dm-0");
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_EQ(outcome.message.rfind("Unmount of dm-0 failed: this needs root privileges or udisks", 0), 0u);
}

}  // namespace
