#include "platform/MountTable.h"

#include "base/TextLines.h"
#include "platform/TextFile.h"

#include <libmount/libmount.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IterDeleter {
    void operator()(libmnt_iter* iter) const { mnt_free_iter(iter); }
};
using TableHandle = std::unique_ptr<libmnt_table, TableDeleter>;
using IterHandle = std::unique_ptr<libmnt_iter, IterDeleter>;

std::string Text(const char* value)
{
    return value ? std::string(value) : std::string();
}

// A malformed line is skipped; the rest of the file still counts.
int SkipBadLine(libmnt_table*, const char*, int)
{
    return 1;
}

// false when the file cannot be read. libmount takes a missing file for an
// empty one; here it is an error.
template <typename Visit>
bool ForEachEntry(int (*parse)(libmnt_table*, const char*), const std::filesystem::path& file, Visit visit)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return false;
    TableHandle table(mnt_new_table());
    IterHandle iter(mnt_new_iter(MNT_ITER_FORWARD));
    if (!table || !iter)
        return false;
    mnt_table_set_parser_errcb(table.get(), SkipBadLine);
    if (parse(table.get(), file.c_str()) != 0)
        return false;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0)
        visit(fs);
    return true;
}

// The kinds of file system that live on a block device: those proc/filesystems does not mark "nodev".
std::set<std::string, std::less<>> BlockFileSystems(const std::filesystem::path& fileSystems)
{
    std::set<std::string, std::less<>> kinds;
    const std::string text = TextFile::Read(fileSystems).value_or("");
    for (std::string_view line : SplitLines(text)) {
        size_t tab = line.find('\t');
        if (tab == std::string_view::npos || !TrimSpace(line.substr(0, tab)).empty())
            continue;
        if (std::string_view kind = TrimSpace(line.substr(tab + 1)); !kind.empty())
            kinds.emplace(kind);
    }
    return kinds;
}

}  // namespace

bool MountTable::LoadMountInfo(const std::filesystem::path& mountinfo)
{
    mounts_.clear();
    return ForEachEntry(mnt_table_parse_file, mountinfo, [this](libmnt_fs* fs) {
        Mount mount;
        mount.id = mnt_fs_get_id(fs);
        mount.parentId = mnt_fs_get_parent_id(fs);
        mount.device = DeviceNumber::FromDev(mnt_fs_get_devno(fs));
        mount.source = Text(mnt_fs_get_source(fs));
        mount.target = Text(mnt_fs_get_target(fs));
        mount.fileSystemType = Text(mnt_fs_get_fstype(fs));
        mount.root = Text(mnt_fs_get_root(fs));
        mounts_.push_back(std::move(mount));
    });
}

bool MountTable::LoadSwaps(const std::filesystem::path& swaps)
{
    swapSources_.clear();
    return ForEachEntry(mnt_table_parse_swaps, swaps, [this](libmnt_fs* fs) {
        if (const char* source = mnt_fs_get_source(fs))
            swapSources_.emplace_back(source);
    });
}

bool MountTable::Mount::IsOn(DeviceNumber other) const
{
    return device == other || std::find(members.begin(), members.end(), other) != members.end();
}

void MountTable::ResolveSources(const std::filesystem::path& fileSystems,
                                const std::function<std::optional<DeviceNumber>(std::string_view)>& deviceOf)
{
    std::optional<std::set<std::string, std::less<>>> onDevices;
    for (auto& mount : mounts_) {
        if (mount.device.majorNumber != 0 || mount.source.rfind("/dev/", 0) != 0)
            continue;
        // A FUSE file system names its source as its owner likes, so any user could claim a device.
        if (mount.fileSystemType == "fuse" || mount.fileSystemType.rfind("fuse.", 0) == 0)
            continue;
        if (!onDevices)
            onDevices = BlockFileSystems(fileSystems);
        if (onDevices->count(mount.fileSystemType) == 0)
            continue;
        if (auto device = deviceOf(mount.source))
            mount.device = *device;
    }
}

bool MountTable::HasType(std::string_view fileSystemType) const
{
    return std::any_of(mounts_.begin(), mounts_.end(),
                       [&](const Mount& mount) { return mount.fileSystemType == fileSystemType; });
}

void MountTable::AddMembers(const std::vector<std::vector<DeviceNumber>>& groups)
{
    for (auto& mount : mounts_)
        for (const auto& group : groups)
            if (std::find(group.begin(), group.end(), mount.device) != group.end())
                mount.members = group;
}

std::vector<const MountTable::Mount*> MountTable::MountsOf(DeviceNumber device) const
{
    std::vector<const Mount*> found;
    for (const auto& mount : mounts_)
        if (mount.IsOn(device))
            found.push_back(&mount);
    return found;
}

const MountTable::Mount* MountTable::PrimaryMountOf(DeviceNumber device) const
{
    auto found = MountsOf(device);
    if (found.empty())
        return nullptr;
    for (const Mount* mount : found)
        if (mount->root == "/")
            return mount;
    return found.front();
}

const MountTable::Mount* MountTable::MountAt(std::string_view target) const
{
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it)
        if (it->target == target)
            return &*it;
    return nullptr;
}

std::vector<const MountTable::Mount*> MountTable::ChildrenOf(const Mount& mount) const
{
    std::vector<const Mount*> children;
    for (const auto& other : mounts_)
        if (other.parentId == mount.id && &other != &mount)
            children.push_back(&other);
    return children;
}
