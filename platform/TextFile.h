#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Reads the small text files of sysfs, proc and the udev database. A file
// that cannot be read gives nullopt, never an exception: devices come and go
// while they are listed.
class TextFile {
public:
    static std::optional<std::string> Read(const std::filesystem::path& path);
    // The rest of an open file; fd stays open.
    static std::optional<std::string> ReadFrom(int fd);
    // The first line without its line break.
    static std::optional<std::string> FirstLine(const std::filesystem::path& path);
    // The whole text less the one line break sysfs ends a value with; a value
    // may hold line breaks of its own (a file name, say).
    static std::optional<std::string> Value(const std::filesystem::path& path);
    // A decimal number on the first line.
    static std::optional<uint64_t> Number(const std::filesystem::path& path);
    // The decimal numbers of the first line, as a sysfs stat file holds them.
    static std::optional<std::vector<uint64_t>> Numbers(const std::filesystem::path& path);
};
