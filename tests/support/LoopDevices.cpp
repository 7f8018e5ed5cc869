#include "LoopDevices.h"

#include "base/Process.h"
#include "base/ShellWord.h"
#include "base/TextLines.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace {

void RemoveIfEmptyDirectory(const fs::path& directory)
{
    std::error_code ignored;
    if (fs::is_directory(directory, ignored) && fs::is_empty(directory, ignored))
        fs::remove(directory, ignored);
}

// Takes "NODE SEQUENCE" lines (and "-NODE" to take one back) until its input
// ends, then, for each device still attached as that same attachment,
// lazily unmounts everything mounted from it (until nothing is, as mounts
// may be stacked), removes the emptied folders under /media and detaches it.
const char* const kCleanUp = R"sh(PATH="$PATH:/usr/sbin:/sbin"
list=
while IFS= read -r line; do
  case $line in
    -*) list=$(printf '%s\n' "$list" | grep -v "^${line#-} ") ;;
    *) list=$(printf '%s\n%s' "$list" "$line") ;;
  esac
done
printf '%s\n' "$list" | while read -r node sequence; do
  [ -n "$sequence" ] || continue
  [ "$(cat "/sys/block/${node#/dev/}/diskseq" 2>/dev/null)" = "$sequence" ] || continue
  for round in 1 2 3 4 5 6 7 8; do
    targets=$(findmnt -n -o TARGET -S "$node") || break
    printf '%s\n' "$targets" | while IFS= read -r target; do
      umount -l "$target"
      case $target in
        /media/*) rmdir "$target" 2>/dev/null; [ "${target%/*}" = /media ] || rmdir "${target%/*}" 2>/dev/null ;;
      esac
    done
  done
  losetup -d "$node"
done
)sh";

// The watcher of this process: started with the first loop device, it runs
// the clean-up on what it was told once this process is gone. It is in a
// session of its own and no child of this process, so whatever ends the
// test's process group or process tree leaves it running.
class Watcher {
public:
    static Watcher& OfThisProcess()
    {
        static Watcher watcher;
        if (watcher.owner_ != ::getpid())
            watcher.Start();  // a forked child watches for itself
        return watcher;
    }

    void Tell(const std::string& line) const
    {
        if (socket_ >= 0)
            ::send(socket_, (line + "\n").data(), line.size() + 1, MSG_NOSIGNAL);
    }

private:
    void Start()
    {
        owner_ = ::getpid();
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return;
        pid_t child = ::fork();
        if (child == 0) {
            ::setsid();
            if (::fork() == 0) {
                int null = ::open("/dev/null", O_RDWR);
                ::dup2(ends[1], 0);
                ::dup2(null, 1);
                ::dup2(null, 2);
                ::close_range(3, ~0U, 0);  // the test's output pipes above all: its runner waits on them
                ::execl("/bin/sh", "sh", "-c", kCleanUp, static_cast<char*>(nullptr));
            }
            ::_exit(0);
        }
        ::close(ends[1]);
        if (child > 0)
            ::waitpid(child, nullptr, 0);
        socket_ = ends[0];
    }

    pid_t owner_ = 0;
    int socket_ = -1;
};

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

std::string TestName(const std::string& base)
{
    static const std::string tag = [] {
        std::string digits;
        for (auto n = static_cast<unsigned>(::getpid()); n > 0 || digits.empty(); n /= 36)
            digits.insert(digits.begin(), "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[n % 36]);
        return digits;
    }();
    return base + " " + tag;
}

LoopDevice::LoopDevice(const fs::path& image, fs::path mountPoint, Partitions partitions, const std::string& node)
    : mountPoint_(std::move(mountPoint))
{
    Watcher& watcher = Watcher::OfThisProcess();
    ProcessResult attached = RunWithSbin("losetup " + (node.empty() ? "-f --show" : ShellWord(node)) +
                                         (partitions == Partitions::Read ? " -P " : " ") + ShellWord(image.string()));
    node_ = node.empty() ? TrimSpace(attached.output) : node;
    if (attached.status != 0 || node_.rfind("/dev/loop", 0) != 0) {
        error_ = "losetup failed: " + attached.errorOutput;
        node_.clear();
        return;
    }
    std::getline(std::ifstream("/sys/block/" + Id() + "/diskseq"), sequence_);
    watcher.Tell(node_ + " " + sequence_);
}

LoopDevice::~LoopDevice()
{
    if (node_.empty())
        return;
    // What the watcher would do, done now; a lazy unmount never fails on a busy volume.
    RunProcess(
        {"/bin/sh", "-c", "printf '%s\\n' " + ShellWord(node_ + " " + sequence_) + " | sh -c " + ShellWord(kCleanUp)});
    Watcher::OfThisProcess().Tell("-" + node_);
    if (!mountPoint_.empty())
        RemoveIfEmptyDirectory(mountPoint_);
}

std::string WhyNoBtrfs()
{
    if (RunWithSbin("command -v mkfs.btrfs && command -v btrfs").status != 0)
        return "needs mkfs.btrfs (btrfs-progs)";
    return {};
}

BtrfsOverTwo::BtrfsOverTwo(const fs::path& folder, const std::string& label, fs::path mountPoint)
{
    const fs::path images[] = {folder / "btrfs-first.img", folder / "btrfs-second.img"};
    for (const auto& image : images)
        if (error_.empty())
            error_ = MakeImage(image, "", "", 128);
    if (!error_.empty())
        return;
    first_ = std::make_unique<LoopDevice>(images[0], std::move(mountPoint));
    second_ = std::make_unique<LoopDevice>(images[1]);
    error_ = first_->Error() + second_->Error();
    if (!error_.empty())
        return;
    ProcessResult made = RunWithSbin("mkfs.btrfs -q -f -L " + ShellWord(label) + " -d raid1 -m raid1 " +
                                     ShellWord(first_->Node()) + " " + ShellWord(second_->Node()));
    if (made.status != 0)
        error_ = "mkfs.btrfs failed: " + made.errorOutput + made.output;
}

BtrfsOverTwo::~BtrfsOverTwo()
{
    if (!first_ || !second_ || first_->Node().empty() || second_->Node().empty())
        return;
    // Mounted through either device, the mount names one of them.
    for (const LoopDevice* device : {first_.get(), second_.get()})
        for (const std::string& target : MountTargets(device->Node()))
            ::umount2(target.c_str(), MNT_DETACH);
    RunWithSbin("btrfs device scan --forget " + ShellWord(first_->Node()) + " " + ShellWord(second_->Node()));
}

TmpfsMount::TmpfsMount(const fs::path& target, const std::string& source) : target_(target)
{
    if (::mount(source.c_str(), target.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
        error_ = "cannot mount a tmpfs on " + target.string() + ": " + std::strerror(errno);
        target_.clear();
    }
}

TmpfsMount::~TmpfsMount()
{
    if (!target_.empty())
        ::umount2(target_.c_str(), MNT_DETACH);
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
