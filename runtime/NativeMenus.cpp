#include "runtime/internal/NativeMenus.h"

#include "core/Text.h"
#include "runtime/Handlers.h"
#include "runtime/internal/EditCommands.h"
#include "runtime/internal/ProgramName.h"
#include "runtime/internal/QtValues.h"

#include <QMenu>

QKeySequence ToKeySequence(const std::string& shortcut)
{
    std::string text = shortcut;
    const std::string cmd = "Cmd+";
    if (TextEquals(Left(text, 4), cmd))
        text = "Ctrl+" + text.substr(cmd.size());
    return QKeySequence(ToQt(text));
}

void ShowText(QAction* action, const MenuItem& item)
{
    action->setSeparator(item.IsSeparator());
    action->setText(item.IsSeparator() ? QString() : ToQt(item.Text()));
}

namespace {

// The program's commands (About, Quit) among the items of the bar's menus;
// with onlyHidden, those of the menus the bar does not show.
std::vector<std::shared_ptr<MenuItem>> ProgramCommands(const MenuBar& model, bool onlyHidden)
{
    std::vector<std::shared_ptr<MenuItem>> commands;
    for (const auto& menu : model.Children()) {
        if (onlyHidden && menu->Visible())
            continue;
        for (const auto& item : menu->Children())
            if (item->Kind() == MenuItemKind::About || item->Kind() == MenuItemKind::Quit)
                commands.push_back(item);
    }
    return commands;
}

QAction* NativeAction(const std::shared_ptr<MenuItem>& item, QObject* parent)
{
    auto* action = new QAction(parent);
    action->setObjectName(ToQt(item->Name()));
    ShowText(action, *item);
    action->setVisible(item->Visible());
    if (item->KeyboardShortcut() && !item->KeyboardShortcut()->empty())
        action->setShortcut(ToKeySequence(*item->KeyboardShortcut()));
    action->setMenuRole(item->Kind() == MenuItemKind::About  ? QAction::AboutRole
                        : item->Kind() == MenuItemKind::Quit ? QAction::QuitRole
                                                             : QAction::NoRole);
    std::weak_ptr<MenuItem> weak = item;
    QObject::connect(action, &QAction::triggered, action, [weak] {
        if (auto i = weak.lock())
            RuntimeCallHandler([&] { return i->Choose(); });
    });
    // Actions of closed windows are gone; the item keeps only the live ones.
    std::vector<QPointer<QAction>>& actions = item->NativeData().actions;
    std::erase_if(actions, [](const QPointer<QAction>& a) { return a.isNull(); });
    actions.emplace_back(action);
    return action;
}

void AddItems(QMenu* menu, const std::shared_ptr<MenuItem>& model)
{
    for (const auto& child : model->Children()) {
        if (!child->Children().empty()) {
            QMenu* sub = menu->addMenu(ToQt(child->Text()));
            sub->menuAction()->setVisible(child->Visible());
            child->NativeData().actions.emplace_back(sub->menuAction());
            AddItems(sub, child);
        } else {
            menu->addAction(NativeAction(child, menu));
        }
    }
    // Edit items are offered only when the focused control can take them.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction* action : menu->actions())
            if (const std::string name = FromQt(action->objectName()); IsEditCommand(name))
                action->setEnabled(CanRunEditCommand(name));
    });
}

}  // namespace

void BuildNativeMenus(QMenuBar* bar, const std::shared_ptr<MenuBar>& model)
{
    // Items that must stay reachable although their menu is hidden (About,
    // Quit) go into a menu named after the program; on macOS Qt moves them
    // to the application menu by their roles.
    if (const auto commands = ProgramCommands(*model, true); !commands.empty()) {
        QMenu* program = bar->addMenu(ProgramName());
        for (const auto& item : commands)
            program->addAction(NativeAction(item, program));
    }
    for (const auto& menu : model->Children()) {
        if (!menu->Visible())
            continue;
        QMenu* native = bar->addMenu(ToQt(menu->Text()));
        menu->NativeData().actions.emplace_back(native->menuAction());
        AddItems(native, menu);
    }
}

std::vector<QAction*> ProgramCommandActions(const std::shared_ptr<MenuBar>& model, QObject* parent)
{
    std::vector<QAction*> actions;
    for (const auto& item : ProgramCommands(*model, false))
        actions.push_back(NativeAction(item, parent));
    return actions;
}
