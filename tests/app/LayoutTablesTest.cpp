#include "tests/devices/DeviceListFixture.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "devices/splash.h"
#include "kit/Layouts.h"
#include "runtime/internal/NativeControl.h"

#include <algorithm>
#include <array>
#include <functional>
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

struct ControlCase {
    std::string_view name;
    std::string_view className;
};

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
         {{"Canvas1", "Canvas"}, {"Label1", "Label"}, {"Label2", "Label"}, {"Label3", "Label"}},
         [] {
             std::shared_ptr<splash> w = splash::Instance();
             return Built{w, {w->Canvas1(), w->Label1(), w->Label2(), w->Label3()}};
         }},
        {"mainWindow",
         {{"theResult3", "TextArea"},
          {"theResult2", "TextArea"},
          {"theResult1", "TextArea"},
          {"theParsedResult", "Listbox"},
          {"mountBtn", "PushButton"},
          {"unmountBtn", "PushButton"},
          {"scanBtn", "PushButton"},
          {"bootVolume", "Label"},
          {"infoBtn", "PushButton"}},
         [] {
             std::shared_ptr<mainWindow> w = mainWindow::Instance();
             return Built{w,
                          {w->theResult3(), w->theResult2(), w->theResult1(), w->theParsedResult(), w->mountBtn(),
                           w->unmountBtn(), w->scanBtn(), w->bootVolume(), w->infoBtn()}};
         }},
        {"infoWindow",
         {{"infoTextArea", "TextArea"}, {"PushButton1", "PushButton"}, {"infoTitle", "Label"}},
         [] {
             std::shared_ptr<infoWindow> w = infoWindow::Instance();
             return Built{w, {w->infoTextArea(), w->PushButton1(), w->infoTitle()}};
         }},
        {"aboutWindow",
         {{"Canvas1", "Canvas"},
          {"Label1", "Label"},
          {"Label3", "Label"},
          {"StaticText5", "Label"},
          {"StaticText7", "Label"},
          {"BevelButton1", "BevelButton"},
          {"Label4", "Label"}},
         [] {
             std::shared_ptr<aboutWindow> w = aboutWindow::Instance();
             return Built{w,
                          {w->Canvas1(), w->Label1(), w->Label3(), w->StaticText5(), w->StaticText7(),
                           w->BevelButton1(), w->Label4()}};
         }},
        {"prefWindow",
         {{"PushButton1", "PushButton"}},
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

// Every key of every block names a property of the block's class (the
// compiler has checked that too; this reads the blocks the program runs on).
TEST(LayoutTables, EveryBlockDecodesAgainstItsClass)
{
    for (const WindowCase& c : WindowCases()) {
        SCOPED_TRACE(c.windowClass);
        const LayoutWindow& table = Layouts::Table(c.windowClass);
        EXPECT_FALSE(EntriesOf(table.block, "Window").empty());
        ASSERT_EQ(table.controls.size(), c.controls.size());
        for (size_t i = 0; i < c.controls.size(); ++i) {
            const ControlCase& expected = c.controls[i];
            SCOPED_TRACE(expected.name);
            const LayoutControl& control = table.controls[i];
            EXPECT_EQ(control.name, expected.name);
            ASSERT_EQ(control.className, expected.className);
            const std::vector<PropertyEntry> entries = EntriesOf(control.block, control.className);
            const auto name = std::find_if(entries.begin(), entries.end(),
                                           [](const PropertyEntry& entry) { return entry.name == "Name"; });
            ASSERT_NE(name, entries.end());
            EXPECT_EQ(std::get<std::string>(name->value), control.name);
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

// Where the user finds what they work with, in a window at its own size:
// the device list and its four buttons, the description and its OK.
TEST_F(LayoutTablesWindows, TheControlsTheUserWorksWithStandWhereTheyAlwaysStood)
{
    const struct {
        std::string_view window;
        std::string_view control;
        std::array<int, 4> place;  // left, top, width, height
    } placements[] = {
        {"mainWindow", "theParsedResult", {20, 20, 320, 250}}, {"mainWindow", "scanBtn", {20, 287, 80, 20}},
        {"mainWindow", "infoBtn", {112, 287, 30, 20}},         {"mainWindow", "unmountBtn", {168, 287, 80, 20}},
        {"mainWindow", "mountBtn", {260, 287, 80, 20}},        {"infoWindow", "infoTextArea", {20, 53, 680, 435}},
        {"infoWindow", "PushButton1", {315, 500, 90, 20}},
    };
    for (const auto& p : placements) {
        SCOPED_TRACE(std::string(p.window) + "." + std::string(p.control));
        const auto c = std::find_if(WindowCases().begin(), WindowCases().end(),
                                    [&](const WindowCase& w) { return w.windowClass == p.window; });
        ASSERT_NE(c, WindowCases().end());
        const Built built = c->build();
        const auto control = std::dynamic_pointer_cast<RectControl>(built.window->ControlByName(p.control));
        ASSERT_NE(control, nullptr);
        const QWidget* widget = control->NativeData()->widget;
        ASSERT_NE(widget, nullptr);
        const QRect seen = widget->geometry();
        EXPECT_EQ((std::array<int, 4>{seen.x(), seen.y(), seen.width(), seen.height()}), p.place);
    }
}

}  // namespace
