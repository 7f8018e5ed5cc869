#include "platform/SystemRoot.h"

SystemRoot::SystemRoot(std::filesystem::path directory)
    : directory_(directory.empty() ? std::filesystem::path("/") : std::move(directory))
{
}

std::filesystem::path SystemRoot::Path(std::string_view absolute) const
{
    while (!absolute.empty() && absolute.front() == '/')
        absolute.remove_prefix(1);
    return directory_ / absolute;
}
