#include "AppFixture.h"
#include "MenuBarWithoutMenu.h"

#include "app/App.h"
#include "devices/mainWindow.h"
#include "devices/splash.h"

#include <QTimer>

#include <algorithm>

namespace {

class StartupTest : public AppTest {
protected:
    void SetUp() override
    {
        // Start from before the early start-up: no application object, no menu bar.
        AppTest::SetUp();
        ResetRuntime();
        RuntimePerformInitializers(SystemInitializers());
        trace.Start();
    }

    TraceRecord trace;
};

TEST_F(StartupTest, TheEarlyStartupPreparesTheApplicationBeforeAnyWindow)
{
    EarlyStartup();
    const std::vector<std::string> order = {
        "RuntimeInitExternalClasses", "InitPluginEntrypoints",    "SetVersionData",          "Application.MenuBar",
        "RuntimeRegisterAppObject",   "AddMenuHandler aboutMenu", "AddMenuHandler prefMenu", "AddMenuHandler fileQuit"};
    for (size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(trace.First(order[i - 1]), trace.First(order[i])) << order[i - 1] << " before " << order[i];
    EXPECT_EQ(trace.Count("SetVersionData"), 1);
    EXPECT_TRUE(std::none_of(trace.steps.begin(), trace.steps.end(),
                             [](const std::string& s) { return s.rfind("Window.", 0) == 0; }));
    EXPECT_TRUE(Application::SupportsHiDPI());

    std::shared_ptr<App> app = App::Instance();
    ASSERT_NE(app, nullptr);
    const Application::VersionData& v = app->Version();
    EXPECT_EQ(std::vector<int64_t>({v.majorVersion, v.minorVersion, v.bugVersion, v.nonReleaseVersion, v.stageCode}),
              std::vector<int64_t>({2, 1, 0, 0, 3}));
    EXPECT_EQ(v.shortVersion, "v2.1");
    EXPECT_EQ(v.packageInfo, "");
    EXPECT_NE(v.longVersion.find("2019"), std::string::npos);
    EXPECT_EQ(app->MenuBar(), MainMenuBar::Instance());
}

TEST_F(StartupTest, QuitAsksForExitCodeZeroThroughEitherSpellingOfItsName)
{
    EarlyStartup();
    struct Case {
        const char* command;
        bool handled;
    } cases[] = {{"fileQuit", true}, {"FileQuit", true}, {"FILEQUIT", true}, {"fileQuitX", false}};
    for (const Case& c : cases) {
        trace.Clear();
        EXPECT_EQ(App::Instance()->DispatchMenuCommand(c.command), c.handled) << c.command;
        EXPECT_EQ(trace.Count("Quit 0"), c.handled ? 1 : 0) << c.command;
    }
    EXPECT_EQ(RuntimeExit(), 0);
}

TEST_F(StartupTest, AnExceptionInTheEarlyStartupSkipsTheEventLoop)
{
    const MenuBarsMadeAs<MenuBarWithoutMenu<kFileMenu>> failing;
    // Were the loop to run after all, it would end at once instead of hanging
    // the test. The timer goes with this test, not into the next one's events.
    QObject thisTest;
    QTimer::singleShot(0, &thisTest, [] { Quit(0); });
    Main();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unhandled NilObjectException: menu FileMenu is nil");
    EXPECT_EQ(RuntimeExit(), 1);
    EXPECT_EQ(trace.Count("RuntimeRegisterAppObject"), 0);
    EXPECT_TRUE(RegisteredWindows().empty());
    EXPECT_EQ(GetAppObject(), nullptr);
}

}  // namespace
