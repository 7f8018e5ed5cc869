#include "platform/BlessCommand.h"

#include "platform/BootDevice.h"
#include "platform/EntryFormatter.h"

int BlessCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    size_t next = 0;
    const SystemRoot root = SystemRoot::FromArguments(args, next);
    if (args.size() - next != 1 || args[next] != "--getBoot") {
        err << "usage: bless --getBoot\n";
        return 2;
    }
    auto boot = BootDevice::Find(root);
    if (boot.name.empty()) {
        err << "bless: " << EntryFormatter::Sanitize(boot.error) << '\n';
        return 1;
    }
    out << "/dev/" << boot.name << '\n';
    return 0;
}
