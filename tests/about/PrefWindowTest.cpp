#include "AppFixture.h"

#include "about/prefWindow.h"
#include "app/App.h"
#include "devices/mainWindow.h"
#include "runtime/MenuItem.h"
#include "runtime/internal/NativeWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

class PrefWindowTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        // Building the main window runs its scan; every query answers empty.
        AnswerScan("", "", "", "");
        shell.onExecute = [this](const std::string& line) { trace.Add("shell " + line); };
        trace.Start();
    }

    std::shared_ptr<prefWindow> ChoosePreferences()
    {
        EXPECT_TRUE(App::Instance()->DispatchMenuCommand("prefMenu"));
        return std::dynamic_pointer_cast<prefWindow>(GetImplicitWindow(prefWindow::kRegistryName));
    }

    TraceRecord trace;
};

QWindow* TransientParentOf(const Window& window)
{
    return window.NativeData()->top->windowHandle()->transientParent();
}

TEST_F(PrefWindowTest, OkHidesTheWindowAndTheNextCommandShowsTheSameOneAgain)
{
    struct Case {
        const char* name;
        std::function<void(prefWindow&)> ok;
    } cases[] = {
        {"Push", [](prefWindow& w) { w.PushButton1()->Push(); }},
        {"the Return key, OK being the default button",
         [](prefWindow& w) {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QApplication::sendEvent(w.NativeData()->top, &key);
         }},
    };
    std::shared_ptr<prefWindow> first = ChoosePreferences();
    ASSERT_NE(first, nullptr);
    std::shared_ptr<mainWindow> main = mainWindow::Instance();
    EXPECT_TRUE(first->IsVisible());
    EXPECT_EQ(TransientParentOf(*first), main->NativeData()->top->windowHandle()) << "shown within the main window";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.ok(*first);
        EXPECT_FALSE(first->IsVisible());
        EXPECT_FALSE(first->IsClosed());
        EXPECT_EQ(GetImplicitWindow(prefWindow::kRegistryName), first) << "hidden, still registered";
        EXPECT_TRUE(main->IsVisible()) << "the main window is unaffected";

        std::shared_ptr<prefWindow> again = ChoosePreferences();
        EXPECT_EQ(again, first);
        EXPECT_TRUE(again->IsVisible());
    }
    EXPECT_EQ(trace.Count("Window.Constructor prefWindow.prefWindow"), 1);
    EXPECT_EQ(trace.Count("Window.Constructor mainWindow.mainWindow"), 1);
    EXPECT_TRUE(messages.empty());
}

// The window's block shows it when it is built, before it is attached: the
// first showing must still be modal to the main window and placed over it,
// exactly as every later one.
TEST_F(PrefWindowTest, EveryShowingIsModalToTheMainWindowAndPlacedOverIt)
{
    std::shared_ptr<mainWindow> main = mainWindow::Instance();
    QWidget* mainTop = main->NativeData()->top;
    mainTop->move(20, 40);  // far from where a window centred on the screen goes
    std::optional<QPoint> firstPlace;
    for (int showing = 1; showing <= 3; ++showing) {
        SCOPED_TRACE("showing " + std::to_string(showing));
        std::shared_ptr<prefWindow> preferences = ChoosePreferences();
        ASSERT_NE(preferences, nullptr);
        QWidget* top = preferences->NativeData()->top;
        ASSERT_TRUE(preferences->IsVisible());
        EXPECT_EQ(top->windowHandle()->modality(), Qt::WindowModal);
        EXPECT_EQ(QApplication::activeModalWidget(), top) << "the main window is blocked";
        EXPECT_EQ(TransientParentOf(*preferences), mainTop->windowHandle());
        // Centred over it, give or take the frames.
        EXPECT_NEAR(top->frameGeometry().center().x(), mainTop->frameGeometry().center().x(), 4);
        EXPECT_TRUE(mainTop->frameGeometry().contains(top->pos()));
        if (!firstPlace)
            firstPlace = top->pos();
        EXPECT_EQ(top->pos(), *firstPlace);

        preferences->PushButton1()->Push();
        EXPECT_FALSE(preferences->IsVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(PrefWindowTest, WithTheMainWindowClosedTheCommandBuildsAMainWindowFirst)
{
    std::shared_ptr<mainWindow> closed = mainWindow::Instance();
    closed->Close();
    trace.Clear();

    std::shared_ptr<prefWindow> preferences = ChoosePreferences();
    ASSERT_NE(preferences, nullptr);
    std::shared_ptr<mainWindow> main =
        std::dynamic_pointer_cast<mainWindow>(GetImplicitWindow(mainWindow::kRegistryName));
    ASSERT_NE(main, nullptr);
    EXPECT_NE(main, closed);
    EXPECT_TRUE(main->IsVisible());
    EXPECT_TRUE(preferences->IsVisible());
    EXPECT_EQ(TransientParentOf(*preferences), main->NativeData()->top->windowHandle());

    // The preferences window first, then the main window with its scan, and
    // only then the preferences window attached to it.
    const size_t built = trace.First("Window.Constructor mainWindow.mainWindow");
    const size_t shown = trace.Last("Window.Show prefWindow.prefWindow");
    EXPECT_LT(trace.First("Window.Constructor prefWindow.prefWindow"), built);
    EXPECT_LT(built, shown);
    for (const std::string& query : kScanQueries) {
        EXPECT_EQ(trace.Count("shell " + query), 1) << query;
        EXPECT_GT(trace.First("shell " + query), built) << query;
        EXPECT_LT(trace.First("shell " + query), shown) << query;
    }
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages.front());
}

TEST_F(PrefWindowTest, NoMenuItemShowsThePreferencesWindow)
{
    std::shared_ptr<MainMenuBar> bar = MainMenuBar::Instance();
    EXPECT_EQ(bar->Lookup("prefMenu"), nullptr);
    std::function<void(const MenuItem&)> chooseAll = [&](const MenuItem& menu) {
        for (const auto& item : menu.Children()) {
            if (!item->Children().empty())
                chooseAll(*item);
            else if (!item->IsSeparator())
                item->Choose();
        }
    };
    chooseAll(*bar);
    EXPECT_EQ(GetImplicitWindow(prefWindow::kRegistryName), nullptr);
    EXPECT_NE(GetImplicitWindow("aboutWindow.aboutWindow"), nullptr) << "the items did run";
}

}  // namespace
