#include "platform/Mounter.h"

#include "base/TextLines.h"
#include "platform/MountPointPlanner.h"
#include "platform/MountUsers.h"
#include "platform/SearchPath.h"
#include "platform/ToolText.h"

#include <libmount/libmount.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

// Media of other people: their programs get no set-id bits or device nodes.
constexpr const char* kMountOptions = "nosuid,nodev";
constexpr std::string_view kBusy = "target is busy";

struct ContextDeleter {
    void operator()(libmnt_context* context) const { mnt_free_context(context); }
};
using ContextHandle = std::unique_ptr<libmnt_context, ContextDeleter>;

Mounter::Outcome Success(std::string message)
{
    return {0, std::move(message)};
}

Mounter::Outcome Failure(std::string message)
{
    return {1, PrintableLine(message)};
}

// libmount's own wording of what happened, as its mount and umount commands print it.
std::string LibmountMessage(libmnt_context* context, int rc, int& code)
{
    char buffer[BUFSIZ] = {};
    code = mnt_context_get_excode(context, rc, buffer, sizeof buffer);
    std::string message = buffer;
    if (message.empty() && code != MNT_EX_SUCCESS)
        message = "unknown error (code " + std::to_string(code) + ")";
    return message;
}

// How a success names what it acted on.
std::string VolumeOn(const DiskEntry& entry)
{
    return "Volume " + PrintableLine(entry.VolumeName()) + " on " + entry.identifier;
}

// A mount or unmount that went through (reason empty) or failed for reason.
Mounter::Outcome Finished(const char* action, const char* done, const DiskEntry& entry, const std::string& reason)
{
    if (reason.empty())
        return Success(VolumeOn(entry) + done);
    return Failure(action + (" of " + entry.identifier) + " failed: " + reason);
}

// Where a device is still mounted, every place named.
std::string StaysMountedAt(const std::vector<const MountTable::Mount*>& mounts)
{
    std::string text = "it stays mounted at ";
    for (size_t i = 0; i < mounts.size(); ++i)
        text += (i == 0 ? "" : ", ") + mounts[i]->target;
    return text;
}

std::string BusyText(const std::string& mountPoint)
{
    return std::string(kBusy) + (mountPoint.empty() ? "" : " (" + mountPoint + ")");
}

// Asks the kernel whether unmounting target would fail as busy, without
// unmounting it: MNT_EXPIRE refuses a busy mount and only marks an idle one
// (the mark is cleared again by the next use of the mount).
bool KernelSaysBusy(const std::string& target)
{
    struct stat info {};
    ::stat(target.c_str(), &info);  // a use of the mount: clears any mark left by someone else
    return ::umount2(target.c_str(), MNT_EXPIRE | UMOUNT_NOFOLLOW) != 0 && errno == EBUSY;
}

}  // namespace

Mounter::Mounter(DiskList& disks) : disks_(disks), privileged_(::geteuid() == 0)
{
    const char* path = std::getenv("PATH");
    searchPath_ = path && *path ? path : kDefaultSearchPath;
}

std::string Mounter::Refusal(const DiskEntry& entry) const
{
    const std::string& id = entry.identifier;
    if (entry.mountState == MountState::Swap)
        return id + " is in use as swap space; it is not a mountable volume";
    if (entry.content == Content::FileSystem && entry.fileSystemType == "swap")
        return id + " is a swap area, not a file system";
    if (entry.HoldsPartitions() && entry.content != Content::FileSystem) {
        std::string list;
        for (const auto& part : entry.partitions)
            list += (list.empty() ? "" : ", ") + part;
        return id + " holds a partition table; mount one of its partitions (" + list + ")";
    }
    if (entry.content == Content::NoFileSystem) {
        if (!entry.fileSystemType.empty())
            return id + " holds " + entry.fileSystemType + ", not a file system that can be mounted";
        return id + " has no file system to mount";
    }
    return {};
}

Mounter::Outcome Mounter::Mount(std::string_view id)
{
    const DiskEntry* entry = disks_.Find(id);
    if (!entry)
        return Failure("Could not find disk: " + PrintableLine(id));
    if (entry->mountState == MountState::Mounted)
        return Success(VolumeOn(*entry) + " is already mounted at " + PrintableLine(entry->mountPoint));
    std::string reason = Refusal(*entry);
    if (reason.empty())
        reason = OffSystem(*entry);
    if (reason.empty())
        reason = privileged_ ? MountAsRoot(*entry) : RunUdisks("mount", *entry, disks_.NodePath(*entry));
    return Finished("Mount", " mounted", *entry, reason);
}

Mounter::Outcome Mounter::Unmount(std::string_view id)
{
    const DiskEntry* entry = disks_.Find(id);
    if (!entry)
        return Failure("Could not find disk: " + PrintableLine(id));
    std::string reason;
    auto mounts = disks_.Mounts().MountsOf(entry->device);
    const std::string offSystem = OffSystem(*entry);
    if (entry->mountState != MountState::Mounted) {
        reason = Refusal(*entry);
        // The wanted state already holds, as with mounting a mounted volume.
        if (reason.empty())
            return Success(VolumeOn(*entry) + " is not mounted");
    } else if (disks_.HoldsSystemVolume(entry->device)) {
        // Nothing of the system's own volume is touched: without it the system stops.
        reason = entry->identifier + " holds the system volume (/)";
    } else if (!offSystem.empty()) {
        reason = offSystem;
    } else if (privileged_) {
        reason = UnmountAsRoot(mounts);
    } else if (mounts.size() > 1) {
        // udisks unmounts one mount of a device; leaving the others would be no unmount at all.
        reason = StaysMountedAt(mounts) + " (unmounting more than one mount needs root)";
    } else {
        // udisks knows a file system over several devices only by the device its mount names.
        const MountTable::Mount& mount = *mounts.front();
        reason = RunUdisks("unmount", *entry,
                           mount.device == entry->device ? disks_.NodePath(*entry) : disks_.Root().Path(mount.source));
    }
    if (reason.empty()) {
        // Whatever went through, success is only told when no mount of the device is left.
        const MountTable now = disks_.CurrentMounts();
        if (auto left = now.MountsOf(entry->device); !left.empty())
            reason = StaysMountedAt(left);
    }
    return Finished("Unmount", " unmounted", *entry, reason);
}

std::string Mounter::OffSystem(const DiskEntry& entry) const
{
    // A test tree's mount table and nodes are not the kernel's: libmount would act on the real system.
    // A udisksctl the caller chose is its own stand-in; the system's would resolve nodes for real.
    if (disks_.Root().IsSystem() || (!privileged_ && ownSearchPath_))
        return {};
    return entry.identifier + " is in the test tree " + disks_.Root().Directory().string() + ", not on this system";
}

std::string Mounter::MountAsRoot(const DiskEntry& entry)
{
    MountPointPlanner planner(media_);
    MountPointPlanner::Lock lock(planner);
    planner.Tidy();
    auto folder = planner.Make(entry.VolumeName());
    if (!folder.error.empty())
        return folder.error;

    // Mounted through the open folder, so the mount lands on exactly the folder that was made.
    std::string through = "/proc/self/fd/" + std::to_string(folder.fd);
    std::string source = disks_.NodePath(entry).string();
    ContextHandle context(mnt_new_context());
    int code = MNT_EX_SYSERR;
    std::string message = "out of memory";
    if (context) {
        mnt_context_disable_canonicalize(context.get(), 1);
        mnt_context_set_source(context.get(), source.c_str());
        mnt_context_set_target(context.get(), through.c_str());
        mnt_context_set_options(context.get(), kMountOptions);
        int rc = mnt_context_mount(context.get());
        message = LibmountMessage(context.get(), rc, code);
    }
    ::close(folder.fd);
    if (code != MNT_EX_SUCCESS) {
        planner.Remove(folder.path);
        return message;
    }
    return {};
}

std::string Mounter::BusyMountOf(const std::vector<const MountTable::Mount*>& mounts) const
{
    const MountTable& table = disks_.Mounts();
    std::set<int> ours;
    for (const auto* mount : mounts)
        ours.insert(mount->id);
    std::set<int> holding;  // with mounts of our own inside: asked from the users' side
    for (const auto* mount : mounts) {
        // Something else on top of it, or inside it, keeps it from going.
        const MountTable::Mount* top = table.MountAt(mount->target);
        if (top && !ours.count(top->id))
            return mount->target;
        auto children = table.ChildrenOf(*mount);
        for (const auto* child : children)
            if (!ours.count(child->id))
                return mount->target;
        if (!children.empty())
            holding.insert(mount->id);
        else if (KernelSaysBusy(mount->target))
            return mount->target;
    }
    if (auto held = MountUsers::FirstHeld(holding, table.SwapSources()))
        for (const auto* mount : mounts)
            if (mount->id == *held)
                return mount->target;
    return {};
}

std::vector<const MountTable::Mount*> Mounter::InnermostFirst(std::vector<const MountTable::Mount*> mounts)
{
    std::vector<const MountTable::Mount*> order;
    while (!mounts.empty()) {
        // The latest mount with none of the rest inside it: a mount moved inside another can be the older one.
        auto next = mounts.end() - 1;
        for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
            bool holds =
                std::any_of(mounts.begin(), mounts.end(), [&](const auto* m) { return m->parentId == (*it)->id; });
            if (!holds) {
                next = std::prev(it.base());
                break;
            }
        }
        order.push_back(*next);
        mounts.erase(next);
    }
    return order;
}

std::string Mounter::UnmountAsRoot(const std::vector<const MountTable::Mount*>& mounts)
{
    // All or nothing: a busy mount is found before any mount of the device is touched.
    if (std::string busy = BusyMountOf(mounts); !busy.empty()) {
        for (const auto* mount : mounts) {
            struct stat info {};
            ::stat(mount->target.c_str(), &info);  // the checks' marks go again
        }
        return BusyText(busy);
    }
    for (const auto* mount : InnermostFirst(mounts)) {
        ContextHandle context(mnt_new_context());
        if (!context)
            return "out of memory";
        mnt_context_set_target(context.get(), mount->target.c_str());
        int rc = mnt_context_umount(context.get());
        int code = 0;
        std::string message = LibmountMessage(context.get(), rc, code);
        if (code != MNT_EX_SUCCESS)
            return message == kBusy ? BusyText(mount->target) : message;
    }
    // Only folders made for a mount of ours go; someone else's stay, wherever they are. Under the
    // lock, as a mount being made may have tidied a freed folder away and made one of its own there.
    MountPointPlanner planner(media_);
    MountPointPlanner::Lock lock(planner);
    for (const auto* mount : mounts)
        planner.Remove(mount->target);
    return {};
}

std::string Mounter::UdisksReason(const std::string& verb, const std::string& ident, const ProcessResult& result,
                                  const std::string& busyAt)
{
    constexpr std::string_view kError = "GDBus.Error:";
    constexpr std::string_view kUdisks = "org.freedesktop.UDisks2.Error.";
    std::string lastLine;
    for (std::string_view line : SplitLines(result.errorOutput.empty() ? result.output : result.errorOutput)) {
        line = TrimSpace(line);
        // Only where a terminal is at hand can its agent run; none is, on purpose.
        if (line.empty() || line.rfind("Error creating textual authentication agent", 0) == 0)
            continue;
        size_t at = line.find(kError);
        if (at == std::string_view::npos) {
            lastLine = line;
            continue;
        }
        std::string_view error = line.substr(at + kError.size());
        size_t colon = error.find(": ");
        std::string_view errorName = error.substr(0, colon);
        std::string_view detail = colon == std::string_view::npos ? std::string_view() : error.substr(colon + 2);
        if (errorName.substr(0, kUdisks.size()) == kUdisks) {
            std::string_view known = errorName.substr(kUdisks.size());
            if (known.rfind("NotAuthorized", 0) == 0)
                return "not authorized to " + verb + " " + ident +
                       " (ask an administrator, or use a desktop session that can authenticate)";
            if (known == "DeviceBusy")
                return BusyText(busyAt);
        }
        // udisks repeats its own "Error mounting X:" inside the detail; that text alone says it.
        lastLine = detail.empty() ? line : detail;
    }
    if (lastLine.empty())
        return "udisksctl exited with status " + std::to_string(result.status);
    return lastLine;
}

std::string Mounter::RunUdisks(const std::string& verb, const DiskEntry& entry, const fs::path& node)
{
    auto udisksctl = FindOnPath("udisksctl", searchPath_);
    if (!udisksctl)
        return "this needs root privileges or udisks (udisksctl was not found)";
    // In a session of its own udisksctl has no terminal to ask for a password on, so it never
    // waits for typing; a desktop's authentication agent still answers for it.
    std::vector<std::string> argv;
    if (auto setsid = FindOnPath("setsid", searchPath_ + ":" + kDefaultSearchPath))
        argv = {setsid->string(), "--wait", udisksctl->string(), verb, "-b", node.string()};
    else
        argv = {udisksctl->string(), verb, "--no-user-interaction", "-b", node.string()};
    ProcessResult result = RunProcess(argv);
    if (result.status != 0) {
        auto mounts = disks_.Mounts().MountsOf(entry.device);
        std::string busyAt = mounts.size() == 1 ? mounts.front()->target : std::string();
        return UdisksReason(verb, entry.identifier, result, busyAt);
    }
    return {};
}
