#pragma once

#include <filesystem>
#include <string_view>

// The tree the disk tools read the system from: "/" normally, a prepared
// directory in tests. Every sysfs, proc, udev and /dev path goes through
// Path(), so one setting moves all of them together. The commands themselves
// always read "/"; only tests reach another tree, through the library.
class SystemRoot {
public:
    SystemRoot() = default;
    explicit SystemRoot(std::filesystem::path directory);

    // An absolute path such as "/sys/block" placed under the root.
    std::filesystem::path Path(std::string_view absolute) const;
    // Whether this is the running system itself rather than a prepared tree.
    bool IsSystem() const { return directory_ == "/"; }
    const std::filesystem::path& Directory() const { return directory_; }

private:
    std::filesystem::path directory_ = "/";
};
