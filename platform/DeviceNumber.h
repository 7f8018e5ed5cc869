#pragma once

#include <sys/types.h>

#include <compare>
#include <optional>
#include <string>
#include <string_view>

// A block device's major:minor. Devices are matched by this, never by name:
// the same device appears as /dev/dm-0, /dev/mapper/x or /dev/root.
struct DeviceNumber {
    unsigned majorNumber = 0;
    unsigned minorNumber = 0;

    // "254:0" as sysfs writes it (a trailing line break is allowed).
    static std::optional<DeviceNumber> Parse(std::string_view text);
    static DeviceNumber FromDev(dev_t device);
    std::string Text() const;

    auto operator<=>(const DeviceNumber&) const = default;
};
