#include "core/AppFolders.h"

#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <vector>

namespace {

std::mutex overridesMutex;
std::string resourcesOverride;
std::string toolsOverride;

std::string ReadExecutableFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            const std::filesystem::path exe(std::string(buffer.data(), static_cast<std::size_t>(length)));
            return exe.parent_path().string();
        }
        // Possibly truncated: readlink does not say, so try a larger buffer.
        buffer.resize(buffer.size() * 2);
    }
}

// <exe folder>/<relative>, without "." or ".." parts and without a trailing
// slash. "" when the executable cannot be located: a relative guess would
// resolve against whatever the current folder happens to be.
std::string BesideExecutable(const std::filesystem::path& relative)
{
    const std::string folder = AppFolders::ExecutableFolder();
    if (folder.empty())
        return {};
    std::string normal = (std::filesystem::path(folder) / relative).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

}  // namespace

namespace AppFolders {

std::string ExecutableFolder()
{
    // The executable does not move while it runs.
    static const std::string folder = ReadExecutableFolder();
    return folder;
}

std::string Resources()
{
    {
        std::lock_guard lock(overridesMutex);
        if (!resourcesOverride.empty())
            return resourcesOverride;
    }
    return BesideExecutable(std::filesystem::path("..") / "share" / TARNVIK_FOLDER_NAME / "resources");
}

std::string Tools()
{
    {
        std::lock_guard lock(overridesMutex);
        if (!toolsOverride.empty())
            return toolsOverride;
    }
    return BesideExecutable(std::filesystem::path("..") / "libexec" / TARNVIK_FOLDER_NAME);
}

void OverrideResources(const std::string& folder)
{
    std::lock_guard lock(overridesMutex);
    resourcesOverride = folder;
}

void OverrideTools(const std::string& folder)
{
    std::lock_guard lock(overridesMutex);
    toolsOverride = folder;
}

}  // namespace AppFolders
