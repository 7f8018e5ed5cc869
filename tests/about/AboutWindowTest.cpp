#include "AppFixture.h"
#include "TempFolder.h"

#include "about/aboutWindow.h"
#include "app/App.h"
#include "kit/Layouts.h"
#include "resources/Defined.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/NativeWindow.h"
#include "runtime/internal/QtValues.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <map>

namespace {

const Color kBlack{0, 0, 0, 0};
const Color kBlue{0, 0, 255, 0};

// Every property that a control's block sets, per control, except the
// link's colour and underline, which are the ones the pointer may change.
using Snapshot = std::map<std::string, std::vector<PropertyValue>>;

Snapshot OtherProperties(const aboutWindow& window)
{
    Snapshot snapshot;
    for (const LayoutControl& layout : Layouts::Table("aboutWindow").controls) {
        std::shared_ptr<Control> control = window.ControlByName(layout.name);
        for (const PropertyEntry& entry : DecodePropertyBlock(layout.block, *FindPropertyClass(layout.className)))
            if (layout.name != "StaticText5" || (entry.name != "TextColor" && entry.name != "Underline"))
                snapshot[std::string(layout.name)].push_back(control->Property(entry.name));
    }
    return snapshot;
}

void SendPress(QWidget* widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

QWidget* NativeOf(const std::shared_ptr<RectControl>& control)
{
    return control->NativeData()->widget;
}

// A press on the content area where no control lies.
void PressBackground(aboutWindow& window)
{
    QWidget* content = window.NativeData()->top->Content();
    ASSERT_EQ(content->childAt(5, 5), nullptr);
    SendPress(content, {5, 5});
}

class AboutWindowTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        // Each opened address is recorded with whether an about window was
        // still registered at that moment.
        trace.Start([this](const std::string& step) {
            if (step.rfind("ShowURL ", 0) == 0)
                openedWhileRegistered.push_back(GetImplicitWindow(aboutWindow::kRegistryName) != nullptr);
        });
    }

    std::shared_ptr<aboutWindow> ChooseAbout()
    {
        EXPECT_TRUE(App::Instance()->DispatchMenuCommand("aboutMenu", 0));
        std::shared_ptr<Window> found = GetImplicitWindow(aboutWindow::kRegistryName);
        EXPECT_NE(found, nullptr);
        return std::dynamic_pointer_cast<aboutWindow>(found);
    }

    std::vector<bool> openedWhileRegistered;
    TraceRecord trace;
};

TEST_F(AboutWindowTest, TheLinkTurnsBlueAndUnderlinedUnderThePointerAndNothingElseChanges)
{
    struct Way {
        const char* name;
        std::function<void(aboutWindow&)> enter, exit;
    } ways[] = {
        {"raised events", [](aboutWindow& w) { w.StaticText5()->RaiseEvent(LabelEvent::MouseEnter); },
         [](aboutWindow& w) { w.StaticText5()->RaiseEvent(LabelEvent::MouseExit); }},
        {"Qt enter and leave",
         [](aboutWindow& w) {
             QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
             QApplication::sendEvent(NativeOf(w.StaticText5()), &enter);
         },
         [](aboutWindow& w) {
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(NativeOf(w.StaticText5()), &leave);
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        std::shared_ptr<aboutWindow> window = ChooseAbout();
        ASSERT_NE(window, nullptr);
        std::shared_ptr<Label> link = window->StaticText5();
        const Snapshot before = OtherProperties(*window);
        auto* native = static_cast<QLabel*>(NativeOf(link));

        EXPECT_EQ(link->TextColor(), kBlack);
        EXPECT_FALSE(link->Underline());
        struct Step {
            bool inside;
            Color color;
            bool underline;
        } steps[] = {{true, kBlue, true}, {false, kBlack, false}, {true, kBlue, true}};
        for (const Step& step : steps) {
            (step.inside ? way.enter : way.exit)(*window);
            EXPECT_EQ(link->TextColor(), step.color);
            EXPECT_EQ(link->Underline(), step.underline);
            EXPECT_EQ(native->palette().color(QPalette::WindowText), ToQColor(step.color)) << "on screen too";
            EXPECT_EQ(native->font().underline(), step.underline);
        }
        EXPECT_EQ(OtherProperties(*window), before);
        EXPECT_TRUE(window->IsVisible());
        EXPECT_TRUE(urls.empty());
        window->Close();
    }
    EXPECT_TRUE(messages.empty());
}

// The link and the donation button each close the window, and only then
// open their address: the link exactly its label's text, the button the
// donation page on the maker's host, over HTTPS since it leads to a payment.
TEST_F(AboutWindowTest, TheLinkAndTheDonationButtonCloseTheWindowThenOpenTheirAddress)
{
    const std::string site(Defined::MakerWebSite);
    const std::string donation = site + "/paypal.php?app=Tarnvik";
    const std::string elsewhere = "https://elsewhere.example/some path?x=1";
    const auto pressLink = [](aboutWindow& w) {
        w.StaticText5()->RaiseEvent(LabelEvent::MouseEnter);
        EXPECT_FALSE(w.StaticText5()->RaiseEvent(LabelEvent::MouseDown, EventArgs{nullptr, 3, 3}))
            << "the handler returns False";
    };
    struct Case {
        const char* name;
        std::function<void(aboutWindow&)> press;
        std::string url;
    } cases[] = {
        {"the link as built, raised", pressLink, site},
        {"the link as built, a real press",
         [](aboutWindow& w) {
             w.StaticText5()->RaiseEvent(LabelEvent::MouseEnter);
             SendPress(NativeOf(w.StaticText5()), {3, 3});
         },
         site},
        {"the link with another text",
         [&](aboutWindow& w) {
             w.StaticText5()->Text(elsewhere);
             pressLink(w);
         },
         elsewhere},
        {"the donation button, Push", [](aboutWindow& w) { w.BevelButton1()->Push(); }, donation},
        {"the donation button, a native click",
         [](aboutWindow& w) { QMetaObject::invokeMethod(NativeOf(w.BevelButton1()), "click"); }, donation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        urls.clear();
        openedWhileRegistered.clear();
        std::shared_ptr<aboutWindow> window = ChooseAbout();
        ASSERT_NE(window, nullptr);
        c.press(*window);
        EXPECT_TRUE(window->IsClosed());
        EXPECT_EQ(GetImplicitWindow(aboutWindow::kRegistryName), nullptr);
        EXPECT_EQ(urls, std::vector<std::string>({c.url}));
        for (const std::string& url : urls)
            EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
        EXPECT_EQ(openedWhileRegistered, std::vector<bool>({false})) << "closed before the address is opened";
    }
    // The link's handler called directly as well: False, whatever the press.
    std::shared_ptr<aboutWindow> window = ChooseAbout();
    EXPECT_FALSE(window->StaticText5_MouseDown(window->StaticText5(), -1, 9999));
    EXPECT_TRUE(messages.empty());
}

TEST_F(AboutWindowTest, ABackgroundPressClosesTheWindowAndOpensNothing)
{
    struct Case {
        const char* name;
        std::function<void(aboutWindow&)> press;
    } cases[] = {
        {"raised",
         [](aboutWindow& w) {
             EXPECT_FALSE(w.RaiseEvent(WindowEvent::MouseDown, EventArgs{nullptr, 5, 5}));
         }},
        {"a real press on the content area", [](aboutWindow& w) { PressBackground(w); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<aboutWindow> window = ChooseAbout();
        ASSERT_NE(window, nullptr);
        c.press(*window);
        EXPECT_TRUE(window->IsClosed());
        EXPECT_EQ(GetImplicitWindow(aboutWindow::kRegistryName), nullptr);
    }
    std::shared_ptr<aboutWindow> window = ChooseAbout();
    EXPECT_FALSE(window->Event_MouseDown(0, 0));
    EXPECT_TRUE(window->IsClosed());
    EXPECT_TRUE(urls.empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(AboutWindowTest, APressOnAControlWithoutAHandlerLeavesTheWindowOpen)
{
    std::shared_ptr<aboutWindow> window = ChooseAbout();
    ASSERT_NE(window, nullptr);
    for (const std::shared_ptr<RectControl>& control : std::vector<std::shared_ptr<RectControl>>{
             window->Label1(), window->Label3(), window->StaticText7(), window->Label4(), window->Canvas1()}) {
        SCOPED_TRACE(control->Name());
        SendPress(NativeOf(control), {2, 2});
        EXPECT_FALSE(window->IsClosed());
        EXPECT_TRUE(window->IsVisible());
    }
    EXPECT_FALSE(window->Label1()->RaiseEvent(LabelEvent::MouseDown));
    EXPECT_EQ(GetImplicitWindow(aboutWindow::kRegistryName), window);
    EXPECT_TRUE(urls.empty());
}

TEST_F(AboutWindowTest, TwoAboutCommandsShowOneWindow)
{
    std::shared_ptr<aboutWindow> first = ChooseAbout();
    std::shared_ptr<aboutWindow> second = ChooseAbout();
    EXPECT_EQ(first, second);
    EXPECT_TRUE(second->IsVisible());
    EXPECT_EQ(trace.Count("Window.Constructor aboutWindow.aboutWindow"), 1);
    const auto windows = RegisteredWindows();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](const auto& w) { return w->RegistryName() == aboutWindow::kRegistryName; }),
              1);
}

TEST_F(AboutWindowTest, AfterAnyCloseTheNextAboutBuildsANewWindowWithAPlainLink)
{
    struct Case {
        const char* name;
        std::function<void(aboutWindow&)> close;
    } cases[] = {
        {"the link", [](aboutWindow& w) { w.StaticText5()->RaiseEvent(LabelEvent::MouseDown); }},
        {"the donation button", [](aboutWindow& w) { w.BevelButton1()->Push(); }},
        {"the background", [](aboutWindow& w) { PressBackground(w); }},
        {"the close button", [](aboutWindow& w) { w.NativeData()->top->close(); }},
    };
    std::shared_ptr<aboutWindow> previous = ChooseAbout();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        previous->StaticText5()->RaiseEvent(LabelEvent::MouseEnter);  // left blue: the pointer never left
        c.close(*previous);
        ASSERT_TRUE(previous->IsClosed());
        std::shared_ptr<aboutWindow> next = ChooseAbout();
        ASSERT_NE(next, nullptr);
        EXPECT_NE(next, previous);
        EXPECT_TRUE(next->IsVisible());
        EXPECT_EQ(next->StaticText5()->TextColor(), kBlack);
        EXPECT_FALSE(next->StaticText5()->Underline());
        EXPECT_EQ(previous->StaticText5()->TextColor(), kBlue) << "the old label is not the new one";
        previous = next;
    }
    EXPECT_EQ(trace.Count("Window.Constructor aboutWindow.aboutWindow"), 5);
    EXPECT_TRUE(messages.empty());
}

TEST_F(AboutWindowTest, WithoutPicturesTheWindowStillOpensWithAllSevenControls)
{
    const TempFolder empty;
    ASSERT_FALSE(empty.Path().empty());
    AppFolders::OverrideResources(empty.Path());

    std::shared_ptr<aboutWindow> window = ChooseAbout();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(window->Controls().size(), 7u);
    EXPECT_EQ(window->Canvas1()->Backdrop(), nullptr);
    EXPECT_EQ(window->BevelButton1()->Icon(), nullptr);
    EXPECT_TRUE(static_cast<QToolButton*>(NativeOf(window->BevelButton1()))->icon().isNull());
    EXPECT_TRUE(messages.empty()) << "nothing is reported";
    window->BevelButton1()->Push();
    EXPECT_EQ(urls.size(), 1u) << "the button works without its picture";
}

TEST_F(AboutWindowTest, AWindowBuiltAnewGetsTheSamePictureObjects)
{
    std::shared_ptr<aboutWindow> first = ChooseAbout();
    ASSERT_NE(first, nullptr);
    const std::shared_ptr<Picture> icon = first->Canvas1()->Backdrop();
    const std::shared_ptr<Picture> donate = first->BevelButton1()->Icon();
    ASSERT_NE(icon, nullptr) << "the pictures are in the build's resources folder";
    ASSERT_NE(donate, nullptr);
    EXPECT_EQ(icon->Width(), 96);
    EXPECT_EQ(donate->Width(), 114);
    first->Close();

    std::shared_ptr<aboutWindow> second = ChooseAbout();
    ASSERT_NE(second, first);
    EXPECT_EQ(second->Canvas1()->Backdrop(), icon);
    EXPECT_EQ(second->BevelButton1()->Icon(), donate);
    EXPECT_EQ(trace.Count("Picture.OpenFromApp Tarnvikicon96"), 1);
    EXPECT_EQ(trace.Count("Picture.OpenFromApp paypal"), 1);
}

}  // namespace
