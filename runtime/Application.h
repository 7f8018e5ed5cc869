#pragma once

#include "runtime/Events.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class MenuBar;

// The base of the application object. A subclass binds the application
// events it handles in its event table (EventTable), by event number.
class Application : public std::enable_shared_from_this<Application> {
public:
    virtual ~Application();

    struct VersionData {
        int64_t majorVersion = 0;
        int64_t minorVersion = 0;
        int64_t bugVersion = 0;
        int64_t nonReleaseVersion = 0;
        int64_t stageCode = 0;
        std::string longVersion;
        std::string shortVersion;
        std::string packageInfo;
    };
    void SetVersionData(int64_t majorVersion, int64_t minorVersion, int64_t bugVersion, int64_t nonReleaseVersion,
                        int64_t stageCode, const std::string& longVersion, const std::string& shortVersion,
                        const std::string& packageInfo);
    const VersionData& Version() const { return version_; }

    // The application's menu bar. While the application is the registered
    // one, it gives the windows their program commands (SetProgramCommandBar).
    std::shared_ptr<::MenuBar> MenuBar() const { return menuBar_; }
    void MenuBar(const std::shared_ptr<::MenuBar>& bar);

    // Binds a menu command name to a handler; its result means "handled".
    // The handler receives the chosen item's Index (0 for an item without one).
    using MenuHandler = std::function<bool(int64_t index)>;
    void AddMenuHandler(const std::string& name, MenuHandler handler);
    // Runs the handler bound to a name equal to `name` (text equality), as
    // the runtime does when the user chooses an item of that name. Returns
    // whether a handler took it; an exception it raises is reported, and
    // counts as not handled.
    bool DispatchMenuCommand(const std::string& name, int64_t index = 0);

    static void SetSupportsHiDPI(bool supported);
    static bool SupportsHiDPI();

    // Raises an application event; false when the class binds none.
    bool RaiseEvent(int event);

protected:
    using AppHandler = std::function<bool(Application&)>;
    using EventTableType = std::vector<std::pair<int, AppHandler>>;
    virtual const EventTableType& EventTable() const;

    template <class A>
    static std::pair<int, AppHandler> BindEvent(int event, void (A::*method)())
    {
        return {event, [method](Application& app) {
                    (static_cast<A&>(app).*method)();
                    return false;
                }};
    }

private:
    VersionData version_;
    std::shared_ptr<::MenuBar> menuBar_;
    std::vector<std::pair<std::string, MenuHandler>> menuHandlers_;
};

// The application object; registering nil forgets it. Registering belongs
// to the user-interface thread, as the windows take the new object's commands.
void RuntimeRegisterAppObject(const std::shared_ptr<Application>& app);
std::shared_ptr<Application> GetAppObject();
