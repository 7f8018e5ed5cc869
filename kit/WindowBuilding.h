#pragma once

#include "kit/Layouts.h"
#include "runtime/Runtime.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

// How every window of the application is built from its layout tables: the
// window block, then each control in order, each completely before the next.

// The window class a registry name belongs to ("mainWindow.mainWindow" -> "mainWindow").
std::string WindowClassOf(const Window& window);

// Applies the window's own block.
void ApplyWindowBlock(Window& window);

// Creates one control of class T: makes it for the window, readies it,
// registers it under its name, lets beforeBlock set what a block cannot hold
// (a picture), applies its block, then attaches its handlers in order. After
// registration every step finds the control again by its name.
template <class T>
void CreateControl(Window& window, const std::string& name,
                   std::initializer_list<std::pair<int, Delegate>> handlers = {},
                   const std::function<void(T&)>& beforeBlock = {})
{
    {
        std::shared_ptr<T> control = window.New<T>();
        control->Constructor();
        window.AddControl(control, name);
    }
    auto byName = [&] { return RuntimeCheckCast<T>(NotNil(window.ControlByName(name), "the new control")); };
    if (beforeBlock)
        beforeBlock(*byName());
    SetProperties(*byName(), Layouts::ControlBlock(WindowClassOf(window), name));
    for (const auto& [event, handler] : handlers)
        RuntimeAddEventHandler(byName(), event, handler);
}
