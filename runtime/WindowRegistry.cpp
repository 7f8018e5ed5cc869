#include "runtime/WindowRegistry.h"

#include "core/UIThread.h"
#include "runtime/Window.h"
#include "runtime/internal/Registry.h"

#include <algorithm>

namespace {

std::vector<std::shared_ptr<Window>>& Registry()
{
    // Never destroyed: windows must not be torn down by static destruction,
    // after the toolkit's own statics are gone.
    static auto* registry = new std::vector<std::shared_ptr<Window>>;
    return *registry;
}

std::shared_ptr<MenuBar>& CommandBar()
{
    // Never destroyed, like the registry: the bar holds native actions.
    static auto* bar = new std::shared_ptr<MenuBar>;
    return *bar;
}

std::function<void()> closedByUser;

}  // namespace

void RegistryAdd(const std::shared_ptr<Window>& window)
{
    Registry().push_back(window);
}

void RegistryRemove(const Window* window)
{
    auto& registry = Registry();
    registry.erase(std::remove_if(registry.begin(), registry.end(),
                                  [window](const std::shared_ptr<Window>& w) { return w.get() == window; }),
                   registry.end());
}

std::shared_ptr<Window> GetImplicitWindow(std::string_view registryName)
{
    CheckUIThread();
    for (const auto& window : Registry())
        if (window->RegistryName() == registryName)
            return window;
    return nullptr;
}

std::vector<std::shared_ptr<Window>> RegisteredWindows()
{
    return Registry();
}

void CloseAllWindows()
{
    for (const auto& window : RegisteredWindows())
        window->Close();
}

void SetProgramCommandBar(const std::shared_ptr<MenuBar>& bar)
{
    CheckUIThread();
    CommandBar() = bar;
    for (const auto& window : RegisteredWindows())
        window->ApplyProgramCommands();
}

std::shared_ptr<MenuBar> ProgramCommandBar()
{
    return CommandBar();
}

void OnWindowClosedByUser(std::function<void()> decide)
{
    closedByUser = std::move(decide);
}

void ReportWindowClosedByUser()
{
    if (closedByUser)
        closedByUser();
}
