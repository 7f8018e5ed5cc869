#pragma once

#include "TempFolder.h"

#include "base/Process.h"
#include "base/ShellWord.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the disk-tool tests.

// Runs one line through /bin/sh, as the application does.
ProcessResult RunShell(const std::string& line);
// Runs a built tool ("diskutil", "bless") with exactly these arguments, no shell in between.
ProcessResult RunTool(std::string_view name, std::vector<std::string> args);

// A tool's command ("diskutil", "bless") run in this process on the system
// under root, as its program runs it on "/": the programs take no other tree.
ProcessResult RunToolOn(const std::filesystem::path& root, std::string_view name, const std::vector<std::string>& args);

// The lines of text, without line breaks; no final empty line.
std::vector<std::string> Lines(std::string_view text);
// How often needle occurs in text.
size_t Count(std::string_view text, std::string_view needle);

// Fixture files of these tests.
std::filesystem::path FixturePath(std::string_view name);
// A built tool ("diskutil", "bless").
std::filesystem::path ToolPath(std::string_view name);

// A copy of the "listing" fixture tree with its device nodes made: dev/vda1
// (ext4 "ROOT FS"), dev/loop2 (vfat, no label), dev/loop10 (no file system)
// and dev/sdc (ext4 with the hostile label "Device Node: x"). The other
// devices have no node, so only the udev database can tell about them.
class FakeSystem {
public:
    FakeSystem();

    const std::filesystem::path& Root() const { return dir_.Path(); }
    // Why the tree could not be made; empty when it is ready.
    const std::string& Error() const { return error_; }

private:
    TempFolder dir_;
    std::string error_;
};

// The three listings the application reads, each as lines, from
// "<diskutil> info -all" where diskutil is a shell command prefix.
struct ListingColumns {
    std::vector<std::string> names;
    std::vector<std::string> nodes;
    std::vector<std::string> mounted;
};
ListingColumns ReadListingColumns(const std::string& diskutil);
// The same from listing, a shell command that prints what "diskutil info -all" prints.
ListingColumns ListingColumnsOf(const std::string& listing);
