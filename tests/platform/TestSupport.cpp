#include "TestSupport.h"

#include "LoopDevices.h"
#include "base/TextLines.h"
#include "platform/BlessCommand.h"
#include "platform/DiskutilCommand.h"

#include <stdlib.h>

#include <sstream>

namespace fs = std::filesystem;

ProcessResult RunShell(const std::string& line)
{
    return RunProcess({"/bin/sh", "-c", line});
}

ProcessResult RunTool(std::string_view name, std::vector<std::string> args)
{
    args.insert(args.begin(), ToolPath(name).string());
    return RunProcess(args);
}

std::vector<std::string> Lines(std::string_view text)
{
    const std::vector<std::string_view> lines = SplitLines(text);
    return {lines.begin(), lines.end()};
}

size_t Count(std::string_view text, std::string_view needle)
{
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

ProcessResult RunToolOn(const fs::path& root, std::string_view name, const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    auto run = name == "bless" ? BlessCommand::Run : DiskutilCommand::Run;
    int status = run(SystemRoot(root), args, out, err);
    return {status, out.str(), err.str()};
}

ListingColumns ReadListingColumns(const std::string& diskutil)
{
    return ListingColumnsOf(diskutil + " info -all");
}

ListingColumns ListingColumnsOf(const std::string& listing)
{
    // The application's own command lines, word for word.
    ListingColumns columns;
    columns.names = Lines(RunShell(listing + " | grep 'Volume Name:' | awk '{print $3 $4 $5}'").output);
    columns.nodes = Lines(RunShell(listing + " | grep 'Device Node:' | awk '{print $3 $4 $5}'").output);
    columns.mounted = Lines(RunShell(listing + " | grep 'Mounted:' | awk '{print $2}'").output);
    return columns;
}

fs::path FixturePath(std::string_view name)
{
    return fs::path(PLATFORM_FIXTURE_DIR) / name;
}

fs::path ToolPath(std::string_view name)
{
    return fs::path(PLATFORM_TOOL_DIR) / name;
}

FakeSystem::FakeSystem()
{
    std::error_code error;
    fs::copy(FixturePath("listing"), dir_.Path(), fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        error_ = "cannot copy the fixture tree: " + error.message();
        return;
    }
    fs::create_directories(dir_.Path() / "dev", error);
    struct Image {
        const char* node;
        const char* type;
        const char* label;
    };
    for (const Image& image : {Image{"vda1", "ext4", "ROOT FS"}, Image{"loop2", "vfat", ""}, Image{"loop10", "", ""},
                               Image{"sdc", "ext4", "Device Node: x"}}) {
        error_ = MakeImage(dir_.Path() / "dev" / image.node, image.type, image.label, 2);
        if (!error_.empty())
            return;
    }
}
