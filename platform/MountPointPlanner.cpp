#include "platform/MountPointPlanner.h"

#include "platform/EntryFormatter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxNameBytes = 255;

std::string Trimmed(std::string text)
{
    size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(' ');
    return text.substr(start, end - start + 1);
}

// Cuts to at most limit bytes without splitting a UTF-8 sequence.
std::string CutTo(std::string text, size_t limit)
{
    if (text.size() <= limit)
        return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.erase(end);
    return text;
}

// Whether the open folder holds nothing but "." and "..".
bool IsEmptyFolder(int fd)
{
    int copy = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    bool empty = true;
    while (const dirent* item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(dir);
    return empty;
}

// A mount's root lies on another device than the folder it is mounted in,
// or says so itself.
bool IsMountRoot(int fd, int parentFd)
{
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &info) == 0 &&
        (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT))
        return (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    struct stat own {
    }, parent{};
    return ::fstat(fd, &own) != 0 || ::fstat(parentFd, &parent) != 0 || own.st_dev != parent.st_dev;
}

}  // namespace

std::string MountPointPlanner::DirectoryName(std::string_view volumeName)
{
    std::string name = EntryFormatter::Sanitize(volumeName);
    for (char& c : name)
        if (c == '/')
            c = '_';
    name = Trimmed(std::move(name));
    size_t firstKept = name.find_first_not_of(". ");
    name = firstKept == std::string::npos ? std::string() : name.substr(firstKept);
    // room for a " 9999" suffix
    name = Trimmed(CutTo(std::move(name), kMaxNameBytes - 8));
    return name.empty() ? "Untitled" : name;
}

bool MountPointPlanner::InUse(const fs::path& directory, const MountTable& mounts)
{
    std::error_code error;
    auto status = fs::symlink_status(directory, error);
    if (error || !fs::exists(status))
        return false;
    if (!fs::is_directory(status))
        return true;
    if (mounts.MountAt(directory.string()))
        return true;
    return !fs::is_empty(directory, error) || error;
}

std::optional<fs::path> MountPointPlanner::Choose(const fs::path& media, std::string_view volumeName,
                                                  const MountTable& mounts)
{
    std::string name = DirectoryName(volumeName);
    for (int n = 0; n < kNames; ++n) {
        fs::path candidate = media / (n == 0 ? name : name + " " + std::to_string(n));
        if (!InUse(candidate, mounts))
            return candidate;
    }
    return std::nullopt;
}

MountPointPlanner::Claim MountPointPlanner::ClaimFolder(const fs::path& media, const std::string& name,
                                                        const MountTable& mounts)
{
    Claim claim;
    const std::string shown = EntryFormatter::Sanitize((media / name).string());
    int parent = ::open(media.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        claim.error = "cannot open " + EntryFormatter::Sanitize(media.string()) + ": " + std::strerror(errno);
        return claim;
    }
    claim.created = ::mkdirat(parent, name.c_str(), 0700) == 0;
    if (!claim.created && errno != EEXIST) {
        claim.error = "cannot create " + shown + ": " + std::strerror(errno);
        ::close(parent);
        return claim;
    }
    claim.fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (claim.fd < 0) {
        int why = errno;
        struct stat info {};
        bool link = ::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
        claim.error = shown + (link             ? " is a symlink"
                               : why == ENOTDIR ? " is not a folder"
                                                : std::string(": ") + std::strerror(why));
    } else if (claim.created) {
        // Made with no access for others until it is set up; the umask has no say in the end result.
        if ((::geteuid() == 0 && ::fchown(claim.fd, 0, 0) != 0) || ::fchmod(claim.fd, 0755) != 0)
            claim.error = "cannot set up " + shown + ": " + std::strerror(errno);
    } else if (!IsEmptyFolder(claim.fd)) {
        claim.error = shown + " is not empty";
    } else if (IsMountRoot(claim.fd, parent) || mounts.MountAt((media / name).string())) {
        claim.error = shown + " is already a mount point";
    }
    if (!claim.error.empty()) {
        if (claim.fd >= 0)
            ::close(claim.fd);
        claim.fd = -1;
        if (claim.created)
            ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
        claim.created = false;
    }
    ::close(parent);
    return claim;
}
