#include "DeviceListFixture.h"

#include "resources/Layouts.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace {

const LayoutWindow& TableOf(std::string_view windowClass)
{
    for (const LayoutWindow& table : LayoutTables())
        if (table.windowClass == windowClass)
            return table;
    throw std::runtime_error("no table for " + std::string(windowClass));
}

std::vector<std::string> KeysOf(std::string_view block, std::string_view className)
{
    std::vector<std::string> keys;
    for (const PropertyEntry& entry : DecodePropertyBlock(block, *FindPropertyClass(className)))
        keys.push_back(entry.name);
    return keys;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The keys of a block in their usual order, canonical spellings.
const std::vector<std::string> kCommonKeys = {"Name",      "Index",      "Left",          "Top",
                                              "Width",     "Height",     "LockLeft",      "LockTop",
                                              "LockRight", "LockBottom", "TabPanelIndex", "TabIndex",
                                              "TabStop"};
const std::map<std::string_view, std::vector<std::string>> kKeysOfClass = {
    {"TextArea",
     Joined(kCommonKeys,
            {"Border",    "MultiLine", "ScrollBarHorizontal", "ScrollBarVertical", "Styled",   "UseFocusRing",
             "TextColor", "BackColor", "Enabled",             "Format",            "Visible",  "HelpTag",
             "AutoDeactivate", "HideSelection", "LineHeight", "LineSpacing",       "Transparent", "TextFont",
             "TextSize",  "TextUnit",  "Bold",                "Italic",            "Underline", "Text",
             "Mask",      "ReadOnly",  "LimitText",           "AcceptTabs",        "Alignment",
             "AutomaticallyCheckSpelling", "DataSource",      "DataField"})},
    {"Listbox",
     Joined(kCommonKeys,
            {"Visible",           "HelpTag",           "AutoDeactivate",    "Enabled",
             "Border",            "ColumnCount",       "ColumnWidths",      "HasHeading",
             "UseFocusRing",      "InitialValue",      "HeadingIndex",      "ScrollBarHorizontal",
             "ScrollBarVertical", "GridLinesHorizontal", "GridLinesVertical", "DefaultRowHeight",
             "ShowDropIndicator", "_ScrollWidth",      "_ScrollOffset",     "Transparent",
             "TextFont",          "TextSize",          "TextUnit",          "Bold",
             "Italic",            "Underline",         "Hierarchical",      "EnableDrag",
             "EnableDragReorder", "RequiresSelection", "SelectionType",     "ColumnsResizable",
             "AutoHideScrollbars", "DataSource",       "DataField",         "InitialParent"})},
    {"PushButton",
     Joined(kCommonKeys, {"Caption", "Default", "Cancel", "Enabled", "Visible", "HelpTag", "AutoDeactivate",
                          "ButtonStyle", "Transparent", "TextFont", "TextSize", "TextUnit", "Bold", "Italic",
                          "Underline", "InitialParent"})},
    {"Label",
     Joined(kCommonKeys, {"Text", "TextAlign", "TextColor", "MultiLine", "Enabled", "Visible", "Selectable",
                          "HelpTag", "AutoDeactivate", "Transparent", "TextFont", "TextSize", "TextUnit", "Bold",
                          "Italic", "Underline", "DataSource", "DataField", "InitialParent"})},
};

// The info window's blocks move Transparent: last in its text area and OK
// button, before HelpTag in its heading.
std::vector<std::string> MovedTransparent(std::vector<std::string> keys, const std::string& before)
{
    keys.erase(std::find(keys.begin(), keys.end(), "Transparent"));
    keys.insert(before.empty() ? keys.end() : std::find(keys.begin(), keys.end(), before), "Transparent");
    return keys;
}

TEST(DeviceWindowLayout, EveryTableDecodesWithTheKeysOfItsClassInBlockOrder)
{
    const std::vector<std::string> windowKeys = {
        "Width",        "Height",     "MinWidth",    "MinHeight",    "MaxWidth",       "MaxHeight",
        "Frame",        "Title",      "CloseButton", "Resizeable",   "MaximizeButton", "MinimizeButton",
        "FullScreenButton", "Composite", "MacProcId", "Placement",   "Visible",        "LiveResize",
        "FullScreen",   "HasBackColor", "BackColor", "MenuBarVisible"};
    struct Control {
        std::string_view name;
        std::string_view className;
        std::vector<std::string> keys;
    };
    struct Case {
        std::string_view windowClass;
        std::vector<Control> controls;  // in creation order
    } cases[] = {
        {"mainWindow",
         {{"theResult3", "TextArea", kKeysOfClass.at("TextArea")},
          {"theResult2", "TextArea", kKeysOfClass.at("TextArea")},
          {"theResult1", "TextArea", kKeysOfClass.at("TextArea")},
          {"theParsedResult", "Listbox", kKeysOfClass.at("Listbox")},
          {"mountBtn", "PushButton", kKeysOfClass.at("PushButton")},
          {"unmountBtn", "PushButton", kKeysOfClass.at("PushButton")},
          {"scanBtn", "PushButton", kKeysOfClass.at("PushButton")},
          {"bootVolume", "Label", kKeysOfClass.at("Label")},
          {"infoBtn", "PushButton", kKeysOfClass.at("PushButton")}}},
        {"infoWindow",
         {{"infoTextArea", "TextArea", MovedTransparent(kKeysOfClass.at("TextArea"), "")},
          {"PushButton1", "PushButton", MovedTransparent(kKeysOfClass.at("PushButton"), "")},
          {"infoTitle", "Label", MovedTransparent(kKeysOfClass.at("Label"), "HelpTag")}}},
    };
    const std::map<std::string_view, size_t> keyCounts = {{"TextArea", 45}, {"Listbox", 49}, {"PushButton", 29},
                                                          {"Label", 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowClass);
        const LayoutWindow& table = TableOf(c.windowClass);
        EXPECT_EQ(KeysOf(table.block, "Window"), windowKeys);
        ASSERT_EQ(table.controls.size(), c.controls.size());
        for (size_t i = 0; i < c.controls.size(); ++i) {
            SCOPED_TRACE(c.controls[i].name);
            EXPECT_EQ(table.controls[i].name, c.controls[i].name);
            EXPECT_EQ(table.controls[i].className, c.controls[i].className);
            const std::vector<std::string> keys = KeysOf(table.controls[i].block, c.controls[i].className);
            EXPECT_EQ(keys.size(), keyCounts.at(c.controls[i].className));
            EXPECT_EQ(keys, c.controls[i].keys);
        }
    }
}

class MainWindowTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        AnswerRows({{"MyDisk", "disk2s1", "No"}});
    }
};

TEST_F(MainWindowTest, EveryAccessorFindsItsControlInCreationOrder)
{
    std::shared_ptr<mainWindow> window = Main();
    const std::vector<std::pair<std::string, std::shared_ptr<Control>>> accessors = {
        {"theResult3", window->theResult3()},   {"theResult2", window->theResult2()},
        {"theResult1", window->theResult1()},   {"theParsedResult", window->theParsedResult()},
        {"mountBtn", window->mountBtn()},       {"unmountBtn", window->unmountBtn()},
        {"scanBtn", window->scanBtn()},         {"bootVolume", window->bootVolume()},
        {"infoBtn", window->infoBtn()}};
    ASSERT_EQ(window->Controls().size(), accessors.size());
    for (size_t i = 0; i < accessors.size(); ++i) {
        SCOPED_TRACE(accessors[i].first);
        EXPECT_EQ(accessors[i].second->Name(), accessors[i].first);
        EXPECT_EQ(window->Controls()[i], accessors[i].second);
    }
    EXPECT_EQ(mainWindow::Instance(), window);
    EXPECT_EQ(window->Title(), "Tarnvik");

    std::shared_ptr<infoWindow> info = infoWindow::Instance();
    const std::vector<std::pair<std::string, std::shared_ptr<Control>>> infoAccessors = {
        {"infoTextArea", info->infoTextArea()}, {"PushButton1", info->PushButton1()}, {"infoTitle", info->infoTitle()}};
    ASSERT_EQ(info->Controls().size(), infoAccessors.size());
    for (size_t i = 0; i < infoAccessors.size(); ++i) {
        SCOPED_TRACE(infoAccessors[i].first);
        EXPECT_EQ(infoAccessors[i].second->Name(), infoAccessors[i].first);
        EXPECT_EQ(info->Controls()[i], infoAccessors[i].second);
    }
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
        {"EditMenu", window->EditMenu()},     {"EditSelectAll", window->EditSelectAll()},
        {"EditSeparator2", window->EditSeparator2()}, {"EditClear", window->EditClear()},
        {"EditPaste", window->EditPaste()},   {"EditCopy", window->EditCopy()},
        {"EditCut", window->EditCut()},       {"EditSeparator1", window->EditSeparator1()},
        {"EditUndo", window->EditUndo()},     {"FileMenu", window->FileMenu()},
        {"FileQuit", window->FileQuit()},     {"aboutMenu", window->aboutMenu(0)}};
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
        {window->mountBtn(), "Mount"}, {window->unmountBtn(), "Unmount"}, {window->scanBtn(), "Scan..."},
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
        {185, 185, 115, 152},
        {900, 900, 830, 867},
        {320, 320, 250, 287},
        {100, 185, 115, 152},   // below the minimum
        {2000, 900, 830, 867},  // above the maximum
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
