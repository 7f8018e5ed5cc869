#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The first executable file called name in a PATH-style list. Empty entries
// (the working folder) are skipped: not for a privileged helper.
std::optional<std::filesystem::path> FindOnPath(std::string_view name, std::string_view searchPath);
