#include "platform/DiskList.h"

#include "platform/SysfsBlockDevices.h"
#include "platform/TextFile.h"
#include "platform/VolumeProbe.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// Probing waits on the device far more than it computes.
constexpr size_t kMaxProbeThreads = 16;

}  // namespace

std::optional<DeviceNumber> BlockDeviceAt(const SystemRoot& root, std::string_view path)
{
    struct stat info {};
    if (::stat(root.Path(path).c_str(), &info) == 0 && S_ISBLK(info.st_mode))
        return DeviceNumber::FromDev(info.st_rdev);
    return std::nullopt;
}

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
    LoadMountState();
    return true;
}

const DiskEntry* DiskList::LoadOne(std::string_view id)
{
    entries_.clear();
    std::optional<std::string> name;
    if (id.substr(0, 5) != "/dev/") {
        name = std::string(id);
    } else if (auto device = BlockDeviceAt(root_, id)) {
        name = SysfsBlockDevices::NameOf(root_, *device);
    } else if (id.substr(0, 12) == "/dev/mapper/") {
        name = SysfsBlockDevices::MapperDevice(root_, id.substr(12));
    } else {
        // No node to ask (a test tree, or a node not made yet): go by the name the path gives.
        name = std::string(id.substr(5));
    }
    std::optional<DiskEntry> entry = name ? SysfsBlockDevices::One(root_, *name) : std::nullopt;
    if (!entry)
        return nullptr;
    entries_.push_back(std::move(*entry));
    LoadMountState();
    return Find(id);
}

void DiskList::LoadMountState()
{
    probed_.assign(entries_.size(), false);
    mounts_ = CurrentMounts();
    activeSwaps_.clear();
    for (const auto& source : mounts_.SwapSources())
        if (const DiskEntry* entry = ByNodePath(source))
            activeSwaps_.insert(entry->device);

    for (auto& entry : entries_)
        ApplyMountState(entry);
}

MountTable DiskList::CurrentMounts() const
{
    MountTable mounts;
    // Without a mountinfo every device reads as not mounted, which is the best answer left.
    mounts.LoadMountInfo(root_.Path("/proc/self/mountinfo"));
    mounts.ResolveSources(root_.Path("/proc/filesystems"),
                          [this](std::string_view source) -> std::optional<DeviceNumber> {
                              if (const DiskEntry* entry = ByNodePath(source))
                                  return entry->device;
                              return BlockDeviceAt(root_, source);
                          });
    // mountinfo names one device of a btrfs file system; the others hold it just as much.
    if (mounts.HasType("btrfs"))
        mounts.AddMembers(SysfsBlockDevices::BtrfsMembers(root_));
    mounts.LoadSwaps(root_.Path("/proc/swaps"));
    return mounts;
}

void DiskList::ProbeAll()
{
    std::vector<size_t> pending;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!probed_[i])
            pending.push_back(i);
        probed_[i] = true;
    }
    VolumeProbe::Prepare();
    size_t threads = std::min(
        {pending.size(), kMaxProbeThreads, std::max<size_t>(2, 2 * size_t{std::thread::hardware_concurrency()})});
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t k; (k = next++) < pending.size();)
            Probe(entries_[pending[k]]);
    };
    std::vector<std::thread> pool;
    for (size_t i = 1; i < threads; ++i)
        pool.emplace_back(work);
    work();
    for (auto& thread : pool)
        thread.join();
    if (cache_)
        cache_->Save(ProbeCache::Now());
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
    size_t index = static_cast<size_t>(found - entries_.data());
    if (!probed_[index]) {
        probed_[index] = true;
        Probe(entries_[index]);
        if (cache_)
            cache_->Save(ProbeCache::Now());
    }
    return found;
}

std::filesystem::path DiskList::NodePath(const DiskEntry& entry) const
{
    return root_.Path(entry.DeviceNode());
}

bool DiskList::HoldsSystemVolume(DeviceNumber device) const
{
    const MountTable::Mount* mount = mounts_.MountAt("/");
    return mount && device.majorNumber != 0 && mount->IsOn(device);
}

void DiskList::UseProbeCache(std::filesystem::path folder)
{
    cache_.reset();
    if (!folder.empty())
        cache_.emplace(std::move(folder));
}

std::filesystem::path DiskList::DefaultProbeCacheFolder() const
{
    uid_t user = ::geteuid();
    if (user == 0)
        return root_.Path("/run/tarnvik");
    // Only where the login manager made the user's own runtime folder.
    std::filesystem::path runtime = root_.Path("/run/user/" + std::to_string(user));
    std::error_code error;
    return std::filesystem::is_directory(runtime, error) ? runtime / "tarnvik" : std::filesystem::path();
}

std::optional<ProbeCache::Key> DiskList::CacheKey(const DiskEntry& entry, std::optional<uint64_t> diskSequence) const
{
    if (!diskSequence || !cache_)
        return std::nullopt;
    std::filesystem::path disk = root_.Path("/sys/block") / entry.wholeIdentifier;
    std::filesystem::path own = entry.whole ? disk : disk / entry.identifier;
    // sysfs stat: field 5 counts writes, 7 written sectors, 9 requests in flight, 12 discards.
    auto ownCounters = TextFile::Numbers(own / "stat");
    auto wholeCounters = entry.whole ? ownCounters : TextFile::Numbers(disk / "stat");
    // A partition is more than its device number: the number goes to whichever is added next.
    auto start = entry.whole ? std::optional<uint64_t>(0) : TextFile::Number(own / "start");
    if (!ownCounters || !wholeCounters || !start || ownCounters->size() < 11 || wholeCounters->size() < 11 ||
        (*ownCounters)[8] != 0 || (*wholeCounters)[8] != 0)
        return std::nullopt;
    ProbeCache::Key key{entry.device, entry.partitionNumber, *start, entry.sizeBytes, *diskSequence, {}};
    for (const auto* counters : {&*ownCounters, &*wholeCounters})
        for (size_t field : {4, 6, 11})
            key.writes +=
                (key.writes.empty() ? "" : ",") + std::to_string(field < counters->size() ? (*counters)[field] : 0);
    return key;
}

void DiskList::Probe(DiskEntry& entry)
{
    auto diskSequence = TextFile::Number(root_.Path("/sys/block") / entry.wholeIdentifier / "diskseq");
    auto record = VolumeProbe::CurrentRecord(root_, entry, diskSequence);
    if (record && VolumeProbe::Describes(*record)) {
        VolumeProbe::FromRecord(*record, entry);
        return;
    }
    auto key = CacheKey(entry, diskSequence);
    int64_t now = ProbeCache::Now();
    if (key && cache_->Find(*key, entry, now))
        return;
    if (VolumeProbe::FromNode(NodePath(entry), entry)) {
        if (key)
            cache_->Store(*key, entry, now);
        return;
    }
    if (record)
        VolumeProbe::FromRecord(*record, entry);
    else
        entry.content = Content::Unreadable;
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
    if (auto device = BlockDeviceAt(root_, path)) {
        for (const auto& entry : entries_)
            if (entry.device == *device)
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
