#include "app/Startup.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "app/App.h"
#include "devices/infoWindow.h"
#include "devices/mainWindow.h"
#include "devices/splash.h"
#include "kit/MainMenuBar.h"
#include "kit/Pictures.h"
#include "resources/Defined.h"
#include "runtime/Runtime.h"

#include <string>

// How start-up flows: Main -> EarlyStartup (menu bar, application object,
// menu handlers) -> RuntimeRun, which raises the application's Open event
// (the splash, whose Open builds the main window and its first scan) and then
// calls LateStartup, which finds that main window already built.

std::vector<std::function<void()>> SystemInitializers()
{
    return {
        [] { RuntimeRegisterClass("App", typeid(App)); },
        MainMenuBar::ImplicitInstanceInitializer,
        PictureCachesInitializer,
        [] { RuntimeRegisterClass("MainMenuBar", typeid(MainMenuBar)); },
        [] { RuntimeRegisterClass("splash", typeid(splash)); },
        [] { RuntimeRegisterClass("mainWindow", typeid(mainWindow)); },
        [] { RuntimeRegisterClass("prefWindow", typeid(prefWindow)); },
        [] { RuntimeRegisterClass("infoWindow", typeid(infoWindow)); },
        [] { RuntimeRegisterClass("aboutWindow", typeid(aboutWindow)); },
    };
}

void Main()
{
    try {
        RuntimeSetExceptionHelper(&CallFunctionWithExceptionHandling);
        EarlyStartup();
        RunFrameworkInitialization(&LateStartup);
        RuntimeRun();
    } catch (...) {
        UnhandledException(std::current_exception());
    }
}

void EarlyStartup()
{
    Application::SetSupportsHiDPI(true);
    RuntimeInitExternalClasses();
    InitPluginEntrypoints();
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
}

void InitFileTypes()
{
    // Tarnvik opens no documents.
}

void NewAppInstance()
{
    std::shared_ptr<App> app = RuntimeNewObject<App>();
    app->Constructor();
    app->SetVersionData(2, 1, 0, 0, 3, std::string(Defined::LongVersion), std::string(Defined::ShortVersion), "");
    app->MenuBar(MainMenuBar::Instance());
    RuntimeRegisterAppObject(app);
}

void ApplicationAddMenuHandlers()
{
    auto app = [] { return NotNil(App::Instance(), "the application object"); };
    app()->AddMenuHandler("aboutMenu", [app](int64_t index) { return app()->_aboutMenu_Action(index); });
    app()->AddMenuHandler("prefMenu", [app](int64_t) { return app()->_prefMenu_Action(); });
    app()->AddMenuHandler("fileQuit", [app](int64_t) { return app()->_fileQuit_Action(); });
}

void LateStartup()
{
    MakeDefaultView();
}

void MakeDefaultView()
{
    mainWindow::Instance();
}
