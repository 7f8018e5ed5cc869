#include "platform/VolumeProbe.h"

#include "platform/TextFile.h"

#include <blkid/blkid.h>

#include <memory>

namespace {

struct ProbeDeleter {
    void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};
using ProbeHandle = std::unique_ptr<blkid_struct_probe, ProbeDeleter>;

std::string Value(blkid_probe probe, const char* name)
{
    const char* data = nullptr;
    size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &data, &length) != 0 || !data)
        return {};
    // length counts the terminating NUL
    std::string value(data, length);
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}

}  // namespace

void VolumeProbe::Prepare()
{
    // libblkid sets up its debug mask on first use, unguarded.
    blkid_init_debug(0);
}

bool VolumeProbe::FromNode(const std::filesystem::path& node, DiskEntry& entry)
{
    ProbeHandle probe(blkid_new_probe_from_filename(node.c_str()));
    if (!probe)
        return false;
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(),
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_USAGE);
    // A partition table alone is a definite "no file system", not a failure.
    blkid_probe_enable_partitions(probe.get(), 1);

    int result = blkid_do_safeprobe(probe.get());
    if (result < 0)
        return false;  // an I/O error, or signatures of several file systems
    if (result == 1) {
        entry.label.clear();
        entry.uuid.clear();
        Classify({}, {}, entry);
        return true;
    }
    entry.label = Value(probe.get(), "LABEL");
    entry.uuid = Value(probe.get(), "UUID");
    Classify(Value(probe.get(), "TYPE"), Value(probe.get(), "USAGE"), entry);
    return true;
}

std::optional<UdevRecord> VolumeProbe::CurrentRecord(const SystemRoot& root, const DiskEntry& entry,
                                                     std::optional<uint64_t> diskSequence)
{
    auto record = UdevRecord::Load(root, entry.device);
    if (!record || !diskSequence)
        return record;
    auto recorded = record->DiskSequence();
    // A partition table read anew hands the device number to whichever partition comes first.
    if (recorded && recorded->partition != entry.partitionNumber)
        return std::nullopt;
    if (!recorded && !entry.whole) {
        auto diskNumber = TextFile::FirstLine(root.Path("/sys/block") / entry.wholeIdentifier / "dev");
        auto disk = diskNumber ? DeviceNumber::Parse(*diskNumber) : std::nullopt;
        auto diskRecord = disk ? UdevRecord::Load(root, *disk) : std::nullopt;
        if (diskRecord)
            recorded = diskRecord->DiskSequence();
    }
    if (recorded && recorded->sequence != *diskSequence)
        return std::nullopt;
    return record;
}

void VolumeProbe::FromRecord(const UdevRecord& record, DiskEntry& entry)
{
    entry.label = record.Label();
    entry.uuid = record.Property("ID_FS_UUID").value_or("");
    Classify(record.Property("ID_FS_TYPE").value_or(""), record.Property("ID_FS_USAGE").value_or(""), entry);
}

bool VolumeProbe::Describes(const UdevRecord& record)
{
    return !record.Property("ID_FS_TYPE").value_or("").empty();
}

void VolumeProbe::Classify(const std::string& type, const std::string& usage, DiskEntry& entry)
{
    entry.fileSystemType = type;
    if (type.empty()) {
        entry.content = Content::NoFileSystem;
        return;
    }
    // LUKS, RAID and LVM members carry a type but nothing to mount.
    bool mountable = usage.empty() || usage == "filesystem" || type == "swap";
    entry.content = mountable ? Content::FileSystem : Content::NoFileSystem;
}
