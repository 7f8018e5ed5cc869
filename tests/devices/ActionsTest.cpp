#include "DeviceListFixture.h"

#include "core/Text.h"
#include "runtime/Shell.h"
#include "runtime/internal/NativeControl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTreeView>

#include <filesystem>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class ActionsTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        const std::vector<Row> rows = {
            {"MyDisk", "disk2s1", "Yes"}, {"Data", "disk3", "No"}, {"Macintosh", "disk1s1", "Yes"}};
        AnswerRows(rows, "/dev/disk1s1\n");
        // What the disk tool says of each device when an action checks the row.
        for (const Row& row : rows)
            shell.Answer("diskutil info " + row.identifier, InfoEntry(row.identifier, row.name.c_str(), row.mounted));
        Main();
        scanned = shell.lines.size();
        SetRuntimeTrace([this](const std::string& step) {
            if (step == "Beep" || step == "MsgBox")
                alerts.push_back(step);
        });
    }

    static void Select(int64_t row) { List()->ListIndex(row); }

    struct Buttons {
        bool mount, unmount, info;
        bool operator==(const Buttons&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Buttons& b)
        {
            return out << "mount " << b.mount << ", unmount " << b.unmount << ", info " << b.info;
        }
    };
    static Buttons Enabled()
    {
        return {Main()->mountBtn()->Enabled(), Main()->unmountBtn()->Enabled(), Main()->infoBtn()->Enabled()};
    }

    size_t scanned = 0;
    std::vector<std::string> alerts;
};

TEST_F(ActionsTest, ButtonsFollowTheSelectedRowsMountedState)
{
    struct Case {
        std::string mounted;
        Buttons buttons;
    } cases[] = {
        {"No", {true, false, true}},  {"no", {true, false, true}},   {"NO", {true, false, true}},
        {"Yes", {false, true, true}}, {"", {false, true, true}},     {"Not", {false, true, true}},
        {"No ", {false, true, true}}, {"Busy", {false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mounted \"" + c.mounted + "\"");
        List()->Cell(1, 2, c.mounted);
        Select(-1);
        Select(1);
        EXPECT_EQ(Enabled(), c.buttons);
        Select(-1);
        EXPECT_EQ(Enabled(), (Buttons{false, false, false}));
    }
}

TEST_F(ActionsTest, MountAndUnmountRunTheCommandAndMarkTheRow)
{
    struct Case {
        int64_t row;
        std::shared_ptr<PushButton> (mainWindow::*button)() const;
        std::string commandLine;
        std::string mounted;
    } cases[] = {
        {1, &mainWindow::mountBtn, "diskutil mount disk3", "Yes"},
        {0, &mainWindow::unmountBtn, "diskutil unmount disk2s1", "No"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const size_t start = shell.lines.size();
        shell.Answer(c.commandLine, "Volume on disk mounted\n");
        Select(c.row);
        ((*Main()).*c.button)()->Push();
        EXPECT_EQ(LinesSince(start),
                  (std::vector<std::string>{"diskutil info " + Rows()[c.row].identifier, c.commandLine}));
        EXPECT_EQ(List()->Cell(c.row, 2), c.mounted);
        EXPECT_EQ(List()->ListIndex(), -1);
        EXPECT_EQ(Enabled(), (Buttons{false, false, false}));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ActionsTest, FailedMountOrUnmountExplainsAndKeepsTheState)
{
    struct Case {
        const char* name;
        int64_t row;
        std::shared_ptr<PushButton> (mainWindow::*button)() const;
        std::string commandLine;
        int status;
        std::string output, errorOutput;
        std::string message;
    } cases[] = {
        {"mount, the reason on the error stream", 1, &mainWindow::mountBtn, "diskutil mount disk3", 1, "",
         "Mount of disk3 failed: unknown filesystem type 'vfat'\n",
         "Data (disk3)\n\nMounting failed (exit status 1):\nMount of disk3 failed: unknown filesystem type 'vfat'"},
        {"unmount, the reason only in the output", 0, &mainWindow::unmountBtn, "diskutil unmount disk2s1", 16,
         "  Volume MyDisk is busy \n", "",
         "MyDisk (disk2s1)\n\nUnmounting failed (exit status 16):\nVolume MyDisk is busy"},
        {"unmount, the error stream wins over the output", 0, &mainWindow::unmountBtn, "diskutil unmount disk2s1", 1,
         "partial\n", "\numount: /media/MyDisk: target is busy.\n\n",
         "MyDisk (disk2s1)\n\nUnmounting failed (exit status 1):\numount: /media/MyDisk: target is busy."},
        {"mount, no reason given", 1, &mainWindow::mountBtn, "diskutil mount disk3", 127, "", "",
         "Data (disk3)\n\nMounting failed (exit status 127):\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const std::vector<Row> before = Rows();
        const size_t start = shell.lines.size();
        shell.Answer(c.commandLine, c.output, c.status, c.errorOutput);
        Select(c.row);
        ((*Main()).*c.button)()->Push();
        EXPECT_EQ(LinesSince(start),
                  (std::vector<std::string>{"diskutil info " + before[c.row].identifier, c.commandLine}));
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
        EXPECT_EQ(Rows(), before);
        EXPECT_EQ(List()->ListIndex(), -1);
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(ActionsTest, UnmountOfTheBootVolumeIsRefused)
{
    ASSERT_EQ(Main()->bootVolume()->Text(), "disk1s1");
    Select(2);
    const std::vector<Row> before = Rows();
    for (int press = 1; press <= 2; ++press) {
        Main()->unmountBtn()->Push();
        EXPECT_EQ(beeps, press);
        ASSERT_EQ(messages.size(), static_cast<size_t>(press));
        EXPECT_EQ(messages.back(), "Macintosh (disk1s1)\n\nThis disk is the 'boot volume' and cannot be unmounted.");
    }
    EXPECT_EQ(alerts, (std::vector<std::string>{"Beep", "MsgBox", "Beep", "MsgBox"}));
    EXPECT_EQ(shell.lines.size(), scanned);
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(List()->ListIndex(), 2);
    EXPECT_EQ(Enabled(), (Buttons{false, true, true}));
}

// An empty identifier is no device: no command runs, and when the boot volume
// is empty too the boot-volume refusal comes first.
TEST_F(ActionsTest, AnEmptyIdentifierRunsNothing)
{
    struct Case {
        std::string boot;
        std::string message;
        int beeps;
    } cases[] = {
        {"/dev/disk1s1\n", "Ghost ()\n\n\"\" is not a device identifier, so no command was run.", 0},
        {"", "Ghost ()\n\nThis disk is the 'boot volume' and cannot be unmounted.", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boot);
        messages.clear();
        beeps = 0;
        AnswerScan("Ghost\n", "ghost\n", "Yes\n", c.boot);
        Reopen();
        ASSERT_EQ(Rows(), (std::vector<Row>{{"Ghost", "", "Yes"}}));
        const size_t start = shell.lines.size();
        Select(0);
        Main()->unmountBtn()->Push();
        EXPECT_EQ(LinesSince(start), std::vector<std::string>{});
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_EQ(Rows(), (std::vector<Row>{{"Ghost", "", "Yes"}}));
    }
}

TEST_F(ActionsTest, WithNoRowSelectedTheActionsDoNothing)
{
    std::shared_ptr<mainWindow> window = Main();
    ASSERT_EQ(List()->ListIndex(), -1);
    ASSERT_TRUE(window->infoBtn()->Enabled());  // as the window starts
    window->infoBtn()->Push();
    List()->RaiseEvent(ListboxEvent::DoubleClick);
    EXPECT_NO_THROW(window->mountBtn_Action(window->mountBtn()));
    EXPECT_NO_THROW(window->unmountBtn_Action(window->unmountBtn()));
    EXPECT_NO_THROW(window->showDiskInfo());
    window->mountBtn()->Enabled(true);
    window->unmountBtn()->Enabled(true);
    window->mountBtn()->Push();
    window->unmountBtn()->Push();

    EXPECT_EQ(shell.lines.size(), scanned);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(GetImplicitWindow(infoWindow::kRegistryName), nullptr);
    EXPECT_EQ(Rows()[1], (Row{"Data", "disk3", "No"}));
}

// The native text area of an info window.
QPlainTextEdit* NativeEditOf(const TextArea& area)
{
    return qobject_cast<QPlainTextEdit*>(area.NativeData()->widget.data());
}

TEST_F(ActionsTest, InfoShowsTheWholeDescriptionInOneInfoWindow)
{
    shell.Answer("diskutil info disk2s1", "   Device Identifier:  disk2s1\n   Volume Name:  My Disk\n");
    shell.Answer("diskutil info disk3", "   Device Identifier:  disk3\n   Volume Name:  Data\n");

    Select(0);
    Main()->infoBtn()->Push();
    std::shared_ptr<infoWindow> first = infoWindow::Instance();
    EXPECT_TRUE(first->IsVisible());
    EXPECT_EQ(first->Title(), "Tarnvik: diskutil info disk2s1");
    EXPECT_EQ(first->infoTitle()->Text(), "MyDisk (disk2s1)");
    EXPECT_EQ(first->infoTextArea()->Text(), "   Device Identifier:  disk2s1\n   Volume Name:  My Disk\n");
    QPlainTextEdit* edit = NativeEditOf(*first->infoTextArea());
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_TRUE(edit->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_TRUE(edit->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));

    // A double click on another row refills the same window.
    Select(1);
    List()->RaiseEvent(ListboxEvent::DoubleClick);
    EXPECT_EQ(infoWindow::Instance(), first);
    EXPECT_EQ(first->Title(), "Tarnvik: diskutil info disk3");
    EXPECT_EQ(first->infoTitle()->Text(), "Data (disk3)");
    EXPECT_EQ(first->infoTextArea()->Text(), "   Device Identifier:  disk3\n   Volume Name:  Data\n");

    // OK closes it; the next request builds a new one with only the new entry.
    first->PushButton1()->Push();
    EXPECT_TRUE(first->IsClosed());
    EXPECT_EQ(GetImplicitWindow(infoWindow::kRegistryName), nullptr);
    Select(0);
    Main()->infoBtn()->Push();
    std::shared_ptr<infoWindow> second = infoWindow::Instance();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Title(), "Tarnvik: diskutil info disk2s1");
    EXPECT_EQ(second->infoTitle()->Text(), "MyDisk (disk2s1)");
    EXPECT_EQ(second->infoTextArea()->Text(), "   Device Identifier:  disk2s1\n   Volume Name:  My Disk\n");

    EXPECT_EQ(LinesSince(scanned),
              (std::vector<std::string>{"diskutil info disk2s1", "diskutil info disk3", "diskutil info disk2s1"}));
    EXPECT_EQ(List()->ListIndex(), 0);  // info leaves the selection alone
    EXPECT_TRUE(messages.empty());
}

// The user's own input as Qt delivers it to the list's widgets: mouse
// presses on the rows' places and a key press to the focused list.
class UserInputTest : public ActionsTest {
protected:
    void SetUp() override
    {
        ActionsTest::SetUp();
        RuntimeAddEventHandler(List(), ListboxEvent::Change, [this](const EventArgs&) {
            ++changes;
            return false;
        });
        // The rows reach the native list when control returns to the loop.
        QCoreApplication::processEvents();
        ASSERT_EQ(Tree()->model()->rowCount(), 3);
    }

    static QTreeView* Tree() { return qobject_cast<QTreeView*>(List()->NativeData()->widget.data()); }
    static QPoint PlaceOf(int row) { return Tree()->visualRect(Tree()->model()->index(row, 0)).center(); }
    static void SendMouse(QEvent::Type type, int row)
    {
        QWidget* viewport = Tree()->viewport();
        const QPointF at(PlaceOf(row));
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    static void Click(int row)
    {
        SendMouse(QEvent::MouseButtonPress, row);
        SendMouse(QEvent::MouseButtonRelease, row);
    }
    static void DoubleClick(int row)
    {
        Click(row);
        SendMouse(QEvent::MouseButtonDblClick, row);
        SendMouse(QEvent::MouseButtonRelease, row);
    }
    static void PressReturn()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }

    int changes = 0;
};

TEST_F(UserInputTest, AClickOnARowRaisesChangeAndSetsTheButtons)
{
    struct Step {
        int row;
        int changes;
        Buttons buttons;
    } steps[] = {
        {1, 1, {true, false, true}},  // Data, not mounted
        {0, 2, {false, true, true}},  // MyDisk, mounted
        {0, 2, {false, true, true}},  // the same row again changes nothing
        {2, 3, {false, true, true}},  // the boot volume
        {1, 4, {true, false, true}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("row " + std::to_string(step.row));
        Click(step.row);
        EXPECT_EQ(List()->ListIndex(), step.row);
        EXPECT_EQ(changes, step.changes);
        EXPECT_EQ(Enabled(), step.buttons);
    }
    EXPECT_EQ(shell.lines.size(), scanned);
}

TEST_F(UserInputTest, ADoubleClickOnARowOpensTheInfoWindowForIt)
{
    DoubleClick(1);
    EXPECT_EQ(List()->ListIndex(), 1);
    std::shared_ptr<Window> info = GetImplicitWindow(infoWindow::kRegistryName);
    ASSERT_NE(info, nullptr) << "no info window";
    EXPECT_TRUE(info->IsVisible());
    EXPECT_EQ(info->Title(), "Tarnvik: diskutil info disk3");
    EXPECT_EQ(LinesSince(scanned), std::vector<std::string>{"diskutil info disk3"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(UserInputTest, ReturnPressesMountOnlyWhenTheSelectedRowIsNotMounted)
{
    shell.Answer("diskutil mount disk3", "Volume Data on disk3 mounted\n");
    Tree()->window()->activateWindow();
    Tree()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), Tree());

    Click(0);  // mounted: Mount is disabled, so Return finds no button to press
    PressReturn();
    EXPECT_EQ(shell.lines.size(), scanned);
    EXPECT_EQ(List()->ListIndex(), 0);

    Click(1);
    PressReturn();
    EXPECT_EQ(LinesSince(scanned), (std::vector<std::string>{"diskutil info disk3", "diskutil mount disk3"}));
    EXPECT_EQ(List()->Cell(1, 2), "Yes");
    EXPECT_EQ(List()->ListIndex(), -1);
    EXPECT_EQ(Enabled(), (Buttons{false, false, false}));
    EXPECT_TRUE(messages.empty());
}

}  // namespace
