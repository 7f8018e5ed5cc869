#include "runtime/MenuItem.h"

#include "core/Text.h"
#include "core/UIThread.h"
#include "runtime/RuntimeObject.h"
#include "runtime/internal/EditCommands.h"
#include "runtime/internal/NativeMenus.h"

namespace {

std::function<bool(const MenuItem&)> commandHandler;

}  // namespace

void SetMenuCommandHandler(std::function<bool(const MenuItem& item)> handler)
{
    commandHandler = std::move(handler);
}

MenuItem::MenuItem() : native_(std::make_unique<Native>()) {}
MenuItem::~MenuItem() = default;

void MenuItem::Name(const std::string& name)
{
    CheckUIThread();
    name_ = name;
}

void MenuItem::AutoEnable(bool value)
{
    CheckUIThread();
    autoEnable_ = value;
}

void MenuItem::Index(int64_t value)
{
    CheckUIThread();
    index_ = value;
}

void MenuItem::Text(const std::string& text)
{
    CheckUIThread();
    text_ = text;
    for (const auto& action : native_->actions)
        if (action)
            ShowText(action, *this);
}

void MenuItem::Visible(bool value)
{
    CheckUIThread();
    visible_ = value;
    for (const auto& action : native_->actions)
        if (action)
            action->setVisible(value);
}

void MenuItem::KeyboardShortcut(const std::string& shortcut)
{
    CheckUIThread();
    shortcut_ = shortcut;
    for (const auto& action : native_->actions)
        if (action)
            action->setShortcut(shortcut.empty() ? QKeySequence() : ToKeySequence(shortcut));
}

void MenuItem::Append(const std::shared_ptr<MenuItem>& child)
{
    CheckUIThread();
    children_.push_back(NotNil(child, "the menu item to append"));
}

std::shared_ptr<MenuItem> MenuItem::Child(std::string_view name) const
{
    CheckUIThread();
    for (const auto& child : children_)
        if (TextEquals(child->Name(), name))
            return child;
    return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::Lookup(std::string_view name) const
{
    for (const auto& child : children_) {
        if (TextEquals(child->Name(), name))
            return child;
        if (auto found = child->Lookup(name))
            return found;
    }
    return nullptr;
}

bool MenuItem::Choose()
{
    CheckUIThread();
    if (commandHandler && commandHandler(*this))
        return true;
    return RunEditCommand(name_);
}
