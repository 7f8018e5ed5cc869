#include "platform/SysfsBlockDevices.h"

#include "base/TextLines.h"
#include "platform/NaturalOrder.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSectorBytes = 512;  // sysfs sizes are in 512-byte units whatever the hardware

bool IsLoopName(std::string_view name)
{
    if (name.size() <= 4 || name.substr(0, 4) != "loop")
        return false;
    return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsSet(const fs::path& file)
{
    auto value = TextFile::Number(file);
    return value && *value != 0;
}

std::vector<fs::path> Subdirectories(const fs::path& dir)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored))
            found.push_back(it->path());
    }
    return found;
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

struct Partition {
    uint64_t number = 0;
    DiskEntry entry;
};

std::vector<DiskEntry> ReadPartitions(const fs::path& diskDir, const DiskEntry& disk)
{
    std::vector<Partition> found;
    for (const auto& dir : Subdirectories(diskDir)) {
        auto number = TextFile::Number(dir / "partition");
        if (!number)
            continue;
        Partition part;
        part.number = *number;
        part.entry.identifier = dir.filename().string();
        part.entry.whole = false;
        part.entry.wholeIdentifier = disk.identifier;
        part.entry.removable = disk.removable;
        if (!ReadCommon(dir, part.entry))
            continue;
        found.push_back(std::move(part));
    }
    std::sort(found.begin(), found.end(), [](const Partition& a, const Partition& b) {
        if (a.number != b.number)
            return a.number < b.number;
        return NaturalOrder()(a.entry.identifier, b.entry.identifier);
    });
    std::vector<DiskEntry> partitions;
    for (auto& part : found)
        partitions.push_back(std::move(part.entry));
    return partitions;
}

}  // namespace

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
        disk.identifier = it->path().filename().string();
        disk.wholeIdentifier = disk.identifier;
        fs::path dir = it->path();
        if (!ReadCommon(dir, disk))
            continue;
        if (IsLoopName(disk.identifier)) {
            auto backing = TextFile::FirstLine(dir / "loop" / "backing_file");
            if (!backing)
                continue;  // an unbound loop device
            disk.backingFile = *backing;
        }
        disk.removable = IsSet(dir / "removable");
        if (auto name = TextFile::FirstLine(dir / "dm" / "name"))
            disk.mapperName = *name;
        disks.emplace_back(std::move(disk), std::move(dir));
    }
    std::sort(disks.begin(), disks.end(),
              [](const auto& a, const auto& b) { return NaturalOrder()(a.first.identifier, b.first.identifier); });

    std::vector<DiskEntry> entries;
    for (auto& [disk, dir] : disks) {
        auto partitions = ReadPartitions(dir, disk);
        for (const auto& part : partitions)
            disk.partitions.push_back(part.identifier);
        entries.push_back(std::move(disk));
        for (auto& part : partitions)
            entries.push_back(std::move(part));
    }
    return entries;
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
