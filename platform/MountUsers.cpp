#include "platform/MountUsers.h"

#include "platform/TextFile.h"
#include "platform/ToolText.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The mount a path leads to, following the links of /proc to what they stand for.
// A network or FUSE file system is not asked: a hung server must not hang the unmount.
std::optional<int> MountIdOf(const fs::path& path)
{
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_DONT_SYNC, STATX_MNT_ID, &info) != 0 ||
        !(info.stx_mask & STATX_MNT_ID))
        return std::nullopt;
    return static_cast<int>(info.stx_mnt_id);
}

// Every entry of a folder of /proc; none when it cannot be read (the process is gone, say).
template <typename Visit>
void ForEachEntry(const fs::path& folder, Visit visit)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        visit(it->path());
}

}  // namespace

std::optional<int> MountUsers::FirstHeld(const std::set<int>& mountIds, const std::vector<std::string>& swapFiles)
{
    std::optional<int> held;
    auto check = [&](const fs::path& path) {
        if (held)
            return;
        auto id = MountIdOf(path);
        if (id && mountIds.count(*id))
            held = id;
    };
    ForEachEntry("/proc", [&](const fs::path& process) {
        // A process's folder is named by its number.
        if (held || !ParseDecimal<uint64_t>(process.filename().string()))
            return;
        check(process / "cwd");
        check(process / "root");
        ForEachEntry(process / "fd", check);
        ForEachEntry(process / "map_files", check);
    });
    // The kernel's own users: loop devices and swap files keep their files open.
    ForEachEntry("/sys/block", [&](const fs::path& device) {
        if (auto backing = TextFile::Value(device / "loop" / "backing_file"))
            check(*backing);
    });
    for (const auto& swap : swapFiles)
        check(swap);
    return held;
}
