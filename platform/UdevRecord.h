#pragma once

#include "platform/DeviceNumber.h"
#include "platform/SystemRoot.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

// The properties udev stored for a block device in run/udev/data/b<M>:<m>
// (its "E:KEY=value" lines). It stands in for probing when the node itself
// cannot be read, as for an unprivileged user.
class UdevRecord {
public:
    static std::optional<UdevRecord> Load(const SystemRoot& root, DeviceNumber device);
    static UdevRecord FromText(std::string_view text);

    std::optional<std::string> Property(const std::string& key) const;
    // The label as the file system holds it: ID_FS_LABEL_ENC decoded, else
    // ID_FS_LABEL (where udev replaced unsafe characters).
    std::string Label() const;

    // Undoes udev's \xNN escaping.
    static std::string DecodeEscapes(std::string_view text);

private:
    std::map<std::string, std::string> properties_;
};
