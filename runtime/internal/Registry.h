#pragma once

#include <memory>

class Window;

// The runtime's registry of open windows; Window adds itself when it is
// constructed and removes itself when it is closed.
void RegistryAdd(const std::shared_ptr<Window>& window);
void RegistryRemove(const Window* window);
