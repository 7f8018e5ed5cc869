#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Makes the folder under the media folder a volume is mounted on, and
// removes it again, but only a folder made here: each one made is noted in
// the record folder (one file per folder, named by the folder's device,
// inode and change time and holding its path) until it is removed. A
// folder that someone else made is never mounted on and never removed.
class MountPointPlanner {
public:
    // How many names one volume name can give: NAME, "NAME 1" ... "NAME 99".
    static constexpr int kNames = 100;
    static constexpr const char* kRecordFolder = "/run/tarnvik/mount-points";

    MountPointPlanner(std::filesystem::path media, std::filesystem::path records = kRecordFolder);

    // The volume name as one directory name: no "/", no leading dots, no
    // control characters, never empty, at most 255 bytes.
    static std::string DirectoryName(std::string_view volumeName);

    // A folder made for one mount, open so the mount lands on exactly it.
    struct Folder {
        int fd = -1;  // the caller closes it
        std::filesystem::path path;
        std::string error;  // why no folder was made; empty when one was
    };
    // Makes media/NAME, or "NAME 1", "NAME 2"... when that name exists in any
    // form, mode 0755 (owned by root when run as root), and records it.
    Folder Make(std::string_view volumeName);

    // Removes folder, and its record, when it is one made here, it is empty
    // and nothing is mounted on it.
    void Remove(const std::filesystem::path& folder);
    // Removes the folders made here that nothing is mounted on any more
    // (their mount was undone by other means), so their names are free
    // again, and drops the records of folders gone or changed since.
    void Tidy();

    // Held from Tidy until the mount is made, and while an unmount removes
    // its folders, so no run takes another's new folder for a leftover.
    // Released when the lock goes.
    class Lock {
    public:
        explicit Lock(const MountPointPlanner& planner);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        int fd_ = -1;
    };

private:
    int OpenRecords(bool create) const;

    std::filesystem::path media_;
    std::filesystem::path records_;
};
