#pragma once

#include "runtime/MenuItem.h"

#include <memory>
#include <optional>
#include <string>

// The application's one menu bar: a hidden File menu with About and Quit,
// and the Edit menu. Built on first use and kept for the whole run.
class MainMenuBar : public MenuBar {
public:
    // The shared instance; it is stored only once the constructor has
    // finished, so a failed build leaves it empty and the next call starts afresh.
    static std::shared_ptr<MainMenuBar> Instance();
    // The shared-instance variable's static initialiser: the variable starts
    // empty, and the first Instance() builds the bar.
    static void ImplicitInstanceInitializer();

    void Constructor();
    void Untitled0();  // the File menu
    void Untitled1();  // the Edit menu

private:
    template <class Item>
    static std::shared_ptr<MenuItem> NewItem(const std::string& name, std::optional<int64_t> index,
                                             const std::string& text, bool visible,
                                             std::optional<std::string> shortcut);
    void AppendToMenu(const std::string& menu, const std::shared_ptr<MenuItem>& item);

    static inline std::shared_ptr<MainMenuBar> implicitInstance;
};
