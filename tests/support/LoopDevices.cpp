#include "LoopDevices.h"

#include "base/Process.h"
#include "base/ShellWord.h"
#include "base/TextLines.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace {

const fs::path kMedia = "/media";

void RemoveIfEmptyDirectory(const fs::path& directory)
{
    std::error_code ignored;
    if (fs::is_directory(directory, ignored) && fs::is_empty(directory, ignored))
        fs::remove(directory, ignored);
}

}  // namespace

ProcessResult RunWithSbin(const std::string& line)
{
    return RunProcess({"/bin/sh", "-c", "PATH=\"$PATH:/usr/sbin:/sbin\"; " + line});
}

std::string WhyNoLoopDevices()
{
    if (::geteuid() != 0 || !fs::exists("/dev/loop-control"))
        return "needs root and /dev/loop-control to attach a loop device";
    if (RunWithSbin("command -v losetup && command -v findmnt && command -v mkfs.ext4").status != 0)
        return "needs losetup, findmnt and mkfs.ext4";
    return {};
}

bool KernelHas(const std::string& fileSystem)
{
    std::ifstream in("/proc/filesystems");
    for (std::string line; std::getline(in, line);)
        if (line.size() > fileSystem.size() && line.substr(line.size() - fileSystem.size() - 1) == "\t" + fileSystem)
            return true;
    return false;
}

std::string MakeImage(const fs::path& path, const std::string& type, const std::string& label, int sizeMiB)
{
    {
        std::ofstream image(path, std::ios::binary | std::ios::trunc);
        if (!image)
            return "cannot create " + path.string();
    }
    std::error_code error;
    fs::resize_file(path, static_cast<uintmax_t>(sizeMiB) << 20, error);
    if (error)
        return "cannot size " + path.string() + ": " + error.message();
    if (type.empty())
        return {};
    std::string line;
    if (type == "vfat")
        line = "mkfs.vfat " + (label.empty() ? std::string() : "-n " + ShellWord(label) + " ");
    else if (type == "btrfs")
        line = "mkfs.btrfs -q -f " + (label.empty() ? std::string() : "-L " + ShellWord(label) + " ");
    else
        line = "mkfs." + type + " -q -F " + (label.empty() ? std::string() : "-L " + ShellWord(label) + " ");
    ProcessResult made = RunWithSbin(line + ShellWord(path.string()));
    if (made.status != 0)
        return "mkfs." + type + " failed: " + made.errorOutput + made.output;
    return {};
}

std::vector<std::string> MountTargets(const std::string& node)
{
    std::vector<std::string> targets;
    // Kept here: the lines point into it.
    const std::string listed = RunWithSbin("findmnt -n -o TARGET -S " + ShellWord(node)).output;
    for (std::string_view line : SplitLines(listed))
        if (!line.empty())
            targets.emplace_back(line);
    return targets;
}

LoopDevice::LoopDevice(const fs::path& image, fs::path mountPoint, bool partitions) : mountPoint_(std::move(mountPoint))
{
    ProcessResult attached =
        RunWithSbin(std::string("losetup -f --show ") + (partitions ? "-P " : "") + ShellWord(image.string()));
    node_ = TrimSpace(attached.output);
    if (attached.status != 0 || node_.rfind("/dev/loop", 0) != 0) {
        error_ = "losetup failed: " + attached.errorOutput;
        node_.clear();
    }
}

LoopDevice::~LoopDevice()
{
    if (node_.empty())
        return;
    // A lazy unmount never fails on a busy volume, and leaves its directory empty.
    for (const std::string& target : MountTargets(node_)) {
        ::umount2(target.c_str(), MNT_DETACH);
        if (fs::path(target).parent_path() == kMedia)
            RemoveIfEmptyDirectory(target);
    }
    if (!mountPoint_.empty())
        RemoveIfEmptyDirectory(mountPoint_);
    RunWithSbin("losetup -d " + ShellWord(node_));
}

BusyProcess::BusyProcess(const fs::path& directory)
{
    pid_ = ::fork();
    if (pid_ == 0) {
        if (::chdir(directory.c_str()) != 0)
            ::_exit(126);
        ::execl("/bin/sleep", "sleep", "300", static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

bool BusyProcess::WaitUntilInside(const fs::path& directory) const
{
    const fs::path proc = "/proc/" + std::to_string(pid_);
    for (int i = 0; Started() && i < 200; ++i) {
        std::error_code error;
        if (fs::read_symlink(proc / "cwd", error) == directory &&
            fs::read_symlink(proc / "exe", error).filename() == "sleep")
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void BusyProcess::Stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
