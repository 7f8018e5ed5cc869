#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What an item is to the menus: a plain item, the bar, or one of the
// program's commands (About, Quit) that stay reachable wherever the user is.
enum class MenuItemKind { Item, Bar, About, Quit };

// A menu is a tree of items. A window that shows a menu bar builds its native
// menus from the tree; each item keeps the native actions that show it, and
// its setters update them. Choosing an item runs the program's command for
// it (SetMenuCommandHandler: the application's handler bound under the
// item's name, else quitting for the Quit item), failing that the edit
// command of its name on the focused text area. Like every part of the user
// interface, an item is set up on its thread only.
class MenuItem : public std::enable_shared_from_this<MenuItem> {
public:
    MenuItem();
    virtual ~MenuItem();
    void Constructor() {}

    std::string Name() const { return name_; }
    void Name(const std::string& name);
    bool AutoEnable() const { return autoEnable_; }
    void AutoEnable(bool value);
    // Not set unless assigned; an item with an Index is an entry of the
    // menu item array of its name.
    std::optional<int64_t> Index() const { return index_; }
    void Index(int64_t value);
    std::string Text() const { return text_; }
    void Text(const std::string& text);  // "-" makes a separator; "&" marks a mnemonic
    bool Visible() const { return visible_; }
    void Visible(bool value);
    // "Cmd+Q" style; "" assigned explicitly means no shortcut; nullopt means never assigned.
    std::optional<std::string> KeyboardShortcut() const { return shortcut_; }
    void KeyboardShortcut(const std::string& shortcut);

    void Append(const std::shared_ptr<MenuItem>& child);
    // The direct child of that name (text equality), or nil.
    virtual std::shared_ptr<MenuItem> Child(std::string_view name) const;
    // The item of that name anywhere below this one, or nil.
    std::shared_ptr<MenuItem> Lookup(std::string_view name) const;
    const std::vector<std::shared_ptr<MenuItem>>& Children() const { return children_; }

    bool IsSeparator() const { return text_ == "-"; }
    virtual MenuItemKind Kind() const { return MenuItemKind::Item; }

    // What happens when the user chooses the item: the program's command
    // (SetMenuCommandHandler), else the edit command of its name. Returns
    // whether anything handled it.
    bool Choose();

    struct Native;
    Native& NativeData() const { return *native_; }

private:
    std::string name_;
    bool autoEnable_ = false;
    std::optional<int64_t> index_;
    std::string text_;
    bool visible_ = true;
    std::optional<std::string> shortcut_;
    std::vector<std::shared_ptr<MenuItem>> children_;
    std::unique_ptr<Native> native_;
};

// What choosing an item means to the program, before the edit commands:
// whoever runs the program sets it (nil: nothing). It answers whether it
// took the item.
void SetMenuCommandHandler(std::function<bool(const MenuItem& item)> handler);

class MenuBar : public MenuItem {
public:
    MenuItemKind Kind() const override { return MenuItemKind::Bar; }
};

// The About item: offered in the program's menu even when its own menu is hidden.
class AppleMenuItem : public MenuItem {
public:
    MenuItemKind Kind() const override { return MenuItemKind::About; }
};

// The Quit item: offered in the program's menu even when its own menu is
// hidden; quits with exit code 0 unless a handler takes the command.
class QuitMenuItem : public MenuItem {
public:
    MenuItemKind Kind() const override { return MenuItemKind::Quit; }
};
