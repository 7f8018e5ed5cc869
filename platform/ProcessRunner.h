#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Runs a program directly with fork and exec, never through a shell, so its
// arguments reach it as they are.
class ProcessRunner {
public:
    struct Result {
        int exitCode = -1;  // 128 + n when ended by signal n
        std::string output;
        std::string errorOutput;
    };

    // argv[0] is the program's path. stdin is /dev/null.
    static Result Run(const std::vector<std::string>& argv);

    // The first executable file called name in a PATH-style list.
    static std::optional<std::filesystem::path> FindOnPath(std::string_view name, std::string_view searchPath);
};
