#include "AppFixture.h"
#include "TempFolder.h"

#include "app/App.h"
#include "devices/mainWindow.h"
#include "devices/splash.h"

#include <algorithm>

namespace {

// The start-up as the runtime runs it: the application's Open event, then
// the late start-up callback, with the scan's queries scripted.
class SplashHandover : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        RunFrameworkInitialization(&LateStartup);
        AnswerScan("MyDisk\nEFI\n", "/dev/disk2s1\n/dev/disk0s1\n", "No\nNo\n", "/dev/disk1s1\n");
        shell.onExecute = [this](const std::string& line) {
            if (line != kNamesQuery || splashSeenDuringFirstQuery.has_value())
                return;
            std::shared_ptr<Window> shown = GetImplicitWindow(splash::kRegistryName);
            splashSeenDuringFirstQuery = shown && shown->IsVisible();
        };
        trace.Start();
    }

    static bool ASplashIsVisible()
    {
        std::shared_ptr<Window> splashWindow = GetImplicitWindow(splash::kRegistryName);
        return splashWindow && splashWindow->IsVisible();
    }

    std::optional<bool> splashSeenDuringFirstQuery;
    TraceRecord trace;
};

TEST_F(SplashHandover, TheSplashIsOnScreenDuringTheFirstScanAndGoneAfterIt)
{
    RuntimeStartApplication();

    ASSERT_TRUE(splashSeenDuringFirstQuery.has_value()) << "the first query never ran";
    EXPECT_TRUE(*splashSeenDuringFirstQuery);
    EXPECT_FALSE(ASplashIsVisible());
    EXPECT_EQ(trace.Count("Window.Constructor mainWindow.mainWindow"), 1);
    EXPECT_EQ(shell.lines, kScanQueries) << "the queries ran once";
    std::shared_ptr<mainWindow> main = mainWindow::Instance();
    EXPECT_TRUE(main->IsVisible());
    EXPECT_EQ(main->theParsedResult()->ListCount(), 1);
    EXPECT_TRUE(messages.empty());

    // A later call of the late start-up callback finds the main window.
    LateStartup();
    EXPECT_EQ(trace.Count("Window.Constructor mainWindow.mainWindow"), 1);
    EXPECT_EQ(mainWindow::Instance(), main);
    EXPECT_EQ(shell.lines.size(), kScanQueries.size());
}

// The application's Open event alone shows the splash first; the splash's
// own Open builds the main window, whose first scan runs behind it.
TEST_F(SplashHandover, TheApplicationsOpenShowsTheSplashWhichBuildsTheMainWindow)
{
    App::Instance()->RaiseEvent(ApplicationEvent::Open);

    ASSERT_EQ(trace.Count("Window.Constructor mainWindow.mainWindow"), 1);
    EXPECT_LT(trace.First("Window.Constructor splash.splash"), trace.First("Window.Constructor mainWindow.mainWindow"));
    ASSERT_TRUE(splashSeenDuringFirstQuery.has_value()) << "the first query never ran";
    EXPECT_TRUE(*splashSeenDuringFirstQuery);
    EXPECT_TRUE(mainWindow::Instance()->IsVisible());
}

// Where the application's Open left no main window (its splash failed), the
// late start-up callback builds it, scan and all.
TEST_F(SplashHandover, TheLateStartupBuildsTheMainWindowWhenNoneIsThere)
{
    LateStartup();
    std::shared_ptr<Window> main = GetImplicitWindow(mainWindow::kRegistryName);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->IsVisible());
    EXPECT_EQ(trace.Count("Window.Constructor mainWindow.mainWindow"), 1);
    EXPECT_EQ(shell.lines, kScanQueries);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SplashHandover, AScanLeavesNoSplashBehind)
{
    RuntimeStartApplication();
    mainWindow::Instance()->scanBtn()->Push();
    EXPECT_EQ(GetImplicitWindow(splash::kRegistryName), nullptr);
    EXPECT_FALSE(ASplashIsVisible());
    EXPECT_EQ(trace.Count("Window.Constructor mainWindow.mainWindow"), 1);
}

// The splash shows the icon, the name, the version line and the message,
// and keeps its size.
TEST_F(SplashHandover, ShowsItsIconNameVersionAndMessage)
{
    std::shared_ptr<splash> window = splash::Instance();
    EXPECT_EQ(window->Width(), 480);
    EXPECT_EQ(window->Height(), 220);
    window->Width(600);
    window->Height(100);
    EXPECT_EQ(window->Width(), 480);
    EXPECT_EQ(window->Height(), 220);

    ASSERT_NE(window->Canvas1()->Backdrop(), nullptr);
    EXPECT_EQ(window->Canvas1()->Backdrop(), Tarnvikicon());
    EXPECT_EQ(window->Label1()->Text(), "Tarnvik");
    EXPECT_EQ(window->Label1()->StringProperty("TextFont"), "Arial Black");
    EXPECT_EQ(window->Label1()->NumberProperty("TextSize"), 32);
    EXPECT_EQ(window->Label1()->TextColor(), (Color{0x61, 0x61, 0x61, 0}));
    EXPECT_EQ(window->Label2()->Text().rfind("v2.1 - ", 0), 0u) << window->Label2()->Text();
    EXPECT_EQ(window->Label3()->Text(), "Checking for connected devices,\rplease wait...\r");
    EXPECT_TRUE(window->Label3()->BooleanProperty("MultiLine"));
    EXPECT_EQ(window->Label3()->NumberProperty("TextSize"), 16);
}

TEST_F(SplashHandover, AMissingIconLeavesTheCanvasBlank)
{
    const TempFolder empty;
    ASSERT_FALSE(empty.Path().empty());
    AppFolders::OverrideResources(empty.Path());
    std::shared_ptr<splash> window = splash::Instance();
    EXPECT_EQ(window->Canvas1()->Backdrop(), nullptr);
    EXPECT_EQ(window->Label1()->Text(), "Tarnvik");
    EXPECT_EQ(window->Controls().size(), 4u);
}

}  // namespace
