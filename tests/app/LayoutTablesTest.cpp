#include "tests/devices/DeviceListFixture.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "devices/splash.h"
#include "kit/Layouts.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// Every layout table of the application against its classes and against the
// window its class builds.
namespace {

std::vector<PropertyEntry> EntriesOf(std::string_view block, std::string_view className)
{
    const PropertyClass* propertyClass = FindPropertyClass(className);
    if (!propertyClass)
        throw std::runtime_error("no property class " + std::string(className));
    return DecodePropertyBlock(block, *propertyClass);
}

std::vector<std::string> KeysOf(std::string_view block, std::string_view className)
{
    std::vector<std::string> keys;
    for (const PropertyEntry& entry : EntriesOf(block, className))
        keys.push_back(entry.name);
    return keys;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> kWindowKeys = {
    "Width",         "Height",      "MinWidth",   "MinHeight",      "MaxWidth",       "MaxHeight",        "Frame",
    "Title",         "CloseButton", "Resizeable", "MaximizeButton", "MinimizeButton", "FullScreenButton", "Composite",
    "MacProcId",     "Placement",   "Visible",    "LiveResize",     "FullScreen",     "HasBackColor",     "BackColor",
    "MenuBarVisible"};

// The keys every control block opens with, canonical spellings.
const std::vector<std::string> kLeadingKeys = {"Name",          "Index",    "Left",    "Top",       "Width",
                                               "Height",        "LockLeft", "LockTop", "LockRight", "LockBottom",
                                               "TabPanelIndex", "TabIndex", "TabStop"};

struct ClassKeys {
    size_t count;
    std::vector<std::string> leading;
    std::vector<std::string> keys;  // the whole block in its usual order
};

// The picture button puts Transparent before the leading keys and
// InitialParent right after them.
const std::vector<std::string> kBevelLeading = Joined(Joined({"Transparent"}, kLeadingKeys), {"InitialParent"});

const std::map<std::string_view, ClassKeys> kClasses = {
    {"Canvas",
     {24, kLeadingKeys,
      Joined(kLeadingKeys, {"Visible", "HelpTag", "AutoDeactivate", "Enabled", "UseFocusRing", "AcceptFocus",
                            "AcceptTabs", "DoubleBuffer", "EraseBackground", "Transparent", "InitialParent"})}},
    {"Label",
     {32, kLeadingKeys,
      Joined(kLeadingKeys, {"Text", "TextAlign", "TextColor", "MultiLine", "Enabled", "Visible", "Selectable",
                            "HelpTag", "AutoDeactivate", "Transparent", "TextFont", "TextSize", "TextUnit", "Bold",
                            "Italic", "Underline", "DataSource", "DataField", "InitialParent"})}},
    {"TextArea",
     {45, kLeadingKeys,
      Joined(kLeadingKeys, {"Border",
                            "MultiLine",
                            "ScrollBarHorizontal",
                            "ScrollBarVertical",
                            "Styled",
                            "UseFocusRing",
                            "TextColor",
                            "BackColor",
                            "Enabled",
                            "Format",
                            "Visible",
                            "HelpTag",
                            "AutoDeactivate",
                            "HideSelection",
                            "LineHeight",
                            "LineSpacing",
                            "Transparent",
                            "TextFont",
                            "TextSize",
                            "TextUnit",
                            "Bold",
                            "Italic",
                            "Underline",
                            "Text",
                            "Mask",
                            "ReadOnly",
                            "LimitText",
                            "AcceptTabs",
                            "Alignment",
                            "AutomaticallyCheckSpelling",
                            "DataSource",
                            "DataField"})}},
    {"Listbox",
     {49, kLeadingKeys,
      Joined(kLeadingKeys, {"Visible",
                            "HelpTag",
                            "AutoDeactivate",
                            "Enabled",
                            "Border",
                            "ColumnCount",
                            "ColumnWidths",
                            "HasHeading",
                            "UseFocusRing",
                            "InitialValue",
                            "HeadingIndex",
                            "ScrollBarHorizontal",
                            "ScrollBarVertical",
                            "GridLinesHorizontal",
                            "GridLinesVertical",
                            "DefaultRowHeight",
                            "ShowDropIndicator",
                            "_ScrollWidth",
                            "_ScrollOffset",
                            "Transparent",
                            "TextFont",
                            "TextSize",
                            "TextUnit",
                            "Bold",
                            "Italic",
                            "Underline",
                            "Hierarchical",
                            "EnableDrag",
                            "EnableDragReorder",
                            "RequiresSelection",
                            "SelectionType",
                            "ColumnsResizable",
                            "AutoHideScrollbars",
                            "DataSource",
                            "DataField",
                            "InitialParent"})}},
    {"PushButton",
     {29, kLeadingKeys,
      Joined(kLeadingKeys,
             {"Caption", "Default", "Cancel", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "ButtonStyle",
              "Transparent", "TextFont", "TextSize", "TextUnit", "Bold", "Italic", "Underline", "InitialParent"})}},
    {"BevelButton",
     {41, kBevelLeading,
      Joined(
          kBevelLeading,
          {"Visible",      "HelpTag",   "AutoDeactivate", "Enabled",   "Caption",    "CaptionAlign", "CaptionPlacement",
           "CaptionDelta", "IconAlign", "IconDX",         "IconDY",    "Bevel",      "HasMenu",      "HasBackColor",
           "BackColor",    "TextColor", "Value",          "MenuValue", "ButtonType", "AcceptFocus",  "TextFont",
           "TextSize",     "TextUnit",  "Bold",           "Italic",    "Underline"})}},
};

// The usual keys of a class with Transparent moved before another key, or
// last when before is empty.
std::vector<std::string> TransparentMoved(std::string_view className, const std::string& before)
{
    std::vector<std::string> keys = kClasses.at(className).keys;
    keys.erase(std::find(keys.begin(), keys.end(), "Transparent"));
    keys.insert(before.empty() ? keys.end() : std::find(keys.begin(), keys.end(), before), "Transparent");
    return keys;
}

struct ControlCase {
    std::string_view name;
    std::string_view className;
    std::vector<std::string> keys;
};

ControlCase Usual(std::string_view name, std::string_view className)
{
    return {name, className, kClasses.at(className).keys};
}

// A window built through its accessor, with the result of each control
// accessor of its class in creation order.
struct Built {
    std::shared_ptr<Window> window;
    std::vector<std::shared_ptr<Control>> accessors;
};

struct WindowCase {
    std::string_view windowClass;
    std::vector<ControlCase> controls;  // in creation order
    std::function<Built()> build;
};

const std::vector<WindowCase>& WindowCases()
{
    static const std::vector<WindowCase> cases = {
        {"splash",
         {Usual("Canvas1", "Canvas"), Usual("Label1", "Label"), Usual("Label2", "Label"), Usual("Label3", "Label")},
         [] {
             std::shared_ptr<splash> w = splash::Instance();
             return Built{w, {w->Canvas1(), w->Label1(), w->Label2(), w->Label3()}};
         }},
        {"mainWindow",
         {Usual("theResult3", "TextArea"), Usual("theResult2", "TextArea"), Usual("theResult1", "TextArea"),
          Usual("theParsedResult", "Listbox"), Usual("mountBtn", "PushButton"), Usual("unmountBtn", "PushButton"),
          Usual("scanBtn", "PushButton"), Usual("bootVolume", "Label"), Usual("infoBtn", "PushButton")},
         [] {
             std::shared_ptr<mainWindow> w = mainWindow::Instance();
             return Built{w,
                          {w->theResult3(), w->theResult2(), w->theResult1(), w->theParsedResult(), w->mountBtn(),
                           w->unmountBtn(), w->scanBtn(), w->bootVolume(), w->infoBtn()}};
         }},
        // Its blocks move Transparent: last in the text area and the OK
        // button, before HelpTag in the heading.
        {"infoWindow",
         {{"infoTextArea", "TextArea", TransparentMoved("TextArea", "")},
          {"PushButton1", "PushButton", TransparentMoved("PushButton", "")},
          {"infoTitle", "Label", TransparentMoved("Label", "HelpTag")}},
         [] {
             std::shared_ptr<infoWindow> w = infoWindow::Instance();
             return Built{w, {w->infoTextArea(), w->PushButton1(), w->infoTitle()}};
         }},
        {"aboutWindow",
         {Usual("Canvas1", "Canvas"), Usual("Label1", "Label"), Usual("Label3", "Label"), Usual("StaticText5", "Label"),
          Usual("StaticText7", "Label"), Usual("BevelButton1", "BevelButton"), Usual("Label4", "Label")},
         [] {
             std::shared_ptr<aboutWindow> w = aboutWindow::Instance();
             return Built{w,
                          {w->Canvas1(), w->Label1(), w->Label3(), w->StaticText5(), w->StaticText7(),
                           w->BevelButton1(), w->Label4()}};
         }},
        // Its OK button has Transparent last.
        {"prefWindow",
         {{"PushButton1", "PushButton", TransparentMoved("PushButton", "")}},
         [] {
             std::shared_ptr<prefWindow> w = prefWindow::Instance();
             return Built{w, {w->PushButton1()}};
         }},
    };
    return cases;
}

TEST(LayoutTables, EveryWindowOfTheApplicationHasExactlyOneTable)
{
    std::multiset<std::string_view> tables, expected;
    for (const LayoutWindow& table : LayoutTables())
        tables.insert(table.windowClass);
    for (const WindowCase& c : WindowCases())
        expected.insert(c.windowClass);
    EXPECT_EQ(tables, expected);
}

TEST(LayoutTables, EveryBlockDecodesAgainstItsClassWithItsKeysInBlockOrder)
{
    for (const WindowCase& c : WindowCases()) {
        SCOPED_TRACE(c.windowClass);
        const LayoutWindow& table = Layouts::Table(c.windowClass);
        EXPECT_EQ(KeysOf(table.block, "Window"), kWindowKeys);
        ASSERT_EQ(table.controls.size(), c.controls.size());
        for (size_t i = 0; i < c.controls.size(); ++i) {
            const ControlCase& expected = c.controls[i];
            SCOPED_TRACE(expected.name);
            const LayoutControl& control = table.controls[i];
            EXPECT_EQ(control.name, expected.name);
            ASSERT_EQ(control.className, expected.className);
            const ClassKeys& classKeys = kClasses.at(expected.className);

            const std::vector<PropertyEntry> entries = EntriesOf(control.block, control.className);
            std::vector<std::string> keys;
            for (const PropertyEntry& entry : entries) {
                keys.push_back(entry.name);
                if (entry.name == "Name") {
                    EXPECT_EQ(std::get<std::string>(entry.value), control.name);
                }
            }
            EXPECT_EQ(keys.size(), classKeys.count);
            ASSERT_GE(keys.size(), classKeys.leading.size());
            EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + classKeys.leading.size()),
                      classKeys.leading);
            EXPECT_EQ(keys, expected.keys);
        }
    }
}

// The splash and the main window run the start-up scan.
class LayoutTablesWindows : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        AnswerRows({{"MyDisk", "disk2s1", "No"}});
    }
};

TEST_F(LayoutTablesWindows, EveryControlIsBuiltWithItsClassAndFoundByItsAccessor)
{
    for (const WindowCase& c : WindowCases()) {
        SCOPED_TRACE(c.windowClass);
        const Built built = c.build();
        ASSERT_NE(built.window, nullptr);
        const LayoutWindow& table = Layouts::Table(c.windowClass);
        ASSERT_EQ(built.window->Controls().size(), table.controls.size());
        ASSERT_EQ(built.accessors.size(), table.controls.size());
        for (size_t i = 0; i < table.controls.size(); ++i) {
            const LayoutControl& layout = table.controls[i];
            SCOPED_TRACE(layout.name);
            std::shared_ptr<Control> found = built.window->ControlByName(layout.name);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->PropertyList().Name(), layout.className);
            EXPECT_EQ(found->Name(), layout.name);
            EXPECT_EQ(built.window->Controls()[i], found) << "created in table order";
            EXPECT_EQ(built.accessors[i], found);
        }
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
}

}  // namespace
