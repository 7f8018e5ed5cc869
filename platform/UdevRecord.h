#pragma once

#include "platform/DeviceNumber.h"
#include "platform/SystemRoot.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The properties udev stored for a block device in run/udev/data/b<M>:<m>
// (its "E:KEY=value" lines) and the links it made ("S:" lines). It stands in
// for probing where it is known to be current, and when the node itself
// cannot be read, as for an unprivileged user.
class UdevRecord {
public:
    static std::optional<UdevRecord> Load(const SystemRoot& root, DeviceNumber device);
    static UdevRecord FromText(std::string_view text);

    std::optional<std::string> Property(const std::string& key) const;
    // The label as the file system holds it: ID_FS_LABEL_ENC decoded, else
    // ID_FS_LABEL (where udev replaced unsafe characters).
    std::string Label() const;
    // What its disk/by-diskseq link ("N", or "N-partM" for a partition)
    // names: the disk sequence number and the partition number (0 for a
    // disk); nullopt without such a link.
    struct DiskSequenceLink {
        uint64_t sequence = 0;
        uint64_t partition = 0;
    };
    std::optional<DiskSequenceLink> DiskSequence() const;

    // Undoes udev's \xNN escaping.
    static std::string DecodeEscapes(std::string_view text);

private:
    std::map<std::string, std::string> properties_;
    std::vector<std::string> links_;
};
