#include "FakeDiskutil.h"

#include "devices/splash.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// The parser and filter cases run against the scan core (tests/scan); these
// check that the window's methods move the outputs through it.
TEST_F(ScanTest, ParsersFillTheListFromTheirTextAreas)
{
    struct Case {
        const char* name;
        std::string names, nodes, mounted;
        std::vector<Row> parsed;  // before the filter step
        std::vector<Row> listed;  // after it
    } cases[] = {
        {"carriage return and line feed, an empty last row that the filter drops",
         "MyDisk\r\nData\r\n",
         "/dev/disk2s1\r\n/dev/disk3\r\n",
         "Yes\r\nNo\r\n",
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}, {"", "", ""}},
         {{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}}},
        {"a node without a third field gives no identifier",
         "A\nB\n",
         "disk2\n/dev/disk4\n",
         "No\nYes\n",
         {{"A", "", "No"}, {"B", "disk4", "Yes"}, {"", "", ""}},
         {{"A", "", "No"}, {"B", "disk4", "Yes"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerScan(c.names, c.nodes, c.mounted);
        parsed.clear();
        Reopen();
        EXPECT_EQ(parsed, c.parsed);
        EXPECT_EQ(Rows(), c.listed);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Main()->theResult1()->Text(), c.names);
        EXPECT_EQ(Main()->theResult2()->Text(), c.nodes);
        EXPECT_EQ(Main()->theResult3()->Text(), c.mounted);
    }
}

// Adjacent rows that match in either pass: a pass that walked forward while
// removing would skip the second of them.
TEST_F(ScanTest, FilterStepRemovesAdjacentMatchesInBothPasses)
{
    AnswerRows({{"Data", "disk1", "No"},
                {"Notapplicable", "disk2", "No"},
                {"NotappX", "disk3", "No"},
                {"MyDisk", "disk4", "Yes"},
                {"Preboot", "disk5", "No"},
                {"VM", "disk6", "No"},
                {"Backup", "disk7", "No"}});
    Reopen();
    EXPECT_EQ(Rows(),
              (std::vector<Row>{{"Data", "disk1", "No"}, {"MyDisk", "disk4", "Yes"}, {"Backup", "disk7", "No"}}));
}

TEST_F(ScanTest, BootVolumeLabelTakesWhatBlessPrintsWhateverItsStatus)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}});
    shell.Answer(kBootQuery, " /dev/disk1s1 \n", 1);
    Reopen();
    EXPECT_EQ(Main()->bootVolume()->Text(), "disk1s1");
    EXPECT_EQ(Rows(), (std::vector<Row>{{"MyDisk", "disk2s1", "No"}}));
    EXPECT_TRUE(messages.empty());
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

// A row selected before a scan names whatever device comes to sit in its
// place: Scan... leaves nothing selected and no action offered, so neither a
// click nor Return (Mount is the default button) can reach it.
TEST_F(ScanTest, ScanLeavesNoRowSelectedAndEveryActionDisabled)
{
    AnswerRows({{"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}});
    Main();
    List()->ListIndex(1);
    ASSERT_TRUE(Main()->mountBtn()->Enabled());
    AnswerRows({{"Other", "disk3", "No"}, {"Data", "disk4", "No"}});

    Main()->scanBtn()->Push();

    EXPECT_EQ(List()->ListIndex(), -1);
    EXPECT_FALSE(Main()->mountBtn()->Enabled());
    EXPECT_FALSE(Main()->unmountBtn()->Enabled());
    EXPECT_FALSE(Main()->infoBtn()->Enabled());
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

// A large scan keeps every row with its own device and drops the filtered
// ones spread through it. (How long it takes is measured in bench/.)
TEST_F(ScanTest, TenThousandEntriesKeepTheirRowsInOrder)
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

    Main()->scanBtn()->Push();

    ASSERT_EQ(List()->ListCount(), static_cast<int64_t>(kept));
    EXPECT_EQ(Rows().front(), (Row{"Volume1", "disk1s1", "Yes"}));
    EXPECT_EQ(Rows()[1], (Row{"Volume2", "disk2s1", "No"}));
    EXPECT_EQ(Rows().back(), (Row{"Volume9998", "disk9998s1", "No"}));
    for (const Row& row : Rows())
        EXPECT_EQ(row.identifier, "disk" + row.name.substr(6) + "s1") << "a row keeps its own device";
}

// When running a query failed here rather than in the tool, the message
// says why after the status.
TEST_F(ScanTest, ARunnerFailureShowsItsCause)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}});
    Main();
    shell.Answer(kNodesQuery, "", kRunFailed, "partial\nReading the output of /bin/sh failed: Invalid argument\n");

    Main()->scanBtn()->Push();

    EXPECT_EQ(messages, std::vector<std::string>{
                            "Error code: -1\n\npartial\nReading the output of /bin/sh failed: Invalid argument"});
}

// What arrived before a failed query is listed only when it pairs up.
TEST_F(ScanTest, AFailedQueryListsTheEarlierOutputsOnlyWhenTheyPairUp)
{
    AnswerRows({{"MyDisk", "disk2s1", "No"}});
    Main();
    shell.Answer(kNamesQuery, "Data\nBackup\n");
    shell.Answer(kNodesQuery, "/dev/disk5\n");
    shell.Answer(kMountedQuery, "", 1);

    Main()->scanBtn()->Push();

    EXPECT_EQ(messages, std::vector<std::string>{"Error code: 1"});
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Main()->theResult1()->Text(), "Data\nBackup\n");
    EXPECT_EQ(Main()->theResult2()->Text(), "/dev/disk5\n");
}

// The scan's own command lines through the real shell, grep and awk.
class RealPipelineTest : public FakeDiskutilTest {
protected:
    void SetUp() override
    {
        FakeDiskutilTest::SetUp();
        std::ifstream example(fs::path(TARNVIK_TEST_DATA) / "devices" / "info-all.txt");
        Write("all.txt", std::string(std::istreambuf_iterator<char>(example), {}));
        // Each wait before a new try, and whether the splash was up during it.
        SetRuntimeTrace([this](const std::string& step) {
            if (step.rfind("Pause ", 0) == 0) {
                std::shared_ptr<Window> splashWindow = GetImplicitWindow(splash::kRegistryName);
                pauses.push_back(step.substr(6) + (splashWindow && splashWindow->IsVisible() ? " splash" : ""));
            }
        });
    }

    std::vector<std::string> pauses;
};

TEST_F(RealPipelineTest, NamesRunTogetherAndSupportVolumesAreDropped)
{
    EXPECT_EQ(Rows(), (std::vector<Row>{{"MacintoshHD", "disk1s1", "Yes"},
                                        {"MyBigOld", "disk2s1", "No"},
                                        {"Data", "disk3s2", "Yes"},
                                        {"BACKUP", "disk4", "No"}}));
    EXPECT_EQ(Main()->bootVolume()->Text(), "disk1s1");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(TakeCalls(), std::vector<std::string>(3, "info -all"));
    EXPECT_TRUE(pauses.empty());
}

std::string Mismatch(int names, int nodes, int mounted)
{
    return "The answers of diskutil could not be matched up, so no device is listed.\n\nIt gave " +
           std::to_string(names) + " lines of volume names, " + std::to_string(nodes) + " lines of device nodes and " +
           std::to_string(mounted) + " lines of mounted states.\n\nPress Scan... to try again.";
}

// Rows are tied to devices by line position only: outputs that do not hold
// as many entries each are tried again, and never listed while they
// disagree. Each case of "stays wrong" came from a real misfire: Mount on the
// row shown as "Alpha" ran on another device.
TEST_F(RealPipelineTest, OutputsThatDoNotPairUpAreNeverListed)
{
    const std::string ab = InfoEntry("disk1", "Alpha", "No") + InfoEntry("disk2", "Beta", "Yes");
    const std::vector<Row> abRows = {{"Alpha", "disk1", "No"}, {"Beta", "disk2", "Yes"}};
    struct Case {
        const char* name;
        std::string all;
        std::vector<Row> listed;
        std::vector<std::string> messages;
    } cases[] = {
        {"equal counts", ab, abRows, {}},
        {"a name holding the node label",
         InfoEntry("disk0", "Device Node: /dev/disk1s1", "No") + ab,
         {},
         {Mismatch(3, 4, 3)}},
        {"a name holding the mounted label", InfoEntry("disk0", "Mounted: Yes", "No") + ab, {}, {Mismatch(3, 3, 4)}},
        {"an entry without a name line", InfoEntry("disk0", nullptr, "No") + ab, {}, {Mismatch(2, 3, 3)}},
        {"a carriage return inside a name", InfoEntry("disk0", "Gam\rma", "No") + ab, {}, {Mismatch(4, 3, 3)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("all.txt", c.all);
        TakeCalls();
        messages.clear();
        pauses.clear();
        Reopen();
        EXPECT_EQ(Rows(), c.listed);
        EXPECT_EQ(messages, c.messages);
        const bool tooManyTries = !c.messages.empty();
        EXPECT_EQ(TakeCalls(), std::vector<std::string>(tooManyTries ? 12 : 3, "info -all"));
        EXPECT_EQ(pauses, tooManyTries ? (std::vector<std::string>{"100 splash", "300 splash", "900 splash"})
                                       : std::vector<std::string>{});
        EXPECT_EQ(GetImplicitWindow(splash::kRegistryName), nullptr) << "the filter step closed the splash";
        EXPECT_EQ(Main()->bootVolume()->Text(), "disk1s1") << "the filter step ran";
    }
}

// Devices coming and going during the first tries: the scan waits longer
// before each new try, behind the splash, and lists the first try that pairs up.
TEST_F(RealPipelineTest, TriesAgainAfterGrowingWaitsWhileTheOutputsDisagree)
{
    const std::string ab = InfoEntry("disk1", "Alpha", "No") + InfoEntry("disk2", "Beta", "Yes");
    const std::string attached = InfoEntry("disk0", "Gamma", "No") + ab;
    const std::vector<std::string> waits = {"100 splash", "300 splash", "900 splash"};
    for (int disagreeing = 1; disagreeing <= 3; ++disagreeing) {
        SCOPED_TRACE(std::to_string(disagreeing) + " tries disagree");
        Write("all.txt", ab);
        TakeCalls();
        // On each disagreeing try a device is there only while the nodes are read.
        for (int call = 1; call <= 3 * disagreeing; ++call)
            Write("all-" + std::to_string(call) + ".txt", call % 3 == 2 ? attached : ab);
        messages.clear();
        pauses.clear();
        Reopen();
        EXPECT_EQ(Rows(), (std::vector<Row>{{"Alpha", "disk1", "No"}, {"Beta", "disk2", "Yes"}}));
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(TakeCalls().size(), static_cast<size_t>(3 * (disagreeing + 1)));
        EXPECT_EQ(pauses, std::vector<std::string>(waits.begin(), waits.begin() + disagreeing));
        for (int call = 1; call <= 3 * disagreeing; ++call)
            fs::remove(dir_ / ("all-" + std::to_string(call) + ".txt"));
    }
}

}  // namespace
