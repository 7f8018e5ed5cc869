#include "runtime/Application.h"

#include "core/Text.h"
#include "core/UIThread.h"
#include "runtime/Handlers.h"
#include "runtime/Lifecycle.h"
#include "runtime/MenuItem.h"
#include "runtime/Trace.h"
#include "runtime/Window.h"
#include "runtime/WindowRegistry.h"

namespace {
bool hiDPI = false;
}

Application::~Application() = default;

void Application::SetVersionData(int64_t majorVersion, int64_t minorVersion, int64_t bugVersion,
                                 int64_t nonReleaseVersion, int64_t stageCode, const std::string& longVersion,
                                 const std::string& shortVersion, const std::string& packageInfo)
{
    RuntimeTrace("SetVersionData");
    version_ = {majorVersion, minorVersion, bugVersion,   nonReleaseVersion,
                stageCode,    longVersion,  shortVersion, packageInfo};
}

void Application::MenuBar(const std::shared_ptr<::MenuBar>& bar)
{
    CheckUIThread();
    RuntimeTrace("Application.MenuBar");
    menuBar_ = bar;
    if (GetAppObject().get() == this)
        for (const auto& window : RegisteredWindows())
            window->ApplyProgramCommands();
}

void Application::AddMenuHandler(const std::string& name, MenuHandler handler)
{
    CheckUIThread();
    RuntimeTrace("AddMenuHandler " + name);
    menuHandlers_.emplace_back(name, std::move(handler));
}

bool Application::DispatchMenuCommand(const std::string& name, int64_t index)
{
    CheckUIThread();
    for (const auto& [bound, handler] : menuHandlers_)
        if (TextEquals(bound, name)) {
            const MenuHandler h = handler;  // the handler may rebind the table
            return RuntimeCallHandler([&] { return h(index); });
        }
    return false;
}

void Application::SetSupportsHiDPI(bool supported)
{
    hiDPI = supported;
}

bool Application::SupportsHiDPI()
{
    return hiDPI;
}

const Application::EventTableType& Application::EventTable() const
{
    static const EventTableType none;
    return none;
}

bool Application::RaiseEvent(int event)
{
    for (const auto& entry : EventTable())
        if (entry.first == event) {
            std::shared_ptr<Application> self = shared_from_this();
            return RuntimeCallHandler([&] { return entry.second(*self); });
        }
    return false;
}
