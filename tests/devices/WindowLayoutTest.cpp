#include "DeviceListFixture.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

class MainWindowTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        AnswerRows({{"MyDisk", "disk2s1", "No"}});
    }
};

TEST_F(MainWindowTest, TitlesAndTheInfoWindowsStartingState)
{
    std::shared_ptr<mainWindow> window = Main();
    EXPECT_EQ(mainWindow::Instance(), window);
    EXPECT_EQ(window->Title(), "Tarnvik");

    std::shared_ptr<infoWindow> info = infoWindow::Instance();
    EXPECT_EQ(info->Title(), "Untitled");
    EXPECT_EQ(info->infoTitle()->Text(), "Here the disk info ...");
    EXPECT_TRUE(info->infoTextArea()->ReadOnly());
    EXPECT_TRUE(info->PushButton1()->Default());
}

TEST_F(MainWindowTest, MenuItemAccessorsFindTheSharedBarsItems)
{
    std::shared_ptr<mainWindow> window = Main();
    EXPECT_EQ(window->MenuBar(), MainMenuBar::Instance());
    const std::vector<std::pair<std::string, std::shared_ptr<MenuItem>>> items = {
        {"EditMenu", window->EditMenu()},
        {"EditSelectAll", window->EditSelectAll()},
        {"EditSeparator2", window->EditSeparator2()},
        {"EditClear", window->EditClear()},
        {"EditPaste", window->EditPaste()},
        {"EditCopy", window->EditCopy()},
        {"EditCut", window->EditCut()},
        {"EditSeparator1", window->EditSeparator1()},
        {"EditUndo", window->EditUndo()},
        {"FileMenu", window->FileMenu()},
        {"FileQuit", window->FileQuit()},
        {"aboutMenu", window->aboutMenu(0)}};
    for (const auto& [name, item] : items) {
        SCOPED_TRACE(name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Name(), name);
    }
    EXPECT_EQ(window->aboutMenu(1), nullptr);
}

TEST_F(MainWindowTest, StartsWithHeadingsAndOnlyScanAndInfoEnabled)
{
    std::shared_ptr<mainWindow> window = Main();
    std::shared_ptr<Listbox> list = window->theParsedResult();
    EXPECT_EQ(list->ColumnCount(), 3);
    EXPECT_EQ(list->Heading(0), "Volume Name");
    EXPECT_EQ(list->Heading(1), "Identifier");
    EXPECT_EQ(list->Heading(2), "Mounted");
    EXPECT_EQ(list->StringProperty("HelpTag"),
              "\rThis is the connected devices list.\rDouble click an item tho show the full disk info page.\r");
    EXPECT_EQ(list->ListIndex(), -1);
    EXPECT_TRUE(window->mountBtn()->Default());
    EXPECT_FALSE(window->mountBtn()->Enabled());
    EXPECT_FALSE(window->unmountBtn()->Enabled());
    EXPECT_TRUE(window->scanBtn()->Enabled());
    EXPECT_TRUE(window->infoBtn()->Enabled());
    const std::vector<std::pair<std::shared_ptr<PushButton>, std::string>> captions = {
        {window->mountBtn(), "Mount"},
        {window->unmountBtn(), "Unmount"},
        {window->scanBtn(), "Scan..."},
        {window->infoBtn(), "i"}};
    for (const auto& [button, caption] : captions)
        EXPECT_EQ(button->Caption(), caption);
}

TEST_F(MainWindowTest, ListFollowsTheHeightAndTheWidthStaysFixed)
{
    std::shared_ptr<mainWindow> window = Main();
    struct Case {
        int64_t asked;
        int64_t height;
        int64_t listHeight;
        int64_t buttonTop;
    } cases[] = {
        {185, 185, 115, 152},  {900, 900, 830, 867}, {320, 320, 250, 287}, {100, 185, 115, 152},  // below the minimum
        {2000, 900, 830, 867},                                                                    // above the maximum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        window->Height(c.asked);
        window->Width(500);
        EXPECT_EQ(window->Height(), c.height);
        EXPECT_EQ(window->Width(), 360);
        EXPECT_EQ(window->theParsedResult()->Top(), 20);
        EXPECT_EQ(window->theParsedResult()->Height(), c.listHeight);
        EXPECT_EQ(window->theParsedResult()->Width(), 320);
        for (const auto& button : {window->mountBtn(), window->unmountBtn(), window->scanBtn(), window->infoBtn()}) {
            EXPECT_EQ(button->Top(), c.buttonTop) << button->Name();
            EXPECT_EQ(button->Height(), 20) << button->Name();
        }
        EXPECT_EQ(window->mountBtn()->Left(), 260);
        EXPECT_EQ(window->theResult1()->Top(), 0);
        EXPECT_EQ(window->theResult1()->Height(), 300);
        EXPECT_EQ(window->bootVolume()->Top(), 1);
    }
}

TEST_F(MainWindowTest, HiddenStoresAreNeverOnScreen)
{
    std::shared_ptr<mainWindow> window = Main();
    window->Show();
    window->theResult1()->Text("MyDisk\n");
    window->bootVolume()->Text("disk0s1");
    EXPECT_TRUE(window->theParsedResult()->IsVisible());
    for (const std::shared_ptr<RectControl>& store : std::vector<std::shared_ptr<RectControl>>{
             window->theResult1(), window->theResult2(), window->theResult3(), window->bootVolume()}) {
        EXPECT_FALSE(store->Visible()) << store->Name();
        EXPECT_FALSE(store->IsVisible()) << store->Name();
    }
}

TEST_F(MainWindowTest, InfoWindowKeepsItsWidthAndItsTextAreaTakesTheHeight)
{
    std::shared_ptr<infoWindow> info = infoWindow::Instance();
    struct Case {
        int64_t height;
        int64_t areaHeight;
        int64_t buttonTop;
    } cases[] = {{270, 165, 230}, {900, 795, 860}, {540, 435, 500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        info->Height(c.height);
        info->Width(800);
        EXPECT_EQ(info->Width(), 720);
        EXPECT_EQ(info->infoTextArea()->Height(), c.areaHeight);
        EXPECT_EQ(info->PushButton1()->Top(), c.buttonTop);
        EXPECT_EQ(info->infoTitle()->Top(), 21);
    }
}

}  // namespace
