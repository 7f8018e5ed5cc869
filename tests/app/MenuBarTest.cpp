#include "AppFixture.h"
#include "MenuBarWithoutMenu.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "app/App.h"
#include "devices/infoWindow.h"
#include "devices/mainWindow.h"
#include "runtime/Application.h"
#include "runtime/Window.h"
#include "runtime/internal/NativeWindow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

struct ExpectedItem {
    const char* name;
    MenuItemKind kind;
    const char* parent;
    const char* text;
    bool visible;
    std::optional<int64_t> index;
    std::optional<std::string> shortcut;  // nullopt: never assigned
};

// The whole tree, in the order of creation.
const ExpectedItem kTree[] = {
    {"FileMenu", MenuItemKind::Item, "", "&File", false, std::nullopt, ""},
    {"aboutMenu", MenuItemKind::About, "FileMenu", "About Tarnvik...", true, 0, ""},
    {"FileQuit", MenuItemKind::Quit, "FileMenu", "Quit", true, std::nullopt, "Cmd+Q"},
    {"EditMenu", MenuItemKind::Item, "", "&Edit", true, std::nullopt, ""},
    {"EditUndo", MenuItemKind::Item, "EditMenu", "&Undo", true, std::nullopt, "Cmd+Z"},
    {"EditSeparator1", MenuItemKind::Item, "EditMenu", "-", true, std::nullopt, std::nullopt},
    {"EditCut", MenuItemKind::Item, "EditMenu", "Cu&t", true, std::nullopt, "Cmd+X"},
    {"EditCopy", MenuItemKind::Item, "EditMenu", "&Copy", true, std::nullopt, "Cmd+C"},
    {"EditPaste", MenuItemKind::Item, "EditMenu", "&Paste", true, std::nullopt, "Cmd+V"},
    {"EditClear", MenuItemKind::Item, "EditMenu", "&Delete", true, std::nullopt, ""},
    {"EditSeparator2", MenuItemKind::Item, "EditMenu", "-", true, std::nullopt, std::nullopt},
    {"EditSelectAll", MenuItemKind::Item, "EditMenu", "Select &All", true, std::nullopt, "Cmd+A"},
};

class MainMenuBarTest : public AppTest {};

TEST_F(MainMenuBarTest, HoldsTheTwelveItemsInOrderOfCreation)
{
    std::shared_ptr<MainMenuBar> bar = MainMenuBar::Instance();
    std::vector<std::pair<std::string, std::shared_ptr<MenuItem>>> items;  // parent name, item
    for (const auto& menu : bar->Children()) {
        items.emplace_back("", menu);
        for (const auto& item : menu->Children())
            items.emplace_back(menu->Name(), item);
    }
    ASSERT_EQ(items.size(), std::size(kTree));
    for (size_t i = 0; i < items.size(); ++i) {
        const ExpectedItem& e = kTree[i];
        const auto& [parent, item] = items[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(item->Name(), e.name);
        EXPECT_EQ(item->Kind(), e.kind);
        EXPECT_EQ(parent, e.parent);
        EXPECT_EQ(item->Text(), e.text);
        EXPECT_EQ(item->Visible(), e.visible);
        EXPECT_EQ(item->Index(), e.index);
        EXPECT_EQ(item->KeyboardShortcut(), e.shortcut);
        EXPECT_TRUE(item->AutoEnable());
    }
    EXPECT_EQ(bar->Lookup("prefMenu"), nullptr);
}

TEST_F(MainMenuBarTest, IsBuiltOnceAndSharedByTheApplicationAndTheMainWindow)
{
    // NewAppInstance already built it and gave it to the application.
    std::shared_ptr<MainMenuBar> bar = MainMenuBar::Instance();
    EXPECT_EQ(MainMenuBar::Instance(), bar);
    EXPECT_EQ(GetAppObject()->MenuBar(), bar);
    EXPECT_EQ(bar->Children().size(), 2u);
    EXPECT_EQ(bar->Child("EditMenu")->Children().size(), 8u);
}

TEST_F(MainMenuBarTest, AFailedBuildLeavesTheInstanceEmptyAndTheNextAccessBuildsAfresh)
{
    MainMenuBar::ImplicitInstanceInitializer();
    {
        // The File menu is built, then the Edit menu is not found.
        const MenuBarsMadeAs<MenuBarWithoutMenu<kEditMenu>> failing;
        try {
            MainMenuBar::Instance();
            ADD_FAILURE() << "the build did not fail";
        } catch (const NilObjectException& e) {
            EXPECT_EQ(e.Message(), "menu EditMenu is nil");
        }
    }
    std::shared_ptr<MainMenuBar> bar = MainMenuBar::Instance();
    EXPECT_EQ(dynamic_cast<MenuBarWithoutMenu<kEditMenu>*>(bar.get()), nullptr);
    ASSERT_EQ(bar->Children().size(), 2u);
    EXPECT_EQ(bar->Child("FileMenu")->Children().size(), 2u);
    EXPECT_EQ(bar->Child("EditMenu")->Children().size(), 8u);
    EXPECT_EQ(MainMenuBar::Instance(), bar);
}

// A window with the bar shows Edit, and About and Quit in the program's
// menu although their File menu is hidden.
class plainWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "plainWindow.plainWindow";
    plainWindow() : Window(kRegistryName) {}
};

TEST_F(MainMenuBarTest, TheNativeBarOffersAboutAndQuitAndTheEditMenu)
{
    auto window = ImplicitWindow<plainWindow>();
    window->MenuBar(MainMenuBar::Instance());
    QMenuBar* native = window->NativeData()->top->findChild<QMenuBar*>();
    ASSERT_NE(native, nullptr);
    QStringList titles;
    QMenu* program = nullptr;
    QMenu* edit = nullptr;
    for (QAction* action : native->actions()) {
        titles << action->text();
        if (action->text() == "&Edit")
            edit = action->menu();
        else if (action->menu())
            program = action->menu();
    }
    EXPECT_EQ(titles.size(), 2) << titles.join(",").toStdString();
    ASSERT_NE(program, nullptr);
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(program->actions().size(), 2);
    EXPECT_EQ(program->actions()[0]->text(), "About Tarnvik...");
    EXPECT_EQ(program->actions()[1]->text(), "Quit");
    EXPECT_EQ(program->actions()[1]->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(program->actions()[0]->menuRole(), QAction::AboutRole);
    EXPECT_EQ(program->actions()[1]->menuRole(), QAction::QuitRole);
    ASSERT_EQ(edit->actions().size(), 8);
    EXPECT_TRUE(edit->actions()[1]->isSeparator());
    EXPECT_EQ(edit->actions()[2]->shortcut(), QKeySequence("Ctrl+X"));
    EXPECT_TRUE(edit->actions()[5]->shortcut().isEmpty()) << "Delete has an empty shortcut";

    // Choosing Quit reaches the handler bound as "fileQuit" (text equality
    // ignores the case of the F), which quits with exit code 0.
    TraceRecord trace;
    trace.Start();
    program->actions()[1]->trigger();
    EXPECT_EQ(trace.Count("Quit 0"), 1);
    EXPECT_EQ(RuntimeExit(), 0);
}

// The Edit menu looks exactly like a Qt menu of the same items whose "-"
// items are Qt's own separators: a line and no text beside it. So it does
// after a caption is set again on the built menu.
TEST_F(MainMenuBarTest, TheEditMenusSeparatorsAreDrawnAsLines)
{
    auto window = ImplicitWindow<plainWindow>();
    window->MenuBar(MainMenuBar::Instance());
    QMenu* edit = nullptr;
    for (QAction* action : window->NativeData()->top->findChild<QMenuBar*>()->actions())
        if (action->text() == "&Edit")
            edit = action->menu();
    ASSERT_NE(edit, nullptr);

    // Its other items as the native menu has them.
    QMenu reference;
    const std::shared_ptr<MenuItem> model = MainMenuBar::Instance()->Child("EditMenu");
    const QList<QAction*> actions = edit->actions();
    ASSERT_EQ(static_cast<size_t>(actions.size()), model->Children().size());
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (model->Children()[static_cast<size_t>(i)]->Text() == "-")
            reference.addSeparator();
        else
            reference.addAction(actions[i]->text())->setShortcut(actions[i]->shortcut());
    }
    auto looksLikeTheReference = [&] {
        edit->resize(edit->sizeHint());
        reference.resize(reference.sizeHint());
        return edit->grab().toImage() == reference.grab().toImage();
    };
    EXPECT_TRUE(looksLikeTheReference());
    for (const auto& item : model->Children())
        item->Text(item->Text());
    EXPECT_TRUE(looksLikeTheReference()) << "after the captions were set again";
}

// Ctrl+Q typed in any window of the program reaches the Quit command, once:
// through the menu bar where the window shows one, else through the program
// commands the window carries without showing a menu. About is carried too.
TEST_F(MainMenuBarTest, CtrlQQuitsFromEveryWindowAndAboutIsCarriedToo)
{
    AnswerScan("", "", "", "");  // building the main window runs its scan
    const struct Case {
        const char* name;
        std::function<std::shared_ptr<Window>()> open;
        bool showsTheMenuBar;
    } cases[] = {
        {"the main window", [] { return mainWindow::Instance(); }, true},
        {"the info window", [] { return infoWindow::Instance(); }, false},
        {"the about window", [] { return aboutWindow::Instance(); }, false},
        {"the preferences window",
         [] {
             App::Instance()->DispatchMenuCommand("prefMenu");
             return prefWindow::Instance();
         },
         false},
    };
    TraceRecord trace;
    trace.Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<Window> window = c.open();
        NativeTopLevel* top = window->NativeData()->top;
        EXPECT_EQ(top->findChild<QMenuBar*>() != nullptr, c.showsTheMenuBar);
        top->activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QGuiApplication::focusWindow(), top->windowHandle()) << "the window system's active window";

        trace.Clear();
        QWidget* focus = top->focusWidget() ? top->focusWidget() : top;
        QTest::keyClick(focus, Qt::Key_Q, Qt::ControlModifier);
        EXPECT_EQ(trace.Count("Quit 0"), 1);
        ClearExitRequest();
        if (c.showsTheMenuBar)
            continue;

        const QList<QAction*> actions = top->actions();
        auto about = std::find_if(actions.begin(), actions.end(),
                                  [](QAction* action) { return action->menuRole() == QAction::AboutRole; });
        ASSERT_NE(about, actions.end());
        EXPECT_EQ((*about)->text(), "About Tarnvik...");
        (*about)->trigger();
        EXPECT_NE(GetImplicitWindow(aboutWindow::kRegistryName), nullptr);
        for (const auto& open : RegisteredWindows())
            if (open != mainWindow::Instance())
                open->Close();
    }
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages.front());
}

}  // namespace
