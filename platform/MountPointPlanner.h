#pragma once

#include "platform/MountTable.h"

#include <filesystem>
#include <string>
#include <string_view>

// Picks the directory under the media folder a volume is mounted on.
class MountPointPlanner {
public:
    // The volume name as one directory name: no "/", no leading dots, no
    // control characters, never empty, at most 255 bytes.
    static std::string DirectoryName(std::string_view volumeName);

    // media/NAME, or media/"NAME 1", "NAME 2"... when that one is in use:
    // something is mounted on it, it is not a directory, or it is not empty.
    static std::filesystem::path Choose(const std::filesystem::path& media, std::string_view volumeName,
                                        const MountTable& mounts);

    static bool InUse(const std::filesystem::path& directory, const MountTable& mounts);
};
