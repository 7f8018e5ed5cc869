#include "TestSupport.h"

#include "platform/MountPointPlanner.h"
#include "platform/Mounter.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
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
    TempFolder media;
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

    // Every name taken: no folder at all, never one in use.
    for (int n = 3; n < MountPointPlanner::kNames; ++n)
        fs::create_directory_symlink("/", m / ("DATA " + std::to_string(n)));
    EXPECT_EQ(MountPointPlanner::Choose(m, "DATA", mounted), std::nullopt);
}

TEST(DiskMountPointName, ClaimsOnlyAnEmptyFolderOfItsOwn)
{
    TempFolder media;
    const fs::path& m = media.Path();
    TempFolder elsewhere;
    std::ofstream(elsewhere.Path() / "precious") << "x";
    fs::create_directory_symlink(elsewhere.Path(), m / "link");
    std::ofstream(m / "file") << "x";
    fs::create_directory(m / "full");
    std::ofstream(m / "full" / "x") << "x";
    fs::create_directory(m / "empty");
    fs::permissions(m / "empty", fs::perms::owner_all);

    struct Case {
        const char* name;
        const char* error;  // empty: claimed
        bool created;
    };
    const Case cases[] = {
        {"link", " is a symlink", false},
        {"file", " is not a folder", false},
        {"full", " is not empty", false},
        {"empty", "", false},
        {"new", "", true},
    };
    const mode_t oldMask = ::umask(077);  // the folder is 0755 whatever the umask
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto claim = MountPointPlanner::ClaimFolder(m, c.name, MountTable());
        EXPECT_EQ(claim.error, c.error[0] ? (m / c.name).string() + c.error : "");
        EXPECT_EQ(claim.created, c.created);
        EXPECT_EQ(claim.fd >= 0, claim.error.empty());
        if (claim.fd >= 0)
            ::close(claim.fd);
    }
    ::umask(oldMask);
    EXPECT_EQ(fs::status(m / "new").permissions() & fs::perms::all, fs::perms::owner_all | fs::perms::group_read |
                                                                        fs::perms::group_exec | fs::perms::others_read |
                                                                        fs::perms::others_exec);
    EXPECT_EQ(fs::status(m / "empty").permissions() & fs::perms::all, fs::perms::owner_all);  // not made: left as it is
    EXPECT_TRUE(fs::is_symlink(m / "link"));
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "precious"));

    // Something already mounted there.
    fs::path mountinfo = elsewhere.Path() / "mountinfo";
    std::ofstream(mountinfo) << "30 1 8:1 / " << (m / "empty").string() << " rw - ext4 /dev/sda1 rw\n";
    MountTable mounted;
    ASSERT_TRUE(mounted.LoadMountInfo(mountinfo));
    EXPECT_EQ(MountPointPlanner::ClaimFolder(m, "empty", mounted).error,
              (m / "empty").string() + " is already a mount point");
}

TEST(DiskMountPointName, RefusesAFolderMountedOnSinceTheTableWasRead)
{
    // The mount table may be older than what is on the folder now; the folder itself tells.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a tmpfs";
    TempFolder media;
    const fs::path late = media.Path() / "late";
    fs::create_directory(late);
    ASSERT_EQ(::mount("tarnvik-test", late.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k"), 0)
        << std::strerror(errno);
    auto claim = MountPointPlanner::ClaimFolder(media.Path(), "late", MountTable());
    if (claim.fd >= 0)
        ::close(claim.fd);
    ::umount2(late.c_str(), MNT_DETACH);
    EXPECT_EQ(claim.error, late.string() + " is already a mount point");
    EXPECT_EQ(claim.fd, -1);
    EXPECT_FALSE(claim.created);
}

TEST(DiskUdisksReasons, ShortAndTheSameAsForRoot)
{
    // What udisksctl prints, as seen with a real udisksd and polkitd.
    const std::string agent =
        "Error creating textual authentication agent: Error opening current controlling terminal for the process "
        "(`/dev/tty'): No such device or address (polkit-error-quark, 0)\n";
    struct Case {
        const char* verb;
        std::string errorOutput;
        const char* busyAt;
        const char* reason;
    };
    const Case cases[] = {
        {"mount",
         agent + "Error mounting /dev/loop0: GDBus.Error:org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain: Not "
                 "authorized to perform operation\n",
         "", "not authorized to mount loop0 (ask an administrator, or use a desktop session that can authenticate)"},
        {"unmount",
         "Error unmounting /dev/loop0: GDBus.Error:org.freedesktop.UDisks2.Error.NotAuthorizedDismissed: Dismissed\n",
         "", "not authorized to unmount loop0 (ask an administrator, or use a desktop session that can authenticate)"},
        {"unmount",
         "Error unmounting /dev/loop0: GDBus.Error:org.freedesktop.UDisks2.Error.DeviceBusy: Error unmounting "
         "/dev/loop0: target is busy\n",
         "/media/u/DATA", "target is busy (/media/u/DATA)"},
        {"unmount",
         "Error unmounting /dev/loop0: GDBus.Error:org.freedesktop.UDisks2.Error.DeviceBusy: Error unmounting "
         "/dev/loop0: target is busy\n",
         "", "target is busy"},
        // No known error: udisks' own words, without the bus error's name.
        {"mount",
         "Error mounting /dev/loop0: GDBus.Error:org.freedesktop.UDisks2.Error.Failed: Error mounting /dev/loop0 at "
         "/media/u/x: wrong fs type\n",
         "", "Error mounting /dev/loop0 at /media/u/x: wrong fs type"},
        {"mount", "Error connecting to the udisks daemon: Could not connect: No such file or directory\n", "",
         "Error connecting to the udisks daemon: Could not connect: No such file or directory"},
        {"mount", agent, "", "udisksctl exited with status 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errorOutput);
        ProcessResult result{1, "", c.errorOutput};
        EXPECT_EQ(Mounter::UdisksReason(c.verb, "loop0", result, c.busyAt), c.reason);
    }
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
        bin_.AddScript("udisksctl",
                       "for a in \"$@\"; do echo \"$a\"; done > " + ShellWord(log_.string()) + "\n" + body);
    }

    std::vector<std::string> Recorded() const
    {
        std::ifstream in(log_);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return Lines(text);
    }

    FakeSystem system_;
    TempFolder bin_;
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

TEST_F(DiskUserMount, GivesUdisksReasonInOneLine)
{
    InstallUdisksctl(
        "echo 'Error mounting /dev/sdc: GDBus.Error:org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain: Not "
        "authorized to perform operation' >&2\nexit 1");
    auto outcome = mounter_.Mount("/dev/sdc");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.message,
              "Mount of sdc failed: not authorized to mount sdc (ask an administrator, or use a "
              "desktop session that can authenticate)");
}

TEST_F(DiskUserMount, SystemVolumeIsNotAskedFor)
{
    InstallUdisksctl("exit 0");
    auto outcome = mounter_.Unmount("vda1");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.message, "Unmount of vda1 failed: vda1 holds the system volume (/)");
    EXPECT_FALSE(fs::exists(log_)) << "udisksctl ran";
}

TEST_F(DiskUserMount, UdisksctlNeverGetsATerminal)
{
    // Started from a terminal, the program's udisksctl must still have none to prompt on.
    const fs::path seen = bin_.Path() / "terminal";
    InstallUdisksctl("if (: </dev/tty) 2>/dev/null; then echo yes; else echo no; fi > " + ShellWord(seen.string()));
    int terminal = -1;
    pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0) << "no pseudo-terminal here";
    if (child == 0) {
        bool own = (::open("/dev/tty", O_RDWR) >= 0);  // the test itself does have one
        ::_exit(own && mounter_.Mount("sdc").exitCode == 0 ? 0 : 1);
    }
    std::string transcript;
    char buffer[256];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        transcript.append(buffer, static_cast<size_t>(got));
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << transcript;
    std::ifstream in(seen);
    std::string answer;
    std::getline(in, answer);
    EXPECT_EQ(answer, "no");
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
