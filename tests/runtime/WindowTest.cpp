#include "RuntimeFixture.h"
#include "TraceRecord.h"

#include "runtime/Application.h"
#include "runtime/Dialogs.h"
#include "runtime/Label.h"
#include "runtime/Listbox.h"
#include "runtime/MenuItem.h"
#include "runtime/Pause.h"
#include "runtime/PushButton.h"
#include "runtime/TextArea.h"
#include "runtime/Window.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/NativeWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <map>
#include <optional>
#include <thread>

namespace {

using namespace std::string_literals;

// A small window built the way the application builds its windows: a
// window block, then controls created in order with their blocks and handlers.
class probeWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "probeWindow.probeWindow";
    static std::shared_ptr<probeWindow> Instance() { return ImplicitWindow<probeWindow>(); }
    probeWindow() : Window(kRegistryName) {}

    static inline std::vector<std::string> log;
    static inline std::function<void(probeWindow&)> onOpen;
    static inline bool resizeable = true;
    static inline bool refuseClose = false;  // what its CancelClose answers

    void Layout()
    {
        log.push_back("Layout");
        SetProperties(*this, BlockBuilder("Window")("Width", 300)("Height", 200)("MinWidth", 200)("MinHeight", 150)(
                                 "MaxWidth", 400)("MaxHeight", 600)("Title", "Probe")("Resizeable", resizeable));
    }
    void CreateControls()
    {
        log.push_back("CreateControls");
        auto text = New<Label>();
        text->Constructor();
        AddControl(text, "text");
        SetProperties(*ControlByName("text"),
                      BlockBuilder("Label")("Name", "text")("Left", 10)("Top", 10)("Width", 100)("Height", 20)(
                          "LockLeft", true)("LockTop", true)("Text", "initial"));
        auto list = New<Listbox>();
        list->Constructor();
        AddControl(list, "list");
        SetProperties(*ControlByName("list"),
                      BlockBuilder("Listbox")("Name", "list")("Left", 10)("Top", 40)("Width", 280)("Height", 100)(
                          "LockLeft", true)("LockTop", true)("LockRight", true)("LockBottom", true)("ColumnCount", 2));
        auto button = New<PushButton>();
        button->Constructor();
        AddControl(button, "button");
        SetProperties(*ControlByName("button"),
                      BlockBuilder("PushButton")("Name", "button")("Left", 200)("Top", 160)("Width", 80)("Height", 20)(
                          "LockRight", true)("LockBottom", true)("Caption", "Press"));
        RuntimeAddEventHandler(ControlByName("button"), PushButtonEvent::Action,
                               RuntimeCreateDelegate(this, &probeWindow::button_Action));
    }
    void Event_Open()
    {
        log.push_back("Open registered=" + std::string(GetImplicitWindow(kRegistryName).get() == this ? "yes" : "no") +
                      " controls=" + std::to_string(Controls().size()));
        if (onOpen)
            onOpen(*this);
    }
    void button_Action(std::shared_ptr<PushButton> button)
    {
        log.push_back("Action " + button->Caption());
        if (onAction)
            onAction(*this);
    }
    static inline std::function<void(probeWindow&)> onAction;

    std::shared_ptr<Label> text() const { return ControlAccessor<Label>(this, "text"); }
    std::shared_ptr<Listbox> list() const { return ControlAccessor<Listbox>(this, "list"); }
    std::shared_ptr<PushButton> button() const { return ControlAccessor<PushButton>(this, "button"); }

protected:
    const EventTableType& EventTable() const override
    {
        static const EventTableType table = {
            BindEvent(WindowEvent::Layout, &probeWindow::Layout),
            BindEvent(WindowEvent::CreateControls, &probeWindow::CreateControls),
            BindEvent(WindowEvent::Open, &probeWindow::Event_Open),
            {WindowEvent::CancelClose, [](Window&, const EventArgs&) { return refuseClose; }}};
        return table;
    }
};

class WindowLifecycle : public RuntimeTest {
protected:
    void SetUp() override
    {
        RuntimeTest::SetUp();
        probeWindow::log.clear();
        probeWindow::onOpen = nullptr;
        probeWindow::onAction = nullptr;
        probeWindow::resizeable = true;
        probeWindow::refuseClose = false;
    }
    void TearDown() override
    {
        probeWindow::onOpen = nullptr;
        probeWindow::onAction = nullptr;
        RuntimeTest::TearDown();
    }
};

TEST_F(WindowLifecycle, BuildsInOrderAndIsRegisteredByItsOpenEvent)
{
    auto window = probeWindow::Instance();
    EXPECT_EQ(probeWindow::log,
              (std::vector<std::string>{"Layout", "CreateControls", "Open registered=yes controls=3"}));
    EXPECT_TRUE(window->IsVisible()) << "a block with Visible shows the window once built";
    EXPECT_EQ(window->Title(), "Probe");
    EXPECT_EQ(probeWindow::Instance(), window);
    EXPECT_EQ(probeWindow::log.size(), 3u) << "a second access builds nothing";
}

TEST_F(WindowLifecycle, AnOpenHandlerThatAsksForItsOwnWindowGetsItself)
{
    std::shared_ptr<probeWindow> seen;
    probeWindow::onOpen = [&](probeWindow&) { seen = probeWindow::Instance(); };
    auto window = probeWindow::Instance();
    EXPECT_EQ(seen, window);
    EXPECT_EQ(RegisteredWindows().size(), 1u);
}

TEST_F(WindowLifecycle, HideKeepsTheWindowAndItsControls)
{
    auto window = probeWindow::Instance();
    window->text()->Text("changed");
    window->list()->AddRow({"a", "b"});
    window->Hide();
    EXPECT_FALSE(window->IsVisible());
    auto again = probeWindow::Instance();
    EXPECT_EQ(again, window);
    EXPECT_EQ(again->text()->Text(), "changed");
    EXPECT_EQ(again->list()->ListCount(), 1);
    EXPECT_EQ(probeWindow::log.size(), 3u) << "no second Open";
    again->Show();
    EXPECT_TRUE(again->IsVisible());
}

TEST_F(WindowLifecycle, CloseUnregistersAndTheNextAccessBuildsAnew)
{
    auto window = probeWindow::Instance();
    window->text()->Text("old");
    window->Close();
    EXPECT_EQ(GetImplicitWindow(probeWindow::kRegistryName), nullptr);
    EXPECT_TRUE(RegisteredWindows().empty());
    EXPECT_FALSE(window->IsVisible());

    window->Show();  // does nothing on a closed window
    window->Hide();
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(GetImplicitWindow(probeWindow::kRegistryName), nullptr);

    auto fresh = probeWindow::Instance();
    EXPECT_NE(fresh, window);
    EXPECT_EQ(fresh->text()->Text(), "initial");
    EXPECT_EQ(std::count(probeWindow::log.begin(), probeWindow::log.end(), "Open registered=yes controls=3"), 2);
}

TEST_F(WindowLifecycle, AHandlerGoesOnAfterClosingItsOwnWindow)
{
    std::string textAfterClose;
    std::shared_ptr<Label> kept;
    probeWindow::onAction = [&](probeWindow& self) {
        kept = self.text();
        probeWindow::Instance()->Close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the native side really goes
        textAfterClose = kept->Text();
        kept->Text("still settable");
    };
    std::weak_ptr<probeWindow> weak = probeWindow::Instance();
    probeWindow::Instance()->button()->Push();
    EXPECT_EQ(textAfterClose, "initial");
    EXPECT_EQ(kept->Text(), "still settable");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(weak.expired()) << "nobody holds the closed window any more";
    EXPECT_TRUE(messages.empty());
}

// A second window, with no block: it is shown only when asked.
class plainWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "plainWindow.plainWindow";
    plainWindow() : Window(kRegistryName) {}
};

// The window system's close button closes the window as Close does, unless
// its CancelClose refuses; the program ends, with status 0, once the user has
// closed the last window on screen. A hidden window does not keep it running.
TEST_F(WindowLifecycle, TheUserClosingTheLastWindowOnScreenEndsTheProgram)
{
    TraceRecord trace;
    trace.Start();
    std::shared_ptr<probeWindow> probe = probeWindow::Instance();
    std::shared_ptr<plainWindow> other = ImplicitWindow<plainWindow>();
    other->Show();
    auto closeButton = [](const std::shared_ptr<Window>& window) { window->NativeData()->top->close(); };
    const struct Step {
        const char* name;
        std::function<void()> act;
        bool probeClosed;
        long quits;
    } steps[] = {
        {"refused by CancelClose",
         [&] {
             probeWindow::refuseClose = true;
             closeButton(probe);
         },
         false, 0},
        {"another window on screen",
         [&] {
             probeWindow::refuseClose = false;
             closeButton(probe);
         },
         true, 0},
        {"the other window only hidden",
         [&] {
             probe = probeWindow::Instance();
             other->Hide();
             closeButton(probe);
         },
         true, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        trace.Clear();
        step.act();
        EXPECT_EQ(probe->IsClosed(), step.probeClosed);
        EXPECT_EQ(trace.Count("Quit 0"), step.quits);
    }
    EXPECT_FALSE(other->IsClosed());
    EXPECT_EQ(RuntimeExit(), 0);
}

TEST_F(WindowLifecycle, AnExceptionInAHandlerIsShownAndTheApplicationGoesOn)
{
    probeWindow::onAction = [](probeWindow&) { throw NilObjectException("the disk is nil"); };
    auto window = probeWindow::Instance();
    window->button()->Push();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "NilObjectException: the disk is nil");
    probeWindow::onAction = [](probeWindow& self) { self.list()->Cell(5, 0); };
    window->button()->Push();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].rfind("OutOfBoundsException: Cell: row 5", 0), 0u) << messages[1];
    EXPECT_TRUE(window->IsVisible());
}

TEST_F(WindowLifecycle, ADisabledButtonRaisesNoAction)
{
    auto window = probeWindow::Instance();
    window->button()->Enabled(false);
    window->button()->Push();
    auto* native = static_cast<QWidget*>(window->button()->NativeData()->widget);
    QMetaObject::invokeMethod(native, "click");
    EXPECT_EQ(std::count(probeWindow::log.begin(), probeWindow::log.end(), "Action Press"), 0);
    window->button()->Enabled(true);
    QMetaObject::invokeMethod(native, "click");
    EXPECT_EQ(std::count(probeWindow::log.begin(), probeWindow::log.end(), "Action Press"), 1);
}

TEST_F(WindowLifecycle, ShowPutsTheWindowOnScreenBeforeItReturns)
{
    probeWindow::onOpen = [](probeWindow& self) { self.Hide(); };
    auto window = probeWindow::Instance();
    EXPECT_FALSE(window->IsVisible()) << "an Open handler's Hide wins over the block's Visible";
    window->Show();
    QWidget* top = window->NativeData()->top;
    EXPECT_TRUE(top->isVisible());
    ASSERT_NE(top->windowHandle(), nullptr);
    EXPECT_TRUE(top->windowHandle()->isExposed());
}

// A pause lasts its whole time, and meanwhile what keeps the windows up to
// date (a timer here) goes on: the scan waits so before trying again.
TEST_F(WindowLifecycle, APauseLastsItsTimeAndTheWindowsStayUpToDate)
{
    bool timerRan = false;
    QTimer::singleShot(10, [&] { timerRan = true; });
    QElapsedTimer clock;
    clock.start();
    Pause(150);
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_TRUE(timerRan);
}

TEST_F(WindowLifecycle, EdgeLocksAndSizeLimitsFollowTheWindow)
{
    auto window = probeWindow::Instance();
    struct Case {
        int64_t height, width;
        int64_t expectHeight, expectWidth, listHeight, listWidth, buttonTop, buttonLeft;
    } cases[] = {
        {200, 300, 200, 300, 100, 280, 160, 200},
        {400, 350, 400, 350, 300, 330, 360, 250},
        {100, 100, 150, 200, 50, 180, 110, 100},     // below the minimum
        {9000, 9000, 600, 400, 500, 380, 560, 300},  // above the maximum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        window->Height(c.height);
        window->Width(c.width);
        EXPECT_EQ(window->Height(), c.expectHeight);
        EXPECT_EQ(window->Width(), c.expectWidth);
        EXPECT_EQ(window->list()->Height(), c.listHeight);
        EXPECT_EQ(window->list()->Width(), c.listWidth);
        EXPECT_EQ(window->list()->Top(), 40);
        EXPECT_EQ(window->button()->Top(), c.buttonTop);
        EXPECT_EQ(window->button()->Left(), c.buttonLeft);
        EXPECT_EQ(window->text()->Top(), 10);
        QWidget* native = window->button()->NativeData()->widget;
        EXPECT_EQ(native->geometry(), QRect(static_cast<int>(c.buttonLeft), static_cast<int>(c.buttonTop), 80, 20));
    }
    // The user resizing the native window takes the same path.
    window->NativeData()->top->resize(300, 250 + window->NativeData()->top->MenuBarHeight());
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Height(), 250);
    EXPECT_EQ(window->list()->Height(), 150);
}

TEST_F(WindowLifecycle, ANonResizeableWindowKeepsItsSize)
{
    probeWindow::resizeable = false;
    auto window = probeWindow::Instance();
    QWidget* top = window->NativeData()->top;
    EXPECT_EQ(top->minimumSize(), top->maximumSize());
}

TEST_F(WindowLifecycle, TheMenuBarNeverCoversTheContentArea)
{
    auto bar = std::make_shared<MenuBar>();
    auto edit = std::make_shared<MenuItem>();
    edit->Name("EditMenu");
    edit->Text("&Edit");
    bar->Append(edit);
    auto window = probeWindow::Instance();
    window->MenuBar(bar);
    NativeTopLevel* top = window->NativeData()->top;
    ASSERT_GT(top->MenuBarHeight(), 0);
    EXPECT_EQ(top->Content()->geometry().top(), top->MenuBarHeight());
    EXPECT_EQ(top->Content()->size(), QSize(300, 200));
    QWidget* label = window->text()->NativeData()->widget;
    EXPECT_GE(label->mapTo(top, QPoint(0, 0)).y(), top->MenuBarHeight() + 10);
}

// A window that shows no menu bar carries the application's Quit as a
// window action, whatever changes after the window is built: the
// application and its bar arriving, the window showing a bar of its own
// (which then has the command) or hiding it again.
TEST_F(WindowLifecycle, TheProgramCommandsFollowEveryLaterMenuBarChange)
{
    auto quit = std::make_shared<QuitMenuItem>();
    quit->Name("FileQuit");
    quit->Text("Quit");
    quit->KeyboardShortcut("Cmd+Q");
    auto file = std::make_shared<MenuItem>();
    file->Name("FileMenu");
    file->Text("&File");
    file->Append(quit);
    auto bar = std::make_shared<MenuBar>();
    bar->Append(file);

    auto window = probeWindow::Instance();
    NativeTopLevel* top = window->NativeData()->top;
    auto carriesQuit = [&] {
        const QList<QAction*> actions = top->actions();
        return std::count_if(actions.begin(), actions.end(), [](QAction* action) {
            return action->menuRole() == QAction::QuitRole && action->shortcut() == QKeySequence("Ctrl+Q");
        });
    };
    auto app = std::make_shared<Application>();
    const struct Step {
        const char* name;
        std::function<void()> change;
        long carried;
    } steps[] = {
        {"an application without a bar", [&] { RuntimeRegisterAppObject(app); }, 0},
        {"the application's bar", [&] { app->MenuBar(bar); }, 1},
        {"the window's own bar, shown", [&] { window->MenuBar(bar); }, 0},
        {"the window's bar hidden", [&] { window->SetProperty("MenuBarVisible", false); }, 1},
        {"the window's bar shown again", [&] { window->SetProperty("MenuBarVisible", true); }, 0},
        {"the window's bar gone", [&] { window->MenuBar(nullptr); }, 1},
        {"no application", [&] { RuntimeRegisterAppObject(nullptr); }, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_EQ(carriesQuit(), step.carried);
    }
}

// A chosen item goes to the application's handler of its name, with its
// Index; the Quit item that no handler takes quits with status 0, and any
// other item that none takes (and is no edit command) does nothing.
TEST_F(WindowLifecycle, AChosenItemGoesToItsHandlerAndAnUnhandledQuitQuits)
{
    TraceRecord trace;
    trace.Start();
    auto app = std::make_shared<Application>();
    RuntimeRegisterAppObject(app);
    std::vector<int64_t> indexes;
    app->AddMenuHandler("recent", [&](int64_t index) {
        indexes.push_back(index);
        return true;
    });
    const struct Case {
        const char* name;
        std::shared_ptr<MenuItem> item;
        const char* itemName;
        std::optional<int64_t> index;
        bool handled;
        std::vector<int64_t> indexes;  // what the handler received
        long quits;
    } cases[] = {
        {"an item of an array, handled", std::make_shared<MenuItem>(), "Recent", 3, true, {3}, 0},
        {"a Quit item its handler takes", std::make_shared<QuitMenuItem>(), "Recent", std::nullopt, true, {0}, 0},
        {"an item no handler takes", std::make_shared<MenuItem>(), "FileOpen", std::nullopt, false, {}, 0},
        {"the Quit item no handler takes", std::make_shared<QuitMenuItem>(), "FileQuit", std::nullopt, true, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.item->Name(c.itemName);
        if (c.index)
            c.item->Index(*c.index);
        indexes.clear();
        trace.Clear();
        EXPECT_EQ(c.item->Choose(), c.handled);
        EXPECT_EQ(indexes, c.indexes);
        EXPECT_EQ(trace.Count("Quit 0"), c.quits);
    }
    EXPECT_EQ(RuntimeExit(), 0);
}

TEST_F(WindowLifecycle, UserInterfaceCallsOffTheMainThreadAreRefused)
{
    auto window = probeWindow::Instance();
    auto label = window->text();
    std::vector<std::string> kinds;
    std::thread worker([&] {
        auto attempt = [&](const std::function<void()>& f) {
            try {
                f();
            } catch (const ThreadAccessingUIException& e) {
                kinds.push_back(e.Kind());
            }
        };
        attempt([&] { window->Show(); });
        attempt([&] { window->Close(); });
        attempt([&] { window->list()->AddRow({"x"}); });
        attempt([&] { GetImplicitWindow(probeWindow::kRegistryName); });
        attempt([&] { MsgBox("from a thread"); });
        attempt([&] { RuntimeRegisterAppObject(nullptr); });
    });
    worker.join();
    EXPECT_EQ(kinds.size(), 6u);
    EXPECT_FALSE(window->IsClosed());
    EXPECT_TRUE(messages.empty());
}

// A setter is refused before it stores anything or reaches the native side.
TEST_F(WindowLifecycle, PropertySettersOffTheMainThreadAreRefused)
{
    auto window = probeWindow::Instance();
    auto edit = std::make_shared<MenuItem>();
    edit->Text("&Edit");
    auto bar = std::make_shared<MenuBar>();
    bar->Append(edit);
    window->MenuBar(bar);
    NativeTopLevel* top = window->NativeData()->top;
    auto* label = static_cast<QLabel*>(window->text()->NativeData()->widget.data());
    auto* button = static_cast<QPushButton*>(window->button()->NativeData()->widget.data());
    QAction* action = top->findChild<QMenuBar*>()->actions().value(0);
    ASSERT_NE(action, nullptr);

    struct Case {
        const char* name;
        std::function<void()> set;
        std::function<bool()> unchanged;  // both the object and its native side
    } cases[] = {
        {"Label.Text", [&] { window->text()->Text("x"); },
         [&] { return window->text()->Text() == "initial" && label->text() == "initial"; }},
        {"Window.Title", [&] { window->Title("y"); },
         [&] { return window->Title() == "Probe" && top->windowTitle() == "Probe"; }},
        {"Window.Width", [&] { window->Width(350); },
         [&] { return window->Width() == 300 && top->Content()->width() == 300; }},
        {"PushButton.Caption", [&] { window->button()->Caption("z"); },
         [&] { return window->button()->Caption() == "Press" && button->text() == "Press"; }},
        {"RectControl.Enabled", [&] { window->button()->Enabled(false); },
         [&] { return window->button()->Enabled() && button->isEnabled(); }},
        {"MenuItem.Text", [&] { edit->Text("Other"); },
         [&] { return edit->Text() == "&Edit" && action->text() == "&Edit"; }},
        {"MenuItem.KeyboardShortcut", [&] { edit->KeyboardShortcut("Cmd+E"); },
         [&] { return !edit->KeyboardShortcut() && action->shortcut().isEmpty(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string raised;
        std::thread worker([&] {
            try {
                c.set();
            } catch (const ThreadAccessingUIException& e) {
                raised = e.Kind();
            }
        });
        worker.join();
        EXPECT_EQ(raised, "ThreadAccessingUIException");
        QCoreApplication::processEvents();
        EXPECT_TRUE(c.unchanged());
    }
    EXPECT_TRUE(messages.empty());
}

// The Edit menu offers a command only when the focused text area can take
// it now, and choosing one carries it out there.
TEST_F(WindowLifecycle, EditCommandsActOnTheFocusedTextControl)
{
    const std::vector<std::string> names = {"EditUndo",  "EditCut",   "EditCopy",
                                            "EditPaste", "EditClear", "EditSelectAll"};
    auto edit = std::make_shared<MenuItem>();
    edit->Name("EditMenu");
    edit->Text("&Edit");
    std::map<std::string, std::shared_ptr<MenuItem>> items;
    for (const std::string& name : names) {
        items[name] = std::make_shared<MenuItem>();
        items[name]->Name(name);
        items[name]->Text(name);
        edit->Append(items[name]);
    }
    auto bar = std::make_shared<MenuBar>();
    bar->Append(edit);
    auto window = probeWindow::Instance();
    window->MenuBar(bar);
    QMenu* menu = window->NativeData()->top->findChild<QMenuBar*>()->actions().value(0)->menu();
    ASSERT_NE(menu, nullptr);
    auto offered = [&] {
        emit menu->aboutToShow();  // as when the user opens it
        std::vector<std::string> enabled;
        for (QAction* action : menu->actions())
            if (action->isEnabled())
                enabled.push_back(action->text().toStdString());
        return enabled;
    };
    auto choose = [&](const std::string& name) { return items[name]->Choose(); };

    auto area = window->New<TextArea>();
    area->Constructor();
    window->AddControl(area, "area");
    area->SetProperty("Width", int64_t{100});
    area->SetProperty("Height", int64_t{50});
    area->Text("copy me");
    area->ReadOnly(true);
    QWidget* native = area->NativeData()->widget;
    window->NativeData()->top->activateWindow();
    native->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), native);
    QApplication::clipboard()->clear();

    using Names = std::vector<std::string>;
    EXPECT_EQ(offered(), Names({"EditSelectAll"})) << "nothing selected, read-only";
    EXPECT_FALSE(choose("EditCopy"));
    EXPECT_TRUE(choose("EditSelectAll"));
    EXPECT_EQ(offered(), Names({"EditCopy", "EditSelectAll"}));
    EXPECT_TRUE(choose("EditCopy"));
    EXPECT_EQ(QApplication::clipboard()->text(), "copy me");
    EXPECT_FALSE(choose("EditCut")) << "a read-only text cannot be cut";
    EXPECT_FALSE(choose("EditPaste"));
    EXPECT_EQ(area->Text(), "copy me");
    area->ReadOnly(false);
    EXPECT_EQ(offered(), Names({"EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"}));
    EXPECT_TRUE(choose("EditClear"));
    EXPECT_EQ(area->Text(), "") << "the user's edit flows back into Text";
    EXPECT_EQ(offered(), Names({"EditUndo", "EditPaste", "EditSelectAll"}));
    EXPECT_TRUE(choose("EditUndo"));
    EXPECT_EQ(area->Text(), "copy me");
    native->clearFocus();
    EXPECT_EQ(offered(), Names()) << "no text area has the focus";
    EXPECT_FALSE(choose("EditSelectAll"));
}

TEST_F(WindowLifecycle, TextControlsTakeTheirFontFromTheirKeys)
{
    auto window = probeWindow::Instance();
    auto label = window->text();
    auto* native = static_cast<QWidget*>(label->NativeData()->widget);
    const int defaultSize = native->font().pixelSize();
    label->SetProperty("TextSize", 32.0f);
    label->SetProperty("Bold", true);
    label->Underline(true);
    EXPECT_EQ(native->font().pixelSize(), 32);
    EXPECT_TRUE(native->font().bold());
    EXPECT_TRUE(native->font().underline());
    label->SetProperty("TextSize", 0.0f);
    EXPECT_EQ(native->font().pixelSize(), defaultSize) << "0 is the default size";
    auto* button = static_cast<QWidget*>(window->button()->NativeData()->widget);
    window->button()->SetProperty("Italic", true);
    EXPECT_TRUE(button->font().italic());
}

TEST_F(WindowLifecycle, TheCastWithAClassTestRefusesAnotherClass)
{
    auto window = probeWindow::Instance();
    std::shared_ptr<Control> button = window->ControlByName("button");
    EXPECT_EQ(RuntimeCheckCast<PushButton>(button), window->button());
    EXPECT_THROW(RuntimeCheckCast<Label>(button), IllegalCastException);
    EXPECT_EQ(RuntimeCheckCast<Label>(std::shared_ptr<Control>()), nullptr) << "nil stays nil";
    EXPECT_THROW(ControlAccessor<Label>(window.get(), "nothing"), NilObjectException);
    EXPECT_THROW(ControlAccessor<Label>(nullptr, "text"), NilObjectException);
    try {
        RuntimeCheckCast<Label>(button);
    } catch (const IllegalCastException& e) {
        EXPECT_EQ(e.Message(), "an object of class PushButton is not a Label");
    }
}

TEST(EventNumbers, EveryClassNumbersItsEventsInheritedFirst)
{
    ResetRuntime();
    probeWindow::log.clear();
    auto window = probeWindow::Instance();
    struct Case {
        std::shared_ptr<Control> control;
        int number;
        std::string_view name;
    } cases[] = {
        {std::make_shared<Listbox>(), ListboxEvent::Change, "Change"},
        {std::make_shared<Listbox>(), ListboxEvent::DoubleClick, "DoubleClick"},
        {std::make_shared<Label>(), LabelEvent::MouseEnter, "MouseEnter"},
        {std::make_shared<Label>(), LabelEvent::MouseExit, "MouseExit"},
        {std::make_shared<Label>(), LabelEvent::MouseDown, "MouseDown"},
        {std::make_shared<PushButton>(), PushButtonEvent::Action, "Action"},
    };
    EXPECT_EQ(ListboxEvent::Change, 23);
    EXPECT_EQ(ListboxEvent::DoubleClick, 27);
    EXPECT_EQ(LabelEvent::MouseEnter, 11);
    EXPECT_EQ(LabelEvent::MouseExit, 12);
    EXPECT_EQ(LabelEvent::MouseDown, 16);
    EXPECT_EQ(PushButtonEvent::Action, 15);
    EXPECT_EQ(BevelButtonEvent::Action, 17);
    for (const Case& c : cases) {
        ASSERT_LT(static_cast<size_t>(c.number), c.control->EventNames().size());
        EXPECT_EQ(c.control->EventNames()[static_cast<size_t>(c.number)], c.name);
    }
    EXPECT_EQ(std::make_shared<Listbox>()->EventNames().size(), 41u);

    EXPECT_EQ(std::size(WindowEvent::kNames), 34u);
    for (auto [number, name] : {std::pair{WindowEvent::CreateControls, "CreateControls"},
                                {WindowEvent::Layout, "Layout"},
                                {WindowEvent::MouseDown, "MouseDown"},
                                {WindowEvent::Open, "Open"}})
        EXPECT_EQ(WindowEvent::kNames[number], name);
    EXPECT_EQ(WindowEvent::CreateControls, 7);
    EXPECT_EQ(WindowEvent::Layout, 16);
    EXPECT_EQ(WindowEvent::MouseDown, 19);
    EXPECT_EQ(WindowEvent::Open, 27);
    EXPECT_EQ(std::size(ApplicationEvent::kNames), 11u);
    EXPECT_EQ(ApplicationEvent::kNames[ApplicationEvent::Open], "Open");

    EXPECT_THROW(window->button()->AddEventHandler(29, [](const EventArgs&) { return false; }), OutOfBoundsException);
    ResetRuntime();
}

}  // namespace
