#include "TestSupport.h"

#include "LoopDevices.h"

#include "platform/MountPointPlanner.h"
#include "platform/Mounter.h"
#include "platform/TextFile.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
        {" .x . \t", "x ."},
        {"\xc2\xa0x\xc2\xa0", "\xc2\xa0x\xc2\xa0"},  // a no-break space is part of the name
        {std::string(300, 'a'), std::string(247, 'a')},
        {std::string(246, 'a') + "  b", std::string(246, 'a')},  // no blank left at the cut
        {std::string(246, 'a') + "\xc3\xa9"
                                 "b",
         std::string(246, 'a')},  // never half a character
    };
    for (const auto& [volume, directory] : cases)
        EXPECT_EQ(MountPointPlanner::DirectoryName(volume), directory) << volume;
}

// A media folder and a record folder of the test's own.
class DiskMountFolders : public ::testing::Test {
protected:
    size_t RecordCount() const
    {
        std::error_code error;
        auto listed = fs::directory_iterator(records_, error);
        return error ? 0 : static_cast<size_t>(std::distance(listed, fs::directory_iterator()));
    }

    // A made folder, closed again.
    fs::path Make(std::string_view volumeName)
    {
        auto folder = planner_.Make(volumeName);
        EXPECT_EQ(folder.error, "");
        if (folder.fd >= 0)
            ::close(folder.fd);
        return folder.path;
    }

    TempFolder media_;
    TempFolder state_;
    const fs::path& m_ = media_.Path();
    fs::path records_ = state_.Path() / "tarnvik" / "mount-points";
    MountPointPlanner planner_{m_, records_};
};

TEST_F(DiskMountFolders, MakesOnlyANameNothingHas)
{
    TempFolder elsewhere;
    std::ofstream(elsewhere.Path() / "precious") << "x";
    // Whatever exists under a name is someone else's, an empty folder too.
    fs::create_directory(m_ / "DATA");
    std::ofstream(m_ / "DATA 1") << "not a folder";
    fs::create_directory_symlink(elsewhere.Path(), m_ / "DATA 2");
    for (int n = 3; n < MountPointPlanner::kNames - 1; ++n)
        fs::create_directory(m_ / ("DATA " + std::to_string(n)));

    const mode_t oldMask = ::umask(077);  // the folder is 0755 whatever the umask
    auto folder = planner_.Make("DATA");
    ::umask(oldMask);
    ASSERT_EQ(folder.error, "");
    EXPECT_EQ(folder.path, m_ / "DATA 99");
    EXPECT_GE(folder.fd, 0);
    ::close(folder.fd);
    EXPECT_TRUE(fs::is_empty(m_ / "DATA 99"));
    EXPECT_EQ(fs::status(m_ / "DATA 99").permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                  fs::perms::others_exec);
    EXPECT_EQ(RecordCount(), 1u);
    EXPECT_TRUE(fs::is_empty(m_ / "DATA"));
    EXPECT_TRUE(fs::is_symlink(m_ / "DATA 2"));
    EXPECT_TRUE(fs::exists(elsewhere.Path() / "precious"));

    // Every name taken: no folder at all.
    auto none = planner_.Make("DATA");
    EXPECT_EQ(none.error, "no free folder for it in " + m_.string() + " (DATA and its 99 numbered names are taken)");
    EXPECT_EQ(none.fd, -1);
    EXPECT_EQ(RecordCount(), 1u);
}

TEST_F(DiskMountFolders, RemovesOnlyFoldersItMade)
{
    const fs::path made = Make("MADE");
    const fs::path admins = m_ / "ADMIN";
    fs::create_directory(admins);
    const fs::path replaced = Make("REPLACED");
    fs::remove(replaced);
    fs::create_directory(replaced);  // someone else's folder by now, under the same name
    const fs::path filled = Make("FILLED");
    std::ofstream(filled / "kept") << "x";
    ASSERT_EQ(RecordCount(), 3u);

    for (const fs::path& folder : {made, admins, replaced, filled})
        planner_.Remove(folder);
    EXPECT_FALSE(fs::exists(made));
    EXPECT_TRUE(fs::is_directory(admins));
    EXPECT_TRUE(fs::is_directory(replaced));
    EXPECT_TRUE(fs::exists(filled / "kept"));
    // The records of folders that are no longer the ones made go at the next tidying, and only they.
    planner_.Tidy();
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_TRUE(fs::is_directory(admins));
    EXPECT_TRUE(fs::is_directory(replaced));
    EXPECT_TRUE(fs::exists(filled / "kept"));
}

TEST_F(DiskMountFolders, TidyRemovesLeftoversButNoFolderInUse)
{
    // A folder whose mount was undone by hand goes on the next mount; one mounted on stays.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a tmpfs on a folder";
    const fs::path left = Make("LEFT");
    const fs::path inUse = Make("IN USE");
    const fs::path gone = Make("GONE");
    fs::remove(gone);
    {
        TmpfsMount mounted(inUse);
        ASSERT_EQ(mounted.Error(), "");
        planner_.Tidy();
        EXPECT_FALSE(fs::exists(left));
        EXPECT_TRUE(fs::is_directory(inUse));
        EXPECT_EQ(RecordCount(), 1u);
        planner_.Remove(inUse);  // still mounted on: kept
        EXPECT_TRUE(fs::is_directory(inUse));
    }
    planner_.Remove(inUse);
    EXPECT_FALSE(fs::exists(inUse));
    EXPECT_EQ(RecordCount(), 0u);
}

TEST_F(DiskMountFolders, NoRecordNoFolder)
{
    // A record folder others may write to cannot tell which folders are ours.
    fs::create_directories(records_);
    fs::permissions(records_, fs::perms::others_write, fs::perm_options::add);
    auto folder = planner_.Make("DATA");
    EXPECT_EQ(folder.error, "cannot keep a record of its folder in " + records_.string() + ": Operation not permitted");
    EXPECT_EQ(folder.fd, -1);
    EXPECT_TRUE(fs::is_empty(m_));
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

    fs::path MountInfo() const { return system_.Root() / "proc/self/mountinfo"; }

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

    // This udisksctl unmounts: the mount leaves the tree's mount table.
    InstallUdisksctl("sed -i '/ \\/srv\\/backup /d' " + ShellWord(MountInfo().string()));
    outcome = mounter_.Unmount("dm-0");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.message, "Volume Backup Mounted x Volume Name y on dm-0 unmounted");
    EXPECT_EQ(Recorded().at(0), "unmount");
}

TEST_F(DiskUserMount, NeverSaysUnmountedWhileAMountIsLeft)
{
    struct Case {
        const char* name;
        const char* udisksctl;
        const char* moreMounts;  // lines added to the tree's mount table
        const char* message;
        bool asked;  // whether udisksctl ran
    };
    const Case cases[] = {
        // udisks would take one mount away and leave the others.
        {"more than one mount", "exit 0", "43 26 252:0 /sub /mnt/bind rw - xfs /dev/mapper/vg-data rw\n",
         "Unmount of dm-0 failed: it stays mounted at /srv/backup, /mnt/bind (unmounting more than one mount needs "
         "root)",
         false},
        {"udisksctl that unmounts nothing", "exit 0", "", "Unmount of dm-0 failed: it stays mounted at /srv/backup",
         true},
    };
    const std::string original = TextFile::Read(MountInfo()).value_or("");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(MountInfo()) << original << c.moreMounts;
        fs::remove(log_);
        InstallUdisksctl(c.udisksctl);
        ASSERT_TRUE(disks_.Load());
        auto outcome = mounter_.Unmount("dm-0");
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(fs::exists(log_), c.asked);
    }
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
