#pragma once

#include <memory>

class MenuBar;
class Window;

// How a window joins and leaves the registry (runtime/WindowRegistry.h):
// Window adds itself when it is constructed and removes itself when it is closed.
void RegistryAdd(const std::shared_ptr<Window>& window);
void RegistryRemove(const Window* window);
// The bar SetProgramCommandBar gave last.
std::shared_ptr<MenuBar> ProgramCommandBar();
// A window the user closed reports it (OnWindowClosedByUser).
void ReportWindowClosedByUser();
