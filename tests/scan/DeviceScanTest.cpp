#include "scan/DeviceScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The rows the three outputs give, as the parsers leave them before the filter.
std::vector<DeviceRow> Parse(const std::string& names, const std::string& nodes, const std::string& mounted)
{
    std::vector<DeviceRow> rows = RowsFromNames(names);
    FillIdentifiers(rows, nodes);
    FillMountedStates(rows, mounted);
    return rows;
}

TEST(DeviceScanParse, OneRowPerLineOfTheNamesFilledByPosition)
{
    struct Case {
        const char* name;
        std::string names, nodes, mounted;
        std::vector<DeviceRow> parsed;  // before the filter
        std::vector<DeviceRow> listed;  // after it
    } cases[] = {
        {"outputs ended by a line break leave an empty last row, which the filter drops",
         "MyDisk\nData\n",
         "/dev/disk2s1\n/dev/disk3\n",
         "Yes\nNo\n",
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}, {"", "", ""}},
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}}},
        {"carriage returns",
         "MyDisk\rData\r",
         "/dev/disk2s1\r/dev/disk3\r",
         "Yes\rNo\r",
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}, {"", "", ""}},
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}}},
        {"carriage return and line feed",
         "MyDisk\r\nData\r\n",
         "/dev/disk2s1\r\n/dev/disk3\r\n",
         "Yes\r\nNo\r\n",
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}, {"", "", ""}},
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}}},
        {"no line break after the last line",
         "MyDisk",
         "/dev/disk2s1",
         "Yes",
         {{"MyDisk", "disk2s1", "Yes"}},
         {{"MyDisk", "disk2s1", "Yes"}}},
        {"blanks stay in the name and the mounted state, not in the identifier",
         " My Disk \n",
         "/dev/ disk2s1 \n",
         " Yes \n",
         {{" My Disk ", "disk2s1", " Yes "}, {"", "", ""}},
         {{" My Disk ", "disk2s1", " Yes "}}},
        {"a node without a third field gives no identifier",
         "A\nB\nC\n",
         "disk2\n/dev\n/dev/disk4/extra\n",
         "No\nNo\nNo\n",
         {{"A", "", "No"}, {"B", "", "No"}, {"C", "disk4", "No"}, {"", "", ""}},
         {{"A", "", "No"}, {"B", "", "No"}, {"C", "disk4", "No"}}},
        {"fewer nodes and states than names leave the later rows empty there",
         "A\nB\nC\n",
         "/dev/disk1\n",
         "Yes\nNo\n",
         {{"A", "disk1", "Yes"}, {"B", "", "No"}, {"C", "", ""}, {"", "", ""}},
         {{"A", "disk1", "Yes"}, {"B", "", "No"}, {"C", "", ""}}},
        {"more nodes and states than names are dropped",
         "A\n",
         "/dev/disk1\n/dev/disk2\n/dev/disk3\n",
         "Yes\nNo\nNo\nYes\n",
         {{"A", "disk1", "Yes"}, {"", "disk2", "No"}},
         {{"A", "disk1", "Yes"}}},
        {"no names: nothing is listed whatever the others say",
         "",
         "/dev/disk1\n/dev/disk2\n",
         "Yes\nNo\n",
         {{"", "disk1", "Yes"}},
         {}},
        {"names are kept whole, UTF-8 included",
         "Lüfter Daten\n",
         "/dev/disk9\n",
         "No\n",
         {{"Lüfter Daten", "disk9", "No"}, {"", "", ""}},
         {{"Lüfter Daten", "disk9", "No"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<DeviceRow> parsed = Parse(c.names, c.nodes, c.mounted);
        EXPECT_EQ(parsed, c.parsed);
        EXPECT_EQ(Filtered(parsed), c.listed);
    }
}

TEST(DeviceScanParse, AFailedQueryLeavesItsColumnEmpty)
{
    // Only the names arrived: the other columns stay empty.
    EXPECT_EQ(RowsFromNames("Data\nBackup\n"),
              (std::vector<DeviceRow>{{"Data", "", ""}, {"Backup", "", ""}, {"", "", ""}}));
    std::vector<DeviceRow> rows = RowsFromNames("Data\n");
    FillIdentifiers(rows, "/dev/disk5\n");
    EXPECT_EQ(rows, (std::vector<DeviceRow>{{"Data", "disk5", ""}, {"", "", ""}}));
}

TEST(DeviceScanPairing, OutputsPairUpOnlyWhenTheirLineCountsAgree)
{
    struct Case {
        std::vector<std::string> outputs;
        std::vector<size_t> counts;
        bool pairUp;
    } cases[] = {
        {{"A\nB\n", "/dev/a\n/dev/b\n", "No\nYes\n"}, {3, 3, 3}, true},
        {{"A\r\nB\r\n", "/dev/a\n/dev/b\n", "No\rYes\r"}, {3, 3, 3}, true},
        {{"", "", ""}, {1, 1, 1}, true},
        {{"A\n"}, {2}, true},
        {{}, {}, true},
        {{"A\rB\n", "/dev/a\n", "No\n"}, {3, 2, 2}, false},
        {{"A\n", "/dev/a\n/dev/b\n", "No\n"}, {2, 3, 2}, false},
        {{"A\n", "/dev/a\n", "No\nYes\n"}, {2, 2, 3}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineCounts(c.outputs), c.counts);
        EXPECT_EQ(LinesPairUp(LineCounts(c.outputs)), c.pairUp);
    }
}

TEST(DeviceScanFilter, DropsUnnamedAndSupportVolumesAndKeepsTheOrder)
{
    struct Case {
        const char* name;
        std::vector<std::string> names;
        std::vector<std::string> kept;
    } cases[] = {
        {"every prefix", {"Notapplicable(no", "MyDisk", "Preboot", "EFI", "VM", "", "Recovery"}, {"MyDisk"}},
        {"longer names with a prefix go too", {"VMstore", "EFIdisk", "RecoveryHD", "NotappX", "PrebootY"}, {}},
        {"names shorter than their prefix stay",
         {"EF", "V", "Notap", "Prebo", "Recover"},
         {"EF", "V", "Notap", "Prebo", "Recover"}},
        {"adjacent matches go, the others keep their order",
         {"Data", "Preboot", "EFI", "MyDisk", "VM", "VM", "Notapplicable", "NotappX", "Backup"},
         {"Data", "MyDisk", "Backup"}},
        {"letter case does not count", {"preboot", "efi", "vm", "RECOVERY", "notApplicable", "Mine"}, {"Mine"}},
        {"every row matches", {"Preboot", "", "Recovery", "Notapplicable"}, {}},
        {"an empty list stays empty", {}, {}},
        {"names with letters beyond ASCII", {"VMé", "Vé", "EFÏ"}, {"Vé", "EFÏ"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DeviceRow> rows, expected;
        for (size_t i = 0; i < c.names.size(); ++i)
            rows.push_back({c.names[i], "disk" + std::to_string(i), "No"});
        for (const DeviceRow& row : rows)
            if (std::find(c.kept.begin(), c.kept.end(), row.name) != c.kept.end())
                expected.push_back(row);
        EXPECT_EQ(Filtered(rows), expected);
    }
}

TEST(DeviceScanFilter, EachPassHasItsOwnPrefixes)
{
    EXPECT_TRUE(RemovedBy(FilterPass::First, "Notapplicable"));
    EXPECT_FALSE(RemovedBy(FilterPass::Second, "Notapplicable"));
    for (const char* name : {"Preboot", "EFI", "VM", "", "Recovery"}) {
        EXPECT_FALSE(RemovedBy(FilterPass::First, name)) << name;
        EXPECT_TRUE(RemovedBy(FilterPass::Second, name)) << name;
    }
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

}  // namespace
