#include "platform/DiskList.h"

#include "platform/SysfsBlockDevices.h"
#include "platform/VolumeProbe.h"

#include <sys/stat.h>

DiskList::DiskList(SystemRoot root) : root_(std::move(root)) {}

bool DiskList::Load()
{
    auto scanned = SysfsBlockDevices::Scan(root_);
    if (!scanned) {
        error_ = "Could not read " + root_.Path("/sys/block").string();
        entries_.clear();
        return false;
    }
    entries_ = std::move(*scanned);
    probed_.assign(entries_.size(), false);

    // Without a mountinfo every device reads as not mounted, which is the best answer left.
    mounts_.LoadMountInfo(root_.Path("/proc/self/mountinfo"));
    mounts_.LoadSwaps(root_.Path("/proc/swaps"));
    activeSwaps_.clear();
    for (const auto& source : mounts_.SwapSources())
        if (const DiskEntry* entry = ByNodePath(source))
            activeSwaps_.insert(entry->device);

    for (auto& entry : entries_)
        ApplyMountState(entry);
    return true;
}

void DiskList::ProbeAll()
{
    for (auto& entry : entries_)
        Probe(entry);
}

const DiskEntry* DiskList::Find(std::string_view id)
{
    const DiskEntry* found = nullptr;
    for (const auto& entry : entries_)
        if (entry.identifier == id)
            found = &entry;
    if (!found && id.substr(0, 5) == "/dev/")
        found = ByNodePath(id);
    if (!found)
        return nullptr;
    auto& entry = entries_[static_cast<size_t>(found - entries_.data())];
    Probe(entry);
    return &entry;
}

std::filesystem::path DiskList::NodePath(const DiskEntry& entry) const
{
    return root_.Path(entry.DeviceNode());
}

void DiskList::Probe(DiskEntry& entry)
{
    size_t index = static_cast<size_t>(&entry - entries_.data());
    if (probed_[index])
        return;
    probed_[index] = true;
    VolumeProbe::Fill(root_, NodePath(entry), entry);
}

void DiskList::ApplyMountState(DiskEntry& entry) const
{
    if (activeSwaps_.count(entry.device)) {
        entry.mountState = MountState::Swap;
        entry.mountPoint = "[SWAP]";
        entry.mountedType = "swap";
        return;
    }
    if (const MountTable::Mount* mount = mounts_.PrimaryMountOf(entry.device)) {
        entry.mountState = MountState::Mounted;
        entry.mountPoint = mount->target;
        entry.mountedType = mount->fileSystemType;
    }
}

const DiskEntry* DiskList::ByNodePath(std::string_view path) const
{
    // A real node (or a udev symlink to one) tells its device number directly.
    struct stat info {};
    if (::stat(root_.Path(path).c_str(), &info) == 0 && S_ISBLK(info.st_mode)) {
        DeviceNumber device = DeviceNumber::FromDev(info.st_rdev);
        for (const auto& entry : entries_)
            if (entry.device == device)
                return &entry;
        return nullptr;
    }
    // No node to ask (a test tree, or a node not made yet): go by the name the path gives.
    if (path.substr(0, 5) != "/dev/")
        return nullptr;
    std::string_view name = path.substr(5);
    bool mapper = name.substr(0, 7) == "mapper/";
    if (mapper)
        name.remove_prefix(7);
    if (name.empty() || name.find('/') != std::string_view::npos)
        return nullptr;
    for (const auto& entry : entries_)
        if (mapper ? entry.mapperName == name : entry.identifier == name)
            return &entry;
    return nullptr;
}
