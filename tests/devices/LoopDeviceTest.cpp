#include "DeviceListFixture.h"

#include "runtime/Text.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

// The whole flow on a real ext4 image: the real shell, grep and awk, and the
// real disk-tool stand-ins, mounting under /media.
namespace {

namespace fs = std::filesystem;

const char* const kLabel = "TVTEST";
const fs::path kMountPoint = fs::path("/media") / kLabel;

struct CommandOutcome {
    int status;
    std::string output;
    std::string errorOutput;
};

CommandOutcome Sh(const std::string& line)
{
    Shell shell;
    shell.Execute("PATH=\"$PATH:/usr/sbin:/sbin\"; " + line);
    return {shell.ErrorCode(), shell.Result(), shell.ErrorOutput()};
}

// Where the kernel has node mounted, as findmnt reads it.
std::vector<std::string> MountTargets(const std::string& node)
{
    std::vector<std::string> targets;
    for (const std::string& line : Split(Sh("findmnt -n -o TARGET -S '" + node + "'").output, "\n"))
        if (!line.empty())
            targets.push_back(line);
    return targets;
}

class TempDir {
public:
    TempDir() : path_(fs::temp_directory_path() / ("tarnvik-loop-" + std::to_string(::getpid())))
    {
        fs::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// A loop device on an image; on the way out whatever is mounted from it is
// unmounted, the mount point it got removed, and the device detached.
class LoopDevice {
public:
    explicit LoopDevice(const fs::path& image)
    {
        CommandOutcome attached = Sh("losetup -f --show '" + image.string() + "'");
        node_ = Trim(attached.output);
        if (attached.status != 0 || node_.rfind("/dev/loop", 0) != 0) {
            error_ = "losetup failed: " + attached.errorOutput;
            node_.clear();
        }
    }
    ~LoopDevice()
    {
        if (node_.empty())
            return;
        for (const std::string& target : MountTargets(node_))
            ::umount2(target.c_str(), MNT_DETACH);
        std::error_code ignored;
        if (fs::is_directory(kMountPoint, ignored) && fs::is_empty(kMountPoint, ignored))
            fs::remove(kMountPoint, ignored);
        Sh("losetup -d '" + node_ + "'");
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    const std::string& Node() const { return node_; }
    std::string Id() const { return node_.substr(5); }
    const std::string& Error() const { return error_; }

private:
    std::string node_;
    std::string error_;
};

// A child sitting in a directory, which keeps its file system busy until it is ended.
class BusyProcess {
public:
    explicit BusyProcess(const fs::path& directory)
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(directory.c_str()) != 0)
                ::_exit(126);
            ::execl("/bin/sleep", "sleep", "300", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~BusyProcess()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    BusyProcess(const BusyProcess&) = delete;
    BusyProcess& operator=(const BusyProcess&) = delete;

    // Whether the child runs sleep inside directory within two seconds.
    bool Inside(const fs::path& directory) const
    {
        for (int i = 0; pid_ > 0 && i < 200; ++i) {
            std::error_code error;
            const fs::path proc = "/proc/" + std::to_string(pid_);
            if (fs::read_symlink(proc / "cwd", error) == directory &&
                fs::read_symlink(proc / "exe", error).filename() == "sleep")
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    pid_t pid_ = -1;
};

class LoopDeviceFlowTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        shell.Remove();
        if (::geteuid() != 0 || !fs::exists("/dev/loop-control"))
            GTEST_SKIP() << "skipped: needs root and /dev/loop-control to attach a loop device";
        if (Sh("command -v mkfs.ext4 && command -v losetup && command -v findmnt").status != 0)
            GTEST_SKIP() << "skipped: needs mkfs.ext4, losetup and findmnt";
        std::error_code error;
        if (fs::exists(kMountPoint, error))
            GTEST_SKIP() << "skipped: " << kMountPoint << " is taken by something else";
        const fs::path image = images_.Path() / "tvtest.img";
        CommandOutcome made = Sh("truncate -s 16M '" + image.string() + "' && mkfs.ext4 -q -F -L " + kLabel + " '" +
                      image.string() + "'");
        ASSERT_EQ(made.status, 0) << made.errorOutput;
        loop_ = std::make_unique<LoopDevice>(image);
        if (loop_->Node().empty())
            GTEST_SKIP() << "skipped: loop devices cannot be attached here: " << loop_->Error();
    }

    // The image's row, selected, and the buttons it offers.
    int64_t SelectImage()
    {
        const int64_t row = RowOf(loop_->Id());
        if (row >= 0) {
            List()->ListIndex(-1);
            List()->ListIndex(row);
        }
        return row;
    }

    // Declared first, so the loop device goes before its image.
    TempDir images_;
    std::unique_ptr<LoopDevice> loop_;
};

TEST_F(LoopDeviceFlowTest, MountUnmountAndABusyVolume)
{
    Main();
    const int64_t row = SelectImage();
    ASSERT_GE(row, 0) << loop_->Id() << " is not listed";
    EXPECT_EQ(Rows()[static_cast<size_t>(row)], (Row{kLabel, loop_->Id(), "No"}));
    ASSERT_TRUE(Main()->mountBtn()->Enabled());

    Main()->mountBtn()->Push();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(MountTargets(loop_->Node()), std::vector<std::string>{kMountPoint.string()});
    EXPECT_EQ(List()->Cell(row, 2), "Yes");
    EXPECT_EQ(List()->ListIndex(), -1);

    SelectImage();
    ASSERT_TRUE(Main()->unmountBtn()->Enabled());
    Main()->unmountBtn()->Push();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_TRUE(MountTargets(loop_->Node()).empty());
    EXPECT_EQ(List()->Cell(row, 2), "No");

    SelectImage();
    Main()->mountBtn()->Push();
    ASSERT_EQ(MountTargets(loop_->Node()), std::vector<std::string>{kMountPoint.string()});
    {
        BusyProcess busy(kMountPoint);
        ASSERT_TRUE(busy.Inside(kMountPoint));
        SelectImage();
        Main()->unmountBtn()->Push();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind(std::string(kLabel) + " (" + loop_->Id() + ")\n\nUnmounting failed (exit status ", 0),
                  0u)
            << messages[0];
        EXPECT_NE(messages[0].find("target is busy"), std::string::npos) << messages[0];
        EXPECT_EQ(List()->Cell(row, 2), "Yes");
        EXPECT_EQ(MountTargets(loop_->Node()), std::vector<std::string>{kMountPoint.string()});
    }

    // A new scan agrees with what the list says.
    Main()->scanBtn()->Push();
    const int64_t rescanned = RowOf(loop_->Id());
    ASSERT_GE(rescanned, 0);
    EXPECT_EQ(List()->Cell(rescanned, 2), "Yes");
}

}  // namespace
