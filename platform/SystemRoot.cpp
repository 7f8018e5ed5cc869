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

SystemRoot SystemRoot::FromArguments(const std::vector<std::string>& args, size_t& next)
{
    std::filesystem::path directory;
    for (next = 0; next < args.size();) {
        const std::string& arg = args[next];
        if (arg == "--root" && next + 1 < args.size()) {
            directory = args[next + 1];
            next += 2;
        } else if (arg.rfind("--root=", 0) == 0) {
            directory = arg.substr(7);
            ++next;
        } else {
            break;
        }
    }
    return SystemRoot(std::move(directory));
}
