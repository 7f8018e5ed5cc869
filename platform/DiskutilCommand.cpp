#include "platform/DiskutilCommand.h"

#include "platform/DiskList.h"
#include "platform/EntryFormatter.h"
#include "platform/Mounter.h"
#include "platform/ToolText.h"

namespace {

constexpr int kUsageError = 2;

int Usage(std::ostream& err)
{
    err << "usage: diskutil info -all\n"
           "       diskutil info DEVICE\n"
           "       diskutil mount DEVICE\n"
           "       diskutil unmount DEVICE\n"
           "DEVICE is an identifier such as loop0 or a node such as /dev/loop0.\n";
    return kUsageError;
}

int Report(const Mounter::Outcome& outcome, std::ostream& out, std::ostream& err)
{
    (outcome.exitCode == 0 ? out : err) << outcome.message << '\n';
    return outcome.exitCode;
}

}  // namespace

int DiskutilCommand::Run(const SystemRoot& root, const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err)
{
    if (args.size() != 2)
        return Usage(err);
    const std::string& verb = args[0];
    const std::string& operand = args[1];
    if (verb != "info" && verb != "mount" && verb != "unmount")
        return Usage(err);
    DiskList disks(root);
    // The listings of one scan follow each other within a second; each reads
    // the devices once. Mounting decides from what is on the device now, so
    // it probes afresh.
    if (verb == "info")
        disks.UseProbeCache(disks.DefaultProbeCacheFolder());
    if (verb == "info" && operand == "-all") {
        if (!disks.Load()) {
            err << disks.Error() << '\n';
            return 1;
        }
        disks.ProbeAll();
        out << EntryFormatter::All(disks.Entries());
        return 0;
    }
    const DiskEntry* entry = disks.LoadOne(operand);
    if (!entry) {
        err << "Could not find disk: " << PrintableLine(operand) << '\n';
        return 1;
    }
    if (verb == "info") {
        out << EntryFormatter::Entry(*entry);
        return 0;
    }
    Mounter mounter(disks);
    return Report(verb == "mount" ? mounter.Mount(operand) : mounter.Unmount(operand), out, err);
}
