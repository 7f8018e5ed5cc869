#include "TestSupport.h"

#include "LoopDevices.h"
#include "UdisksSystem.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Mounting as an ordinary user through a real udisks daemon.
class DiskUserPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = WhyNoLoopDevices(); !why.empty())
            GTEST_SKIP() << why;
        system_ = std::make_unique<UdisksSystem>();
        if (!system_->WhyNot().empty())
            GTEST_SKIP() << "no udisks system for the test: " << system_->WhyNot();
        ASSERT_EQ(MakeImage(images_.Path() / "user.img", "ext4", "USER DATA", 16), "");
        device_ = std::make_unique<LoopDevice>(images_.Path() / "user.img");
        ASSERT_EQ(device_->Error(), "");
        ASSERT_EQ(system_->Announce(device_->Node()), "");
    }

    ProcessResult Diskutil(bool authorized, const std::string& verb)
    {
        return RunProcess(system_->AsUser(authorized, {system_->Diskutil(), verb, device_->Id()}),
                          system_->Environment());
    }

    std::string NotAuthorized() const
    {
        return "Mount of " + device_->Id() + " failed: not authorized to mount " + device_->Id() +
               " (ask an administrator, or use a desktop session that can authenticate)";
    }

    // Destroyed in reverse: the device goes while the daemons still run, the images last.
    TempFolder images_;
    std::unique_ptr<UdisksSystem> system_;
    std::unique_ptr<LoopDevice> device_;
};

TEST_F(DiskUserPath, MountInfoAndBusyUnmount)
{
    const std::string id = device_->Id();
    const fs::path point = system_->MediaFolder() / "USER DATA";
    const std::string notMounted = "   Mounted:                  No\n";
    const std::string mountedAt = "   Mounted:                  Yes\n   Mount Point:              " + point.string();

    // The user may not read the node: what it holds comes from udev's record.
    auto info = Diskutil(true, "info");
    ASSERT_EQ(info.status, 0) << info.errorOutput;
    EXPECT_NE(info.output.find("   Volume Name:              USER DATA\n" + notMounted), std::string::npos)
        << info.output;

    auto mounted = Diskutil(true, "mount");
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    EXPECT_EQ(mounted.output, "Volume USER DATA on " + id + " mounted\n");
    EXPECT_EQ(MountTargets(device_->Node()), std::vector<std::string>{point.string()});
    EXPECT_NE(Diskutil(true, "info").output.find(mountedAt), std::string::npos);
    {
        BusyProcess busy(point);
        ASSERT_TRUE(busy.WaitUntilInside(point));
        auto refused = Diskutil(true, "unmount");
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.errorOutput, "Unmount of " + id + " failed: target is busy (" + point.string() + ")\n");
        EXPECT_EQ(MountTargets(device_->Node()), std::vector<std::string>{point.string()});
    }
    auto unmounted = Diskutil(true, "unmount");
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume USER DATA on " + id + " unmounted\n");
    EXPECT_TRUE(MountTargets(device_->Node()).empty());
    EXPECT_NE(Diskutil(true, "info").output.find(notMounted), std::string::npos);
}

TEST_F(DiskUserPath, UnmountsEveryMountOrNone)
{
    // udisks takes one mount away; with root's own mounts of the device beside
    // the user's, a user's unmount would leave the volume mounted.
    const std::string id = device_->Id();
    const fs::path point = system_->MediaFolder() / "USER DATA";
    ASSERT_EQ(Diskutil(true, "mount").status, 0);
    TempFolder second;
    TempFolder bound;
    ASSERT_EQ(::mount(device_->Node().c_str(), second.Path().c_str(), "ext4", MS_NOSUID | MS_NODEV, nullptr), 0);
    ASSERT_EQ(::mount(point.c_str(), bound.Path().c_str(), nullptr, MS_BIND, nullptr), 0);
    const std::vector<std::string> all = {point.string(), second.Path().string(), bound.Path().string()};
    ASSERT_EQ(MountTargets(device_->Node()), all);

    auto refused = Diskutil(true, "unmount");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.errorOutput, "Unmount of " + id + " failed: it stays mounted at " + all[0] + ", " + all[1] +
                                       ", " + all[2] + " (unmounting more than one mount needs root)\n");
    EXPECT_EQ(MountTargets(device_->Node()), all);
    EXPECT_NE(Diskutil(true, "info").output.find("   Mounted:                  Yes\n"), std::string::npos);

    // Root's mounts gone, the user's own unmount goes through.
    ::umount2(bound.Path().c_str(), 0);
    ::umount2(second.Path().c_str(), 0);
    auto unmounted = Diskutil(true, "unmount");
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_TRUE(MountTargets(device_->Node()).empty());
}

TEST_F(DiskUserPath, AnyDeviceOfABtrfsOverTwoUnmountsIt)
{
    // udisks knows such a file system only by the device its mount names.
    if (const std::string why = WhyNoBtrfs(); !why.empty())
        GTEST_SKIP() << why;
    BtrfsOverTwo btrfs(images_.Path(), "USER MULTI");
    ASSERT_EQ(btrfs.Error(), "");
    const LoopDevice& a = btrfs.First();
    const LoopDevice& b = btrfs.Second();
    ASSERT_EQ(system_->Announce(a.Node()), "");
    ASSERT_EQ(system_->Announce(b.Node()), "");
    auto run = [&](const char* verb, const LoopDevice& device) {
        return RunProcess(system_->AsUser(true, {system_->Diskutil(), verb, device.Id()}), system_->Environment());
    };

    auto mounted = run("mount", a);
    if (mounted.status != 0 && !KernelHas("btrfs"))
        GTEST_SKIP() << "the kernel has no btrfs: " << mounted.errorOutput;
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    ASSERT_EQ(MountTargets(a.Node()), std::vector<std::string>{(system_->MediaFolder() / "USER MULTI").string()});
    auto unmounted = run("unmount", b);
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume USER MULTI on " + b.Id() + " unmounted\n");
    EXPECT_TRUE(MountTargets(a.Node()).empty());
}

TEST_F(DiskUserPath, NotAuthorizedAndNeverPromptsOnATerminal)
{
    // Nobody is not in the rule: polkit would want an administrator's password.
    auto refused = Diskutil(false, "mount");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(refused.errorOutput, NotAuthorized() + "\n");

    // The same started from a terminal: nothing may ask for the password there and wait.
    const std::vector<std::string> argv = system_->AsUser(false, {system_->Diskutil(), "mount", device_->Id()});
    const std::vector<std::string> environment = system_->Environment();
    std::vector<char*> args = ExecPointers(argv);
    std::vector<char*> env = ExecPointers(environment);
    int terminal = -1;
    pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0) << "no pseudo-terminal here";
    if (child == 0) {
        ::execve(args[0], args.data(), env.data());
        ::_exit(127);
    }
    std::string transcript;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20 * TARNVIK_SLOWDOWN);
    bool ended = false;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd wait{terminal, POLLIN, 0};
        if (::poll(&wait, 1, 100) <= 0)
            continue;
        char buffer[512];
        ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got <= 0) {
            ended = true;  // the terminal's last user is gone
            break;
        }
        transcript.append(buffer, static_cast<size_t>(got));
    }
    if (!ended)
        ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    ASSERT_TRUE(ended) << "still waiting after 20 s; the terminal shows:\n" << transcript;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(transcript, NotAuthorized() + "\r\n");
    EXPECT_TRUE(MountTargets(device_->Node()).empty());
}

}  // namespace
