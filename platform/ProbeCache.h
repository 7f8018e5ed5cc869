#pragma once

#include "platform/DeviceNumber.h"
#include "platform/DiskEntry.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// What probing found on devices, kept for a few seconds so the back-to-back
// listings of one scan read each device once. An entry serves only the same
// media in the same state: the device number, for a partition its number and
// first sector (a partition table read anew hands device numbers out again),
// its size, the kernel's disk sequence number (new whenever the device is
// attached again or its media changes) and the write counters of the device
// and its disk must all match.
class ProbeCache {
public:
    struct Key {
        DeviceNumber device;
        uint64_t partition = 0;    // 0 for a whole disk
        uint64_t startSector = 0;  // of a partition on its disk
        uint64_t sizeBytes = 0;
        uint64_t diskSequence = 0;
        std::string writes;  // digits and commas

        auto operator<=>(const Key&) const = default;
    };

    static constexpr int64_t kLifetimeNanoseconds = 3'000'000'000;

    // A cache kept in folder/probe-cache. The folder is made (mode 0700) when
    // missing; one that is a symlink, belongs to another user or is open to
    // others disables the cache.
    explicit ProbeCache(std::filesystem::path folder);
    // The time entries are stamped with, in nanoseconds since boot.
    static int64_t Now();

    // Fills content, label, type and UUID of entry when a live entry matches.
    bool Find(const Key& key, DiskEntry& entry, int64_t now) const;
    void Store(const Key& key, const DiskEntry& entry, int64_t now);
    // Writes the file when something was stored; entries past their lifetime are dropped.
    void Save(int64_t now);

private:
    struct Facts {
        int64_t stamp = 0;
        Content content = Content::Unreadable;
        std::string label;
        std::string fileSystemType;
        std::string uuid;
    };

    void Read();
    int OpenFolder(bool create) const;

    std::filesystem::path folder_;
    std::map<Key, Facts> facts_;
    bool changed_ = false;
    mutable std::mutex mutex_;
};
