#include "platform/SysfsBlockDevices.h"

#include "base/TextLines.h"
#include "platform/NaturalOrder.h"
#include "platform/TextFile.h"
#include "platform/ToolText.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSectorBytes = 512;  // sysfs sizes are in 512-byte units whatever the hardware

bool IsLoopName(std::string_view name)
{
    return name.starts_with("loop") && ParseDecimal<uint64_t>(name.substr(4));
}

bool IsSet(const fs::path& file)
{
    auto value = TextFile::Number(file);
    return value && *value != 0;
}

// Size, device number and read-only flag, common to disks and partitions.
bool ReadCommon(const fs::path& dir, DiskEntry& entry)
{
    auto device = TextFile::FirstLine(dir / "dev");
    auto number = device ? DeviceNumber::Parse(*device) : std::nullopt;
    auto sectors = TextFile::Number(dir / "size");
    if (!number || !sectors || *sectors == 0)
        return false;
    entry.device = *number;
    entry.sizeBytes = *sectors * kSectorBytes;
    entry.readOnly = IsSet(dir / "ro");
    return true;
}

// A whole disk as the listing shows it, without its partitions; false when it is left out.
bool ReadDisk(const fs::path& dir, std::string name, DiskEntry& disk)
{
    disk.identifier = std::move(name);
    disk.wholeIdentifier = disk.identifier;
    if (!ReadCommon(dir, disk))
        return false;
    if (IsLoopName(disk.identifier)) {
        // The path may hold line breaks of its own; only the final one is sysfs's.
        auto backing = TextFile::Value(dir / "loop" / "backing_file");
        if (!backing)
            return false;  // an unbound loop device
        disk.backingFile = *backing;
    }
    disk.removable = IsSet(dir / "removable");
    if (auto name = TextFile::FirstLine(dir / "dm" / "name"))
        disk.mapperName = *name;
    return true;
}

bool ReadPartition(const fs::path& dir, std::string name, const DiskEntry& disk, DiskEntry& part)
{
    auto number = TextFile::Number(dir / "partition");
    if (!number)
        return false;
    part.partitionNumber = *number;
    part.identifier = std::move(name);
    part.whole = false;
    part.wholeIdentifier = disk.identifier;
    part.removable = disk.removable;
    return ReadCommon(dir, part);
}

// The partitions of a disk in partition order. Only subfolders named after
// the disk can be partitions (sda1, nvme0n1p2); the others (queue, holders,
// power...) are not looked into.
std::vector<DiskEntry> ReadPartitions(const fs::path& diskDir, const DiskEntry& disk)
{
    std::vector<DiskEntry> partitions;
    std::error_code error;
    for (fs::directory_iterator it(diskDir, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() <= disk.identifier.size() || name.compare(0, disk.identifier.size(), disk.identifier) != 0)
            continue;
        DiskEntry part;
        if (ReadPartition(it->path(), std::move(name), disk, part))
            partitions.push_back(std::move(part));
    }
    std::sort(partitions.begin(), partitions.end(), [](const DiskEntry& a, const DiskEntry& b) {
        if (a.partitionNumber != b.partitionNumber)
            return a.partitionNumber < b.partitionNumber;
        return NaturalOrder()(a.identifier, b.identifier);
    });
    return partitions;
}

void ListPartitions(DiskEntry& disk, const std::vector<DiskEntry>& partitions)
{
    for (const auto& part : partitions)
        disk.partitions.push_back(part.identifier);
}

}  // namespace

bool SysfsBlockDevices::IsKernelName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::optional<std::vector<DiskEntry>> SysfsBlockDevices::Scan(const SystemRoot& root)
{
    fs::path blockDir = root.Path("/sys/block");
    std::error_code error;
    fs::directory_iterator it(blockDir, error);
    if (error)
        return std::nullopt;

    std::vector<std::pair<DiskEntry, fs::path>> disks;
    for (fs::directory_iterator end; !error && it != end; it.increment(error)) {
        DiskEntry disk;
        if (ReadDisk(it->path(), it->path().filename().string(), disk))
            disks.emplace_back(std::move(disk), it->path());
    }
    std::sort(disks.begin(), disks.end(),
              [](const auto& a, const auto& b) { return NaturalOrder()(a.first.identifier, b.first.identifier); });

    std::vector<DiskEntry> entries;
    for (auto& [disk, dir] : disks) {
        auto partitions = ReadPartitions(dir, disk);
        ListPartitions(disk, partitions);
        entries.push_back(std::move(disk));
        for (auto& part : partitions)
            entries.push_back(std::move(part));
    }
    return entries;
}

std::optional<DiskEntry> SysfsBlockDevices::One(const SystemRoot& root, std::string_view name)
{
    if (!IsKernelName(name))
        return std::nullopt;
    std::error_code error;
    // The device's own folder: a partition's lies in its disk's.
    fs::path dir = fs::canonical(root.Path("/sys/class/block") / name, error);
    if (error)
        return std::nullopt;
    if (fs::exists(dir / "partition", error)) {
        fs::path diskDir = dir.parent_path();
        DiskEntry disk;
        DiskEntry part;
        // Listed only as a partition of a disk that is listed itself.
        if (!ReadDisk(diskDir, diskDir.filename().string(), disk) ||
            name.compare(0, disk.identifier.size(), disk.identifier) != 0 ||
            !ReadPartition(dir, std::string(name), disk, part))
            return std::nullopt;
        return part;
    }
    // A whole disk is listed under sys/block.
    if (!fs::exists(root.Path("/sys/block") / name, error))
        return std::nullopt;
    DiskEntry disk;
    if (!ReadDisk(dir, std::string(name), disk))
        return std::nullopt;
    ListPartitions(disk, ReadPartitions(dir, disk));
    return disk;
}

std::optional<std::string> SysfsBlockDevices::NameOf(const SystemRoot& root, DeviceNumber device)
{
    fs::path link = root.Path("/sys/dev/block") / device.Text();
    std::error_code error;
    auto status = fs::symlink_status(link, error);
    if (!error && fs::is_symlink(status)) {
        auto target = fs::read_symlink(link, error);
        if (!error && !target.filename().empty())
            return target.filename().string();
    }
    if (!error && fs::is_directory(status)) {
        if (auto uevent = TextFile::Read(link / "uevent")) {
            for (std::string_view line : SplitLines(*uevent))
                if (line.substr(0, 8) == "DEVNAME=" && line.size() > 8)
                    return std::string(line.substr(8));
        }
    }
    // No usable sys/dev/block entry: the listing knows every device's number.
    if (auto entries = Scan(root)) {
        for (const auto& entry : *entries)
            if (entry.device == device)
                return entry.identifier;
    }
    return std::nullopt;
}

std::vector<std::vector<DeviceNumber>> SysfsBlockDevices::BtrfsMembers(const SystemRoot& root)
{
    std::vector<std::vector<DeviceNumber>> groups;
    std::error_code error;
    for (fs::directory_iterator it(root.Path("/sys/fs/btrfs"), error), end; !error && it != end; it.increment(error)) {
        std::vector<DeviceNumber> members;
        std::error_code inner;
        // Each entry is named after a member and leads to its device folder.
        for (fs::directory_iterator device(it->path() / "devices", inner); !inner && device != end;
             device.increment(inner)) {
            auto number = TextFile::FirstLine(device->path() / "dev");
            if (auto parsed = number ? DeviceNumber::Parse(*number) : std::nullopt)
                members.push_back(*parsed);
        }
        if (!members.empty())
            groups.push_back(std::move(members));
    }
    return groups;
}

std::optional<std::string> SysfsBlockDevices::MapperDevice(const SystemRoot& root, std::string_view mapperName)
{
    std::error_code error;
    for (fs::directory_iterator it(root.Path("/sys/block"), error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.rfind("dm-", 0) == 0 && TextFile::FirstLine(it->path() / "dm" / "name") == mapperName)
            return name;
    }
    return std::nullopt;
}
