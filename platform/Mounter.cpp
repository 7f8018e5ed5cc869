#include "platform/Mounter.h"

#include "base/Process.h"
#include "base/TextLines.h"
#include "platform/EntryFormatter.h"
#include "platform/MountPointPlanner.h"
#include "platform/SearchPath.h"

#include <libmount/libmount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Media of other people: their programs get no set-id bits or device nodes.
constexpr const char* kMountOptions = "nosuid,nodev";

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
    return {1, std::move(message)};
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
        return Failure("Could not find disk: " + EntryFormatter::Sanitize(id));
    std::string name = EntryFormatter::Sanitize(entry->VolumeName());
    const std::string& ident = entry->identifier;
    if (entry->mountState == MountState::Mounted)
        return Success("Volume " + name + " on " + ident + " is already mounted at " +
                       EntryFormatter::Sanitize(entry->mountPoint));
    if (std::string refusal = Refusal(*entry); !refusal.empty())
        return Failure("Mount of " + ident + " failed: " + refusal);
    if (privileged_)
        return MountAsRoot(*entry, name);
    return RunUdisks("mount", *entry, name);
}

Mounter::Outcome Mounter::Unmount(std::string_view id)
{
    const DiskEntry* entry = disks_.Find(id);
    if (!entry)
        return Failure("Could not find disk: " + EntryFormatter::Sanitize(id));
    std::string name = EntryFormatter::Sanitize(entry->VolumeName());
    const std::string& ident = entry->identifier;
    if (entry->mountState != MountState::Mounted) {
        if (std::string refusal = Refusal(*entry); !refusal.empty())
            return Failure("Unmount of " + ident + " failed: " + refusal);
        // The wanted state already holds, as with mounting a mounted volume.
        return Success("Volume " + name + " on " + ident + " is not mounted");
    }
    if (privileged_)
        return UnmountAsRoot(*entry, name);
    return RunUdisks("unmount", *entry, name);
}

Mounter::Outcome Mounter::MountAsRoot(const DiskEntry& entry, const std::string& name)
{
    const std::string& ident = entry.identifier;
    std::error_code error;
    fs::create_directories(media_, error);
    fs::path target = MountPointPlanner::Choose(media_, entry.VolumeName(), disks_.Mounts());
    bool created = ::mkdir(target.c_str(), 0755) == 0;
    if (!created && errno != EEXIST)
        return Failure("Mount of " + ident + " failed: cannot create " + target.string() + ": " + std::strerror(errno));

    ContextHandle context(mnt_new_context());
    if (!context)
        return Failure("Mount of " + ident + " failed: out of memory");
    std::string source = disks_.NodePath(entry).string();
    mnt_context_set_source(context.get(), source.c_str());
    mnt_context_set_target(context.get(), target.c_str());
    mnt_context_set_options(context.get(), kMountOptions);
    int rc = mnt_context_mount(context.get());
    int code = 0;
    std::string message = LibmountMessage(context.get(), rc, code);
    if (code != MNT_EX_SUCCESS) {
        if (created)
            ::rmdir(target.c_str());
        return Failure("Mount of " + ident + " failed: " + message);
    }
    return Success("Volume " + name + " on " + ident + " mounted");
}

Mounter::Outcome Mounter::UnmountAsRoot(const DiskEntry& entry, const std::string& name)
{
    const std::string& ident = entry.identifier;
    // Every mount of the device goes, the latest first, so bind mounts do not keep it busy.
    auto mounts = disks_.Mounts().MountsOf(entry.device);
    std::vector<std::string> targets;
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it)
        targets.push_back((*it)->target);

    for (const auto& target : targets) {
        ContextHandle context(mnt_new_context());
        if (!context)
            return Failure("Unmount of " + ident + " failed: out of memory");
        mnt_context_set_target(context.get(), target.c_str());
        int rc = mnt_context_umount(context.get());
        int code = 0;
        std::string message = LibmountMessage(context.get(), rc, code);
        if (code != MNT_EX_SUCCESS)
            return Failure("Unmount of " + ident + " failed: " + message);
    }
    for (const auto& target : targets) {
        fs::path directory(target);
        std::error_code error;
        // Only our own kind of mount point; rmdir leaves a directory that still holds anything.
        if (directory.parent_path() == media_ && fs::is_directory(fs::symlink_status(directory, error)))
            ::rmdir(directory.c_str());
    }
    return Success("Volume " + name + " on " + ident + " unmounted");
}

Mounter::Outcome Mounter::RunUdisks(const std::string& verb, const DiskEntry& entry, const std::string& name)
{
    const std::string& ident = entry.identifier;
    std::string action = verb == "mount" ? "Mount" : "Unmount";
    auto udisksctl = FindOnPath("udisksctl", searchPath_);
    if (!udisksctl)
        return Failure(action + " of " + ident +
                       " failed: this needs root privileges or udisks (udisksctl was not found)");
    ProcessResult result = RunProcess({udisksctl->string(), verb, "-b", disks_.NodePath(entry).string()});
    if (result.status != 0) {
        std::string reason(TrimSpace(result.errorOutput.empty() ? result.output : result.errorOutput));
        if (reason.empty())
            reason = "udisksctl exited with status " + std::to_string(result.status);
        return Failure(action + " of " + ident + " failed: " + reason);
    }
    return Success("Volume " + name + " on " + ident + (verb == "mount" ? " mounted" : " unmounted"));
}
