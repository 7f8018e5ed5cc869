#include "platform/MountPointPlanner.h"

#include "base/TextLines.h"
#include "platform/TextFile.h"
#include "platform/ToolText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxNameBytes = 255;

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

// A folder's identity: device, inode and change time. Each made folder gets a
// new one, even where an inode number comes back, and a mount on top hides it.
std::string RecordName(const struct statx& info)
{
    return std::to_string(info.stx_dev_major) + "." + std::to_string(info.stx_dev_minor) + "-" +
           std::to_string(info.stx_ino) + "-" + std::to_string(info.stx_ctime.tv_sec) + "." +
           std::to_string(info.stx_ctime.tv_nsec);
}

bool StatFolder(int at, const char* path, int flags, struct statx& info)
{
    return ::statx(at, path, flags | AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &info) == 0;
}

// Whether something is mounted on path: the kernel says so, or the folder
// lies on another device than its parent.
bool IsMountRoot(const fs::path& path, const struct statx& info)
{
    if (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    struct statx parent {};
    return !StatFolder(AT_FDCWD, path.parent_path().c_str(), 0, parent) || parent.stx_dev_major != info.stx_dev_major ||
           parent.stx_dev_minor != info.stx_dev_minor;
}

// Removes the folder a record names when it is still the one recorded and
// nothing is mounted on it, and then the record; drops a record whose
// folder is gone or was replaced.
void Settle(int records, const std::string& recordName, const fs::path& path)
{
    struct statx info {};
    if (!StatFolder(AT_FDCWD, path.c_str(), 0, info)) {
        if (errno == ENOENT || errno == ENOTDIR)
            ::unlinkat(records, recordName.c_str(), 0);
        return;
    }
    if (IsMountRoot(path, info))
        return;
    // rmdir leaves a folder that holds anything; what was put there is not ours to throw away.
    if (RecordName(info) != recordName || ::rmdir(path.c_str()) == 0 || errno == ENOTEMPTY || errno == EEXIST)
        ::unlinkat(records, recordName.c_str(), 0);
}

std::optional<std::string> ReadRecord(int records, const std::string& recordName)
{
    int fd = ::openat(records, recordName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    auto text = TextFile::ReadFrom(fd);
    ::close(fd);
    return text;
}

}  // namespace

std::string MountPointPlanner::DirectoryName(std::string_view volumeName)
{
    std::string name = PrintableLine(volumeName);
    for (char& c : name)
        if (c == '/')
            c = '_';
    // Neither hidden nor "." or "..", and no blank at either end. PrintableLine
    // made every control character a blank; a no-break space stays as named.
    name.erase(0, std::min(name.find_first_not_of(". "), name.size()));
    // room for a " 9999" suffix
    name = CutTo(std::move(name), kMaxNameBytes - 8);
    name.resize(TrimTrailingBlanks(name).size());
    return name.empty() ? "Untitled" : name;
}

MountPointPlanner::MountPointPlanner(fs::path media, fs::path records)
    : media_(std::move(media)), records_(std::move(records))
{
}

int MountPointPlanner::OpenRecords(bool create) const
{
    if (create) {
        ::mkdir(records_.parent_path().c_str(), 0700);
        ::mkdir(records_.c_str(), 0700);
    }
    int fd = ::open(records_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    // Only a folder of our own that nobody else can write to tells which folders are ours.
    if (fd >= 0 && (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & 022))) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

MountPointPlanner::Lock::Lock(const MountPointPlanner& planner) : fd_(planner.OpenRecords(true))
{
    if (fd_ >= 0)
        ::flock(fd_, LOCK_EX);
}

MountPointPlanner::Lock::~Lock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

MountPointPlanner::Folder MountPointPlanner::Make(std::string_view volumeName)
{
    Folder folder;
    std::error_code ignored;
    fs::create_directories(media_, ignored);
    int records = OpenRecords(true);
    if (records < 0) {
        folder.error =
            "cannot keep a record of its folder in " + PrintableLine(records_.string()) + ": " + std::strerror(errno);
        return folder;
    }
    int parent = ::open(media_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        folder.error = "cannot open " + PrintableLine(media_.string()) + ": " + std::strerror(errno);
        ::close(records);
        return folder;
    }
    const std::string base = DirectoryName(volumeName);
    std::string name;
    bool made = false;
    for (int n = 0; n < kNames && !made && folder.error.empty(); ++n) {
        name = n == 0 ? base : base + " " + std::to_string(n);
        // Made with no access for others until it is set up; whatever exists already is someone else's.
        made = ::mkdirat(parent, name.c_str(), 0700) == 0;
        if (!made && errno != EEXIST)
            folder.error = "cannot create " + PrintableLine((media_ / name).string()) + ": " + std::strerror(errno);
    }
    if (!made && folder.error.empty())
        folder.error = "no free folder for it in " + PrintableLine(media_.string()) + " (" + base + " and its " +
                       std::to_string(kNames - 1) + " numbered names are taken)";
    if (made) {
        folder.path = media_ / name;
        const std::string shown = PrintableLine(folder.path.string());
        const std::string text = folder.path.string();
        struct statx info {};
        folder.fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder.fd < 0)
            folder.error = "cannot open " + shown + ": " + std::strerror(errno);
        // The umask has no say in the end result.
        else if ((::geteuid() == 0 && ::fchown(folder.fd, 0, 0) != 0) || ::fchmod(folder.fd, 0755) != 0)
            folder.error = "cannot set up " + shown + ": " + std::strerror(errno);
        else if (!StatFolder(folder.fd, "", AT_EMPTY_PATH, info))
            folder.error = "cannot read " + shown + ": " + std::strerror(errno);
        else {
            const std::string recordName = RecordName(info);
            int fd = ::openat(records, recordName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
            bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
            int why = errno;
            if (fd >= 0)
                ::close(fd);
            if (!written) {
                ::unlinkat(records, recordName.c_str(), 0);
                folder.error = "cannot keep a record of " + shown + " in " + PrintableLine(records_.string()) + ": " +
                               std::strerror(why);
            }
        }
        if (!folder.error.empty()) {
            if (folder.fd >= 0)
                ::close(folder.fd);
            folder.fd = -1;
            ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
        }
    }
    ::close(parent);
    ::close(records);
    return folder;
}

void MountPointPlanner::Remove(const fs::path& folder)
{
    struct statx info {};
    int records = OpenRecords(false);
    if (records < 0)
        return;
    if (StatFolder(AT_FDCWD, folder.c_str(), 0, info)) {
        const std::string recordName = RecordName(info);
        if (ReadRecord(records, recordName) == folder.string())
            Settle(records, recordName, folder);
    }
    ::close(records);
}

void MountPointPlanner::Tidy()
{
    int records = OpenRecords(false);
    int listed = records < 0 ? -1 : ::openat(records, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (dir) {
        std::vector<std::string> names;
        while (const dirent* item = ::readdir(dir))
            if (item->d_name[0] != '.')
                names.emplace_back(item->d_name);
        ::closedir(dir);
        for (const auto& name : names)
            if (auto path = ReadRecord(records, name))
                Settle(records, name, *path);
    } else if (listed >= 0) {
        ::close(listed);
    }
    if (records >= 0)
        ::close(records);
}
