#include "scan/DeviceScan.h"

#include "base/Process.h"
#include "base/ShellWord.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(DeviceScanColumns, EachOutputGivesItsColumnLineByLine)
{
    struct Case {
        const char* name;
        std::string output;
        Lines names;        // NamesFrom, and OutputLines for the mounted states
        Lines identifiers;  // IdentifiersFrom
    } cases[] = {
        {"line feeds, an empty last line after the last one",
         "A\n/dev/disk2s1\n",
         {"A", "/dev/disk2s1", ""},
         {"", "disk2s1", ""}},
        {"carriage returns",
         "/dev/disk2s1\r/dev/disk3\r",
         {"/dev/disk2s1", "/dev/disk3", ""},
         {"disk2s1", "disk3", ""}},
        {"carriage return and line feed", "/dev/disk2s1\r\nYes\r\n", {"/dev/disk2s1", "Yes", ""}, {"disk2s1", "", ""}},
        {"no line break after the last line", "/dev/disk2s1", {"/dev/disk2s1"}, {"disk2s1"}},
        {"blanks stay in the line, not in the identifier",
         " /dev/ disk2s1 \n",
         {" /dev/ disk2s1 ", ""},
         {"disk2s1", ""}},
        {"the third field only",
         "/dev/disk4/extra\ndisk2\n/dev\n",
         {"/dev/disk4/extra", "disk2", "/dev", ""},
         {"disk4", "", "", ""}},
        {"UTF-8 is kept whole", "Lüfter Daten\n", {"Lüfter Daten", ""}, {"", ""}},
        {"nothing printed", "", {""}, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NamesFrom(c.output), c.names);
        EXPECT_EQ(OutputLines(c.output), c.names);
        EXPECT_EQ(IdentifiersFrom(c.output), c.identifiers);
    }
}

TEST(DeviceScanPairing, OutputsPairUpOnlyWhenTheyHoldAsManyEntries)
{
    struct Case {
        std::string output;
        size_t entries;
    } counts[] = {
        {"", 0},       {"A\n", 1},   {"A", 1},    {"A\nB", 2}, {"A\r\nB\r\n", 2},
        {"A\rB\r", 2}, {"A\n\n", 2}, {"\r\n", 1}, {"\n\r", 2},
    };
    for (const Case& c : counts)
        EXPECT_EQ(EntryCount(c.output), c.entries) << '"' << c.output << '"';

    struct Pairing {
        Lines outputs;
        bool pairUp;
    } pairings[] = {
        {{"A\nB\n", "/dev/a\n/dev/b\n", "No\nYes\n"}, true},
        {{"A\r\nB\r\n", "/dev/a\n/dev/b", "No\rYes\r"}, true},
        {{"", "", ""}, true},
        {{"A\n"}, true},
        {{}, true},
        {{"A\rB\n", "/dev/a\n", "No\n"}, false},
        {{"A\n", "/dev/a\n/dev/b\n", "No\n"}, false},
        {{"A\n", "/dev/a\n", "No\nYes\n"}, false},
        {{"A\n", "", "No\n"}, false},
    };
    for (const Pairing& p : pairings)
        EXPECT_EQ(EntriesPairUp(p.outputs), p.pairUp) << ::testing::PrintToString(p.outputs);
}

TEST(DeviceScanFilter, EachPassRemovesItsOwnPrefixesWhateverTheCase)
{
    struct Case {
        const char* name;
        bool first, second;
    } cases[] = {
        {"Notapplicable", true, false}, {"NotappX", true, false},    {"notAPP", true, false},
        {"Preboot", false, true},       {"PREBOOX", false, true},    {"EFI", false, true},
        {"efidisk", false, true},       {"VM", false, true},         {"VMstore", false, true},
        {"Recovery", false, true},      {"recoveryHD", false, true}, {"VMé", false, true},
        {"MyDisk", false, false},       {"Notap", false, false},     {"Prebo", false, false},
        {"EF", false, false},           {"V", false, false},         {"Recover", false, false},
        {"Vé", false, false},           {"EFÏ", false, false},       {" VM", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemovedBy(FilterPass::First, c.name), c.first) << c.name;
        EXPECT_EQ(RemovedBy(FilterPass::Second, c.name), c.second) << c.name;
    }
}

TEST(DeviceScanFilter, TheSecondPassRemovesEmptyNamesOnly)
{
    EXPECT_TRUE(RemovedBy(FilterPass::Second, ""));
    EXPECT_FALSE(RemovedBy(FilterPass::First, ""));
    // Not a prefix test: a name of two characters or more stays.
    for (const char* name : {" ", "A", "Ab", "  "})
        EXPECT_FALSE(RemovedBy(FilterPass::Second, name)) << '"' << name << '"';
}

TEST(DeviceScanBootVolume, IsTheTrimmedThirdFieldOfWhatBlessPrints)
{
    struct Case {
        std::string output;
        std::string bootVolume;
    } cases[] = {
        {"/dev/disk1s1\n", "disk1s1"}, {"", ""}, {"/dev/vda", "vda"}, {" /dev/ disk3 \r\n", "disk3"}, {"disk1", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BootVolumeFrom(c.output), c.bootVolume) << c.output;
}

TEST(DeviceScanIdentifier, OnlyDeviceNamesReachTheDiskTool)
{
    for (const char* identifier : {"disk2s1", "loop0", "nvme0n1p1", "md.0", "dm_1", "a:b", "x-all", "0"})
        EXPECT_TRUE(IsDeviceIdentifier(identifier)) << identifier;
    for (const char* identifier :
         {"", "-all", "--force", "-", "a b", "disk9;id", "disk$(id)", "disk`id`", "dïsk", "disk\n", "a/b", "'x'"})
        EXPECT_FALSE(IsDeviceIdentifier(identifier)) << identifier;
}

// What the scan's names query prints when "diskutil info -all" prints text:
// the query's own grep and awk, run for real.
std::string ThroughGrepAndAwk(const std::string& text)
{
    const std::string_view query = ScanQuery::kNames;
    const std::string_view filters = query.substr(query.find('|'));
    const ProcessResult run = RunProcess(
        {"/bin/sh", "-c", "export LC_ALL=C.UTF-8; printf %s " + ShellWord(text) + " " + std::string(filters)});
    return run.output;
}

// The name check derives the name as the scan's names query does: the same
// text through the real grep and awk gives the same output.
TEST(DeviceScanNameCheck, NamesOutputIsWhatGrepAndAwkPrint)
{
    const char* const texts[] = {
        "   Device Identifier:  disk2s1\n   Volume Name:              My Disk\n   Mounted:  Yes\n",
        "   Volume Name:              One\n",
        "   Volume Name:              A Name Of Five Words\n",
        "\tVolume Name:\tTab\tSeparated\n",
        "Volume Name: x\n  Volume Name:   y z\n",
        "   Volume Name:   Gam\rma\n",
        "   Volume Name:   Device Node: /dev/disk1\n",
        "   Volume Name:   a Volume Name: b\n",
        "   Volume Name:\n",
        "   Volume Name:   Last line without a break",
        "   volume name:   lower case is another label\n   Volume  Name:  two blanks too\n",
        "   Volume Name:   vertical\vtab and\fform feed\n",
        "   Volume Name:   no\u00a0break space\n",
        "   Volume Name:   Lüfter Daten\n",
        "   Device Identifier:  disk2s1\n",
        "",
        "\n\n",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(::testing::PrintToString(std::string(text)));
        const std::optional<std::string> names = NamesOutputOf(text);
        ASSERT_TRUE(names.has_value());
        EXPECT_EQ(*names, ThroughGrepAndAwk(text));
    }
}

TEST(DeviceScanNameCheck, TextGrepWouldCallBinaryGivesNoName)
{
    using namespace std::string_literals;
    const std::string texts[] = {"   Volume Name:   a\0b\n"s, "   Volume Name:   caf\xe9\n",
                                 "   Volume Name:   ok\n   Serial: \xff\xfe\n"};
    for (const std::string& text : texts) {
        EXPECT_EQ(NamesOutputOf(text), std::nullopt) << ::testing::PrintToString(text);
        EXPECT_FALSE(StillNamed(text, "ok"));
    }
}

TEST(DeviceScanNameCheck, TheEntryMustStillGiveExactlyTheRowsName)
{
    const auto entry = [](const std::string& name) {
        return "   Device Identifier:  disk4s1\n   Device Node:  /dev/disk4s1\n   Volume Name:  " + name +
               "\n   Mounted:  No\n";
    };
    struct Case {
        const char* name;
        std::string info;
        std::string rowName;
        bool stillNamed;
    } cases[] = {
        {"the same name", entry("My Disk"), "MyDisk", true},
        {"another volume took the identifier", entry("TvkReuseB"), "TvkReuseA", false},
        {"no entry", "", "MyDisk", false},
        {"an entry without a name", "   Device Identifier:  disk4s1\n", "MyDisk", false},
        {"half of another volume's name", entry("Old Backup"), "Backup", false},
        {"a name split by a carriage return", entry("Back\rup"), "Back", false},
        {"two names", entry("Backup") + entry("Backup"), "Backup", false},
        {"letter case counts", entry("mydisk"), "MyDisk", false},
        {"words beyond the third are not compared", entry("A B C D"), "ABC", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StillNamed(c.info, c.rowName), c.stillNamed) << c.name;
}

}  // namespace
