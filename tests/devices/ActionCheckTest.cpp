#include "FakeDiskutil.h"

#include <filesystem>

// Before Mount, Unmount or info acts on a row, "diskutil info ID" must still
// describe the volume the row names; an identifier that is no device name
// never reaches the tool. All through the real shell, grep and awk.
namespace {

namespace fs = std::filesystem;

class ActionCheckTest : public FakeDiskutilTest {
protected:
    enum class Action { Mount, Unmount, Info };

    // Selects the row and presses the action's button.
    static void Press(int64_t row, Action action)
    {
        List()->ListIndex(-1);
        List()->ListIndex(row);
        switch (action) {
        case Action::Mount: Main()->mountBtn()->Push(); break;
        case Action::Unmount: Main()->unmountBtn()->Push(); break;
        case Action::Info: Main()->infoBtn()->Push(); break;
        }
    }

    static std::string OutOfDate(const std::string& row, const std::string& id, const std::string& failure = "")
    {
        return row + " (" + id + ")\n\nThe list is out of date: " + id +
               " no longer holds this volume.\n\nPress Scan... to read the list again." +
               (failure.empty() ? "" : "\n\ndiskutil info failed " + failure);
    }
};

TEST_F(ActionCheckTest, ARowActsOnlyWhileItsIdentifierStillNamesItsVolume)
{
    const std::vector<Row> scanned = {{"Alpha", "disk2", "No"}, {"Beta", "disk3", "Yes"}};
    struct Case {
        const char* name;
        std::vector<Row> devicesAfterTheScan;
        const char* infoFails;  // the status "diskutil info" fails with, or nullptr
        int64_t row;
        Action action;
        std::vector<std::string> calls;
        std::string message;  // empty: none
        std::string mountedAfter;
    } cases[] = {
        {"same name, mount", scanned, nullptr, 0, Action::Mount, {"info disk2", "mount disk2"}, "", "Yes"},
        {"same name, unmount", scanned, nullptr, 1, Action::Unmount, {"info disk3", "unmount disk3"}, "", "No"},
        {"same name, info", scanned, nullptr, 1, Action::Info, {"info disk3"}, "", "Yes"},
        {"the volume was renamed",
         {{"Alpha New", "disk2", "No"}, {"Beta", "disk3", "Yes"}},
         nullptr,
         0,
         Action::Mount,
         {"info disk2"},
         OutOfDate("Alpha", "disk2"),
         "No"},
        {"another volume was given the identifier",
         {{"Beta", "disk2", "Yes"}},
         nullptr,
         0,
         Action::Mount,
         {"info disk2"},
         OutOfDate("Alpha", "disk2"),
         "No"},
        {"another volume was given the identifier, info",
         {{"Beta", "disk2", "Yes"}},
         nullptr,
         0,
         Action::Info,
         {"info disk2"},
         OutOfDate("Alpha", "disk2"),
         "No"},
        {"no entry any more",
         {{"Alpha", "disk2", "No"}},
         nullptr,
         1,
         Action::Unmount,
         {"info disk3"},
         OutOfDate("Beta", "disk3", "(exit status 1):\nCould not find disk: disk3"),
         "Yes"},
        {"the tool fails",
         scanned,
         "3",
         0,
         Action::Mount,
         {"info disk2"},
         OutOfDate("Alpha", "disk2", "(exit status 3):\ndiskutil: internal error"),
         "No"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Devices(scanned);
        fs::remove(dir_ / "info-fails.txt");
        if (std::shared_ptr<Window> info = GetImplicitWindow(infoWindow::kRegistryName))
            info->Close();
        Reopen();
        ASSERT_EQ(Rows(), scanned);
        Devices(c.devicesAfterTheScan);
        if (c.infoFails)
            Write("info-fails.txt", c.infoFails);
        TakeCalls();
        messages.clear();

        Press(c.row, c.action);

        EXPECT_EQ(TakeCalls(), c.calls);
        EXPECT_EQ(messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
        EXPECT_EQ(Rows()[static_cast<size_t>(c.row)].mounted, c.mountedAfter);
        EXPECT_EQ(Rows()[static_cast<size_t>(1 - c.row)], scanned[static_cast<size_t>(1 - c.row)]);
        const bool ran = c.message.empty();
        EXPECT_EQ(GetImplicitWindow(infoWindow::kRegistryName) != nullptr, ran && c.action == Action::Info);
        if (!ran) {
            EXPECT_EQ(List()->ListIndex(), c.row) << "a refusal leaves the selection alone";
        }
    }
}

// Two names whose extra lines cancel: one holds a carriage return, the other
// the node and mounted labels, so the three outputs agree in length while
// rows sit beside other devices' identifiers. No row may act on a device
// whose entry does not give its name.
TEST_F(ActionCheckTest, NamesWhoseExtraLinesCancelActOnNoOtherDevice)
{
    Devices({{"Old\rBackup", "disk2", "No"},
             {"Device Node: /dev/disk4s1 Mounted: Yes", "disk3", "No"},
             {"Data", "disk5", "No"},
             {"Secret", "disk4s1", "No"}});
    Reopen();
    ASSERT_EQ(Rows(), (std::vector<Row>{{"Old", "disk2", "No"},
                                        {"Backup", "disk3", "Name:"},
                                        {"DeviceNode:/dev/disk4s1", "disk4s1", "No"},
                                        {"Data", "disk5", "No"},
                                        {"Secret", "disk4s1", "No"}}))
        << "the crafted names no longer misalign the rows: the test shows nothing";
    const std::vector<Row> before = Rows();
    struct Case {
        int64_t row;
        Action action;
        std::vector<std::string> calls;
    } cases[] = {
        {0, Action::Mount, {"info disk2"}},   {1, Action::Unmount, {"info disk3"}}, {1, Action::Info, {"info disk3"}},
        {2, Action::Mount, {"info disk4s1"}}, {3, Action::Info, {"info disk5"}},    {4, Action::Info, {"info disk4s1"}},
    };
    TakeCalls();
    for (const Case& c : cases) {
        SCOPED_TRACE(before[static_cast<size_t>(c.row)].name);
        messages.clear();
        Press(c.row, c.action);
        EXPECT_EQ(TakeCalls(), c.calls);
        const bool refused = c.row <= 2;
        EXPECT_EQ(messages.size(), refused ? 1u : 0u);
        EXPECT_EQ(Rows(), before);
    }
}

// Identifiers that are no device name: none of them reaches the disk tool,
// through any action, and none can run a command of its own.
TEST_F(ActionCheckTest, IdentifiersThatAreNoDeviceNameRunNothing)
{
    Devices({{"Data", "disk3", "No"}, {"Other", "disk4", "Yes"}});
    Reopen();
    const fs::path marker = dir_ / "MARKER";
    const std::string identifiers[] = {
        "", "-all", "--force", "a b", "disk9;touch " + marker.string(), "disk$(touch " + marker.string() + ")",
    };
    for (const std::string& identifier : identifiers) {
        for (Action action : {Action::Mount, Action::Unmount, Action::Info}) {
            SCOPED_TRACE("\"" + identifier + "\", action " + std::to_string(static_cast<int>(action)));
            List()->Cell(0, 1, identifier);
            List()->Cell(0, 2, action == Action::Mount ? "No" : "Yes");
            TakeCalls();
            messages.clear();
            Press(0, action);
            EXPECT_EQ(TakeCalls(), std::vector<std::string>{});
            EXPECT_EQ(messages, std::vector<std::string>{"Data (" + identifier + ")\n\n\"" + identifier +
                                                         "\" is not a device identifier, so no command was run."});
            EXPECT_FALSE(fs::exists(marker));
            EXPECT_EQ(GetImplicitWindow(infoWindow::kRegistryName), nullptr);
        }
    }
}

}  // namespace
