#pragma once

#include "core/Text.h"
#include "kit/MainMenuBar.h"
#include "runtime/RuntimeObject.h"

#include <memory>
#include <string_view>

// A menu bar whose build never finds the menu named kMissing: the lookup it
// makes before appending an item to that menu answers nil.
template <const char* kMissing>
class MenuBarWithoutMenu : public MainMenuBar {
public:
    std::shared_ptr<MenuItem> Child(std::string_view name) const override
    {
        return TextEquals(name, kMissing) ? nullptr : MainMenuBar::Child(name);
    }
};

// While it lives, the runtime makes every MainMenuBar as a Bar.
template <class Bar>
class MenuBarsMadeAs {
public:
    MenuBarsMadeAs() { RuntimeMakeObjectsAs<MainMenuBar, Bar>(); }
    ~MenuBarsMadeAs() { RuntimeMakeObjectsAs<MainMenuBar, MainMenuBar>(); }
    MenuBarsMadeAs(const MenuBarsMadeAs&) = delete;
    MenuBarsMadeAs& operator=(const MenuBarsMadeAs&) = delete;
};

inline constexpr char kFileMenu[] = "FileMenu";
inline constexpr char kEditMenu[] = "EditMenu";
