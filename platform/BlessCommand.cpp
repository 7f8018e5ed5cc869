#include "platform/BlessCommand.h"

#include "platform/BootDevice.h"
#include "platform/ToolText.h"

int BlessCommand::Run(const SystemRoot& root, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err)
{
    if (args.size() != 1 || args[0] != "--getBoot") {
        err << "usage: bless --getBoot\n";
        return 2;
    }
    auto boot = BootDevice::Find(root);
    if (boot.name.empty()) {
        err << "bless: " << PrintableLine(boot.error) << '\n';
        return 1;
    }
    out << "/dev/" << boot.name << '\n';
    return 0;
}
