#include "platform/BlessCommand.h"

#include "platform/BootDevice.h"
#include "platform/EntryFormatter.h"

#include <optional>

int BlessCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    size_t next = 0;
    std::optional<std::string> rootDirectory;
    if (next + 1 < args.size() && args[next] == "--root") {
        rootDirectory = args[next + 1];
        next += 2;
    } else if (next < args.size() && args[next].rfind("--root=", 0) == 0) {
        rootDirectory = args[next].substr(7);
        ++next;
    }
    if (args.size() - next != 1 || args[next] != "--getBoot") {
        err << "usage: bless --getBoot\n";
        return 2;
    }
    auto boot = BootDevice::Find(rootDirectory ? SystemRoot(*rootDirectory) : SystemRoot());
    if (boot.name.empty()) {
        err << "bless: " << EntryFormatter::Sanitize(boot.error) << '\n';
        return 1;
    }
    out << "/dev/" << boot.name << '\n';
    return 0;
}
