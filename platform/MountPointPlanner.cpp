#include "platform/MountPointPlanner.h"

#include "platform/EntryFormatter.h"

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

fs::path MountPointPlanner::Choose(const fs::path& media, std::string_view volumeName, const MountTable& mounts)
{
    std::string name = DirectoryName(volumeName);
    fs::path candidate = media / name;
    for (int n = 1; InUse(candidate, mounts) && n < 10000; ++n)
        candidate = media / (name + " " + std::to_string(n));
    return candidate;
}
