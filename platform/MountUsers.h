#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

// Which mounts are held by something that an unmount would fail on, found
// from the holders' side. For a mount with other mounts inside it the
// kernel's own check cannot be asked (those count as users too).
class MountUsers {
public:
    // The first of the mount ids (as mountinfo numbers them) that a process
    // uses as its working or root folder, through an open file or a mapped
    // file, or that holds the backing file of a loop device or one of the
    // swap files named; nullopt when none is held.
    static std::optional<int> FirstHeld(const std::set<int>& mountIds, const std::vector<std::string>& swapFiles);
};
