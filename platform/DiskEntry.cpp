#include "platform/DiskEntry.h"

namespace {

constexpr const char* kNotApplicable = "Not applicable (no file system)";

}

std::string DiskEntry::DeviceNode() const
{
    return "/dev/" + identifier;
}

std::string DiskEntry::VolumeName() const
{
    // Something is mounted from it, so it has a file system whatever the probe said.
    bool mounted = mountState == MountState::Mounted;
    switch (content) {
    case Content::FileSystem: return label.empty() ? "Untitled" : label;
    case Content::NoFileSystem: return mounted ? "Untitled" : kNotApplicable;
    case Content::Unreadable: return HoldsPartitions() && !mounted ? kNotApplicable : "Unknown";
    }
    return "Unknown";
}

std::string DiskEntry::MountedText() const
{
    switch (mountState) {
    case MountState::Mounted: return "Yes";
    case MountState::Swap: return "Swap";
    case MountState::NotMounted: break;
    }
    if (content == Content::NoFileSystem || (content == Content::Unreadable && HoldsPartitions()))
        return kNotApplicable;
    return "No";
}

std::string DiskEntry::Personality() const
{
    if (!fileSystemType.empty())
        return fileSystemType;
    return mountedType;
}
