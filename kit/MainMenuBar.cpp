#include "kit/MainMenuBar.h"

#include "runtime/Runtime.h"

std::shared_ptr<MainMenuBar> MainMenuBar::Instance()
{
    if (implicitInstance)
        return implicitInstance;
    std::shared_ptr<MainMenuBar> bar = RuntimeNewObject<MainMenuBar>();
    bar->Constructor();
    implicitInstance = bar;
    return bar;
}

void MainMenuBar::ImplicitInstanceInitializer()
{
    implicitInstance = nullptr;
}

void MainMenuBar::Constructor()
{
    Untitled0();
    Untitled1();
}

// Every item: its properties in this order, all set before it is appended.
template <class Item>
std::shared_ptr<MenuItem> MainMenuBar::NewItem(const std::string& name, std::optional<int64_t> index,
                                               const std::string& text, bool visible,
                                               std::optional<std::string> shortcut)
{
    std::shared_ptr<MenuItem> item = RuntimeNewObject<Item>();
    item->Constructor();
    item->Name(name);
    item->AutoEnable(true);
    if (index)
        item->Index(*index);
    item->Text(text);
    item->Visible(visible);
    if (shortcut)
        item->KeyboardShortcut(*shortcut);
    return item;
}

// The menu is looked up afresh for every item.
void MainMenuBar::AppendToMenu(const std::string& menu, const std::shared_ptr<MenuItem>& item)
{
    NotNil(Child(menu), ("menu " + menu).c_str())->Append(item);
}

void MainMenuBar::Untitled0()
{
    Append(NewItem<MenuItem>("FileMenu", {}, "&File", false, ""));
    AppendToMenu("FileMenu", NewItem<AppleMenuItem>("aboutMenu", 0, "About Tarnvik...", true, ""));
    AppendToMenu("FileMenu", NewItem<QuitMenuItem>("FileQuit", {}, "Quit", true, "Cmd+Q"));
}

void MainMenuBar::Untitled1()
{
    Append(NewItem<MenuItem>("EditMenu", {}, "&Edit", true, ""));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditUndo", {}, "&Undo", true, "Cmd+Z"));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditSeparator1", {}, "-", true, std::nullopt));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditCut", {}, "Cu&t", true, "Cmd+X"));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditCopy", {}, "&Copy", true, "Cmd+C"));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditPaste", {}, "&Paste", true, "Cmd+V"));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditClear", {}, "&Delete", true, ""));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditSeparator2", {}, "-", true, std::nullopt));
    AppendToMenu("EditMenu", NewItem<MenuItem>("EditSelectAll", {}, "Select &All", true, "Cmd+A"));
}
