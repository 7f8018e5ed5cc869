#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The tree the disk tools read the system from: "/" normally, a prepared
// directory in tests. Every sysfs, proc, udev and /dev path goes through
// Path(), so one setting moves all of them together.
class SystemRoot {
public:
    SystemRoot() = default;
    explicit SystemRoot(std::filesystem::path directory);
    // The tree that leading "--root DIR" or "--root=DIR" arguments of a
    // command line name (the last one counts; "/" without any); next is set
    // to the first argument after them. Tests run the tools on prepared trees.
    static SystemRoot FromArguments(const std::vector<std::string>& args, size_t& next);

    // An absolute path such as "/sys/block" placed under the root.
    std::filesystem::path Path(std::string_view absolute) const;

private:
    std::filesystem::path directory_ = "/";
};
