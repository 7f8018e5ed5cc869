#include "DeviceListFixture.h"

#include "devices/splash.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class ScanTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        // The filter step begins with the boot query: the rows as the parsers left them.
        shell.onExecute = [this](const std::string& line) {
            if (line == kBootQuery && GetImplicitWindow(mainWindow::kRegistryName))
                parsed = Rows();
        };
        SetRuntimeTrace([this](const std::string& step) {
            if (step.find("splash.splash") != std::string::npos)
                splashSteps.push_back(step);
        });
    }

    std::vector<Row> parsed;
    std::vector<std::string> splashSteps;
};

TEST_F(ScanTest, ParsersMakeOneRowPerLineOfTheNames)
{
    struct Case {
        const char* name;
        std::string names, nodes, mounted;
        std::vector<Row> parsed;  // before the filter step
        std::vector<Row> listed;  // after it
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerScan(c.names, c.nodes, c.mounted);
        parsed.clear();
        Reopen();
        EXPECT_EQ(Rows(), c.listed);
        EXPECT_EQ(parsed, c.parsed);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Main()->theResult1()->Text(), c.names);
        EXPECT_EQ(Main()->theResult2()->Text(), c.nodes);
        EXPECT_EQ(Main()->theResult3()->Text(), c.mounted);
    }
}

TEST_F(ScanTest, FilterDropsUnnamedAndSupportVolumes)
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
         {"Data", "Preboot", "EFI", "MyDisk", "VM", "VM", "Backup"},
         {"Data", "MyDisk", "Backup"}},
        {"letter case does not count", {"preboot", "efi", "vm", "RECOVERY", "notApplicable", "Mine"}, {"Mine"}},
        {"every row matches", {"Preboot", "", "Recovery", "Notapplicable"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Row> rows, expected;
        for (size_t i = 0; i < c.names.size(); ++i)
            rows.push_back({c.names[i], "disk" + std::to_string(i), "No"});
        for (const Row& row : rows)
            if (std::find(c.kept.begin(), c.kept.end(), row.name) != c.kept.end())
                expected.push_back(row);
        AnswerRows(rows);
        Reopen();
        EXPECT_EQ(Rows(), expected);
    }
}

TEST_F(ScanTest, BootVolumeIsTheThirdFieldOfWhatBlessPrints)
{
    struct Case {
        std::string output;
        int status;
        std::string bootVolume;
    } cases[] = {
        {"/dev/disk1s1\n", 0, "disk1s1"}, {"", 0, ""}, {"/dev/vda", 0, "vda"}, {" /dev/ disk3 \r\n", 0, "disk3"},
        {"/dev/disk1s1\n", 1, "disk1s1"},  // its exit status is not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        AnswerRows({{"MyDisk", "disk2s1", "No"}});
        shell.Answer(kBootQuery, c.output, c.status);
        Reopen();
        EXPECT_EQ(Main()->bootVolume()->Text(), c.bootVolume);
        EXPECT_EQ(Rows(), (std::vector<Row>{{"MyDisk", "disk2s1", "No"}}));
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(ScanTest, OpenRunsTheQueriesInOrderBehindTheSplashAndClosesIt)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}});
    Main();
    EXPECT_EQ(shell.lines, (std::vector<std::string>{kNamesQuery, kNodesQuery, kMountedQuery, kBootQuery}));
    ASSERT_GE(splashSteps.size(), 2u);
    EXPECT_EQ(splashSteps.front(), "Window.Constructor splash.splash");
    EXPECT_EQ(splashSteps[splashSteps.size() - 2], "Window.Hide splash.splash");
    EXPECT_EQ(splashSteps.back(), "Window.Close splash.splash");
    EXPECT_EQ(GetImplicitWindow(splash::kRegistryName), nullptr);
}

TEST_F(ScanTest, ScanTwiceGivesTheSameRowsWithoutASplashFirst)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}, {"Data", "disk3", "Yes"}});
    const std::vector<Row> first = Rows();
    const size_t start = shell.lines.size();
    splashSteps.clear();

    Main()->scanBtn()->Push();
    Main()->scanBtn()->Push();

    EXPECT_EQ(Rows(), first);
    EXPECT_EQ(LinesSince(start), (std::vector<std::string>{kNamesQuery, kNodesQuery, kMountedQuery, kBootQuery,
                                                           kNamesQuery, kNodesQuery, kMountedQuery, kBootQuery}));
    EXPECT_EQ(List()->Heading(0), "Volume Name");
    // No splash exists at a Scan...: one is built at its end only to be hidden (by its own
    // Open, then by the filter step) and closed.
    EXPECT_EQ(splashSteps, (std::vector<std::string>{"Window.Constructor splash.splash", "Window.Hide splash.splash",
                                                     "Window.Hide splash.splash", "Window.Close splash.splash",
                                                     "Window.Constructor splash.splash", "Window.Hide splash.splash",
                                                     "Window.Hide splash.splash", "Window.Close splash.splash"}));
    EXPECT_EQ(GetImplicitWindow(splash::kRegistryName), nullptr);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ScanTest, FailedNamesQueryLeavesTheListEmptyAndStillFilters)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}});
    Main();
    const size_t start = shell.lines.size();
    shell.Answer(kNamesQuery, "Partial\n", 2, "diskutil: failed\n");
    shell.Answer(kBootQuery, "/dev/disk7\n");

    Main()->scanBtn()->Push();

    EXPECT_EQ(messages, std::vector<std::string>{"Error code: 2"});
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(LinesSince(start), (std::vector<std::string>{kNamesQuery, kBootQuery}));
    EXPECT_EQ(Main()->bootVolume()->Text(), "disk7");
    EXPECT_EQ(Main()->theResult1()->Text(), "MyDisk\n");
    EXPECT_EQ(GetImplicitWindow(splash::kRegistryName), nullptr);
}

TEST_F(ScanTest, FailedNodesQuerySkipsTheRestAndKeepsTheEarlierOutputs)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}});
    Main();
    const size_t start = shell.lines.size();
    shell.Answer(kNamesQuery, "Data\nBackup\n");
    shell.Answer(kNodesQuery, "/dev/disk5\n", 1);

    Main()->scanBtn()->Push();

    EXPECT_EQ(messages, std::vector<std::string>{"Error code: 1"});
    EXPECT_EQ(LinesSince(start), (std::vector<std::string>{kNamesQuery, kNodesQuery, kBootQuery}));
    EXPECT_EQ(Rows(), (std::vector<Row>{{"Data", "", ""}, {"Backup", "", ""}}));
    EXPECT_EQ(Main()->theResult1()->Text(), "Data\nBackup\n");
    EXPECT_EQ(Main()->theResult2()->Text(), "/dev/disk2s1\n");
    EXPECT_EQ(Main()->theResult3()->Text(), "No\n");
}

TEST_F(ScanTest, TenThousandEntriesScanWellUnderASecond)
{
    // Every third entry is one the filter drops, spread through the list.
    const int count = 10000;
    std::vector<Row> rows;
    size_t kept = 0;
    for (int i = 0; i < count; ++i) {
        const bool drop = i % 3 == 0;
        rows.push_back({(drop ? (i % 2 ? "Preboot" : "Notapplicable") : "Volume") + std::to_string(i),
                        "disk" + std::to_string(i) + "s1", i % 2 ? "Yes" : "No"});
        kept += drop ? 0 : 1;
    }
    AnswerRows({});
    Main();
    AnswerRows(rows);

    const auto start = std::chrono::steady_clock::now();
    Main()->scanBtn()->Push();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    EXPECT_LT(took.count(), 1.0 * TARNVIK_SLOWDOWN);
    ASSERT_EQ(List()->ListCount(), static_cast<int64_t>(kept));
    EXPECT_EQ(Rows().front(), (Row{"Volume1", "disk1s1", "Yes"}));
    EXPECT_EQ(Rows().back(), (Row{"Volume9998", "disk9998s1", "No"}));
}

// The scan's own command lines through the real shell, grep and awk, with a
// diskutil and a bless of the test's own first on PATH.
class RealPipelineTest : public ScanTest {
protected:
    void SetUp() override
    {
        ScanTest::SetUp();
        shell.Remove();
        dir_ = fs::temp_directory_path() / ("tarnvik-pipeline-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        WriteScript("diskutil", "[ \"$1 $2\" = 'info -all' ] || exit 64\ncat '" +
                                    (fs::path(TARNVIK_TEST_DATA) / "devices" / "info-all.txt").string() + "'\n");
        WriteScript("bless", "echo /dev/disk1s1\n");
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        setenv("PATH", (dir_.string() + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", savedPath_.c_str(), 1);
        fs::remove_all(dir_);
        ScanTest::TearDown();
    }
    void WriteScript(const std::string& name, const std::string& body)
    {
        std::ofstream(dir_ / name) << "#!/bin/sh\n" << body;
        fs::permissions(dir_ / name, fs::perms::owner_all);
    }

private:
    fs::path dir_;
    std::string savedPath_;
};

TEST_F(RealPipelineTest, NamesRunTogetherAndSupportVolumesAreDropped)
{
    EXPECT_EQ(Rows(), (std::vector<Row>{{"MacintoshHD", "disk1s1", "Yes"},
                                        {"MyBigOld", "disk2s1", "No"},
                                        {"Data", "disk3s2", "Yes"},
                                        {"BACKUP", "disk4", "No"}}));
    EXPECT_EQ(Main()->bootVolume()->Text(), "disk1s1");
    EXPECT_TRUE(messages.empty());
}

}  // namespace
