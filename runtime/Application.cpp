#include "runtime/Application.h"

#include "core/Text.h"
#include "core/UIThread.h"
#include "runtime/Handlers.h"
#include "runtime/Trace.h"
#include "runtime/WindowRegistry.h"

namespace {

bool hiDPI = false;

std::shared_ptr<Application>& AppObject()
{
    // Never destroyed: the application must not be torn down by static
    // destruction, after the toolkit's own statics are gone.
    static auto* app = new std::shared_ptr<Application>;
    return *app;
}

}  // namespace

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
        SetProgramCommandBar(bar);
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

void RuntimeRegisterAppObject(const std::shared_ptr<Application>& app)
{
    CheckUIThread();
    RuntimeTrace("RuntimeRegisterAppObject");
    AppObject() = app;
    SetProgramCommandBar(app ? app->MenuBar() : nullptr);
}

std::shared_ptr<Application> GetAppObject()
{
    return AppObject();
}
