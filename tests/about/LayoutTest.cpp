#include "AppFixture.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "resources/Defined.h"
#include "resources/Layouts.h"
#include "runtime/internal/Native.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

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

// The keys every control block opens with; the picture button puts
// Transparent before them and InitialParent right after TabStop.
const std::vector<std::string> kCommonKeys = {"Name", "Index", "Left", "Top", "Width",
                                              "Height", "LockLeft", "LockTop", "LockRight", "LockBottom",
                                              "TabPanelIndex", "TabIndex", "TabStop"};

TEST(AboutAndPrefLayout, EveryTableDecodesWithTheKeysOfItsClass)
{
    const std::vector<std::string> windowKeys = {
        "Width", "Height", "MinWidth", "MinHeight", "MaxWidth", "MaxHeight", "Frame", "Title", "CloseButton",
        "Resizeable", "MaximizeButton", "MinimizeButton", "FullScreenButton", "Composite", "MacProcId", "Placement",
        "Visible", "LiveResize", "FullScreen", "HasBackColor", "BackColor", "MenuBarVisible"};
    const std::map<std::string_view, size_t> keysPerClass = {
        {"Canvas", 24}, {"Label", 32}, {"PushButton", 29}, {"BevelButton", 41}};
    struct Case {
        std::string_view windowClass;
        std::vector<std::pair<std::string_view, std::string_view>> controls;  // in creation order
    } cases[] = {
        {"aboutWindow",
         {{"Canvas1", "Canvas"},
          {"Label1", "Label"},
          {"Label3", "Label"},
          {"StaticText5", "Label"},
          {"StaticText7", "Label"},
          {"BevelButton1", "BevelButton"},
          {"Label4", "Label"}}},
        {"prefWindow", {{"PushButton1", "PushButton"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowClass);
        const LayoutWindow& table = TableOf(c.windowClass);
        EXPECT_EQ(KeysOf(table.block, "Window"), windowKeys);
        ASSERT_EQ(table.controls.size(), c.controls.size());
        for (size_t i = 0; i < c.controls.size(); ++i) {
            const auto& [name, className] = c.controls[i];
            SCOPED_TRACE(name);
            EXPECT_EQ(table.controls[i].name, name);
            EXPECT_EQ(table.controls[i].className, className);
            std::vector<std::string> keys = KeysOf(table.controls[i].block, className);
            EXPECT_EQ(keys.size(), keysPerClass.at(className));
            if (className == "BevelButton") {
                ASSERT_GE(keys.size(), 15u);
                EXPECT_EQ(keys.front(), "Transparent");
                EXPECT_EQ(keys[14], "InitialParent");
                keys.erase(keys.begin());
            }
            if (className == "PushButton") {
                EXPECT_EQ(keys.back(), "Transparent") << "last in an OK button";
            }
            EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 13), kCommonKeys);
        }
    }
}

class AboutAndPrefWindows : public AppTest {};

TEST_F(AboutAndPrefWindows, EveryControlAccessorFindsItsControlInCreationOrder)
{
    std::shared_ptr<aboutWindow> about = aboutWindow::Instance();
    const std::vector<std::pair<std::string, std::shared_ptr<Control>>> aboutControls = {
        {"Canvas1", about->Canvas1()},         {"Label1", about->Label1()},
        {"Label3", about->Label3()},           {"StaticText5", about->StaticText5()},
        {"StaticText7", about->StaticText7()}, {"BevelButton1", about->BevelButton1()},
        {"Label4", about->Label4()}};
    std::shared_ptr<prefWindow> preferences = prefWindow::Instance();
    const std::vector<std::pair<std::string, std::shared_ptr<Control>>> prefControls = {
        {"PushButton1", preferences->PushButton1()}};

    using Expected = std::pair<std::shared_ptr<Window>, decltype(aboutControls)>;
    for (const auto& [window, controls] : {Expected{about, aboutControls}, Expected{preferences, prefControls}}) {
        SCOPED_TRACE(window->RegistryName());
        ASSERT_EQ(window->Controls().size(), controls.size());
        for (size_t i = 0; i < controls.size(); ++i) {
            ASSERT_NE(controls[i].second, nullptr) << controls[i].first;
            EXPECT_EQ(controls[i].second->Name(), controls[i].first);
            EXPECT_EQ(window->Controls()[i], controls[i].second) << "created in table order";
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AboutAndPrefWindows, TheAboutWindowIsFixedAt360By200)
{
    std::shared_ptr<aboutWindow> about = aboutWindow::Instance();
    EXPECT_EQ(about->Title(), "Tarnvik");
    EXPECT_FALSE(about->BooleanProperty("Resizeable"));
    about->Width(500);
    about->Height(120);
    EXPECT_EQ(about->Width(), 360);
    EXPECT_EQ(about->Height(), 200);
    EXPECT_LE(about->BevelButton1()->Top() + about->BevelButton1()->Height(), about->Height())
        << "the lowest control fits";
    QWidget* top = about->NativeData()->top;
    EXPECT_EQ(top->minimumSize(), top->maximumSize()) << "the user cannot resize it";
    EXPECT_EQ(top->minimumWidth(), 360);
}

TEST_F(AboutAndPrefWindows, TheAboutTextsComeFromTheMakersConstants)
{
    std::shared_ptr<aboutWindow> about = aboutWindow::Instance();
    const std::string site = about->StaticText5()->Text();
    EXPECT_EQ(site, Defined::MakerWebSite);
    EXPECT_EQ(site.rfind("https://", 0), 0u) << site;
    EXPECT_EQ(site.find('/', 8), std::string::npos) << "scheme and host alone: " << site;
    EXPECT_EQ(about->Label4()->Text(), Defined::OwnershipLine);
    EXPECT_EQ(about->Label1()->Text(), "Tarnvik");
    EXPECT_EQ(about->Label3()->Text(), "Version 2.1 (April, 2019)");
    EXPECT_EQ(about->BevelButton1()->Caption(), "");
}

TEST_F(AboutAndPrefWindows, ThePreferencesWindowResizesBetween64And32000)
{
    std::shared_ptr<prefWindow> preferences = prefWindow::Instance();
    EXPECT_EQ(preferences->Title(), "Tarnvik - Preferences");
    EXPECT_TRUE(preferences->BooleanProperty("Resizeable"));
    EXPECT_EQ(preferences->Width(), 340);
    EXPECT_EQ(preferences->Height(), 188);
    struct Limit {
        int64_t width, height, expectWidth, expectHeight;
    } limits[] = {{10, 10, 64, 64}, {64, 64, 64, 64}, {32000, 32000, 32000, 32000}, {40000, 40000, 32000, 32000}};
    for (const Limit& c : limits) {
        SCOPED_TRACE(c.width);
        preferences->Width(c.width);
        preferences->Height(c.height);
        EXPECT_EQ(preferences->Width(), c.expectWidth);
        EXPECT_EQ(preferences->Height(), c.expectHeight);
    }
    // OK keeps its distance to the left, right and bottom edges.
    preferences->Width(500);
    preferences->Height(300);
    std::shared_ptr<PushButton> ok = preferences->PushButton1();
    EXPECT_EQ(std::vector<int64_t>({ok->Left(), ok->Top(), ok->Width(), ok->Height()}),
              std::vector<int64_t>({130, 260, 240, 20}));
    preferences->Width(340);
    preferences->Height(188);
    EXPECT_EQ(std::vector<int64_t>({ok->Left(), ok->Top(), ok->Width(), ok->Height()}),
              std::vector<int64_t>({130, 148, 80, 20}));
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(ok->Caption(), "OK");
}

}  // namespace
