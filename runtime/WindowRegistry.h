#pragma once

#include "runtime/RuntimeObject.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class MenuBar;
class Window;

// The runtime's registry of open windows: a window joins it when it is
// constructed and leaves it when it is closed.

// The window registered under registryName, or nil.
std::shared_ptr<Window> GetImplicitWindow(std::string_view registryName);
// Every registered window, in the order they were registered.
std::vector<std::shared_ptr<Window>> RegisteredWindows();
// Closes every registered window, the newest last, as each window's Close does.
void CloseAllWindows();

// The menu bar whose program commands (About, Quit) every window that shows
// no menu bar of its own answers by their shortcuts: the open windows and
// every window built later. Nil: none.
void SetProgramCommandBar(const std::shared_ptr<MenuBar>& bar);

// The windows report that the user closed one of them with the window
// system's close button, once it is closed; what follows is decided by
// whoever runs the program, which sets this (nil: nothing follows).
void OnWindowClosedByUser(std::function<void()> decide);

// A window class's accessor: the registered window of class W, or a new one,
// built, when none is registered. W names its registry name kRegistryName.
template <class W>
std::shared_ptr<W> ImplicitWindow()
{
    if (std::shared_ptr<Window> found = GetImplicitWindow(W::kRegistryName))
        return RuntimeCheckCast<W>(found);
    std::shared_ptr<W> window = RuntimeNewObject<W>();
    window->Constructor();
    return window;
}
