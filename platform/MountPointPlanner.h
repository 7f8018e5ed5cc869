#pragma once

#include "platform/MountTable.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Picks and makes the folder under the media folder a volume is mounted on.
class MountPointPlanner {
public:
    // How many names one volume name can give: NAME, "NAME 1" ... "NAME 99".
    static constexpr int kNames = 100;

    // The volume name as one directory name: no "/", no leading dots, no
    // control characters, never empty, at most 255 bytes.
    static std::string DirectoryName(std::string_view volumeName);

    // media/NAME, or media/"NAME 1", "NAME 2"... when that one is in use;
    // nullopt when every one is.
    static std::optional<std::filesystem::path> Choose(const std::filesystem::path& media, std::string_view volumeName,
                                                       const MountTable& mounts);

    // In use: it exists and is not an empty folder of its own (a symlink, a
    // file, a folder with something in it, or one something is mounted on).
    static bool InUse(const std::filesystem::path& directory, const MountTable& mounts);

    // A folder claimed for mounting: open, so nothing can swap it for
    // another before the mount.
    struct Claim {
        int fd = -1;
        bool created = false;
        std::string error;  // why the folder cannot be used; empty when it can
    };
    // Makes media/name (mode 0755, owned by root when run as root) or takes
    // it when it is an empty folder that nothing is mounted on. The last
    // step never follows a symlink. The caller closes fd.
    static Claim ClaimFolder(const std::filesystem::path& media, const std::string& name, const MountTable& mounts);
};
