#include "platform/SearchPath.h"

#include <unistd.h>

std::optional<std::filesystem::path> FindOnPath(std::string_view name, std::string_view searchPath)
{
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string_view::npos)
            end = searchPath.size();
        std::string_view dir = searchPath.substr(start, end - start);
        start = end + 1;
        if (dir.empty())
            continue;
        std::filesystem::path candidate = std::filesystem::path(dir) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}
